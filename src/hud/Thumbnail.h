#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace orvane::thumbnail {

// The card's picture area, in points: the card's width less its margins, and its tallest.
inline constexpr QSizeF area{272, 140};
// A capture more than this many times as tall as it is wide shows its top part across the
// whole width instead of a thin strip down the middle.
inline constexpr double tallRatio = 3.0;
// A wide capture is never shown less tall than this; its start (left part) fills the area.
inline constexpr double minimumHeight = 48;

// Which part of an image of `pixels` the card shows, and the size it shows it at (points).
struct Plan {
    QRect source;
    QSizeF display;
};
Plan plan(const QSize &pixels);

// What the card keeps of `image`: the part it shows, at most as many pixels as the display
// size at `pixelRatio` needs. Blocking; meant for a worker thread.
QImage make(const QImage &image, qreal pixelRatio);

} // namespace orvane::thumbnail
