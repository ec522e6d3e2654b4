#pragma once

#include <QIcon>
#include <QQuickImageProvider>

namespace orvane {

// The application's own icon: the one it was given, else the bundle's AppIcon.icns; null
// when there is neither.
QIcon applicationIcon();

// "image://appicon/main" for the view's header.
class AppIconProvider : public QQuickImageProvider {
public:
    AppIconProvider() : QQuickImageProvider(QQuickImageProvider::Pixmap) {}
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace orvane
