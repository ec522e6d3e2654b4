#pragma once

#include "PreferencesBackend.h"
#include "PreferencesDialogs.h"

#include <QObject>
#include <QSize>

#include <memory>

class QQmlEngine;
class QQuickView;
class QQuickWindow;

namespace orvane {

class AppState;
class Platform;

// Owns the one preferences window while it is open. Orvane runs as a tray accessory; while
// this window is open it is an ordinary application (on macOS: a Dock icon and a key window).
class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr QSize windowSize{480, 620};

    // The view is drawn in `engine`, which outlives the controller.
    SettingsWindowController(Platform &platform, AppState &state, QQmlEngine &engine,
                             QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Take effect from the next window on.
    void setActions(PreferencesActions actions);
    void setDialogs(PreferencesDialogs dialogs);

    // Shows the window, or brings the open one forward, centred. Callable from any thread: the
    // work is done a moment later on the main thread.
    void showPreferences();

    // The open window, or none.
    QQuickWindow *window() const;

    // The window is closing: drop it, and back to an accessory.
    void windowWillClose();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void present();
    void createWindow();
    void centre(QWindow &window) const;

    Platform &m_platform;
    AppState &m_state;
    QQmlEngine &m_engine;
    PreferencesActions m_actions;
    PreferencesDialogs m_dialogs;
    std::unique_ptr<QQuickView> m_window;
};

} // namespace orvane
