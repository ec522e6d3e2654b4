#include "platform/linux/InotifyEventStream.h"

#include "platform/Files.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <unistd.h>

namespace orvane {

namespace {
// What a new or rewritten file produces, including one renamed into place; and the folder's
// own end (removed, moved away, unmounted), after which the kernel drops the watch.
constexpr uint32_t folderEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB |
                                  IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF |
                                  IN_ONLYDIR;
// Watched on the nearest existing parent of a folder that is missing or unreadable: a folder
// made, moved in, or given back its permissions.
constexpr uint32_t parentEvents =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
} // namespace

InotifyEventStream::InotifyEventStream(const QStringList &folders, Handler onBatch)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_folders(folders),
      m_onBatch(std::move(onBatch))
{
    m_gather.setSingleShot(true);
    m_gather.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_gather, &QTimer::timeout, this, &InotifyEventStream::deliver);
}

InotifyEventStream::~InotifyEventStream()
{
    delete m_notifier;
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool InotifyEventStream::start()
{
    if (m_fd < 0) {
        return false;
    }
    if (!m_notifier) {
        arm();
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this,
                         &InotifyEventStream::readEvents);
    }
    return !m_armed.isEmpty();
}

int InotifyEventStream::addWatch(const QString &path, uint32_t mask)
{
    const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), mask);
    if (wd >= 0) {
        m_paths.insert(wd, path);
    }
    return wd;
}

// Every folder that can be watched is; each one that cannot (missing, unreadable) is waited
// for on its nearest existing parent. Parents no longer needed are let go.
void InotifyEventStream::arm(int depth)
{
    QSet<QString> parentsNeeded;
    for (const QString &folder : std::as_const(m_folders)) {
        if (m_armed.contains(folder)) {
            continue;
        }
        if (addWatch(folder, folderEvents) >= 0) {
            m_armed.insert(folder);
            if (m_lost.remove(folder)) {
                logLine(QStringLiteral("Watching ") + folder + QStringLiteral(" again."));
            } else if (m_notifier) {
                logLine(QStringLiteral("Now watching ") + folder + u'.');
            }
            if (m_notifier) {
                // Files may have landed in it before the watch did: have them looked at.
                m_pending << folder;
            }
            continue;
        }
        QString parent = QFileInfo(folder).absolutePath();
        while (parent != QDir::rootPath() && !QFileInfo(parent).isDir()) {
            parent = QFileInfo(parent).absolutePath();
        }
        parentsNeeded.insert(parent);
    }
    bool newParent = false;
    for (const QString &parent : std::as_const(parentsNeeded)) {
        if (!m_parents.contains(parent) && addWatch(parent, parentEvents) >= 0) {
            m_parents.insert(parent);
            newParent = true;
        }
    }
    for (auto it = m_paths.begin(); it != m_paths.end();) {
        const bool unneeded = m_parents.contains(it.value()) &&
                              !parentsNeeded.contains(it.value()) && !m_armed.contains(it.value());
        if (unneeded) {
            m_parents.remove(it.value());
            ::inotify_rm_watch(m_fd, it.key());
            it = m_paths.erase(it);
        } else {
            ++it;
        }
    }
    // A folder made inside a new parent before its watch was in place (mkdir -p makes the
    // whole chain at once) brings no event: look again, one level deeper each time.
    if (newParent && depth < 32) {
        for (const QString &folder : std::as_const(m_folders)) {
            if (!m_armed.contains(folder) && QFileInfo(folder).isDir()) {
                arm(depth + 1);
                return;
            }
        }
    }
}

void InotifyEventStream::readEvents()
{
    alignas(struct inotify_event) char buffer[16 * (sizeof(struct inotify_event) + NAME_MAX + 1)];
    bool rearm = false;
    while (true) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) {
            break; // EAGAIN: drained
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(struct inotify_event) + event->len);
            rearm |= (event->mask & IN_Q_OVERFLOW) != 0;
            const auto watched = m_paths.constFind(event->wd);
            if (watched == m_paths.constEnd()) {
                continue; // a watch already let go
            }
            const QString path = *watched;
            if (event->mask & (IN_IGNORED | IN_MOVE_SELF)) {
                // The folder is gone (removed, unmounted) and its watch with it; one moved
                // away is still watched where it went, which is not where screenshots go.
                if (event->mask & IN_MOVE_SELF) {
                    ::inotify_rm_watch(m_fd, event->wd);
                }
                m_paths.remove(event->wd);
                m_parents.remove(path);
                if (m_armed.remove(path)) {
                    m_lost.insert(path);
                    logLine(QStringLiteral("Lost the watch on ") + path +
                            QStringLiteral("; watching for it to come back."));
                }
                rearm = true;
                continue;
            }
            if (event->len == 0) {
                continue; // about the folder itself
            }
            if (event->mask & IN_ISDIR) {
                rearm = true; // perhaps a folder waited for, or one on the way to it
            }
            if (m_armed.contains(path)) {
                const QByteArray name(event->name);
                const QString decoded = QFile::decodeName(name);
                if (QFile::encodeName(decoded) != name) {
                    // A name that text cannot hold exactly would lead to another file.
                    files::logSkippedName(path, name);
                    continue;
                }
                if (!(event->mask & IN_ISDIR) && m_ignored && m_ignored(decoded)) {
                    continue;
                }
                m_pending << path + u'/' + decoded;
            }
        }
    }
    if (rearm) {
        arm();
    }
    if (m_pending.isEmpty() || m_gather.isActive()) {
        return;
    }
    // The first change after a quiet spell goes out at once; later ones wait for the rest of
    // the latency, so that a burst of writes arrives as few batches.
    if (!m_sinceDelivery.isValid() || m_sinceDelivery.elapsed() >= latencyMs) {
        deliver();
    } else {
        m_gather.start(int(latencyMs - m_sinceDelivery.elapsed()));
    }
}

void InotifyEventStream::deliver()
{
    m_sinceDelivery.start();
    if (m_pending.isEmpty()) {
        return;
    }
    const QStringList batch = std::exchange(m_pending, {});
    m_onBatch(batch);
}

} // namespace orvane
