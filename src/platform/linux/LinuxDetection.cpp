#include "platform/linux/HeifDecoder.h"
#include "platform/linux/InotifyEventStream.h"
#include "platform/linux/LinuxPlatform.h"

namespace orvane {

std::unique_ptr<FolderEventStream>
LinuxDetectionServices::createFolderEventStream(const QStringList &folders,
                                                FolderEventStream::Handler onBatch)
{
    auto stream = std::make_unique<InotifyEventStream>(folders, std::move(onBatch));
    if (!stream->isValid()) {
        return nullptr;
    }
    return stream;
}

QImage LinuxDetectionServices::decodeHeic(const QByteArray &data, qint64 maxPixels)
{
    return heif::decode(data, maxPixels);
}

} // namespace orvane
