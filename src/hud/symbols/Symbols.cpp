#include "Symbols.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPicture>
#include <QPixmap>

namespace orvane::symbols {

namespace {

// Drawings recorded in a box of this many pixels (see the CMakeLists).
constexpr qreal recordedSize = 64;

QString ownFile(const QString &name)
{
    return QStringLiteral(":/orvane/symbols/") + name + QStringLiteral(".picture");
}

// Orvane's own drawing, replayed onto `painter` across `area`; false if it has none.
bool drawOwn(const QString &name, QPainter &painter, const QRectF &area)
{
    QFile file(ownFile(name));
    QPicture picture;
    if (!file.open(QIODevice::ReadOnly) || !picture.load(&file)) {
        return false;
    }
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(area.width() / recordedSize, area.height() / recordedSize);
    picture.play(&painter);
    painter.restore();
    return true;
}

// Only monochrome ("symbolic") theme icons: they can be tinted like ours.
QString themeName(const QString &name)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("xmark"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("doc.on.doc.fill"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("doc.on.clipboard"), QStringLiteral("edit-paste-symbolic")},
        {QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("trash.fill"), QStringLiteral("user-trash-full-symbolic")},
        {QStringLiteral("folder"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("power"), QStringLiteral("system-shutdown-symbolic")},
        {QStringLiteral("speaker.wave.2"), QStringLiteral("audio-volume-high-symbolic")},
        {QStringLiteral("keyboard"), QStringLiteral("input-keyboard-symbolic")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("camera.viewfinder"), QStringLiteral("camera-photo-symbolic")},
    };
    return names.value(name);
}

} // namespace

QIcon icon(const QString &name)
{
    const QString themed = themeName(name);
    if (!themed.isEmpty() && QIcon::hasThemeIcon(themed)) {
        return QIcon::fromTheme(themed);
    }
    if (!QFile::exists(ownFile(name))) {
        return {};
    }
    QIcon drawn;
    for (const int size : {16, 32, 64, 128}) {
        drawn.addPixmap(QPixmap::fromImage(render(name, QSize(size, size), Qt::black)));
    }
    return drawn;
}

QImage render(const QString &name, const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QString themed = themeName(name);
    if (!themed.isEmpty() && QIcon::hasThemeIcon(themed)) {
        QIcon::fromTheme(themed).paint(&painter, image.rect());
    } else if (!drawOwn(name, painter, QRectF(image.rect()))) {
        return image; // an unknown name draws nothing rather than something wrong
    }
    // One colour over whatever was drawn, keeping its shape and its edges' softness.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

QStringList names()
{
    QStringList result;
    for (const QString &file :
         QDir(QStringLiteral(":/orvane/symbols")).entryList({QStringLiteral("*.picture")})) {
        result << file.chopped(8);
    }
    return result;
}

} // namespace orvane::symbols
