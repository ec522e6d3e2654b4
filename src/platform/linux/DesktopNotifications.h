#pragma once

#include "platform/TrashUndo.h"

#include <QMap>
#include <QObject>

namespace orvane {

// The freedesktop notification service on the session bus (org.freedesktop.Notifications).
// Every call is asynchronous: a missing or hung service never holds the main thread.
class DesktopNotifications : public QObject, public ActionNotifications {
    Q_OBJECT
public:
    using QObject::QObject;

    void notify(Notice notice, std::function<void(const QString &why)> unavailable) override;

private slots:
    void actionInvoked(uint id, const QString &key);
    void notificationClosed(uint id, uint reason);

private:
    void send(Notice notice, const QStringList &capabilities,
              const std::function<void(const QString &)> &unavailable);

    bool m_listening = false;
    // The notifications shown with an action, by the service's id, until they close.
    QMap<uint, Notice> m_shown;
};

} // namespace orvane
