#include "platform/linux/SessionBusWatch.h"

#include "platform/Log.h"

namespace orvane {

SessionBusWatch::SessionBusWatch(QDBusConnection bus, QObject *parent) : QObject(parent)
{
    // The bus library tells its own connection that the bus is gone with this signal.
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                SLOT(lost()));
}

void SessionBusWatch::lost()
{
    if (m_told) {
        return;
    }
    m_told = true;
    logLine(QStringLiteral("Lost the session bus; going on without it. The tray icon, "
                           "notifications and showing files in the file manager may not work "
                           "until Orvane is started again."));
}

} // namespace orvane
