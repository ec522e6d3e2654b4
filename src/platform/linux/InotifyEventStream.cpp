#include "platform/linux/InotifyEventStream.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <unistd.h>

namespace orvane {

namespace {
// What a new or rewritten file produces, including one renamed into place.
constexpr uint32_t watchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE | IN_MOVED_FROM;
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
    if (m_fd < 0 || m_notifier) {
        return m_notifier != nullptr;
    }
    for (const QString &folder : m_folders) {
        const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                           watchedEvents | IN_ONLYDIR);
        if (wd >= 0) {
            m_watches.insert(wd, folder);
        }
    }
    if (m_watches.isEmpty()) {
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this,
                     &InotifyEventStream::readEvents);
    return true;
}

void InotifyEventStream::readEvents()
{
    alignas(struct inotify_event) char buffer[16 * (sizeof(struct inotify_event) + NAME_MAX + 1)];
    while (true) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) {
            break; // EAGAIN: drained
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(struct inotify_event) + event->len);
            const auto folder = m_watches.constFind(event->wd);
            if (folder == m_watches.constEnd() || event->len == 0) {
                continue; // the folder itself, or a watch already gone
            }
            m_pending << *folder + u'/' + QFile::decodeName(event->name);
        }
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
