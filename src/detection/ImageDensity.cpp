#include "ImageDensity.h"

#include <QIODevice>
#include <QtEndian>

#include <functional>

#include <cmath>

namespace orvane::imageloader {

namespace {

constexpr double metresPerInch = 0.0254;

// Reads past the end give zero: every caller checks its bounds first, this is the backstop.
quint32 read32(const QByteArray &data, qsizetype at, bool bigEndian)
{
    if (at < 0 || at + 4 > data.size()) {
        return 0;
    }
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData()) + at;
    return bigEndian ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
}

quint16 read16(const QByteArray &data, qsizetype at, bool bigEndian)
{
    if (at < 0 || at + 2 > data.size()) {
        return 0;
    }
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData()) + at;
    return bigEndian ? qFromBigEndian<quint16>(bytes) : qFromLittleEndian<quint16>(bytes);
}

std::optional<QSizeF> sane(double x, double y)
{
    // Below one dot an inch is no density a display or printer has; treat it as unrecorded.
    if (!(x >= 1.0) || !(y >= 1.0) || !std::isfinite(x) || !std::isfinite(y)) {
        return std::nullopt;
    }
    return QSizeF(x, y);
}

std::optional<QSizeF> pngDensity(const QByteArray &data)
{
    qsizetype at = 8;
    while (at + 8 <= data.size()) {
        const quint32 length = read32(data, at, true);
        const QByteArray type = data.mid(at + 4, 4);
        if (type == "IDAT" || type == "IEND") {
            break; // pHYs must come before the image data
        }
        if (type == "pHYs" && length == 9 && at + 8 + 9 <= data.size()) {
            if (data.at(at + 8 + 8) != 1) {
                return std::nullopt; // an aspect ratio only
            }
            // Stored per metre, converted by the writer from whole dots per inch: round back.
            return sane(std::round(read32(data, at + 8, true) * metresPerInch),
                        std::round(read32(data, at + 12, true) * metresPerInch));
        }
        at += 12 + qsizetype(length);
    }
    return std::nullopt;
}

// Reads `count` bytes at `at`; fewer where the source ends.
using ByteSource = std::function<QByteArray(qint64 at, qint64 count)>;

ByteSource sourceOf(const QByteArray &data)
{
    return [&data](qint64 at, qint64 count) {
        return at < 0 || at >= data.size() ? QByteArray()
                                           : data.mid(qsizetype(at), qsizetype(count));
    };
}

// A TIFF structure (a TIFF file, or the Exif block of a JPEG) starting at `base`. Read where
// it points, since a writer may put its directory at the end of a large file.
std::optional<QSizeF> tiffDensity(const ByteSource &read, qint64 base)
{
    const QByteArray header = read(base, 8);
    if (header.size() < 8 || (!header.startsWith("MM") && !header.startsWith("II"))) {
        return std::nullopt;
    }
    const bool big = header.startsWith("MM");
    const qint64 ifd = base + read32(header, 4, big);
    const quint16 count = read16(read(ifd, 2), 0, big);
    const QByteArray entries = read(ifd + 2, qint64(count) * 12);
    if (entries.size() < qsizetype(count) * 12) {
        return std::nullopt;
    }
    const auto rational = [&](qsizetype entry) {
        const QByteArray value = read(base + read32(entries, entry + 8, big), 8);
        const quint32 denominator = read32(value, 4, big);
        return denominator == 0 ? 0.0 : double(read32(value, 0, big)) / denominator;
    };
    double x = 0;
    double y = 0;
    int unit = 2; // inches unless stated
    for (quint16 i = 0; i < count; ++i) {
        const qsizetype entry = qsizetype(i) * 12;
        switch (read16(entries, entry, big)) {
        case 282:
            x = rational(entry);
            break;
        case 283:
            y = rational(entry);
            break;
        case 296:
            unit = read16(entries, entry + 8, big);
            break;
        default:
            break;
        }
    }
    if (unit == 3) {
        return sane(x * 2.54, y * 2.54);
    }
    return unit == 2 ? sane(x, y) : std::nullopt;
}

bool isTiff(const QByteArray &data)
{
    return data.startsWith(QByteArray("MM\0*", 4)) || data.startsWith(QByteArray("II*\0", 4));
}

std::optional<QSizeF> jpegDensity(const QByteArray &data)
{
    std::optional<QSizeF> exif;
    qsizetype at = 2;
    while (at + 4 <= data.size() && uchar(data.at(at)) == 0xff) {
        const uchar marker = uchar(data.at(at + 1));
        if (marker == 0xda || marker == 0xd9) {
            break; // the image data starts: no more headers
        }
        const quint16 length = read16(data, at + 2, true);
        const qsizetype body = at + 4;
        if (marker == 0xe0 && length >= 14 && data.mid(body, 5) == QByteArray("JFIF", 5)) {
            const int units = uchar(data.at(body + 7));
            const double x = read16(data, body + 8, true);
            const double y = read16(data, body + 10, true);
            if (units == 1) {
                return sane(x, y);
            }
            if (units == 2) {
                return sane(x * 2.54, y * 2.54);
            }
        } else if (marker == 0xe1 && !exif && data.mid(body, 6) == QByteArray("Exif\0\0", 6)) {
            const QByteArray segment = data.left(at + 2 + length);
            exif = tiffDensity(sourceOf(segment), body + 6);
        }
        at += 2 + length;
    }
    return exif;
}

} // namespace

std::optional<QSizeF> recordedDensity(const QByteArray &data)
{
    if (data.startsWith("\x89PNG\r\n\x1a\n")) {
        return pngDensity(data);
    }
    if (data.startsWith("\xff\xd8")) {
        return jpegDensity(data);
    }
    if (isTiff(data)) {
        return tiffDensity(sourceOf(data), 0);
    }
    return std::nullopt;
}

std::optional<QSizeF> recordedDensity(QIODevice &device, const QByteArray &head)
{
    if (!isTiff(head)) {
        return recordedDensity(head);
    }
    const qint64 start = device.pos();
    const auto result = tiffDensity(
        [&device](qint64 at, qint64 count) {
            return device.seek(at) ? device.read(count) : QByteArray();
        },
        0);
    device.seek(start);
    return result;
}

QSize pointSize(const QSize &pixels, const std::optional<QSizeF> &dotsPerInch)
{
    if (!dotsPerInch) {
        return pixels;
    }
    // Whole points, cut towards zero, as the system's own log line shows them.
    return QSize(int(pixels.width() * 72.0 / dotsPerInch->width()),
                 int(pixels.height() * 72.0 / dotsPerInch->height()));
}

} // namespace orvane::imageloader
