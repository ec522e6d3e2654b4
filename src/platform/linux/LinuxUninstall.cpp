// GLib first: its headers use names that Qt defines as keywords.
#include <gio/gio.h>

#include "platform/linux/GioTrash.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvane {

namespace {

// The freedesktop Trash, so that the user can restore what the uninstall took away. At once,
// not in the background: Orvane quits right after.
std::optional<QString> trashNow(const QString &path)
{
    const std::optional<QString> reason = gio::trash(path);
    if (!reason) {
        return std::nullopt;
    }
    return QStringLiteral("%1 could not be moved to the Trash (%2); nothing was removed.")
        .arg(path, *reason);
}

bool isInside(const QString &file, const QString &folder)
{
    return !folder.isEmpty() && folder != QStringLiteral("/") &&
           file.startsWith(folder + QLatin1Char('/'));
}

} // namespace

std::optional<QString> LinuxPlatform::removeProgram()
{
    // An AppImage is one file the user put somewhere; a binary under the home folder was
    // installed by the user too. Anything else belongs to a package manager or an
    // administrator, and stays.
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    const QString program = QFileInfo(m_context.executableFile).canonicalFilePath();
    if (program.isEmpty()) {
        return QStringLiteral("%1 was not found; nothing was removed.")
            .arg(m_context.executableFile);
    }
    const bool isAppImage =
        !appImage.isEmpty() && QFileInfo(appImage).canonicalFilePath() == program;
    const QString home = QDir(QDir::homePath()).canonicalPath();
    if (!isAppImage && !isInside(program, home)) {
        return QStringLiteral("%1 is not installed in your home folder; remove it the way it "
                              "was installed.")
            .arg(program);
    }
    return trashNow(program);
}

} // namespace orvane
