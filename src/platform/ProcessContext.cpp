#include "ProcessContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane {

namespace {

// The real path where there is one, so that a link to the mount point still counts.
QString resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

} // namespace

ProcessContext ProcessContext::current()
{
    return make(QCoreApplication::applicationFilePath(), QCoreApplication::arguments(),
                qEnvironmentVariable("APPIMAGE"), qEnvironmentVariable("APPDIR"));
}

ProcessContext ProcessContext::make(const QString &applicationFile, const QStringList &arguments,
                                    const QString &appImageVariable, const QString &appDirVariable)
{
    ProcessContext ctx;
    ctx.argv0 = arguments.isEmpty() ? QString() : arguments.first();

    // Inside "X.app/Contents/MacOS" the bundle is X.app; a bare executable's "bundle" is the
    // folder that holds it.
    const QString dir = QFileInfo(applicationFile).path();
    QDir bundleDir(dir);
    if (dir.endsWith(QStringLiteral("/Contents/MacOS")) && bundleDir.cdUp() && bundleDir.cdUp() &&
        bundleDir.path().endsWith(QStringLiteral(".app"))) {
        ctx.bundlePath = bundleDir.path();
    } else {
        ctx.bundlePath = dir;
    }

    // An AppImage runs from a new mount point each time; the image itself is what to start.
    // Its variables are inherited by whatever it starts, though (a terminal, and Orvane from
    // there): they describe this process only when its executable lies in the mount point.
    if (!appImageVariable.isEmpty() && !appDirVariable.isEmpty()) {
        const QString mount = resolved(appDirVariable);
        if (mount != QStringLiteral("/") &&
            resolved(applicationFile).startsWith(mount + QLatin1Char('/'))) {
            ctx.appImage = QFileInfo(appImageVariable).absoluteFilePath();
        }
    }
    ctx.executableFile = ctx.appImage.isEmpty() ? applicationFile : ctx.appImage;
    return ctx;
}

} // namespace orvane
