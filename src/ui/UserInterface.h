#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace orvane {

class AppState;
class Platform;

// What the card and preferences module is given: the executable's own objects, which outlive
// the module's.
struct UserInterfaceContext {
    Platform &platform;
    AppState &state;
    // The clean uninstall, which ends the program (the preferences' button); the program
    // itself goes to the Trash only if the question said so.
    std::function<void(bool programToTrash)> uninstall;
    // A card came on screen (true), or the last one went (false).
    std::function<void(bool showing)> cardsShowing;
};

// The card and the preferences, as the executable sees them; made on the main thread.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A card for the screenshot, of `points` (none: its pixels), which keeps `encoded` (the
    // file's bytes as decoded) to copy. Callable from any thread.
    virtual void showHUD(const QString &filePath, const QImage &image, const QSize &points,
                         const QByteArray &encoded) = 0;
    // A card is probably coming: what every card needs is made ready now, not after the
    // picture is decoded.
    virtual void prepareCard() = 0;
    // The sample card ("Simulate Screenshot HUD").
    virtual void simulateCapture() = 0;
    // The preferences window, opened or brought forward.
    virtual void showPreferences() = 0;
};

// Makes the module's UserInterface. The version in the name keeps an executable from using a
// module built against another form of this header.
using CreateUserInterface = UserInterface *(*)(const UserInterfaceContext &context);
inline constexpr char createUserInterfaceName[] = "orvane_create_user_interface_7";

} // namespace orvane

// The module's one exported symbol (see module.map).
extern "C" Q_DECL_EXPORT orvane::UserInterface *
orvane_create_user_interface_7(const orvane::UserInterfaceContext &context);
