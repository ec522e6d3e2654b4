#pragma once

#include <QString>

// The texts of the per-user login agent: a launchd property list on macOS, an XDG Autostart
// desktop entry elsewhere. Pure functions, so that both are tested on every platform.
namespace orvane::loginagent {

inline constexpr auto label = "com.tarnwell.orvane";

// The executable the agent starts: inside an .app bundle the bundle's fixed executable,
// otherwise the program exactly as it was started.
QString executablePath(const QString &bundlePath, const QString &argv0);

// The launchd property list starting `executable` with "--background"; the path is escaped
// for XML, everything else is fixed.
QString plistText(const QString &executable);

// The XDG Autostart entry starting `executable` with "--background".
QString desktopEntryText(const QString &executable);

// One argument of a desktop entry's Exec key, quoted as the Desktop Entry format asks.
QString desktopExecArgument(const QString &argument);

// Whether an autostart entry's text leaves the entry enabled (not Hidden, not switched off).
bool desktopEntryEnabled(const QString &entryText);

} // namespace orvane::loginagent
