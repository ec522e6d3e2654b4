#include "menubar/MenuModel.h"

#include "menubar/MenuTexts.h"

namespace orvane {

namespace {

MenuEntry separator()
{
    MenuEntry entry;
    entry.separator = true;
    return entry;
}

MenuEntry label(const QString &title)
{
    MenuEntry entry;
    entry.title = title;
    entry.enabled = false;
    return entry;
}

MenuEntry item(const QString &title, MenuAction action, QKeySequence shortcut = {})
{
    MenuEntry entry;
    entry.title = title;
    entry.action = action;
    entry.shortcut = std::move(shortcut);
    return entry;
}

MenuEntry toggle(const QString &title, MenuAction action, bool on)
{
    MenuEntry entry = item(title, action);
    entry.checkable = true;
    entry.checked = on;
    return entry;
}

QList<MenuEntry> durations(const MenuTexts &t, qint64 current)
{
    QList<MenuEntry> entries;
    for (const qint64 seconds : autoDismissChoices) {
        const QString &title =
            seconds == defaults::autoDismissSeconds ? t.defaultSeconds : t.seconds;
        MenuEntry entry = toggle(title.arg(seconds), MenuAction::SetDuration, current == seconds);
        entry.represented = QVariant::fromValue(seconds);
        entries << entry;
    }
    return entries;
}

MenuEntry submenu(const QString &title, QList<MenuEntry> children)
{
    MenuEntry entry;
    entry.title = title;
    entry.submenu = std::move(children);
    return entry;
}

} // namespace

QList<MenuEntry> buildMenuEntries(const MenuInputs &in, const MenuTexts &t)
{
    // Qt::CTRL is the Command key on macOS.
    return {
        label(t.heading),
        label(in.isPaused ? t.paused : t.active),
        separator(),
        item(t.preferences, MenuAction::OpenPreferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)),
        separator(),
        toggle(t.autoCopy, MenuAction::ToggleAutoCopy, in.autoCopyOnCapture),
        toggle(t.playSound, MenuAction::ToggleSound, in.playSound),
        toggle(t.launchAtLogin, MenuAction::ToggleLaunchAtLogin, in.isLaunchAtLoginEnabled),
        separator(),
        submenu(t.screenshotFolder,
                {
                    label(t.currentFolderPrefix + in.displayPath),
                    separator(),
                    item(t.chooseFolder, MenuAction::ChooseFolder),
                    item(t.resetFolder, MenuAction::ResetFolder),
                }),
        submenu(t.timer, durations(t, in.autoDismissSeconds)),
        separator(),
        item(in.isPaused ? t.resume : t.pause, MenuAction::TogglePause,
             QKeySequence(Qt::CTRL | Qt::Key_P)),
        separator(),
        item(t.about, MenuAction::ShowAbout),
        item(t.uninstall, MenuAction::RestoreAndQuit),
        item(t.quit, MenuAction::QuitApp, QKeySequence(Qt::CTRL | Qt::Key_Q)),
    };
}

} // namespace orvane
