#include "ImageLoader.h"
#include "ImageDensity.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QImageReader>

#include <mutex>

namespace orvane::imageloader {

namespace {

bool isPng(const QByteArray &data)
{
    return data.startsWith("\x89PNG\r\n\x1a\n");
}

bool isJpeg(const QByteArray &data)
{
    return data.startsWith("\xff\xd8\xff");
}

// ISO base media files (HEIC, HEIF) start with a "ftyp" box.
bool isHeif(const QByteArray &data)
{
    return data.size() >= 12 && data.mid(4, 4) == "ftyp";
}

bool sizeAllowed(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= maxSide &&
           size.height() <= maxSide && qint64(size.width()) * size.height() <= maxPixels;
}

} // namespace

bool looksComplete(const QByteArray &data)
{
    // The end marker must sit at the very end, give or take a few padding bytes.
    const qsizetype tail = qMax<qsizetype>(0, data.size() - 64);
    if (isPng(data)) {
        return data.lastIndexOf("IEND") >= tail;
    }
    if (isJpeg(data)) {
        return data.lastIndexOf("\xff\xd9") >= tail;
    }
    return true; // other formats report a truncation as a decoding error
}

QImage decode(const QByteArray &data, Platform &platform)
{
    static std::once_flag limit;
    // Qt's own limit (256 MB) would refuse a large screenshot; ours is by size, checked below.
    std::call_once(limit,
                   [] { QImageReader::setAllocationLimit(int(maxPixels * 4 / (1 << 20)) + 64); });

    if (data.isEmpty() || !looksComplete(data)) {
        return {};
    }
    if (isHeif(data)) {
        const QImage image = platform.decodeHeic(data, maxPixels);
        return sizeAllowed(image.size()) ? image : QImage();
    }
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // The header's claim is checked before anything is allocated for it.
    if (reader.size().isValid() && !sizeAllowed(reader.size())) {
        return {};
    }
    QImage image = reader.read();
    return sizeAllowed(image.size()) ? image : QImage();
}

QImage load(const QString &path, Platform &platform, QSize *pointSize)
{
    const std::optional<QByteArray> data = files::readRegularFile(path, maxFileBytes);
    if (!data) {
        return {};
    }
    QImage image = decode(*data, platform);
    if (pointSize && !image.isNull()) {
        *pointSize = imageloader::pointSize(image.size(), recordedDensity(*data));
    }
    return image;
}

} // namespace orvane::imageloader
