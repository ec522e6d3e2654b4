#include "PreferencesDialogs.h"

#include "dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace orvane {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("PreferencesTexts", text);
}

} // namespace

std::unique_ptr<QFileDialog> makeFolderChooser(const QString &startFolder)
{
    return dialogs::folderChooser(translated(folderChooserMessage), startFolder);
}

std::unique_ptr<QMessageBox> makeUninstallAlert(const PreferencesTexts &texts)
{
    return dialogs::uninstallAlert(QMessageBox::Critical,
                                   {.title = QStringLiteral("Orvane"),
                                    .message = texts.uninstallAlertMessage,
                                    .informative = texts.uninstallAlertInformative,
                                    .programGoesToTrash = texts.programGoesToTrash});
}

PreferencesDialogs PreferencesDialogs::standard()
{
    PreferencesDialogs asks;
    asks.chooseFolder = [](QWindow *parent, const QString &startFolder,
                           std::function<void(std::optional<QString>)> done) {
        std::unique_ptr<QFileDialog> dialog = makeFolderChooser(startFolder);
        const QFileDialog *asked = dialog.get();
        dialogs::open(std::move(dialog), parent, [asked, done = std::move(done)](int result) {
            done(dialogs::chosenFolder(*asked, result));
        });
    };
    asks.confirmUninstall = [](QWindow *parent, const PreferencesTexts &texts,
                               std::function<void(bool)> done) {
        std::unique_ptr<QMessageBox> alert = makeUninstallAlert(texts);
        const QMessageBox *asked = alert.get();
        dialogs::open(std::move(alert), parent, [asked, done = std::move(done)](int) {
            done(dialogs::uninstallConfirmed(*asked));
        });
    };
    return asks;
}

} // namespace orvane
