#include "hud/CardPaint.h"

#include "hud/symbols/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>

namespace orvane {

QLinearGradient auroraGradient(const QPointF &start, const QPointF &end)
{
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0.0, QColor::fromRgbF(0.06F, 0.76F, 0.54F));
    gradient.setColorAt(0.5, QColor::fromRgbF(0.05F, 0.60F, 0.56F));
    gradient.setColorAt(1.0, QColor::fromRgbF(0.04F, 0.54F, 0.68F));
    return gradient;
}

AuroraItem::AuroraItem(QQuickItem *parent) : QQuickPaintedItem(parent)
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
    const QLinearGradient gradient = auroraGradient(area.topLeft(), end);
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

SymbolItem::SymbolItem(QQuickItem *parent) : QQuickPaintedItem(parent)
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

ThumbnailItem::ThumbnailItem(QQuickItem *parent) : QQuickPaintedItem(parent)
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
