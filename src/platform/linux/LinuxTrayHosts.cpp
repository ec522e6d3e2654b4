#include "platform/linux/LinuxTrayHosts.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdlib>

namespace orvane {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

LinuxTrayHostWatch::LinuxTrayHostWatch(QObject *parent) : TrayHostWatch(parent)
{
    // The display Qt opened, if it runs on X11 (XWayland included).
    if (qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        m_display = qgetenv("DISPLAY");
    }
}

LinuxTrayHostWatch::~LinuxTrayHostWatch()
{
    stopWatching();
}

void LinuxTrayHostWatch::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        // A watcher that comes later, or again; and a host that registers with a watcher
        // already there (a panel starting its tray after the watcher).
        m_watcherService = new QDBusServiceWatcher(watcherService, bus,
                                                   QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_watcherService, &QDBusServiceWatcher::serviceRegistered, this,
                &LinuxTrayHostWatch::askWatcher);
        bus.connect(watcherService, watcherPath, watcherService,
                    QStringLiteral("StatusNotifierHostRegistered"), this,
                    SLOT(statusNotifierHostRegistered()));
        m_watcherAsked = true;
        askWatcher();
    }
    if (lookForXEmbedTray()) {
        found();
        return;
    }
    m_xLooked = true;
    sayIfNone();
}

bool LinuxTrayHostWatch::lookForXEmbedTray()
{
    if (m_display.isEmpty()) {
        return false;
    }
    int screen = 0;
    m_x = xcb_connect(m_display.constData(), &screen);
    if (xcb_connection_has_error(m_x)) {
        xcb_disconnect(m_x);
        m_x = nullptr;
        return false;
    }
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screen && screens.rem; ++i) {
        xcb_screen_next(&screens);
    }
    if (!screens.rem) {
        return false;
    }
    const xcb_window_t root = screens.data->root;
    m_selection = internAtom(m_x, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
    m_manager = internAtom(m_x, "MANAGER");
    // Listening before looking: a tray that starts in between is not missed.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
        m_x, xcb_get_selection_owner(m_x, static_cast<xcb_atom_t>(m_selection)), nullptr);
    const bool there = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    if (there) {
        return true;
    }
    m_xEvents = new QSocketNotifier(xcb_get_file_descriptor(m_x), QSocketNotifier::Read, this);
    connect(m_xEvents, &QSocketNotifier::activated, this, &LinuxTrayHostWatch::readXEvents);
    readXEvents(); // any that came while looking
    return false;
}

void LinuxTrayHostWatch::readXEvents()
{
    while (m_x) {
        xcb_generic_event_t *event = xcb_poll_for_event(m_x);
        if (!event) {
            if (xcb_connection_has_error(m_x)) {
                stopWatching(); // the X server went away
            }
            return;
        }
        bool trayCame = false;
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
            trayCame = message->type == m_manager && message->format == 32 &&
                       message->data.data32[1] == m_selection;
        }
        std::free(event);
        if (trayCame) {
            found();
            return;
        }
    }
}

void LinuxTrayHostWatch::askWatcher()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    // Answered later: a hung watcher must not hold the main thread.
    auto *reply = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    connect(
        reply, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answered) {
            answered->deleteLater();
            const QDBusMessage message = answered->reply();
            const bool host =
                message.type() == QDBusMessage::ReplyMessage && !message.arguments().isEmpty() &&
                message.arguments().constFirst().value<QDBusVariant>().variant().toBool();
            if (host) {
                found();
                return;
            }
            m_watcherAsked = false;
            sayIfNone();
        });
}

void LinuxTrayHostWatch::statusNotifierHostRegistered()
{
    found();
}

void LinuxTrayHostWatch::sayIfNone()
{
    if (!m_found && m_xLooked && !m_watcherAsked && !m_saidNone) {
        m_saidNone = true;
        emit noHostYet();
    }
}

void LinuxTrayHostWatch::found()
{
    if (m_found) {
        return;
    }
    m_found = true;
    stopWatching();
    emit hostFound();
}

void LinuxTrayHostWatch::stopWatching()
{
    // Later: this may run in their own signals.
    if (m_xEvents) {
        m_xEvents->setEnabled(false);
        m_xEvents->deleteLater();
        m_xEvents = nullptr;
    }
    if (m_watcherService) {
        m_watcherService->deleteLater();
        m_watcherService = nullptr;
    }
    if (m_x) {
        xcb_disconnect(m_x);
        m_x = nullptr;
    }
    QDBusConnection::sessionBus().disconnect(watcherService, watcherPath, watcherService,
                                             QStringLiteral("StatusNotifierHostRegistered"), this,
                                             SLOT(statusNotifierHostRegistered()));
}

} // namespace orvane
