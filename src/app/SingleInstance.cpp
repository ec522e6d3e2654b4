#include "SingleInstance.h"

#include "platform/Files.h"
#include "platform/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace orvane {

namespace {

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

// The session's runtime folder, which the session made private; without one, a folder of our
// own in the temporary folder, never the temporary folder itself: there another user's lock
// would stop Orvane, and their socket would receive its reopen requests.
QString privateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt checks that it is ours and private, and gives nothing otherwise.
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) {
            return runtime;
        }
    }
    const QString user = QString::number(files::currentUserId());
    const QString temporary = QDir::tempPath() + QStringLiteral("/orvane-") + user;
    const std::optional<QString> refused = files::ensurePrivateFolder(temporary);
    if (!refused) {
        return temporary;
    }
    // Someone else got there first (or the folder is open to all): the cache folder is in the
    // user's home, out of other users' reach.
    const QString fallback =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
        QStringLiteral("/orvane-runtime-") + user;
    QDir().mkpath(QFileInfo(fallback).path());
    const std::optional<QString> fallbackRefused = files::ensurePrivateFolder(fallback);
    logLine(
        QStringLiteral("Not using %1 for the single-instance lock (%2); using %3 instead.")
            .arg(temporary, *refused,
                 fallbackRefused ? QStringLiteral("none (%1)").arg(*fallbackRefused) : fallback));
    return fallbackRefused ? QString() : fallback;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder)
{}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
    }
}

QString SingleInstance::folder()
{
    if (m_folder.isEmpty()) {
        m_folder = privateRuntimeFolder();
    }
    return m_folder;
}

bool SingleInstance::claim()
{
    if (folder().isEmpty()) {
        // Better a second copy now and then than no Orvane at all.
        return true;
    }
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/orvane.lock"));
    // A lock left by a process that no longer runs is taken over; a live one never expires.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        return false;
    }
    // Not readable by others, whatever the umask made of it.
    QFile::setPermissions(m_lock->fileName(), QFile::ReadOwner | QFile::WriteOwner);
    // We hold the lock, so a socket file left behind is stale.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    m_server->listen(socketPath());
    return true;
}

bool SingleInstance::sendReopen(int timeoutMs)
{
    if (folder().isEmpty()) {
        return false;
    }
    // The first process may still be starting: give it a moment to listen.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(socketPath());
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
        // Bounded: a client that never ends its line must not fill our memory.
        client->setReadBufferSize(maxRequestBytes + 1);
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] { readFrom(client); });
        readFrom(client);
    }
}

void SingleInstance::readFrom(QLocalSocket *client)
{
    const auto drop = [this, client] {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    };
    while (client->canReadLine()) {
        // At most maxRequestBytes; a longer line is no request of ours.
        const QByteArray line = client->readLine(maxRequestBytes + 1);
        if (!line.endsWith('\n')) {
            drop();
            return;
        }
        if (line == reopenRequest) {
            emit reopenRequested();
        }
    }
    if (client->bytesAvailable() > maxRequestBytes) {
        drop();
    }
}

} // namespace orvane
