#include "hud/SimulatedCapture.h"

#include "hud/HUDWindowController.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryFile>

#include <cstdio>

namespace orvane {

namespace {

constexpr int width = 500;
constexpr int height = 320;

// The picture is laid out with y growing upwards from its bottom edge; Qt's grows downwards.
qreal flipped(qreal y)
{
    return height - y;
}

// Draws `text` with the lower-left corner of its line box at (x, y) of the upward layout.
void drawAt(QPainter &painter, const QString &text, qreal x, qreal y, const QFont &font,
            const QColor &color)
{
    painter.setFont(font);
    painter.setPen(color);
    const QFontMetricsF metrics(font);
    painter.drawText(QPointF(x, flipped(y) - metrics.descent()), text);
}

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

QImage drawSampleScreenshot()
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // At -45 degrees: from the top-left corner, at right angles to lines of equal colour,
    // to the point where such a line passes through the bottom-right corner.
    const qreal reach = (width + height) / 2.0;
    QLinearGradient background(0, 0, reach, reach);
    background.setColorAt(0.0, QColor::fromRgbF(0.08F, 0.12F, 0.22F));
    background.setColorAt(1.0, QColor::fromRgbF(0.05F, 0.35F, 0.4F));
    painter.fillRect(QRectF(0, 0, width, height), background);

    QPainterPath panel;
    panel.addRoundedRect(QRectF(40, flipped(40 + 240), 420, 240), 10, 10);
    painter.fillPath(panel, QColor::fromRgbF(1.0F, 1.0F, 1.0F, 0.12F));

    drawAt(painter,
           QStringLiteral("\U0001F4F8 ") +
               QCoreApplication::translate("SimulatedCapture", "Sample Screenshot Simulation"),
           60, 180, systemFont(16, QFont::Bold), Qt::white);
    drawAt(painter,
           QCoreApplication::translate("SimulatedCapture", "Live preview of Orvane Floating HUD"),
           60, 155, systemFont(12, QFont::Medium), QColor::fromRgbF(1.0F, 1.0F, 1.0F, 0.75F));
    painter.end();
    return image;
}

void testHUD(const QString &path, const ShowCard &show)
{
    const QImage picture = drawSampleScreenshot();
    // Written beside and renamed into place: in a shared /tmp a link planted under the
    // sample's name is replaced, never followed (QSaveFile would write through it). A picture
    // that cannot be written still gets its card.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (file.open() && picture.save(&file, "PNG") && file.flush() &&
        std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(path).constData()) == 0) {
        file.setAutoRemove(false);
    }
    show(path, picture);
}

void testHUD(HUDWindowController &hud)
{
    testHUD(QString::fromLatin1(sampleScreenshotPath),
            [&hud](const QString &filePath, const QImage &image) { hud.showHUD(filePath, image); });
}

} // namespace orvane
