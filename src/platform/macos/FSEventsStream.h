#pragma once

#include "platform/FolderEventStream.h"

#include <CoreServices/CoreServices.h>

namespace orvane {

// FSEvents with per-file events, no deferral and a latency of 0.05 s, on the main queue.
class FSEventsStream : public FolderEventStream {
public:
    FSEventsStream(const QStringList &folders, Handler onBatch);
    ~FSEventsStream() override;

    bool isValid() const { return m_stream != nullptr; }
    bool start() override;

private:
    static void callback(ConstFSEventStreamRef stream, void *info, size_t count, void *paths,
                         const FSEventStreamEventFlags flags[], const FSEventStreamEventId ids[]);

    FSEventStreamRef m_stream = nullptr;
    bool m_scheduled = false;
    Handler m_onBatch;
};

} // namespace orvane
