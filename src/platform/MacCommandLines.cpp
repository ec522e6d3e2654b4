#include "MacCommandLines.h"

#include "ShellRunner.h"

#include <QDir>
#include <QFileInfo>

namespace orvane::maccmd {

QString readScreenshotLocation()
{
    return QStringLiteral("defaults read com.apple.screencapture location 2>/dev/null");
}

QString writeScreenshotLocation(const QString &folder)
{
    return QStringLiteral("defaults write com.apple.screencapture location ") +
           shellQuoted(folder) + QStringLiteral(" && killall SystemUIServer 2>/dev/null");
}

QString resetScreenshotLocation()
{
    return QStringLiteral("defaults delete com.apple.screencapture location 2>/dev/null && "
                          "killall SystemUIServer 2>/dev/null");
}

QString resetScreenshotThumbnail()
{
    return QStringLiteral("defaults delete com.apple.screencapture show-thumbnail 2>/dev/null; "
                          "killall SystemUIServer 2>/dev/null");
}

QString unloadLaunchAgent(const QString &agentFile)
{
    return QStringLiteral("launchctl unload -w ") + shellQuoted(agentFile) +
           QStringLiteral(" 2>/dev/null");
}

QString openInPreview(const QString &file)
{
    return QStringLiteral("open -a Preview ") + shellQuoted(file);
}

QString openFolder(const QString &folder)
{
    return QStringLiteral("open ") + shellQuoted(folder);
}

QString revealInFinder(const QString &file, bool fileExists)
{
    if (fileExists) {
        return QStringLiteral("open -R ") + shellQuoted(file);
    }
    return QStringLiteral("open ") + shellQuoted(QFileInfo(file).path());
}

bool isAppBundlePath(const QString &path)
{
    // Only the plain spelling of an absolute path: "x.app/", "/a/../b.app" or "//x.app" may
    // name something else than they seem to, and "/" or "" would take everything with them.
    if (path.isEmpty() || !path.startsWith(u'/') || QDir::cleanPath(path) != path ||
        path.contains(QChar(0))) {
        return false;
    }
    const QString name = path.section(u'/', -1);
    const QString stem = name.chopped(qMin(name.size(), 4));
    if (!name.endsWith(QStringLiteral(".app")) || stem.isEmpty() || stem == QStringLiteral(".")) {
        return false;
    }
    // A link named like a bundle may lead anywhere (the home folder, "/"); removing it would
    // take the wrong thing, or only the link. What is there must be the folder itself.
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

std::optional<QString> removeBundleScript(const QString &bundlePath)
{
    if (!isAppBundlePath(bundlePath)) {
        return std::nullopt;
    }
    // The Finder request runs inside AppleScript: the bundle path is an AppleScript string
    // there, inside a single-quoted shell word, so it is escaped for both in turn.
    QString appleScriptPath = bundlePath;
    appleScriptPath.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    QString script = QStringLiteral("tell application \"Finder\" to delete POSIX file \"") +
                     appleScriptPath + u'"';
    script.replace(u'\'', QStringLiteral("'\\''"));
    return QStringLiteral("sleep 0.4\nosascript -e '") + script +
           QStringLiteral("' 2>/dev/null || rm -rf ") + shellQuoted(bundlePath);
}

} // namespace orvane::maccmd
