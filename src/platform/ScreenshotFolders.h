#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where a Linux desktop's capture tools save screenshots, worked out from their settings as
// text. Pure functions: the platform reads the files and hands their contents in.
namespace orvane::screenshotfolders {

// What the tools' settings say, as found on disk (an empty text where a file is missing).
struct ToolSettings {
    QString home;
    // The Pictures folder (from user-dirs.dirs) and "Screenshots" in the user's language.
    QString pictures;
    QString screenshotsName;
    QString userDirs;          // $XDG_CONFIG_HOME/user-dirs.dirs
    QString gnomeScreenshot;   // org.gnome.gnome-screenshot auto-save-directory
    QString spectacle;         // $XDG_CONFIG_HOME/spectaclerc
    QString xfceScreenshooter; // $XDG_CONFIG_HOME/xfce4/xfce4-screenshooter
    QString flameshot;         // $XDG_CONFIG_HOME/flameshot/flameshot.ini
};

struct Folders {
    // The folders the settings name, in this order, each once: XDG_SCREENSHOTS_DIR, then
    // gnome-screenshot, Spectacle, xfce4-screenshooter and Flameshot.
    QStringList configured;
    // Where the tools save when nobody set a folder: Pictures' "Screenshots" subfolder under
    // its translated name (GNOME Shell), under its English name (Plasma 6 Spectacle), and
    // Pictures itself (gnome-screenshot, xfce4-screenshooter, older Spectacle, Flameshot).
    QStringList defaults;

    // The first configured folder that is none of the defaults: a folder the user chose.
    // (Some tools write their default into their settings; that is no choice.)
    std::optional<QString> chosen() const;
    // Every folder, configured ones first, each once.
    QStringList all() const;
};

Folders resolve(const ToolSettings &settings);

// A folder as a tool's setting gives it: an absolute path, a file:// URL, or a path starting
// with "~/". None for an empty, relative or remote one.
std::optional<QString> folderFromSetting(const QString &value, const QString &home);

// The value of XDG_<NAME>_DIR in a user-dirs.dirs text, read as GLib reads it.
std::optional<QString> userDir(const QString &userDirsText, const QString &name,
                               const QString &home);

// The value of `key` in `group` of an INI-style text (KConfig, XfceRc and QSettings files),
// or in whichever group holds it first when no group is given.
std::optional<QString> iniValue(const QString &text, const std::optional<QString> &group,
                                const QString &key, const QString &home);

} // namespace orvane::screenshotfolders
