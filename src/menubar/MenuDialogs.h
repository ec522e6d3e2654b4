#pragma once

#include "dialogs/Alert.h"

#include <QString>

#include <functional>
#include <optional>

namespace orvane {

struct MenuTexts;

// The windows the menu opens, as data: each built by a function of its own, so that its texts
// and buttons can be checked without showing it.
namespace menudialogs {

// Opens at `startFolder`: the folder screenshots go to now.
FolderRequest folderDialog(const MenuTexts &texts, const QString &startFolder);
Alert aboutBox(const MenuTexts &texts);
// `programNote` (may be empty) says what becomes of the program itself.
Alert uninstallConfirmation(const MenuTexts &texts, const QString &programNote = {});

} // namespace menudialogs

// How the menu asks the user: shows the window and answers later, through `done`; nothing
// waits meanwhile. Tests put answers in place of the windows.
struct MenuDialogs {
    std::function<void(const QString &startFolder,
                       std::function<void(std::optional<QString>)> done)>
        chooseFolder;
    std::function<void()> showAbout;
    std::function<void(std::function<void(bool)> done)> confirmUninstall;

    // What shows the windows (the module's, loaded on first use).
    struct Asker {
        std::function<void(const Alert &, std::function<void(int)>)> ask;
        std::function<void(const FolderRequest &, std::function<void(std::optional<QString>)>)>
            chooseFolder;
    };
    // The real windows; the uninstall's asks `programNote` (may be empty) when it opens.
    static MenuDialogs standard(const MenuTexts &texts, std::function<QString()> programNote,
                                Asker asker);
};

} // namespace orvane
