#include "platform/linux/LinuxPlatform.h"

#include <QDesktopServices>
#include <QUrl>

namespace orvane {

bool LinuxPlatform::openFolder(const QString &folder)
{
    // The desktop's default handler for folders: its file manager (xdg-open, or the portal
    // inside a sandbox).
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace orvane
