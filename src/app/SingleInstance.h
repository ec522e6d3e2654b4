#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QLockFile;
class QSocketNotifier;

namespace orvane {

// Keeps Orvane to one process per user: the first start holds a lock in a folder of the
// user's own and listens there; a later start finds the lock and hands its request over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: where the lock and the socket live (a private runtime folder when empty).
    explicit SingleInstance(const QString &folder = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first: it now owns the lock and listens.
    bool claim();
    // From a later start: asks the running process to open its preferences.
    bool sendReopen(int timeoutMs = 3000);

    // Where the lock and the socket live; found (and created) at the first call.
    QString folder();
    QString socketPath() { return folder() + QStringLiteral("/orvane.sock"); }

    // The longest request line taken; a client that sends more without a line end is dropped.
    static constexpr qint64 maxRequestBytes = 256;
    // Clients served at once: a later one takes the place of the one that has waited longest,
    // so that connections held open never run the process out of descriptors (and with them
    // its folder watches and decodes) nor shut out a real request.
    static constexpr int maxClients = 16;
    // A client that sends nothing for this long is let go.
    static constexpr int defaultIdleTimeoutMs = 5000;
    void setIdleTimeout(int milliseconds) { m_idleTimeoutMs = milliseconds; }

signals:
    void reopenRequested();

private:
    struct Client;

    void listen();
    void acceptClients();
    void readFrom(Client *client);
    void drop(Client *client);

    QString m_folder;
    bool m_folderLookedFor = false;
    int m_idleTimeoutMs = defaultIdleTimeoutMs;
    std::unique_ptr<QLockFile> m_lock;
    // A plain local socket rather than QLocalServer: QtNetwork and the libraries it brings
    // along would cost more memory than everything else this class does.
    int m_listener = -1;
    QSocketNotifier *m_listenerNotifier = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
};

} // namespace orvane
