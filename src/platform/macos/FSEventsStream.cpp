#include "platform/macos/FSEventsStream.h"

#include <dispatch/dispatch.h>

namespace orvane {

FSEventsStream::FSEventsStream(const QStringList &folders, Handler onBatch)
    : m_onBatch(std::move(onBatch))
{
    CFMutableArrayRef paths =
        CFArrayCreateMutable(kCFAllocatorDefault, folders.size(), &kCFTypeArrayCallBacks);
    for (const QString &folder : folders) {
        CFStringRef path = folder.toCFString();
        CFArrayAppendValue(paths, path);
        CFRelease(path);
    }
    FSEventStreamContext context = {0, this, nullptr, nullptr, nullptr};
    m_stream =
        FSEventStreamCreate(kCFAllocatorDefault, &FSEventsStream::callback, &context, paths,
                            kFSEventStreamEventIdSinceNow, 0.05,
                            kFSEventStreamCreateFlagUseCFTypes | kFSEventStreamCreateFlagNoDefer |
                                kFSEventStreamCreateFlagFileEvents);
    CFRelease(paths);
}

FSEventsStream::~FSEventsStream()
{
    if (m_stream) {
        FSEventStreamStop(m_stream);
        FSEventStreamSetDispatchQueue(m_stream, nullptr);
        FSEventStreamRelease(m_stream);
    }
}

bool FSEventsStream::start()
{
    if (!m_stream) {
        return false;
    }
    FSEventStreamSetDispatchQueue(m_stream, dispatch_get_main_queue());
    return FSEventStreamStart(m_stream);
}

void FSEventsStream::callback(ConstFSEventStreamRef, void *info, size_t count, void *paths,
                              const FSEventStreamEventFlags[], const FSEventStreamEventId[])
{
    auto *self = static_cast<FSEventsStream *>(info);
    const auto array = static_cast<CFArrayRef>(paths);
    QStringList batch;
    for (size_t i = 0; i < count; ++i) {
        batch << QString::fromCFString(
            static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, CFIndex(i))));
    }
    self->m_onBatch(batch);
}

} // namespace orvane
