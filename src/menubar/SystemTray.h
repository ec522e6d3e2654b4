#pragma once

#include "menubar/MenuModel.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

namespace orvane {

// The icon in the desktop's tray, without Qt Widgets: through the platform's own tray where
// there is one (a StatusNotifierItem host on Linux desktops, the status bar on macOS), else as
// an XEmbed icon window of its own (X11 trays such as trayer, Xfce's or MATE's), docked again
// whenever a tray appears or restarts.
class SystemTray : public QObject {
    Q_OBJECT
public:
    enum class Click {
        Primary, // a left click, or a StatusNotifierItem host's activation
        Context, // a right click on an XEmbed icon
    };
    Q_ENUM(Click)

    explicit SystemTray(QObject *parent = nullptr);
    ~SystemTray() override;

    // Whether some tray can show the icon now.
    bool isSystemTrayAvailable() const;

    void setIcon(const QIcon &icon);
    void setToolTip(const QString &text);
    void show();

    // Where the icon is on the screen (global, device-independent pixels); empty where the
    // host does not tell (a StatusNotifierItem host).
    QRect geometry() const;

    // Whether the tray shows the menu of setMenu itself (a StatusNotifierItem host, macOS).
    // Where it does not (XEmbed), the program opens its own menu on activated().
    bool showsMenuItself() const;
    // The menu the tray shows, replaced as a whole; `chosen` runs on the main thread with the
    // entry the user chose. Ignored where the tray shows no menu itself.
    void setMenu(const QList<MenuEntry> &entries, std::function<void(const MenuEntry &)> chosen);

signals:
    // A click on the icon; `at` is where a menu of the program's own should open (global).
    void activated(orvane::SystemTray::Click click, QPoint at);
    // The tray is about to show the menu it holds: a chance to refresh it.
    void menuAboutToShow();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace orvane
