#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace orvane {

class DetectionServices;

// Loads a screenshot for the card: every format a screenshot comes in, large displays included,
// while a file that is not a complete image of a sane size is refused.
namespace imageloader {

// Up to 65535 pixels a side (a full-page capture is tall), and at most two 8K displays' worth
// in all.
inline constexpr int maxSide = 65535;
inline constexpr qint64 maxPixels = qint64(2) * 7680 * 4320;
inline constexpr qint64 maxFileBytes = qint64(256) * 1024 * 1024;

// Null when the file is not a regular file, cannot be read, is not a complete image, or claims
// a size no screen has. Blocking; meant for a worker thread. `pointSize`, when given, receives
// the size the system reports for the image (see pointSize() in ImageDensity.h). `encoded`,
// when given, receives the file's bytes the image was decoded from: the file is then read
// once, whole, so that what is kept is exactly what was decoded.
QImage load(const QString &path, DetectionServices &detection, QSize *pointSize = nullptr,
            QByteArray *encoded = nullptr);

} // namespace imageloader
} // namespace orvane
