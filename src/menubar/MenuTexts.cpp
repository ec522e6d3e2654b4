#include "menubar/MenuTexts.h"

namespace orvane {

namespace {

MenuTexts common()
{
    MenuTexts t;
    t.heading = QStringLiteral("Orvane v1.0");
    t.active = QStringLiteral("● Active & Monitoring");
    t.paused = QStringLiteral("⚠️ Monitoring Paused");
    t.preferences = QStringLiteral("Preferences & Settings...");
    t.autoCopy = QStringLiteral("Auto-Copy on Capture (Zero-Click)");
    t.playSound = QStringLiteral("Play Sound Effects");
    t.launchAtLogin = QStringLiteral("Launch at Login");
    t.screenshotFolder = QStringLiteral("Screenshot Folder");
    t.timer = QStringLiteral("HUD Auto-Dismiss Timer");
    t.pause = QStringLiteral("Pause Monitoring");
    t.resume = QStringLiteral("Resume Monitoring");
    t.about = QStringLiteral("About Orvane...");
    t.uninstall = QStringLiteral("Uninstall Orvane & Restore Defaults...");
    t.quit = QStringLiteral("Quit Orvane");
    t.currentFolderPrefix = QStringLiteral("Current: ");
    t.chooseFolder = QStringLiteral("Choose Custom Folder...");
    t.fourSeconds = QStringLiteral("4 Seconds");
    t.sevenSeconds = QStringLiteral("7 Seconds (Default)");
    t.twelveSeconds = QStringLiteral("12 Seconds");
    t.folderPrompt = QStringLiteral("Select Folder");
    t.folderMessage = QStringLiteral("Choose the folder where your screenshots are saved:");
    t.aboutTitle = QStringLiteral("Orvane · v1.0");
    t.okButton = QStringLiteral("OK");
    t.uninstallButton = QStringLiteral("Uninstall & Move to Trash");
    t.cancelButton = QStringLiteral("Cancel");
    t.trayToolTip = QStringLiteral("Orvane");
    t.fallbackIconText = QStringLiteral("📸");
    return t;
}

MenuTexts macTexts()
{
    MenuTexts t = common();
    t.resetFolder = QStringLiteral("Reset to macOS Default");
    t.aboutText = QStringLiteral("A lightweight macOS utility by Tarnwell that brings instant "
                                 "'Copy & Save' and quick actions to macOS screenshots.");
    t.uninstallTitle = QStringLiteral("Uninstall Orvane & Restore macOS Defaults");
    t.uninstallText = QStringLiteral(
        "This will restore Apple's original screenshot thumbnail behavior, remove the "
        "background service, and safely move Orvane to Trash.");
    return t;
}

MenuTexts linuxTexts()
{
    MenuTexts t = common();
    t.resetFolder = QStringLiteral("Reset to Desktop Default");
    t.aboutText = QStringLiteral("A lightweight Linux utility by Tarnwell that brings instant "
                                 "'Copy & Save' and quick actions to your desktop's screenshots.");
    t.uninstallTitle = QStringLiteral("Uninstall Orvane & Restore Desktop Defaults");
    // What becomes of the program itself depends on how it was installed: the confirmation
    // adds the platform's word on it.
    t.uninstallText = QStringLiteral(
        "This will remove Orvane's autostart entry, so that it no longer starts at login, and "
        "quit Orvane.");
    return t;
}

} // namespace

const MenuTexts &MenuTexts::forPlatform(PlatformKind kind)
{
    static const MenuTexts mac = macTexts();
    static const MenuTexts other = linuxTexts();
    return kind == PlatformKind::MacOS ? mac : other;
}

} // namespace orvane
