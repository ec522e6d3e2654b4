#pragma once

#include "menubar/MenuDialogs.h"
#include "menubar/MenuModel.h"
#include "menubar/MenuTexts.h"
#include "platform/TrayHostWatch.h"

#include <QColor>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace orvane {

class AppState;
class Platform;

// The tray icon and its menu: the program's control surface beside the preferences window.
// The menu keeps no state of its own; it is rebuilt from the settings whenever it opens and
// after every action that changes one.
class StatusBarController : public QObject {
    Q_OBJECT
public:
    // What the menu reaches in other rooms, wired at start-up.
    struct Callbacks {
        std::function<void()> showPreferences;
        // An orderly quit, through the termination steps.
        std::function<void()> quit;
    };
    // How Orvane was started, for the question of what to do without a tray.
    struct Launch {
        // A start at login, where the panel may come up after Orvane.
        bool background = false;
        // Runs `then` once a panel had its time to come up (about 10 s), unless `context` has
        // gone by then. Tests put their own clock here.
        std::function<void(QObject *context, std::function<void()> then)> afterGracePeriod;
        // Watches for a tray to put the icon in; none: one that is always there.
        std::function<std::unique_ptr<TrayHostWatch>()> watchTrayHosts;
    };

    StatusBarController(AppState &state, Platform &platform, Callbacks callbacks, Launch launch,
                        QObject *parent = nullptr);
    ~StatusBarController() override;

    // The menu as it stands: what the tray shows, and the pop-up menu opens with.
    const QList<MenuEntry> &menu() const { return m_menu; }
    // The menu the tray shows (a StatusNotifierItem host reads it over D-Bus).
    QMenu *trayMenu() const { return m_trayMenu.get(); }
    // The menu a left click pops up at the pointer.
    QMenu *popupMenu() const { return m_popupMenu.get(); }
    // The icon; none until a tray is there.
    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    void setDialogs(MenuDialogs dialogs) { m_dialogs = std::move(dialogs); }
    // While a card shows, the icon has no tooltip: one shown over the card would hide its
    // buttons (the tray sits in the same corner).
    void setCardShowing(bool showing);

    // Builds the menu afresh from the settings and hands it to the tray.
    void populateMenu();
    // What choosing `entry` of the menu does.
    void choose(const MenuEntry &entry);

    void openPreferences();
    void toggleAutoCopy();
    void toggleSound();
    void toggleLaunchAtLogin();
    void togglePause();
    // Takes the seconds the chosen timer item carries; an item without a whole number is
    // ignored.
    void setDuration(const MenuEntry &item);
    void chooseFolder();
    void resetFolder();
    void showAbout();
    void restoreAndQuit();
    void quitApp();

    // Undoes what Orvane changed in the system, hands the program over to the Trash if the
    // question said so (`programToTrash`) and quits through `terminate`. Needs no controller:
    // the preferences window starts it too.
    static void performCleanUninstall(Platform &platform, AppState &state, bool programToTrash,
                                      const std::function<void()> &terminate);

private:
    void setupStatusBar();
    // Puts the icon into the tray that is there now.
    void createStatusItem();
    // No tray to control Orvane from: the preferences window stands in.
    void openPreferencesForLackOfTray();
    // Redraws the icon to stand out on the panel it was put on, where the tray shows it as is.
    void matchPanelUnderIcon();
    void popUpMenu();
    // `menu` made anew from m_menu.
    void fill(QMenu &menu);

    AppState &m_state;
    Platform &m_platform;
    Callbacks m_callbacks;
    Launch m_launch;
    const MenuTexts m_texts;
    MenuDialogs m_dialogs;
    QList<MenuEntry> m_menu;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QMenu> m_popupMenu;
    std::unique_ptr<TrayHostWatch> m_trayHosts;
    QSystemTrayIcon *m_statusItem = nullptr;
    // Qt's D-Bus tray: where the host shows the menu itself.
    bool m_hostShowsMenu = false;
    bool m_cardShowing = false;
    bool m_noTrayAtLaunch = false;
    bool m_preferencesStoodIn = false;
    bool m_rebuildQueued = false;
    bool m_choosingFolder = false;
    bool m_confirmingUninstall = false;
    bool m_showingAbout = false;
    QColor m_iconColor;
};

} // namespace orvane
