#include "platform/macos/MacNative.h"
#include "platform/macos/MacPlatform.h"

#include <QBuffer>
#include <QImageReader>

namespace orvane {

std::unique_ptr<FolderEventStream>
MacDetectionServices::createFolderEventStream(const QStringList &folders,
                                              FolderEventStream::Handler onBatch)
{
    return macnative::createFileEventStream(folders, std::move(onBatch));
}

QImage MacDetectionServices::decodeHeic(const QByteArray &data, qint64 maxPixels)
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
