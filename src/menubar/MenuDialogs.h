#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDialog;
class QMessageBox;

namespace orvane {

struct MenuTexts;

// The modal windows the menu opens. Each is built by a function of its own, so that its
// texts and buttons can be checked without showing it.
namespace menudialogs {

// Opens at `startFolder`: the folder screenshots go to now.
std::unique_ptr<QFileDialog> folderDialog(const MenuTexts &texts, const QString &startFolder);
std::unique_ptr<QMessageBox> aboutBox(const MenuTexts &texts);
// `programNote` (may be empty) says what becomes of the program itself.
std::unique_ptr<QMessageBox> uninstallConfirmation(const MenuTexts &texts,
                                                   const QString &programNote = {});

} // namespace menudialogs

// How the menu asks the user: shows the window and waits for the answer. Tests put answers
// in place of the windows.
struct MenuDialogs {
    std::function<std::optional<QString>(const QString &startFolder)> chooseFolder;
    std::function<void()> showAbout;
    std::function<bool()> confirmUninstall;

    // The real, modal windows; the uninstall's asks `programNote` (may be empty) when it opens.
    static MenuDialogs modal(const MenuTexts &texts, std::function<QString()> programNote = {});
};

} // namespace orvane
