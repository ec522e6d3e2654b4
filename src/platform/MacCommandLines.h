#pragma once

#include <QString>

#include <optional>

// The command lines Orvane runs on macOS. Built here, portably, so that they are compiled and
// tested on every platform. Paths are quoted so that each reaches its tool as one argument.
namespace orvane::maccmd {

QString readScreenshotLocation();
QString writeScreenshotLocation(const QString &folder);
QString resetScreenshotLocation();
QString resetScreenshotThumbnail();
QString unloadLaunchAgent(const QString &agentFile);
QString openInPreview(const QString &file);
// Reveals `file` selected when it exists; otherwise opens the folder that held it.
QString revealInFinder(const QString &file, bool fileExists);
// Shows a folder in Finder.
QString openFolder(const QString &folder);
// Whether `path` is an existing application bundle ("/Applications/Orvane.app"): absolute,
// plainly spelt, a folder and not a link. The only kind of path the removal script may be given.
bool isAppBundlePath(const QString &path);
// The detached script that moves the application bundle to the Trash once Orvane has quit;
// none for anything but an application bundle.
std::optional<QString> removeBundleScript(const QString &bundlePath);

} // namespace orvane::maccmd
