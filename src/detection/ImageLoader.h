#pragma once

#include "platform/Files.h"

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
// the size the system reports for the image (see pointSize() in ImageDensity.h). `held`,
// when given, receives the file the image was decoded from, held open (none when the image is
// null): renamed over or moved since, it still reads as it was decoded.
QImage load(const QString &path, DetectionServices &detection, QSize *pointSize = nullptr,
            files::HeldFilePtr *held = nullptr);

} // namespace imageloader
} // namespace orvane
