#include "PreferencesDialogs.h"

#include "dialogs/Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QWindow>

namespace orvane {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("PreferencesTexts", text);
}

// A widget dialog over a QML window: modal to that window, and gone with it.
void openOver(QWindow *parent, QDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (parent) {
        dialog->winId();
        if (QWindow *handle = dialog->windowHandle()) {
            handle->setTransientParent(parent);
        }
        dialog->setWindowModality(Qt::WindowModal);
        QObject::connect(parent, &QObject::destroyed, dialog, &QObject::deleteLater);
    } else {
        dialog->setWindowModality(Qt::ApplicationModal);
    }
    dialog->open();
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
                                    .informative = texts.uninstallAlertInformative});
}

PreferencesDialogs PreferencesDialogs::standard()
{
    PreferencesDialogs asks;
    asks.chooseFolder = [](QWindow *parent, const QString &startFolder,
                           std::function<void(std::optional<QString>)> done) {
        QFileDialog *dialog = makeFolderChooser(startFolder).release();
        QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
            done(dialogs::chosenFolder(*dialog, result));
        });
        openOver(parent, dialog);
    };
    asks.confirmUninstall = [](QWindow *parent, const PreferencesTexts &texts,
                               std::function<void(bool)> done) {
        QMessageBox *alert = makeUninstallAlert(texts).release();
        QObject::connect(alert, &QDialog::finished, alert,
                         [alert, done](int) { done(dialogs::uninstallConfirmed(*alert)); });
        openOver(parent, alert);
    };
    return asks;
}

} // namespace orvane
