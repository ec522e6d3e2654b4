#pragma once

#include "PreferencesTexts.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QMessageBox;
class QWindow;

namespace orvane {

// The two questions the preferences ask. Each answers through `done`, later, without blocking
// the event loop; tests hand in their own answers.
struct PreferencesDialogs {
    // The folder the user picked, or nothing when they cancelled.
    using FolderChooser = std::function<void(QWindow *parent, const QString &startFolder,
                                             std::function<void(std::optional<QString>)> done)>;
    // True only when the user chose the uninstall.
    using UninstallConfirmation = std::function<void(QWindow *parent, const PreferencesTexts &,
                                                     std::function<void(bool)> done)>;

    FolderChooser chooseFolder;
    UninstallConfirmation confirmUninstall;

    // The desktop's own folder chooser and alert, modal to the preferences window.
    static PreferencesDialogs standard();
};

std::unique_ptr<QFileDialog> makeFolderChooser(const QString &startFolder);
std::unique_ptr<QMessageBox> makeUninstallAlert(const PreferencesTexts &texts);

} // namespace orvane
