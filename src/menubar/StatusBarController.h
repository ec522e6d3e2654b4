#pragma once

#include "menubar/MenuDialogs.h"
#include "menubar/MenuModel.h"
#include "menubar/MenuTexts.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

namespace orvane {

class AppState;
class Platform;
class SystemTray;

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
        // The menu in a window of the program's own, for trays that show none themselves.
        std::function<void(const QList<MenuEntry> &entries, const QPoint &at,
                           std::function<void(const MenuEntry &)> chosen)>
            popUpMenu;
    };

    StatusBarController(AppState &state, Platform &platform, Callbacks callbacks,
                        QObject *parent = nullptr);
    ~StatusBarController() override;

    // The menu as it stands: what the tray shows, or the program's own menu opens with.
    const QList<MenuEntry> &menu() const { return m_menu; }
    SystemTray *statusItem() const { return m_statusItem; }
    void setDialogs(MenuDialogs dialogs) { m_dialogs = std::move(dialogs); }

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

    // Undoes what Orvane changed in the system, hands the program over to the Trash and quits
    // through `terminate`. Needs no controller: the preferences window starts it too.
    static void performCleanUninstall(Platform &platform, AppState &state,
                                      const std::function<void()> &terminate);

private:
    void setupStatusBar();
    // Redraws the icon to stand out on the panel it was put on, where the tray shows it as is.
    void matchPanelUnderIcon();
    void openOwnMenu(const QPoint &at);

    AppState &m_state;
    Platform &m_platform;
    Callbacks m_callbacks;
    const MenuTexts m_texts;
    MenuDialogs m_dialogs;
    QList<MenuEntry> m_menu;
    SystemTray *m_statusItem = nullptr;
    bool m_rebuildQueued = false;
    bool m_choosingFolder = false;
    bool m_confirmingUninstall = false;
    bool m_showingAbout = false;
    QColor m_iconColor;
};

} // namespace orvane
