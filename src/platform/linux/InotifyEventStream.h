#pragma once

#include "platform/FolderEventStream.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

class QSocketNotifier;

namespace orvane {

// inotify, one event per file, batched the way the macOS stream batches its events. A folder
// that is missing or unreadable, or goes away, is waited for on its nearest existing parent and
// watched again as soon as it can be: its files are then reported through the folder itself.
class InotifyEventStream : public QObject, public FolderEventStream {
    Q_OBJECT
public:
    InotifyEventStream(const QStringList &folders, Handler onBatch);
    ~InotifyEventStream() override;

    bool isValid() const { return m_fd >= 0; }
    bool start() override;
    void setIgnoredNames(NameTest ignored) override { m_ignored = std::move(ignored); }

private:
    void arm(int depth = 0);
    int addWatch(const QString &path, uint32_t mask);
    void readEvents();
    void deliver();

    int m_fd = -1;
    QStringList m_folders;
    Handler m_onBatch;
    NameTest m_ignored;
    QHash<int, QString> m_paths; // every watch, folders and parents alike
    QSet<QString> m_armed;       // folders watched now
    QSet<QString> m_lost;        // folders whose watch went, until they are back
    QSet<QString> m_parents;     // parents watched for folders that cannot be yet
    QSocketNotifier *m_notifier = nullptr;
    QStringList m_pending;
    QTimer m_gather;
    QElapsedTimer m_sinceDelivery;
};

} // namespace orvane
