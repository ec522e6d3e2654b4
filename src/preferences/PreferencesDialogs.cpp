#include "PreferencesDialogs.h"

#include "dialogs/DialogWindows.h"
#include "dialogs/Dialogs.h"

#include <QCoreApplication>

namespace orvane {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("PreferencesTexts", text);
}

} // namespace

FolderRequest makeFolderChooser(const QString &startFolder)
{
    return dialogs::folderChooser(translated(folderChooserMessage), startFolder);
}

Alert makeUninstallAlert(const PreferencesTexts &texts)
{
    return dialogs::uninstallAlert(Alert::Icon::Critical,
                                   {.title = QStringLiteral("Orvane"),
                                    .message = texts.uninstallAlertMessage,
                                    .informative = texts.uninstallAlertInformative});
}

PreferencesDialogs PreferencesDialogs::standard()
{
    PreferencesDialogs asks;
    asks.chooseFolder = [](QWindow *parent, const QString &startFolder,
                           std::function<void(std::optional<QString>)> done) {
        dialogwindows::chooseFolder(makeFolderChooser(startFolder), parent, std::move(done));
    };
    asks.confirmUninstall = [](QWindow *parent, const PreferencesTexts &texts,
                               std::function<void(bool)> done) {
        dialogwindows::ask(makeUninstallAlert(texts), parent, [done = std::move(done)](int button) {
            done(dialogs::uninstallConfirmed(button));
        });
    };
    return asks;
}

} // namespace orvane
