#pragma once

#include "platform/FolderEventStream.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace orvane {

// inotify, one event per file, batched the way the macOS stream batches its events.
class InotifyEventStream : public QObject, public FolderEventStream {
    Q_OBJECT
public:
    InotifyEventStream(const QStringList &folders, Handler onBatch);
    ~InotifyEventStream() override;

    bool isValid() const { return m_fd >= 0; }
    bool start() override;

private:
    void readEvents();
    void deliver();

    int m_fd = -1;
    QStringList m_folders;
    Handler m_onBatch;
    QHash<int, QString> m_watches;
    QSocketNotifier *m_notifier = nullptr;
    QStringList m_pending;
    QTimer m_gather;
    QElapsedTimer m_sinceDelivery;
};

} // namespace orvane
