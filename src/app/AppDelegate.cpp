#include "AppDelegate.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QTimer>

namespace orvane {

AppDelegate::AppDelegate(Platform &platform, AppState &state, QStringList arguments, Steps steps,
                         QObject *parent)
    : QObject(parent), m_platform(platform), m_state(state), m_arguments(std::move(arguments)),
      m_steps(std::move(steps))
{}

bool AppDelegate::hasBackgroundFlag(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--background")) ||
           arguments.contains(QStringLiteral("-background"));
}

void AppDelegate::applicationDidFinishLaunching()
{
    logLine(QStringLiteral("Application did finish launching."));
    m_launched = true;

    // A developer's build is never started at login, and leaves no first-launch mark that
    // an installed copy would read later.
    if (const std::optional<QString> refusal = m_platform.login().loginEntryRefusal()) {
        logLine(QStringLiteral("No login entry is written: ") + *refusal);
    } else if (launchAtLoginWanted()) {
        ensureLaunchAgentInstalled();
        // A refusal is not lost: the settings, loaded before, read back what the system now
        // says.
        static_cast<void>(m_platform.login().registerLoginItem());
        m_state.reloadLaunchAtLogin();
    }

    if (m_steps.createStatusBar) {
        m_steps.createStatusBar();
    }
    if (m_steps.startWatcher) {
        m_steps.startWatcher();
    }
    m_state.playFeedbackSound(QStringLiteral("Tink"));
    // What launching needed only for a moment (fonts, icons, the tray's set-up) goes back to the
    // system once things have settled: otherwise the allocator keeps it for as long as Orvane
    // sits in the tray.
    QTimer::singleShot(2000, this, [] { files::releaseFreedMemory(); });

    if (!hasBackgroundFlag(m_arguments) && m_steps.showPreferences) {
        m_steps.showPreferences();
    }
}

bool AppDelegate::applicationShouldHandleReopen(bool)
{
    logLine(QStringLiteral("applicationShouldHandleReopen called -> opening Preferences."));
    if (m_steps.showPreferences) {
        m_steps.showPreferences();
    }
    return true;
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated) {
        return;
    }
    m_terminated = true;
    if (m_launched) {
        // A screenshot-folder change still being written to the system (defaults … && killall
        // SystemUIServer) is let finish, for a while, rather than cut off halfway.
        m_state.waitForBackgroundWork(backgroundDrainMs);
    }
    if (m_steps.stopWatcher) {
        m_steps.stopWatcher();
    }
    m_platform.detection().resetScreenshotThumbnail();
}

bool AppDelegate::launchAtLoginWanted()
{
    // Only while the user wants it: a login agent written at every launch would make
    // "Launch at Login" impossible to switch off, here or in the desktop's startup settings.
    // Asked of the settings already loaded: the file is read once, and a file Orvane leaves as
    // it is stays so.
    const std::optional<bool> choice = m_state.storedLaunchAtLoginChoice();
    if (choice == false) {
        return false;
    }
    const LoginEntry entry = m_platform.login().readLoginEntry();
    if (entry == LoginEntry::Unmanaged) {
        return true;
    }
    // The desktop hides an entry it switched off, and its startup settings delete one the user
    // removes there; an entry that was never written is a first launch's to write.
    if (entry == LoginEntry::SwitchedOff || (entry == LoginEntry::Absent && choice)) {
        m_state.storeLaunchAtLoginChoice(false);
        logLine(QStringLiteral(
            "Launch at login stays off: it was switched off in the desktop's startup settings."));
        return false;
    }
    if (!choice) {
        // Remembered, so that a later removal of the entry is told apart from a first launch.
        m_state.storeLaunchAtLoginChoice(true);
    }
    return true;
}

void AppDelegate::ensureLaunchAgentInstalled()
{
    if (const Result written = m_platform.login().installLoginAgent(); !written.ok()) {
        logLine(QStringLiteral("Login agent error: ") + written.reason());
    }
}

} // namespace orvane
