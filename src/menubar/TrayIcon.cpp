#include "menubar/TrayIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QResource>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orvane::tray {

namespace {

constexpr int maskSizes[] = {16, 22, 24, 32, 44, 48, 64, 96, 128};

// The mask for `pixels`: the smallest built into the program that is not smaller, else the
// largest. Coverage bytes, row by row (see the CMakeLists), read in place: nothing is decoded
// or kept.
QImage maskFor(const QSize &pixels)
{
    const int wanted = std::min(pixels.width(), pixels.height()); // drawn square
    const auto *fits = std::find_if(std::begin(maskSizes), std::end(maskSizes),
                                    [wanted](int size) { return size >= wanted; });
    const int size = fits == std::end(maskSizes) ? maskSizes[std::size(maskSizes) - 1] : *fits;
    const QResource resource(QStringLiteral(":/orvane/tray/%1.alpha").arg(size));
    if (resource.compressionAlgorithm() != QResource::NoCompression ||
        resource.size() != qint64(size) * size) {
        return {};
    }
    return QImage(resource.data(), size, size, size, QImage::Format_Alpha8);
}

// Draws the symbolic icon in one colour, and keeps its theme name.
class TintedIconEngine : public QIconEngine {
public:
    TintedIconEngine(QColor color, bool named) : m_color(color), m_named(named) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const QSize pixels = size * scale;
        if (pixels.isEmpty()) {
            return {};
        }
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const int side = std::min(pixels.width(), pixels.height());
        QRect square(0, 0, side, side);
        square.moveCenter(image.rect().center());
        painter.drawImage(square, maskFor(pixels));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        QColor color = m_color;
        if (mode == QIcon::Disabled) {
            color.setAlphaF(color.alphaF() * 0.5F);
        }
        painter.fillRect(image.rect(), color);
        painter.end();
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24),
                QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }
    // A StatusNotifierItem host draws the icon by this name when it has one, else the pixels:
    // a name no installed theme holds (a run from the build tree) would draw nothing legible.
    QString iconName() override
    {
        return m_named ? QString::fromUtf16(symbolicIconName) : QString();
    }
    QString key() const override { return QStringLiteral("orvane-tinted"); }
    QIconEngine *clone() const override { return new TintedIconEngine(m_color, m_named); }

private:
    QColor m_color;
    bool m_named = false;
};

} // namespace

QColor contrastingIconColor(const QColor &panel)
{
    static const QColor dark(0x2e, 0x34, 0x36);
    static const QColor light(0xee, 0xee, 0xec);
    if (!panel.isValid()) {
        return dark;
    }
    // Relative luminance (sRGB), and the grey that contrasts more with it.
    const auto linear = [](float channel) {
        return channel <= 0.04045F ? channel / 12.92F : std::pow((channel + 0.055F) / 1.055F, 2.4F);
    };
    const auto luminance = [&linear](const QColor &color) {
        const QColor rgb = color.toRgb();
        return 0.2126F * linear(rgb.redF()) + 0.7152F * linear(rgb.greenF()) +
               0.0722F * linear(rgb.blueF());
    };
    const auto contrast = [](float a, float b) {
        return (std::max(a, b) + 0.05F) / (std::min(a, b) + 0.05F);
    };
    const float ground = luminance(panel);
    return contrast(luminance(dark), ground) >= contrast(luminance(light), ground) ? dark : light;
}

QColor dominantColor(const QImage &area, const QColor &ignored)
{
    const QImage rgb = area.convertToFormat(QImage::Format_RGB32);
    const QRgb skip = ignored.isValid() ? ignored.rgb() : 0;
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b)) <
               48;
    };
    // Counted in coarse bins, so that the soft edges of a gradient or a texture fall together.
    QHash<QRgb, int> counts;
    QHash<QRgb, QRgb> example;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = line[x];
            if (ignored.isValid() && near(pixel, skip)) {
                continue;
            }
            const QRgb bin = pixel & 0xF0F0F0U;
            ++counts[bin];
            example.insert(bin, pixel);
        }
    }
    QRgb best = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return most > 0 ? QColor(example.value(best)) : QColor();
}

QIcon symbolicIcon(const QColor &color)
{
    // The name is given only where it is installed, for hosts that draw the icon themselves;
    // looked up as a file, since asking the icon theme would keep its whole index in memory.
    static const bool installed =
        !QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("icons/hicolor/symbolic/apps/%1.svg")
                                    .arg(QString::fromUtf16(symbolicIconName)))
             .isEmpty();
    return QIcon(new TintedIconEngine(color, installed));
}

} // namespace orvane::tray
