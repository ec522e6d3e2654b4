#pragma once

#include <QByteArray>
#include <QSize>
#include <QSizeF>

#include <optional>

class QIODevice;

namespace orvane::imageloader {

// The density (dots per inch, across and down) that an image file records: PNG's pHYs, JPEG's
// JFIF header or Exif resolution, TIFF's resolution tags. None when it records none.
std::optional<QSizeF> recordedDensity(const QByteArray &data);
// The same for a file being read, whose first bytes are `head`: a TIFF's directory may sit
// anywhere in it.
std::optional<QSizeF> recordedDensity(QIODevice &device, const QByteArray &head);

// The image's size as the system's image objects report it, in points: pixels at 72 points an
// inch where the file records a density, the pixels themselves where it records none.
QSize pointSize(const QSize &pixels, const std::optional<QSizeF> &dotsPerInch);

} // namespace orvane::imageloader
