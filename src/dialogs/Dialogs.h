#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QFileDialog;
class QWindow;

namespace orvane::dialogs {

// Qt reads "&" in a button's text as the mark of a mnemonic; in ours it means "and".
QString literalAmpersands(QString text);

// The desktop's own folder chooser, at `startFolder` or its nearest existing parent; its
// confirm button says "Select Folder" and takes the folder shown, even an empty one.
std::unique_ptr<QFileDialog> folderChooser(const QString &message, const QString &startFolder);
// The folder chosen in `dialog`, which ended with `result`; nothing when cancelled.
std::optional<QString> chosenFolder(const QFileDialog &dialog, int result);

struct UninstallAlertTexts {
    QString title;
    QString message;
    QString informative;
    // Only then does the button say that the program goes to the Trash.
    bool programGoesToTrash = true;
};

// "Uninstall & Move to Trash" (destructive; Alt+U) and "Cancel", which Return and Escape
// choose; the desktop puts them in its own order.
std::unique_ptr<QMessageBox> uninstallAlert(QMessageBox::Icon icon,
                                            const UninstallAlertTexts &texts);
// Whether the user chose the button that uninstalls.
bool uninstallConfirmed(const QMessageBox &alert);

// Shows `dialog` and returns at once; `done` gets its result once it is closed, on the main
// thread, and the dialog goes after it. Modal to `over` (the preferences window) when given,
// else it blocks no other window. Keys held down since before it opened answer nothing: their
// repeats, and their release, are dropped, so a key that chose the question in a menu or a
// window never answers it too.
void open(std::unique_ptr<QDialog> dialog, QWindow *over, std::function<void(int result)> done);

} // namespace orvane::dialogs
