#include "ImageLoader.h"
#include "ImageDensity.h"
#include "ImageFormat.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <mutex>

namespace orvane::imageloader {

namespace {

bool isPng(const QByteArray &data)
{
    return imageformat::fromContent(data) == "png";
}

bool isJpeg(const QByteArray &data)
{
    return imageformat::fromContent(data) == "jpeg";
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

namespace {

quint32 bigEndian32(const QByteArray &bytes)
{
    return (quint32(uchar(bytes.at(0))) << 24) | (quint32(uchar(bytes.at(1))) << 16) |
           (quint32(uchar(bytes.at(2))) << 8) | quint32(uchar(bytes.at(3)));
}

// An ancillary chunk this large (a text or metadata block) is no part of the picture: the
// decoder would hold all of it, several times over, for nothing.
constexpr quint32 bulkyChunkBytes = 1024 * 1024;

// A PNG ends with its IEND chunk: walked to chunk by chunk, so bytes after it do not matter.
bool pngComplete(QIODevice &device, bool *bulky = nullptr)
{
    qint64 at = 8;
    while (device.seek(at)) {
        const QByteArray header = device.read(8);
        if (header.size() < 8) {
            return false;
        }
        if (header.mid(4, 4) == "IEND") {
            return true;
        }
        const quint32 length = bigEndian32(header);
        if (bulky && length > bulkyChunkBytes && (uchar(header.at(4)) & 0x20) != 0) {
            *bulky = true; // lower-case first letter: ancillary
        }
        at += 12 + qint64(length);
    }
    return false;
}

// The PNG without its bulky ancillary chunks, for the decoder.
QByteArray withoutBulkyChunks(QIODevice &device)
{
    device.seek(0);
    QByteArray png = device.read(8);
    while (true) {
        const QByteArray header = device.read(8);
        if (header.size() < 8) {
            return png;
        }
        const quint32 length = bigEndian32(header);
        if (length > bulkyChunkBytes && (uchar(header.at(4)) & 0x20) != 0) {
            device.seek(device.pos() + qint64(length) + 4);
            continue;
        }
        png += header + device.read(qint64(length) + 4);
        if (header.mid(4, 4) == "IEND") {
            return png;
        }
    }
}

// Bytes one at a time, read in blocks: the compressed data of a large photo is scanned whole.
class ByteReader {
public:
    explicit ByteReader(QIODevice &device) : m_device(device) {}
    bool get(uchar &byte)
    {
        if (m_at == m_block.size()) {
            m_block = m_device.read(64 * 1024);
            m_at = 0;
            if (m_block.isEmpty()) {
                return false;
            }
        }
        byte = uchar(m_block.at(m_at++));
        return true;
    }
    bool skip(qint64 count)
    {
        const qint64 buffered = qMin<qint64>(count, m_block.size() - m_at);
        m_at += qsizetype(buffered);
        count -= buffered;
        return count == 0 || m_device.seek(m_device.pos() + count);
    }

private:
    QIODevice &m_device;
    QByteArray m_block;
    qsizetype m_at = 0;
};

// A JPEG ends with its EOI marker, found by walking the segments and the compressed data
// between them (an embedded thumbnail has an EOI of its own, which must not count).
bool jpegComplete(QIODevice &device)
{
    if (!device.seek(2)) {
        return false;
    }
    ByteReader bytes(device);
    bool inScan = false;
    uchar byte = 0;
    while (bytes.get(byte)) {
        if (byte != 0xff) {
            if (!inScan) {
                return false; // a marker was due
            }
            continue;
        }
        do {
            if (!bytes.get(byte)) {
                return false;
            }
        } while (byte == 0xff); // fill bytes
        if (byte == 0xd9) {
            return true;
        }
        if (byte == 0x00 || (byte >= 0xd0 && byte <= 0xd7) || byte == 0x01) {
            continue; // a stuffed byte, or a marker without a segment
        }
        uchar high = 0;
        uchar low = 0;
        if (!bytes.get(high) || !bytes.get(low)) {
            return false;
        }
        const int length = (high << 8) | low;
        if (length < 2 || !bytes.skip(length - 2)) {
            return false;
        }
        inScan = byte == 0xda; // compressed data follows a start of scan
    }
    return false;
}

bool complete(QIODevice &device, const QByteArray &head)
{
    bool result = true; // other formats report a truncation as a decoding error
    if (isPng(head)) {
        result = pngComplete(device);
    } else if (isJpeg(head)) {
        result = jpegComplete(device);
    }
    device.seek(0);
    return result;
}

// How much of the file's start the density is looked for in: where every format puts it.
constexpr qint64 headBytes = 1024 * 1024;

// `refused` receives the size of a picture refused for it.
QImage decodeFrom(QIODevice &device, DetectionServices &detection, QSize *pointSize, QSize *refused)
{
    static std::once_flag limit;
    // Qt's own limit (256 MB) would refuse a large screenshot; ours is by size, checked below.
    std::call_once(limit,
                   [] { QImageReader::setAllocationLimit(int(maxPixels * 4 / (1 << 20)) + 64); });

    const QByteArray head = device.peek(headBytes);
    if (head.isEmpty() || !complete(device, head)) {
        return {};
    }
    QImage image;
    bool bulky = false;
    if (isPng(head) && pngComplete(device, &bulky) && bulky) {
        QByteArray slim = withoutBulkyChunks(device);
        QBuffer buffer(&slim);
        buffer.open(QIODevice::ReadOnly);
        return decodeFrom(buffer, detection, pointSize, refused);
    }
    device.seek(0);
    if (isHeif(head)) {
        // libheif wants the whole file; a HEIC is compressed well enough for that.
        image = detection.decodeHeic(device.read(maxFileBytes), maxPixels);
    } else {
        QImageReader reader(&device);
        imageformat::nameFormat(reader, head);
        reader.setAutoTransform(true);
        // The header's claim is checked before anything is allocated for it.
        if (reader.size().isValid() && !sizeAllowed(reader.size())) {
            *refused = reader.size();
            return {};
        }
        // The picture's memory is made ready before the decoder fills it (see files::prefault);
        // the reader fills an image of the size and format it would have made.
        const QImage::Format format = reader.imageFormat();
        if (reader.size().isValid() && format != QImage::Format_Invalid) {
            image = QImage(reader.size(), format);
            files::prefault(image.bits(), image.sizeInBytes());
        }
        if (!reader.read(&image)) {
            image = QImage();
        }
    }
    if (!sizeAllowed(image.size())) {
        if (!image.isNull()) {
            *refused = image.size();
        }
        return {};
    }
    if (pointSize) {
        *pointSize = imageloader::pointSize(image.size(), recordedDensity(device, head));
    }
    return image;
}

} // namespace

QImage load(const QString &path, DetectionServices &detection, QSize *pointSize,
            QByteArray *encoded)
{
    files::ReadError error = files::ReadError::None;
    const std::unique_ptr<QFile> file = files::openRegularFile(path, maxFileBytes, &error);
    if (!file) {
        if (error == files::ReadError::TooLarge) {
            // The name goes in as it is: substituted, a "%1" in it would be taken for a number.
            logLine(QStringLiteral("Passed over ") + QFileInfo(path).fileName() +
                    QStringLiteral(": larger than a screenshot can be (%1 bytes; at most %2).")
                        .arg(QFileInfo(path).size())
                        .arg(maxFileBytes));
        }
        return {};
    }
    QSize refused;
    QImage image;
    if (!encoded) {
        // Read from the file as the decoder goes, never whole into memory first.
        image = decodeFrom(*file, detection, pointSize, &refused);
    } else {
        // Asked for at most the file's size: Qt 6.4 sets aside all it is asked for, and the card
        // keeps these bytes (256 MiB of address space for each card otherwise).
        QByteArray bytes(std::min(file->size(), maxFileBytes), Qt::Uninitialized);
        files::prefault(bytes.data(), bytes.size());
        bytes.truncate(std::max<qint64>(file->read(bytes.data(), bytes.size()), 0));
        bytes.squeeze();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        image = decodeFrom(buffer, detection, pointSize, &refused);
        buffer.close();
        *encoded = image.isNull() ? QByteArray() : std::move(bytes);
    }
    if (refused.isValid()) {
        logLine(QStringLiteral("Passed over ") + QFileInfo(path).fileName() +
                QStringLiteral(": %1x%2 pixels, more than a screenshot can be (at most %3 a "
                               "side, %4 in all).")
                    .arg(refused.width())
                    .arg(refused.height())
                    .arg(maxSide)
                    .arg(maxPixels));
    }
    return image;
}

} // namespace orvane::imageloader
