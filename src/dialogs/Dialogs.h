#pragma once

#include "dialogs/Alert.h"

#include <QString>

namespace orvane::dialogs {

// Qt reads "&" in a platform menu's text as the mark of a mnemonic; in ours it means "and".
QString literalAmpersands(QString text);

// Opens at `startFolder`, or its nearest existing parent. A folder chooser has no message line
// of its own: `message` is the title, where it is read. Its confirm button says "Select Folder".
FolderRequest folderChooser(const QString &message, const QString &startFolder);

struct UninstallAlertTexts {
    QString title;
    QString message;
    QString informative;
};

// "Uninstall & Move to Trash" (the default) and "Cancel" (also Escape), in this order on
// every desktop.
Alert uninstallAlert(Alert::Icon icon, const UninstallAlertTexts &texts);
// Whether `button`, the answer to an uninstallAlert, is the one that uninstalls.
bool uninstallConfirmed(int button);

} // namespace orvane::dialogs
