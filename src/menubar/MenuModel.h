#pragma once

#include "settings/SettingsTable.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QVariant>

namespace orvane {

struct MenuTexts;

// What choosing a menu item does.
enum class MenuAction {
    None,
    OpenPreferences,
    ToggleAutoCopy,
    ToggleSound,
    ToggleLaunchAtLogin,
    TogglePause,
    SetDuration,
    ChooseFolder,
    ResetFolder,
    ShowAbout,
    RestoreAndQuit,
    QuitApp,
};

// One line of the tray menu, as plain data: the menu is built from a list of these.
struct MenuEntry {
    bool separator = false;
    QString title;
    MenuAction action = MenuAction::None;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    QKeySequence shortcut;
    // The timer items carry their number of seconds.
    QVariant represented;
    QList<MenuEntry> submenu;

    bool operator==(const MenuEntry &) const = default;
};

// The settings the menu shows, read once per build.
struct MenuInputs {
    bool isPaused = false;
    bool autoCopyOnCapture = defaults::autoCopyOnCapture;
    bool playSound = defaults::playSound;
    bool isLaunchAtLoginEnabled = false;
    qint64 autoDismissSeconds = defaults::autoDismissSeconds;
    QString displayPath;
};

QList<MenuEntry> buildMenuEntries(const MenuInputs &inputs, const MenuTexts &texts);

} // namespace orvane
