#pragma once

#include "dialogs/Alert.h"

#include <QString>

#include <functional>
#include <optional>

namespace orvane {

struct MenuTexts;

// The windows the menu opens. Each is built by a function of its own, so that its texts and
// buttons can be checked without showing it.
namespace menudialogs {

// Opens at `startFolder`: the folder screenshots go to now.
FolderRequest folderDialog(const MenuTexts &texts, const QString &startFolder);
Alert aboutBox(const MenuTexts &texts);
// `programNote` (may be empty) says what becomes of the program itself.
Alert uninstallConfirmation(const MenuTexts &texts, const QString &programNote = {});

} // namespace menudialogs

// How the menu asks the user. Each question returns at once and answers through `done`, once,
// later; other windows keep working meanwhile. Tests put answers in place of the windows.
struct MenuDialogs {
    std::function<void(const QString &startFolder,
                       std::function<void(std::optional<QString>)> done)>
        chooseFolder;
    // `done` once the box is closed.
    std::function<void(std::function<void()> done)> showAbout;
    // True only when the user chose "Uninstall & Move to Trash".
    std::function<void(std::function<void(bool)> done)> confirmUninstall;

    // What shows the windows: the user interface, wherever it lives.
    struct Asker {
        std::function<void(const Alert &, std::function<void(int)>)> ask;
        std::function<void(const FolderRequest &, std::function<void(std::optional<QString>)>)>
            chooseFolder;
    };

    // The menu's questions in `asker`'s windows; the uninstall's asks `programNote` (may be
    // empty) when it opens.
    static MenuDialogs standard(const MenuTexts &texts, std::function<QString()> programNote,
                                Asker asker);
};

} // namespace orvane
