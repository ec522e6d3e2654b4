#include "hud/CardPaint.h"

#include "hud/symbols/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGImageNode>

namespace orvane {

PaintedPicture::PaintedPicture(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
}

QSGNode *PaintedPicture::updatePaintNode(QSGNode *node, UpdatePaintNodeData *)
{
    const qreal ratio = window()->effectiveDevicePixelRatio();
    const QSize pixels = (size() * ratio).toSize();
    if (pixels.isEmpty()) {
        delete node;
        return nullptr;
    }
    QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, antialiasing());
        paint(&painter);
    }
    auto *image = static_cast<QSGImageNode *>(node);
    if (!image) {
        image = window()->createImageNode();
        image->setOwnsTexture(true);
        image->setFiltering(QSGTexture::Linear);
    }
    // The texture takes its own copy; the picture goes with this call.
    image->setTexture(window()->createTextureFromImage(picture));
    image->setRect(boundingRect());
    return image;
}

void PaintedPicture::itemChange(ItemChange change, const ItemChangeData &value)
{
    if (change == ItemDevicePixelRatioHasChanged) {
        update();
    }
    QQuickItem::itemChange(change, value);
}

QLinearGradient auroraGradient(const QPointF &start, const QPointF &end, bool underText)
{
    QLinearGradient gradient(start, end);
    if (underText) {
        gradient.setColorAt(0.0, QColor::fromRgbF(0.04F, 0.46F, 0.32F));
        gradient.setColorAt(0.5, QColor::fromRgbF(0.04F, 0.45F, 0.42F));
        gradient.setColorAt(1.0, QColor::fromRgbF(0.03F, 0.43F, 0.55F));
    } else {
        gradient.setColorAt(0.0, QColor::fromRgbF(0.06F, 0.76F, 0.54F));
        gradient.setColorAt(0.5, QColor::fromRgbF(0.05F, 0.60F, 0.56F));
        gradient.setColorAt(1.0, QColor::fromRgbF(0.04F, 0.54F, 0.68F));
    }
    return gradient;
}

AuroraItem::AuroraItem(QQuickItem *parent) : PaintedPicture(parent)
{
    setAntialiasing(true);
    connect(this, &AuroraItem::appearanceChanged, this, [this] { update(); });
}

void AuroraItem::paint(QPainter *painter)
{
    const QRectF area = boundingRect();
    if (area.isEmpty()) {
        return;
    }
    const QPointF end = m_horizontal ? QPointF(area.right(), area.top()) : area.bottomRight();
    const QLinearGradient gradient = auroraGradient(area.topLeft(), end, m_underText);
    painter->setRenderHint(QPainter::Antialiasing);
    if (!m_symbol.isEmpty()) {
        const qreal scale = window() ? window()->effectiveDevicePixelRatio() : 1.0;
        QImage mask = symbols::render(m_symbol, (area.size() * scale).toSize(), Qt::white);
        QPainter tint(&mask);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.scale(scale, scale);
        tint.fillRect(area, gradient);
        tint.end();
        painter->drawImage(area, mask);
        return;
    }
    QPainterPath shape;
    const qreal radius = std::min({m_radius, area.width() / 2, area.height() / 2});
    shape.addRoundedRect(area, radius, radius);
    painter->fillPath(shape, gradient);
}

SymbolItem::SymbolItem(QQuickItem *parent) : PaintedPicture(parent)
{
    connect(this, &SymbolItem::appearanceChanged, this, [this] { update(); });
}

void SymbolItem::paint(QPainter *painter)
{
    const QRectF area = boundingRect();
    const qreal scale = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (area.size() * scale).toSize();
    if (m_name.isEmpty() || pixels.isEmpty()) {
        return;
    }
    QColor opaque = m_color;
    opaque.setAlphaF(1.0F);
    painter->drawImage(area, symbols::render(m_name, pixels, opaque));
}

ThumbnailItem::ThumbnailItem(QQuickItem *parent) : PaintedPicture(parent)
{
    setAntialiasing(true);
    connect(this, &ThumbnailItem::imageChanged, this, [this] { update(); });
}

QRectF ThumbnailItem::fittedRect(const QSizeF &image, const QSizeF &frame)
{
    if (image.isEmpty() || frame.isEmpty()) {
        return {};
    }
    const QSizeF size = image.scaled(frame, Qt::KeepAspectRatio);
    return {QPointF((frame.width() - size.width()) / 2, (frame.height() - size.height()) / 2),
            size};
}

void ThumbnailItem::paint(QPainter *painter)
{
    const QRectF target = fittedRect(m_image.deviceIndependentSize(), boundingRect().size());
    if (target.isEmpty()) {
        return;
    }
    painter->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath frame;
    frame.addRoundedRect(boundingRect(), m_radius, m_radius);
    painter->setClipPath(frame);
    painter->drawImage(target, m_image);
}

} // namespace orvane
