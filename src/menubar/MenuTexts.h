#pragma once

#include "platform/Platform.h"

#include <QString>

namespace orvane {

// The tray's words. Mostly the same everywhere; where a macOS word would mislead on Linux, the
// Linux text takes its place.
struct MenuTexts {
    QString heading;
    QString active;
    QString paused;
    QString preferences;
    QString autoCopy;
    QString playSound;
    QString launchAtLogin;
    QString screenshotFolder;
    QString timer;
    QString pause;
    QString resume;
    QString about;
    QString uninstall;
    QString quit;

    QString currentFolderPrefix;
    QString chooseFolder;
    QString resetFolder;
    // "%1": one of the auto-dismiss times on offer.
    QString seconds;
    QString defaultSeconds;

    QString folderMessage;

    QString aboutTitle;
    QString aboutText;
    QString okButton;

    QString uninstallTitle;
    QString uninstallText;

    QString trayToolTip;
    // Shown in place of the icon when no icon can be drawn.
    QString fallbackIconText;

    // In the language of the translators installed now.
    static MenuTexts forPlatform(PlatformKind kind);
};

} // namespace orvane
