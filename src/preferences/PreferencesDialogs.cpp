#include "PreferencesDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
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
    auto dialog =
        std::make_unique<QFileDialog>(nullptr, translated(folderChooserMessage), startFolder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, translated(folderChooserPrompt));
    return dialog;
}

std::unique_ptr<QMessageBox> makeUninstallAlert(const PreferencesTexts &texts)
{
    auto alert = std::make_unique<QMessageBox>();
    alert->setIcon(QMessageBox::Critical);
    alert->setWindowTitle(QStringLiteral("Orvane"));
    alert->setText(texts.uninstallAlertMessage);
    alert->setInformativeText(texts.uninstallAlertInformative);
    // "&" in a button text would mark a mnemonic; ours is meant literally. Both buttons take
    // the same role, so that every desktop keeps them in this order.
    QPushButton *uninstall =
        alert->addButton(translated(uninstallConfirmButton).replace(u'&', QStringLiteral("&&")),
                         QMessageBox::ActionRole);
    uninstall->setObjectName(QStringLiteral("uninstall"));
    QPushButton *cancel = alert->addButton(
        translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Cancel")), QMessageBox::ActionRole);
    alert->setDefaultButton(uninstall);
    alert->setEscapeButton(cancel);
    return alert;
}

PreferencesDialogs PreferencesDialogs::standard()
{
    PreferencesDialogs dialogs;
    dialogs.chooseFolder = [](QWindow *parent, const QString &startFolder,
                              std::function<void(std::optional<QString>)> done) {
        QFileDialog *dialog = makeFolderChooser(startFolder).release();
        QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
            const QStringList chosen = dialog->selectedFiles();
            if (result == QDialog::Accepted && !chosen.isEmpty() && !chosen.first().isEmpty()) {
                done(chosen.first());
            } else {
                done(std::nullopt);
            }
        });
        openOver(parent, dialog);
    };
    dialogs.confirmUninstall = [](QWindow *parent, const PreferencesTexts &texts,
                                  std::function<void(bool)> done) {
        QMessageBox *alert = makeUninstallAlert(texts).release();
        QObject::connect(alert, &QDialog::finished, alert, [alert, done](int) {
            QAbstractButton *clicked = alert->clickedButton();
            done(clicked && clicked->objectName() == QStringLiteral("uninstall"));
        });
        openOver(parent, alert);
    };
    return dialogs;
}

} // namespace orvane
