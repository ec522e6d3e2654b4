#include "LazyUserInterface.h"

#include "ModuleFile.h"

#include <QCoreApplication>
#include <QDir>

#include <dlfcn.h>
#include <memory>
#include <optional>

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
    // The file checked off the main thread stays open until loaded, so that what is loaded is
    // what was checked, even when an upgrade puts another file at `path` meanwhile.
    auto checked = std::make_shared<std::optional<ModuleFile>>();
    auto libraries = std::make_shared<QList<QByteArray>>();
    UserInterfaceLoader loader;
    loader.prepare = [path, checked, libraries]() -> QString {
        ModuleFile file = ModuleFile::open(path, programBuildId());
        if (!file.error().isEmpty()) {
            return path + QStringLiteral(": ") + file.error();
        }
        // The first card is on its way: its code comes from the disk now, not while the main
        // thread waits in dlopen.
        *libraries = file.readAhead();
        *checked = std::move(file);
        return {};
    };
    // The Qt libraries the module needs and the program has not loaded yet, by name, as the
    // module's dlopen would find them, with its flags, and kept as it keeps them. One that fails
    // is left to the module's dlopen to report.
    loader.loadNext = [libraries] {
        while (!libraries->isEmpty()) {
            const QByteArray name = libraries->takeFirst();
            if (!dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) {
                dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
                return true;
            }
        }
        return false;
    };
    loader.load = [path, checked]() -> UserInterfaceFactory {
        if (!*checked) {
            return {nullptr, path + QStringLiteral(": it was not checked")};
        }
        const QByteArray opened = "/proc/self/fd/" + QByteArray::number((*checked)->descriptor());
        // Here, on the main thread: Qt Quick's start-up code changes Qt's global lists, which
        // only the main thread may touch. Never unloaded: the types and plugins it registered
        // stay for the program's life.
        void *library = dlopen(opened.constData(), RTLD_NOW | RTLD_LOCAL);
        checked->reset();
        if (!library) {
            return {nullptr, path + QStringLiteral(": ") + QString::fromLocal8Bit(dlerror())};
        }
        const auto create =
            reinterpret_cast<CreateUserInterface>(dlsym(library, createUserInterfaceName));
        if (!create) {
            return {nullptr, path + QStringLiteral(": it has no ") +
                                 QLatin1StringView(createUserInterfaceName)};
        }
        return {create, {}};
    };
    return loader;
}

} // namespace orvane
