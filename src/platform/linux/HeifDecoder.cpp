#include "platform/linux/HeifDecoder.h"

#include "platform/Log.h"
#include "platform/linux/LoadedLibrary.h"

#include <QMutex>
#include <QString>

#include <dlfcn.h>
#include <libheif/heif.h>
#include <map>
#include <optional>

namespace orvane::heif {

namespace {

// The few functions used, looked up by name; the header gives their types.
struct Functions {
    decltype(&heif_context_alloc) contextAlloc = nullptr;
    decltype(&heif_context_free) contextFree = nullptr;
    decltype(&heif_context_read_from_memory_without_copy) readFromMemory = nullptr;
    decltype(&heif_context_get_primary_image_handle) primaryHandle = nullptr;
    decltype(&heif_image_handle_get_width) handleWidth = nullptr;
    decltype(&heif_image_handle_get_height) handleHeight = nullptr;
    decltype(&heif_image_handle_release) handleRelease = nullptr;
    decltype(&heif_decode_image) decodeImage = nullptr;
    decltype(&heif_image_get_plane_readonly) planeReadonly = nullptr;
    decltype(&heif_image_release) imageRelease = nullptr;
};

using loadedlibrary::find;

std::optional<Functions> openLibrary(const char *library)
{
    Functions functions;
    void *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    const bool complete =
        handle && find(handle, functions.contextAlloc, "heif_context_alloc") &&
        find(handle, functions.contextFree, "heif_context_free") &&
        find(handle, functions.readFromMemory, "heif_context_read_from_memory_without_copy") &&
        find(handle, functions.primaryHandle, "heif_context_get_primary_image_handle") &&
        find(handle, functions.handleWidth, "heif_image_handle_get_width") &&
        find(handle, functions.handleHeight, "heif_image_handle_get_height") &&
        find(handle, functions.handleRelease, "heif_image_handle_release") &&
        find(handle, functions.decodeImage, "heif_decode_image") &&
        find(handle, functions.planeReadonly, "heif_image_get_plane_readonly") &&
        find(handle, functions.imageRelease, "heif_image_release");
    if (complete) {
        return functions;
    }
    logLine(QStringLiteral("HEIC pictures cannot be shown: %1 could not be loaded (%2)")
                .arg(QString::fromLocal8Bit(library), loadedlibrary::lastError()));
    if (handle) {
        dlclose(handle);
    }
    return std::nullopt;
}

// Loaded once per library name and kept for the program's life, past static destruction, so
// that a decode still running at exit never reads freed memory; null when it cannot be loaded.
// Map nodes never move, so what is handed out stays valid.
const Functions *load(const char *library)
{
    static auto *mutex = new QMutex;
    static auto *loaded = new std::map<QByteArray, std::optional<Functions>>;
    const QMutexLocker lock(mutex);
    auto known = loaded->find(library);
    if (known == loaded->end()) {
        known = loaded->emplace(library, openLibrary(library)).first;
    }
    return known->second ? &*known->second : nullptr;
}

} // namespace

QImage decode(const QByteArray &data, qint64 maxPixels, const char *library)
{
    const Functions *heif = load(library);
    if (!heif) {
        return {};
    }
    heif_context *context = heif->contextAlloc();
    if (!context) {
        return {};
    }
    heif_image_handle *handle = nullptr;
    heif_image *decoded = nullptr;
    QImage image;
    const auto cleanUp = [&] {
        if (decoded) {
            heif->imageRelease(decoded);
        }
        if (handle) {
            heif->handleRelease(handle);
        }
        heif->contextFree(context);
    };
    if (heif->readFromMemory(context, data.constData(), size_t(data.size()), nullptr).code !=
            heif_error_Ok ||
        heif->primaryHandle(context, &handle).code != heif_error_Ok) {
        cleanUp();
        return image;
    }
    const int width = heif->handleWidth(handle);
    const int height = heif->handleHeight(handle);
    // The header's claim is checked before anything that large is allocated.
    if (width <= 0 || height <= 0 || qint64(width) * height > maxPixels ||
        heif->decodeImage(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                          nullptr)
                .code != heif_error_Ok) {
        cleanUp();
        return image;
    }
    int stride = 0;
    const uint8_t *plane = heif->planeReadonly(decoded, heif_channel_interleaved, &stride);
    if (plane) {
        image = QImage(plane, width, height, stride, QImage::Format_RGBA8888).copy();
    }
    cleanUp();
    return image;
}

} // namespace orvane::heif
