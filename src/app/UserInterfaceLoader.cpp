#include "LazyUserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace orvane {

namespace {

// This version's module only (see src/ui).
const QString moduleFile = QStringLiteral(ORVANE_UI_MODULE_FILE);

} // namespace

QString userInterfaceModulePath()
{
    const QString chosen = qEnvironmentVariable("ORVANE_UI_MODULE");
    if (!chosen.isEmpty()) {
        return chosen;
    }
    const QDir here(QCoreApplication::applicationDirPath());
    if (here.exists(moduleFile)) {
        return here.filePath(moduleFile);
    }
    return QDir::cleanPath(here.filePath(QStringLiteral(ORVANE_UI_MODULE_DIR "/") + moduleFile));
}

UserInterfaceLoader userInterfaceLoader(const QString &path)
{
    return [path]() -> UserInterfaceFactory {
        QLibrary library(path);
        // Every symbol now: a module that does not fit this executable fails here, not in the
        // middle of a card.
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library.load()) {
            return {nullptr, library.errorString()};
        }
        // Never unloaded: Qt's types and plugins it registered stay for the program's life.
        const auto create =
            reinterpret_cast<CreateUserInterface>(library.resolve(createUserInterfaceName));
        if (!create) {
            return {nullptr, library.errorString()};
        }
        return {create, {}};
    };
}

} // namespace orvane
