#include "platform/linux/InotifyEventStream.h"
#include "platform/linux/LinuxPlatform.h"

#include <libheif/heif.h>

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
    heif_context *context = heif_context_alloc();
    heif_image_handle *handle = nullptr;
    heif_image *decoded = nullptr;
    QImage image;
    const auto cleanUp = [&] {
        if (decoded) {
            heif_image_release(decoded);
        }
        if (handle) {
            heif_image_handle_release(handle);
        }
        heif_context_free(context);
    };
    if (heif_context_read_from_memory_without_copy(context, data.constData(), size_t(data.size()),
                                                   nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok) {
        cleanUp();
        return image;
    }
    const int width = heif_image_handle_get_width(handle);
    const int height = heif_image_handle_get_height(handle);
    // The header's claim is checked before anything that large is allocated.
    if (width <= 0 || height <= 0 || qint64(width) * height > maxPixels ||
        heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                          nullptr)
                .code != heif_error_Ok) {
        cleanUp();
        return image;
    }
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (plane) {
        image = QImage(plane, width, height, stride, QImage::Format_RGBA8888).copy();
    }
    cleanUp();
    return image;
}

} // namespace orvane
