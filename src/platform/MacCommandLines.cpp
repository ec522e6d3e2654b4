#include "MacCommandLines.h"

#include "ShellRunner.h"

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
    const QString name = QFileInfo(path).fileName();
    return QFileInfo(path).isAbsolute() && name.endsWith(QStringLiteral(".app")) &&
           name.size() > 4 && !path.endsWith(u'/');
}

QString removeBundleScript(const QString &bundlePath)
{
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
