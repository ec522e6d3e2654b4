#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The three aurora colours, evenly spaced, from `start` to `end`.
QLinearGradient auroraGradient(const QPointF &start, const QPointF &end);

// A rounded shape, or a symbol, filled with the aurora colours: diagonally from the top-left
// to the bottom-right corner, or from the left to the right edge. Painted by hand because
// Qt Quick's own gradients run only vertically or horizontally.
class AuroraItem : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius MEMBER m_radius NOTIFY appearanceChanged)
    Q_PROPERTY(bool horizontal MEMBER m_horizontal NOTIFY appearanceChanged)
    // When set, the symbol of that name is painted instead of the rounded shape.
    Q_PROPERTY(QString symbol MEMBER m_symbol NOTIFY appearanceChanged)

public:
    explicit AuroraItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;

signals:
    void appearanceChanged();

private:
    qreal m_radius = 0;
    bool m_horizontal = false;
    QString m_symbol;
};

// The screenshot, scaled to fit with its proportions kept, centred, with the item's rounded
// corners cut off wherever the picture reaches them.
class ThumbnailItem : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QImage image MEMBER m_image NOTIFY imageChanged)
    Q_PROPERTY(qreal radius MEMBER m_radius NOTIFY imageChanged)

public:
    explicit ThumbnailItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;

    // Where the picture lands in a frame of `frame` size.
    static QRectF fittedRect(const QSizeF &image, const QSizeF &frame);

signals:
    void imageChanged();

private:
    QImage m_image;
    qreal m_radius = 0;
};

} // namespace orvane
