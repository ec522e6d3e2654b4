#include "platform/macos/MacPlatform.h"

#include <QBuffer>
#include <QImageReader>

#ifdef __APPLE__
#include "platform/macos/FSEventsStream.h"
#endif

namespace orvane {

std::unique_ptr<FolderEventStream>
MacPlatform::createFolderEventStream(const QStringList &folders, FolderEventStream::Handler onBatch)
{
#ifdef __APPLE__
    auto stream = std::make_unique<FSEventsStream>(folders, std::move(onBatch));
    if (!stream->isValid()) {
        return nullptr;
    }
    return stream;
#else
    // The macOS behaviour run elsewhere has no FSEvents.
    Q_UNUSED(folders);
    Q_UNUSED(onBatch);
    return nullptr;
#endif
}

QImage MacPlatform::decodeHeic(const QByteArray &data, qint64 maxPixels)
{
    // Qt's own image plugin reads HEIC on macOS.
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "heic");
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels) {
        return {};
    }
    return reader.read();
}

} // namespace orvane
