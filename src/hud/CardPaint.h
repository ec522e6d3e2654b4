#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class QPainter;

namespace orvane {

// An item drawn with QPainter into a picture of its device pixels, shown as a texture, and
// drawn again when update() is called or its size or pixel ratio changes. Not a
// QQuickPaintedItem: on the software scene graph that keeps two buffers of its size.
class PaintedPicture : public QQuickItem {
    Q_OBJECT

public:
    explicit PaintedPicture(QQuickItem *parent = nullptr);
    // In the item's own coordinates; the painter already carries the pixel ratio.
    virtual void paint(QPainter *painter) = 0;

protected:
    QSGNode *updatePaintNode(QSGNode *node, UpdatePaintNodeData *data) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
};

// The three aurora colours, evenly spaced, from `start` to `end`. Under white text they are
// deepened, each just enough for a contrast of 4.5:1 with the white at 0.85 of a subtitle
// (the plain colours give 2.3:1 at the light end).
QLinearGradient auroraGradient(const QPointF &start, const QPointF &end, bool underText = false);

// A rounded shape, or a symbol, filled with the aurora colours: diagonally from the top-left
// to the bottom-right corner, or from the left to the right edge. Painted by hand because
// Qt Quick's own gradients run only vertically or horizontally.
class AuroraItem : public PaintedPicture {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius MEMBER m_radius NOTIFY appearanceChanged)
    Q_PROPERTY(bool horizontal MEMBER m_horizontal NOTIFY appearanceChanged)
    // When set, the symbol of that name is painted instead of the rounded shape.
    Q_PROPERTY(QString symbol MEMBER m_symbol NOTIFY appearanceChanged)
    // Set where white text lies on it: the deepened colours.
    Q_PROPERTY(bool underText MEMBER m_underText NOTIFY appearanceChanged)

public:
    explicit AuroraItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;

signals:
    void appearanceChanged();

private:
    qreal m_radius = 0;
    bool m_horizontal = false;
    bool m_underText = false;
    QString m_symbol;
};

// One of the program's symbols in one colour, drawn at the device pixels of the window it is
// in: a bitmap sized in points would be blurred, and one sized in device pixels would lay out
// at twice its size on a 2x screen.
class SymbolItem : public PaintedPicture {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name MEMBER m_name NOTIFY appearanceChanged)
    // Drawn opaque; the item's opacity carries the colour's alpha.
    Q_PROPERTY(QColor color MEMBER m_color NOTIFY appearanceChanged)

public:
    explicit SymbolItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;

signals:
    void appearanceChanged();

private:
    QString m_name;
    QColor m_color = Qt::white;
};

// The screenshot, scaled to fit with its proportions kept, centred, with the item's rounded
// corners cut off wherever the picture reaches them.
class ThumbnailItem : public PaintedPicture {
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
