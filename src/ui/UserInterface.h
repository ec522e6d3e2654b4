#pragma once

#include "dialogs/Alert.h"
#include "menubar/MenuModel.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

namespace orvane {

class AppState;
class Platform;

// What the card and preferences module is given: the executable's own objects, which outlive
// the module's.
struct UserInterfaceContext {
    Platform &platform;
    AppState &state;
    // The clean uninstall, which ends the program (the preferences' button).
    std::function<void()> uninstall;
};

// The card and the preferences, as the executable sees them; made on the main thread.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A card for the screenshot, of `points` (none: its pixels), which keeps `encoded` (the
    // file's bytes as decoded) to copy. Callable from any thread.
    virtual void showHUD(const QString &filePath, const QImage &image, const QSize &points,
                         const QByteArray &encoded) = 0;
    // The sample card ("Simulate Screenshot HUD").
    virtual void simulateCapture() = 0;
    // The preferences window, opened or brought forward.
    virtual void showPreferences() = 0;

    // The tray's menu in a window of the program's own, at `at` (global); `chosen` runs with
    // the entry chosen, not when the menu is dismissed.
    virtual void popUpMenu(const QList<MenuEntry> &entries, const QPoint &at,
                           std::function<void(const MenuEntry &)> chosen) = 0;
    // A question in a window of its own; `done` gets the index of the button chosen.
    virtual void ask(const Alert &alert, std::function<void(int button)> done) = 0;
    // The folder the user picked, or nothing when they cancelled.
    virtual void chooseFolder(const FolderRequest &request,
                              std::function<void(std::optional<QString>)> done) = 0;
};

// Makes the module's UserInterface. The version in the name keeps an executable from using a
// module built against another form of this header.
using CreateUserInterface = UserInterface *(*)(const UserInterfaceContext &context);
inline constexpr char createUserInterfaceName[] = "orvane_create_user_interface_2";

} // namespace orvane

extern "C" orvane::UserInterface *
orvane_create_user_interface_2(const orvane::UserInterfaceContext &context);
