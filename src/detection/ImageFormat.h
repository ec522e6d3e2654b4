#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImageReader>

namespace orvane::imageformat {

// The format a picture's first bytes name; empty for one not told apart here.
inline QByteArray fromContent(const QByteArray &head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n")) {
        return "png";
    }
    if (head.startsWith("\xff\xd8\xff")) {
        return "jpeg";
    }
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) {
        return "gif";
    }
    if (head.startsWith(QByteArrayView("II*\0", 4)) ||
        head.startsWith(QByteArrayView("MM\0*", 4))) {
        return "tiff";
    }
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        return "webp";
    }
    return {};
}

// `bytes` where they are a PNG's, to be handed on as they are; otherwise none.
inline QByteArray pngBytes(const QByteArray &bytes)
{
    return fromContent(bytes) == "png" ? bytes : QByteArray();
}

// Tells `reader` the format its picture's first bytes name. A reader left to guess loads every
// image plugin Qt has, with their libraries, to ask each one; they stay loaded for good.
inline void nameFormat(QImageReader &reader, const QByteArray &head)
{
    const QByteArray format = fromContent(head);
    if (!format.isEmpty()) {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);
    }
}

} // namespace orvane::imageformat
