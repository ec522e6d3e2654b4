#pragma once

#include <QDBusConnection>
#include <QObject>

namespace orvane {

// Says once in the log that the session bus went away. Orvane goes on without it: watching and
// cards need no bus; what does (the tray over D-Bus, notifications, the file manager's reveal)
// fails openly, each with its own line, until Orvane is started again.
class SessionBusWatch : public QObject {
    Q_OBJECT
public:
    explicit SessionBusWatch(QDBusConnection bus, QObject *parent = nullptr);

private slots:
    void lost();

private:
    bool m_told = false;
};

} // namespace orvane
