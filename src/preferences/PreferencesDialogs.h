#pragma once

#include "PreferencesTexts.h"
#include "dialogs/Alert.h"

#include <QString>

#include <functional>
#include <optional>

class QWindow;

namespace orvane {

// The two questions the preferences ask. Each answers through `done`, later, without blocking
// the event loop; tests hand in their own answers.
struct PreferencesDialogs {
    // The folder the user picked, or nothing when they cancelled.
    using FolderChooser = std::function<void(QWindow *parent, const QString &startFolder,
                                             std::function<void(std::optional<QString>)> done)>;
    // True only when the user chose "Uninstall & Move to Trash".
    using UninstallConfirmation = std::function<void(QWindow *parent, const PreferencesTexts &,
                                                     std::function<void(bool)> done)>;

    FolderChooser chooseFolder;
    UninstallConfirmation confirmUninstall;

    // The module's folder chooser and alert, modal to the preferences window.
    static PreferencesDialogs standard();
};

FolderRequest makeFolderChooser(const QString &startFolder);
Alert makeUninstallAlert(const PreferencesTexts &texts);

} // namespace orvane
