#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace orvane {

namespace {

QString runtimeFolder(const QString &folder)
{
    if (!folder.isEmpty()) {
        return folder;
    }
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        runtime = QDir::tempPath();
    }
    return runtime;
}

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_socketPath(runtimeFolder(folder) + QStringLiteral("/orvane.sock")),
      m_lock(runtimeFolder(folder) + QStringLiteral("/orvane.lock"))
{
    // A lock left by a process that no longer runs is taken over; a live one never expires.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
    }
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0)) {
        return false;
    }
    // We hold the lock, so a socket file left behind is stale.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    m_server->listen(m_socketPath);
    return true;
}

bool SingleInstance::sendReopen(int timeoutMs)
{
    // The first process may still be starting: give it a moment to listen.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(qMax<qint64>(0, deadline.remainingTime()))) {
            break;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
    socket.write(reopenRequest);
    const bool sent = socket.waitForBytesWritten(qMax<qint64>(0, deadline.remainingTime()));
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        const auto handle = [this, client] {
            while (client->canReadLine()) {
                if (client->readLine() == reopenRequest) {
                    emit reopenRequested();
                }
            }
        };
        connect(client, &QLocalSocket::readyRead, this, handle);
        handle();
    }
}

} // namespace orvane
