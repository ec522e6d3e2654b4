#pragma once

#include "platform/TrayHostWatch.h"

#include <QByteArray>
#include <QPointer>

class QDBusServiceWatcher;
class QSocketNotifier;
struct xcb_connection_t;

namespace orvane {

// The two kinds of tray a Linux panel offers: a StatusNotifierItem host, behind the
// StatusNotifierWatcher on the session bus, and an XEmbed tray, the owner of the X selection
// _NET_SYSTEM_TRAY_S<screen>. Watched without polling: the bus tells of a watcher's arrival and
// of its hosts, and a new XEmbed tray announces itself to every client with a MANAGER message
// on the root window, read on a connection of this watch's own.
class LinuxTrayHostWatch : public TrayHostWatch {
    Q_OBJECT
public:
    explicit LinuxTrayHostWatch(QObject *parent = nullptr);
    ~LinuxTrayHostWatch() override;

    void start() override;

private slots:
    void statusNotifierHostRegistered();

private:
    bool lookForXEmbedTray();
    void readXEvents();
    void askWatcher();
    void found();
    void stopWatching();
    // Says noHostYet once both looks of the first round found nothing.
    void sayIfNone();

    QByteArray m_display;
    xcb_connection_t *m_x = nullptr;
    uint32_t m_selection = 0;
    uint32_t m_manager = 0;
    QSocketNotifier *m_xEvents = nullptr;
    QPointer<QDBusServiceWatcher> m_watcherService;
    bool m_watcherAsked = false; // its answer still out
    bool m_xLooked = false;
    bool m_saidNone = false;
    bool m_found = false;
};

} // namespace orvane
