#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>
#include <optional>

class QFileDialog;

namespace orvane::dialogs {

// Qt reads "&" in a button or menu text as the mark of a mnemonic; in ours it means "and".
QString literalAmpersands(QString text);

// Opens at `startFolder`, or its nearest existing parent. File dialogs have no message line of
// their own: `message` is the title, where it is read. Its confirm button says "Select Folder".
std::unique_ptr<QFileDialog> folderChooser(const QString &message, const QString &startFolder);
// The folder the user chose in a finished chooser; none when cancelled.
std::optional<QString> chosenFolder(const QFileDialog &dialog, int result);

struct UninstallAlertTexts {
    QString title;
    QString message;
    QString informative;
};

// "Uninstall & Move to Trash" (the default) and "Cancel" (also Escape), in this order on
// every desktop.
std::unique_ptr<QMessageBox> uninstallAlert(QMessageBox::Icon icon,
                                            const UninstallAlertTexts &texts);
// Whether the user chose to uninstall in a finished alert.
bool uninstallConfirmed(const QMessageBox &alert);

} // namespace orvane::dialogs
