#include "ProcessContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane {

ProcessContext ProcessContext::current()
{
    ProcessContext ctx;
    const QStringList args = QCoreApplication::arguments();
    ctx.argv0 = args.isEmpty() ? QString() : args.first();

    // Inside "X.app/Contents/MacOS" the bundle is X.app; a bare executable's "bundle" is the
    // folder that holds it.
    const QString dir = QCoreApplication::applicationDirPath();
    QDir bundleDir(dir);
    if (dir.endsWith(QStringLiteral("/Contents/MacOS")) && bundleDir.cdUp() && bundleDir.cdUp() &&
        bundleDir.path().endsWith(QStringLiteral(".app"))) {
        ctx.bundlePath = bundleDir.path();
    } else {
        ctx.bundlePath = dir;
    }

    // An AppImage runs from a new mount point each time; the image itself is what to start.
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    ctx.executableFile = appImage.isEmpty() ? QCoreApplication::applicationFilePath()
                                            : QFileInfo(appImage).absoluteFilePath();
    return ctx;
}

} // namespace orvane
