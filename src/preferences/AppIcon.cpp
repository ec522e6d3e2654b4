#include "AppIcon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

namespace orvane {

QIcon applicationIcon()
{
    const QIcon given = QGuiApplication::windowIcon();
    if (!given.isNull()) {
        return given;
    }
    const QString bundled =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../Resources/AppIcon.icns");
    if (QFileInfo::exists(bundled)) {
        return QIcon(bundled);
    }
    return {};
}

QPixmap AppIconProvider::requestPixmap(const QString &, QSize *size, const QSize &requestedSize)
{
    const QSize wanted = requestedSize.isValid() ? requestedSize : QSize(108, 108);
    const QPixmap pixmap = applicationIcon().pixmap(wanted);
    if (size) {
        *size = pixmap.size();
    }
    return pixmap;
}

} // namespace orvane
