#pragma once

#include <QLockFile>
#include <QObject>

#include <memory>

class QLocalServer;

namespace orvane {

// Keeps Orvane to one process per user: the first start holds a lock in the user's runtime
// folder and listens there; a later start finds the lock and hands its request over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: where the lock and the socket live (the runtime folder when empty).
    explicit SingleInstance(const QString &folder = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it now owns the lock and listens.
    bool claim();
    // From a later start: asks the running process to open its preferences.
    bool sendReopen(int timeoutMs = 3000);

    QString socketPath() const { return m_socketPath; }

signals:
    void reopenRequested();

private:
    void readRequest();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace orvane
