#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QMessageBox;

namespace orvane {

struct MenuTexts;
struct ProgramRemovalPlan;

// The windows the menu opens. Each is built by a function of its own, so that its texts and
// buttons can be checked without showing it.
namespace menudialogs {

// Opens at `startFolder`: the folder screenshots go to now.
std::unique_ptr<QFileDialog> folderDialog(const MenuTexts &texts, const QString &startFolder);
std::unique_ptr<QMessageBox> aboutBox(const MenuTexts &texts);
// `programNote` (may be empty) says what becomes of the program itself.
std::unique_ptr<QMessageBox> uninstallConfirmation(const MenuTexts &texts,
                                                   const QString &programNote = {},
                                                   bool programGoesToTrash = true);

} // namespace menudialogs

// How the menu asks the user. Each question returns at once and answers through `done`, once,
// later; other windows keep working meanwhile. Tests put answers in place of the windows.
struct MenuDialogs {
    std::function<void(const QString &startFolder,
                       std::function<void(std::optional<QString>)> done)>
        chooseFolder;
    // `done` once the box is closed.
    std::function<void(std::function<void()> done)> showAbout;
    // Tells what becomes of the program itself (`plan`); true only when the user chose the
    // uninstall.
    std::function<void(const ProgramRemovalPlan &plan, std::function<void(bool)> done)>
        confirmUninstall;

    // The menu's questions in the desktop's own dialogs, over no window.
    static MenuDialogs standard(const MenuTexts &texts);
};

} // namespace orvane
