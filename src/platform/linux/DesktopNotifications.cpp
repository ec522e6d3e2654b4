#include "platform/linux/DesktopNotifications.h"

#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace orvane {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
// A service that never sends NotificationClosed must not grow this without end.
constexpr int maxShown = 64;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, service, method);
}

} // namespace

void DesktopNotifications::notify(Notice notice,
                                  std::function<void(const QString &why)> unavailable)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        unavailable(QStringLiteral("no session bus"));
        return;
    }
    if (!std::exchange(m_listening, true)) {
        bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
        // A service started anew counts its ids from the start again: ours would then name
        // other programs' notifications.
        auto *owner =
            new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this] { m_shown.clear(); });
    }
    // Asked each time: the service may have been replaced by one that offers more, or less.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), 5000), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [this, notice = std::move(notice),
         unavailable = std::move(unavailable)](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            const QDBusPendingReply<QStringList> reply = *finished;
            if (reply.isError()) {
                unavailable(
                    QStringLiteral("no notification service (%1)").arg(reply.error().message()));
                return;
            }
            send(notice, reply.value(), unavailable);
        });
}

void DesktopNotifications::send(Notice notice, const QStringList &capabilities,
                                const std::function<void(const QString &)> &unavailable)
{
    const bool withAction = !notice.actionLabel.isEmpty();
    if (withAction && !capabilities.contains(QStringLiteral("actions"))) {
        unavailable(QStringLiteral("the notification service shows no actions"));
        return;
    }
    // Where the body is read as markup, a file name such as "a<b>&c.png" stays as it is.
    const QString body = capabilities.contains(QStringLiteral("body-markup"))
                             ? notice.body.toHtmlEscaped()
                             : notice.body;
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QStringLiteral("Orvane") << 0u << QStringLiteral("com.tarnwell.orvane")
            << notice.title << body
            << (withAction ? QStringList{notice.actionKey, notice.actionLabel} : QStringList())
            << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("com.tarnwell.orvane")}}
            << -1;
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice = std::move(notice), withAction](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    logLine(notice.title + u' ' + notice.body +
                            QStringLiteral(" (no notification: ") + reply.error().message() + u')');
                    return;
                }
                if (withAction) {
                    m_shown.insert(reply.value(), notice);
                    while (m_shown.size() > maxShown) {
                        m_shown.erase(m_shown.begin());
                    }
                }
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString &key)
{
    const auto shown = m_shown.constFind(id);
    if (shown == m_shown.cend() || shown->actionKey != key) {
        return; // another program's notification, or one already acted on
    }
    const Notice notice = m_shown.take(id);
    // Acted on once: a service that keeps the notification must not undo twice.
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << id;
    QDBusConnection::sessionBus().asyncCall(close, 5000);
    notice.act();
}

void DesktopNotifications::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason);
    m_shown.remove(id);
}

} // namespace orvane
