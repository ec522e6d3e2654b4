#include "SingleInstance.h"

#include "platform/Files.h"
#include "platform/Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

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

// The address of the socket file at `path`; none when the path does not fit (104 bytes on
// macOS, 108 on Linux): cut short, it would name another file.
std::optional<sockaddr_un> socketAddress(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address = {};
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return address;
}

const sockaddr *asSockaddr(const sockaddr_un &address)
{
    return reinterpret_cast<const sockaddr *>(&address);
}

#ifndef SOCK_CLOEXEC
// Descriptors of ours are not handed to the commands the program runs.
bool setDescriptorFlags(int fd, bool nonBlocking)
{
    if (::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (!nonBlocking || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0);
}
#endif

int openSocket(bool nonBlocking)
{
#ifdef SOCK_CLOEXEC
    // Atomically: another thread may start a command at any moment.
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
#else
    // macOS has no such flags; the flags follow at once.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && !setDescriptorFlags(fd, nonBlocking)) {
        ::close(fd);
        return -1;
    }
    return fd;
#endif
}

int acceptClient(int listener)
{
#ifdef SOCK_CLOEXEC
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
#else
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd >= 0 && !setDescriptorFlags(fd, true)) {
        ::close(fd);
        return -1;
    }
    return fd;
#endif
}

// Writes all of `data` on a blocking socket, within its send timeout. A reader gone away is a
// failure, not a SIGPIPE that would end this process.
bool writeAll(int fd, const QByteArray &data)
{
#ifdef MSG_NOSIGNAL
    constexpr int flags = MSG_NOSIGNAL;
#else
    constexpr int flags = 0;
#endif
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t sent =
            ::send(fd, data.constData() + written, size_t(data.size() - written), flags);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        written += sent;
    }
    return true;
}

} // namespace

struct SingleInstance::Client {
    int fd = -1;
    QSocketNotifier *notifier = nullptr;
    QTimer *idle = nullptr;
    // What came after the last line end.
    QByteArray pending;
};

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder)
{}

SingleInstance::~SingleInstance()
{
    for (const std::unique_ptr<Client> &client : m_clients) {
        delete client->notifier;
        ::close(client->fd);
    }
    if (m_listener >= 0) {
        delete m_listenerNotifier;
        ::close(m_listener);
        // Still under our lock, so the file is ours to remove.
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
}

QString SingleInstance::folder()
{
    // Looked for once: a refusal is said once, not at every call.
    if (!m_folderLookedFor && m_folder.isEmpty()) {
        m_folder = privateRuntimeFolder();
    }
    m_folderLookedFor = true;
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
    listen();
    return true;
}

void SingleInstance::listen()
{
    const QString path = socketPath();
    const std::optional<sockaddr_un> address = socketAddress(path);
    if (!address) {
        // The lock still keeps Orvane to one copy; only a later start's request goes unheard.
        logLine(QStringLiteral("Not listening for reopen requests: the path %1 is too long for a "
                               "socket.")
                    .arg(path));
        return;
    }
    // We hold the lock, so a socket file left behind is stale.
    ::unlink(address->sun_path);
    const int fd = openSocket(true);
    // The folder is the user's own already; the socket is, too, whatever the umask.
    if (fd < 0 || ::bind(fd, asSockaddr(*address), sizeof(*address)) != 0 ||
        ::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        logLine(QStringLiteral("Not listening for reopen requests at %1: %2.")
                    .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        if (fd >= 0) {
            ::close(fd);
            ::unlink(address->sun_path);
        }
        return;
    }
    m_listener = fd;
    m_listenerNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptClients);
}

bool SingleInstance::sendReopen(int timeoutMs)
{
    if (folder().isEmpty()) {
        return false;
    }
    const std::optional<sockaddr_un> address = socketAddress(socketPath());
    if (!address) {
        return false;
    }
    // A short-lived second start: blocking here is fine, within the timeout. The first
    // process may still be starting: give it a moment to listen.
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        const int fd = openSocket(false);
        if (fd < 0) {
            return false;
        }
        // A connect to a full backlog, or a write to a full buffer, gives up in time.
        if (!deadline.isForever()) {
            const qint64 remaining = std::max<qint64>(1, deadline.remainingTime());
            timeval timeout = {};
            timeout.tv_sec = time_t(remaining / 1000);
            timeout.tv_usec = suseconds_t((remaining % 1000) * 1000);
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
        }
#ifdef SO_NOSIGPIPE
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof(on));
#endif
        if (::connect(fd, asSockaddr(*address), sizeof(*address)) == 0) {
            const bool sent = writeAll(fd, reopenRequest);
            ::close(fd);
            return sent;
        }
        ::close(fd);
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
}

void SingleInstance::acceptClients()
{
    while (true) {
        const int fd = acceptClient(m_listener);
        if (fd < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED) {
                continue;
            }
            if (error != EAGAIN && error != EWOULDBLOCK) {
                // Out of descriptors, say: the waiting client stays ready, so rather than spin
                // on it, look again in a moment.
                m_listenerNotifier->setEnabled(false);
                QTimer::singleShot(1000, m_listenerNotifier,
                                   [notifier = m_listenerNotifier] { notifier->setEnabled(true); });
            }
            return;
        }
        if (m_clients.size() >= size_t(maxClients)) {
            drop(m_clients.front().get()); // the one that has waited longest
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        client->idle = new QTimer(this);
        client->idle->setSingleShot(true);
        Client *const added = client.get();
        connect(client->notifier, &QSocketNotifier::activated, this,
                [this, added] { readFrom(added); });
        connect(client->idle, &QTimer::timeout, this, [this, added] { drop(added); });
        client->idle->start(m_idleTimeoutMs);
        m_clients.push_back(std::move(client));
    }
}

void SingleInstance::readFrom(Client *client)
{
    // One read per wake-up: a client that keeps sending cannot hold the main thread.
    char chunk[512];
    const ssize_t got = ::read(client->fd, chunk, sizeof(chunk));
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
        return;
    }
    if (got <= 0) {
        drop(client); // done, or gone
        return;
    }
    client->idle->start(m_idleTimeoutMs);
    // Bounded: a client that never ends its line must not fill our memory.
    client->pending.append(chunk, got);
    int requests = 0;
    bool bad = false;
    qsizetype end = 0;
    while ((end = client->pending.indexOf('\n')) >= 0) {
        // At most maxRequestBytes with its line end; a longer line is no request of ours.
        if (end + 1 > maxRequestBytes) {
            bad = true;
            break;
        }
        if (QByteArrayView(client->pending).first(end + 1) == reopenRequest) {
            ++requests;
        }
        client->pending.remove(0, end + 1);
    }
    if (bad || client->pending.size() > maxRequestBytes) {
        drop(client);
    }
    // Last: whoever answers may run an event loop that reads this client again.
    for (int i = 0; i < requests; ++i) {
        emit reopenRequested();
    }
}

void SingleInstance::drop(Client *client)
{
    // Not deleted under its own signal.
    client->notifier->setEnabled(false);
    client->notifier->deleteLater();
    client->idle->stop();
    client->idle->deleteLater();
    ::close(client->fd);
    std::erase_if(m_clients,
                  [client](const std::unique_ptr<Client> &c) { return c.get() == client; });
}

} // namespace orvane
