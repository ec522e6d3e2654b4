#include "platform/macos/FSEventsStream.h"
#include "platform/macos/MacNative.h"

#include <dispatch/dispatch.h>

namespace orvane {

namespace {

// Qt's own CFString conversions exist only in its macOS build; these are the same in a few
// lines, and keep the file checkable elsewhere.
CFStringRef toCFString(const QString &text)
{
    return CFStringCreateWithCharacters(
        kCFAllocatorDefault, reinterpret_cast<const UniChar *>(text.utf16()), CFIndex(text.size()));
}

QString fromCFString(CFStringRef text)
{
    QString result(qsizetype(CFStringGetLength(text)), Qt::Uninitialized);
    CFStringGetCharacters(text, CFRange{0, CFIndex(result.size())},
                          reinterpret_cast<UniChar *>(result.data()));
    return result;
}

} // namespace

FSEventsStream::FSEventsStream(const QStringList &folders, Handler onBatch)
    : m_onBatch(std::move(onBatch))
{
    CFMutableArrayRef paths =
        CFArrayCreateMutable(kCFAllocatorDefault, folders.size(), &kCFTypeArrayCallBacks);
    for (const QString &folder : folders) {
        CFStringRef path = toCFString(folder);
        CFArrayAppendValue(paths, path);
        CFRelease(path);
    }
    FSEventStreamContext context = {0, this, nullptr, nullptr, nullptr};
    m_stream =
        FSEventStreamCreate(kCFAllocatorDefault, &FSEventsStream::callback, &context, paths,
                            kFSEventStreamEventIdSinceNow, latencyMs / 1000.0,
                            kFSEventStreamCreateFlagUseCFTypes | kFSEventStreamCreateFlagNoDefer |
                                kFSEventStreamCreateFlagFileEvents);
    CFRelease(paths);
}

FSEventsStream::~FSEventsStream()
{
    if (m_stream) {
        // Stopped, then taken off its queue, before the last reference goes; a stream never
        // scheduled has neither to undo.
        if (m_scheduled) {
            FSEventStreamStop(m_stream);
            FSEventStreamInvalidate(m_stream);
        }
        FSEventStreamRelease(m_stream);
    }
}

bool FSEventsStream::start()
{
    if (!m_stream) {
        return false;
    }
    if (!m_scheduled) {
        FSEventStreamSetDispatchQueue(m_stream, dispatch_get_main_queue());
        m_scheduled = true;
    }
    return FSEventStreamStart(m_stream);
}

void FSEventsStream::callback(ConstFSEventStreamRef, void *info, size_t count, void *paths,
                              const FSEventStreamEventFlags[], const FSEventStreamEventId[])
{
    auto *self = static_cast<FSEventsStream *>(info);
    const auto array = static_cast<CFArrayRef>(paths);
    QStringList batch;
    for (size_t i = 0; i < count; ++i) {
        batch << fromCFString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, CFIndex(i))));
    }
    self->m_onBatch(batch);
}

namespace macnative {

std::unique_ptr<FolderEventStream> createFileEventStream(const QStringList &folders,
                                                         FolderEventStream::Handler onBatch)
{
    auto stream = std::make_unique<FSEventsStream>(folders, std::move(onBatch));
    if (!stream->isValid()) {
        return nullptr;
    }
    return stream;
}

} // namespace macnative

} // namespace orvane
