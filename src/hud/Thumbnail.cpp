#include "hud/Thumbnail.h"

#include <algorithm>

namespace orvane::thumbnail {

Plan plan(const QSize &pixels)
{
    const int width = pixels.width();
    const int height = pixels.height();
    if (width <= 0 || height <= 0) {
        return {};
    }
    if (height > tallRatio * width) {
        // A full-page capture: its top, as wide as the area, is what the user recognises.
        const int rows = std::clamp(qRound(width * area.height() / area.width()), 1, height);
        return {QRect(0, 0, width, rows), area};
    }
    if (area.width() * height / width < minimumHeight) {
        const int columns = std::clamp(qRound(height * area.width() / minimumHeight), 1, width);
        return {QRect(0, 0, columns, height), QSizeF(area.width(), minimumHeight)};
    }
    return {QRect(QPoint(0, 0), pixels), QSizeF(pixels).scaled(area, Qt::KeepAspectRatio)};
}

QImage make(const QImage &image, qreal pixelRatio)
{
    const Plan shown = plan(image.size());
    if (shown.source.isEmpty()) {
        return {};
    }
    QImage part = shown.source.size() == image.size() ? image : image.copy(shown.source);
    const QImage::Format painted =
        part.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // Qt scales a one-bit picture back into one bit, dithered to black and white: a
    // single-colour PNG saved with a two-colour palette would show as noise.
    if (part.depth() == 1) {
        part = part.convertToFormat(painted);
    }
    const QSize needed = (shown.display * pixelRatio).toSize().expandedTo(QSize(1, 1));
    if (part.width() > needed.width() || part.height() > needed.height()) {
        // Qt's smooth scaling may fan out to the global thread pool and wait for it: fine
        // here, where only this worker waits.
        part = part.scaled(part.size().scaled(needed, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } // small already: the card stretches it
    // A PNG of sixteen bits a channel decodes to eight bytes a pixel: twice the memory for
    // the card to keep, and a conversion each time it is painted.
    return part.format() == painted ? part : part.convertToFormat(painted);
}

} // namespace orvane::thumbnail
