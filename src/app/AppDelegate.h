#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

namespace orvane {

class AppState;
class Platform;

// Brings the rooms to life in a fixed order at launch, answers a second start, and restores
// what must be restored at an orderly quit. The steps that belong to other rooms come in as
// callables, wired by main.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    struct Steps {
        std::function<void()> createStatusBar;
        std::function<void()> startWatcher;
        std::function<void()> stopWatcher;
        std::function<void()> showPreferences;
    };

    AppDelegate(Platform &platform, AppState &state, QStringList arguments, Steps steps,
                QObject *parent = nullptr);

    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void applicationWillTerminate();

    // How long an orderly quit waits for the settings' background work.
    static constexpr int backgroundDrainMs = 2000;

    // "--background" or "-background", matched exactly, anywhere in the arguments.
    static bool hasBackgroundFlag(const QStringList &arguments);

private:
    void ensureLaunchAgentInstalled();
    bool launchAtLoginWanted();

    Platform &m_platform;
    AppState &m_state;
    QStringList m_arguments;
    Steps m_steps;
    bool m_launched = false;
    bool m_terminated = false;
};

} // namespace orvane
