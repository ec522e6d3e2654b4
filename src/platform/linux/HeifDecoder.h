#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane::heif {

// Decodes a HEIC/HEIF picture with libheif, loaded from `library` on the first call rather than
// linked: its codecs are large, and most screenshots are never HEIC. Null when the data does
// not decode, is larger than `maxPixels`, or libheif cannot be loaded (said once in the log).
// Thread-safe.
QImage decode(const QByteArray &data, qint64 maxPixels, const char *library = "libheif.so.1");

} // namespace orvane::heif
