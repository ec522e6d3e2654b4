#pragma once

#include "menubar/MenuDialogs.h"
#include "menubar/MenuModel.h"
#include "menubar/MenuTexts.h"

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
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

    StatusBarController(AppState &state, Platform &platform, Callbacks callbacks,
                        QObject *parent = nullptr);
    ~StatusBarController() override;

    QMenu *menu() const { return m_menu.get(); }
    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    void setDialogs(MenuDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // Empties `menu` and fills it afresh from the settings.
    void populateMenu(QMenu *menu);

    void openPreferences();
    void toggleAutoCopy();
    void toggleSound();
    void toggleLaunchAtLogin();
    void togglePause();
    // Takes the seconds the chosen timer item carries; an item without a whole number is
    // ignored.
    void setDuration(const QAction *item);
    void chooseFolder();
    void resetFolder();
    void showAbout();
    void restoreAndQuit();
    void quitApp();

    // Undoes what Orvane changed in the system, hands the program over to the Trash and quits
    // through `terminate`. Needs no controller: the preferences window starts it too.
    static void performCleanUninstall(Platform &platform, const std::function<void()> &terminate);

private:
    void setupStatusBar();
    // Redraws the icon to stand out on the panel it was put on, where the tray shows it as is.
    void matchPanelUnderIcon();
    void addEntries(QMenu *menu, const QList<MenuEntry> &entries);
    void trigger(MenuAction action, const QAction *item);
    void discardBuiltItems(QMenu *menu);

    AppState &m_state;
    Platform &m_platform;
    Callbacks m_callbacks;
    const MenuTexts m_texts;
    MenuDialogs m_dialogs;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_statusItem = nullptr;
    // The submenus of the last build; replaced by every rebuild.
    QList<QPointer<QMenu>> m_submenus;
    bool m_rebuildQueued = false;
    QColor m_iconColor;
};

} // namespace orvane
