#include "hud/FullImage.h"

#include "detection/ImageFormat.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace orvane {

namespace {

// As much as a screenshot is ever allowed to be: two 8K displays' worth.
constexpr qint64 maxPixels = qint64(2) * 7680 * 4320;
constexpr qint64 maxFileBytes = qint64(256) * 1024 * 1024;

QImage decode(QIODevice &file, DetectionServices &detection)
{
    // HEIC and HEIF start with an ISO "ftyp" box; the platform decodes them.
    const QByteArray head = file.peek(16);
    if (head.mid(4, 4) == "ftyp") {
        return detection.decodeHeic(file.readAll(), maxPixels);
    }
    QImageReader reader(&file);
    imageformat::nameFormat(reader, head);
    reader.setAutoTransform(true); // as the card's thumbnail was made
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels) {
        return {};
    }
    return reader.read();
}

} // namespace

QImage readFullImage(const QString &path, DetectionServices &detection)
{
    // Only a regular file: what sits at the path now may be a FIFO that would never answer.
    const std::unique_ptr<QFile> file = files::openRegularFile(path, maxFileBytes);
    if (!file) {
        return {};
    }
    // Decoded from the file as it is read, not from a copy of it in memory.
    return decode(*file, detection);
}

QImage decodeFullImage(const QByteArray &encoded, DetectionServices &detection)
{
    QBuffer buffer;
    buffer.setData(encoded);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer, detection);
}

} // namespace orvane
