#include "platform/linux/LinuxPlatform.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvane {

Result LinuxWindowServices::openFolder(const QString &folder)
{
    // The desktop's default handler for folders: its file manager (xdg-open, or the portal
    // inside a sandbox).
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        return Result::failed(
            QStringLiteral("no file manager could be asked to open %1").arg(folder));
    }
    return Result::done();
}

} // namespace orvane
