#include "menubar/MenuTexts.h"

#include <QCoreApplication>

namespace orvane {

namespace {

// Looked up when the texts are built, so they follow the translator installed at start-up.
// Texts that only macOS shows keep a context of their own: their translation may wait.
QString translated(const char *text)
{
    return QCoreApplication::translate("MenuTexts", text);
}

QString translatedMac(const char *text)
{
    return QCoreApplication::translate("macOS", text);
}

MenuTexts common()
{
    MenuTexts t;
    t.heading = QStringLiteral("Orvane v1.0");
    t.active = translated(QT_TRANSLATE_NOOP("MenuTexts", "● Active & Monitoring"));
    t.paused = translated(QT_TRANSLATE_NOOP("MenuTexts", "⚠️ Monitoring Paused"));
    t.preferences = translated(QT_TRANSLATE_NOOP("MenuTexts", "Preferences & Settings..."));
    t.autoCopy = translated(QT_TRANSLATE_NOOP("MenuTexts", "Auto-Copy on Capture (Zero-Click)"));
    t.playSound = translated(QT_TRANSLATE_NOOP("MenuTexts", "Play Sound Effects"));
    t.launchAtLogin = translated(QT_TRANSLATE_NOOP("MenuTexts", "Launch at Login"));
    t.screenshotFolder = translated(QT_TRANSLATE_NOOP("MenuTexts", "Screenshot Folder"));
    t.timer = translated(QT_TRANSLATE_NOOP("MenuTexts", "HUD Auto-Dismiss Timer"));
    t.pause = translated(QT_TRANSLATE_NOOP("MenuTexts", "Pause Monitoring"));
    t.resume = translated(QT_TRANSLATE_NOOP("MenuTexts", "Resume Monitoring"));
    t.about = translated(QT_TRANSLATE_NOOP("MenuTexts", "About Orvane..."));
    t.uninstall =
        translated(QT_TRANSLATE_NOOP("MenuTexts", "Uninstall Orvane & Restore Defaults..."));
    t.quit = translated(QT_TRANSLATE_NOOP("MenuTexts", "Quit Orvane"));
    t.currentFolderPrefix = translated(QT_TRANSLATE_NOOP("MenuTexts", "Current: "));
    t.chooseFolder = translated(QT_TRANSLATE_NOOP("MenuTexts", "Choose Custom Folder..."));
    t.seconds = translated(QT_TRANSLATE_NOOP("MenuTexts", "%1 Seconds"));
    t.defaultSeconds = translated(QT_TRANSLATE_NOOP("MenuTexts", "%1 Seconds (Default)"));
    t.folderMessage = translated(
        QT_TRANSLATE_NOOP("MenuTexts", "Choose the folder where your screenshots are saved:"));
    t.aboutTitle = QStringLiteral("Orvane · v1.0");
    t.okButton = translated(QT_TRANSLATE_NOOP("MenuTexts", "OK"));
    t.trayToolTip = QStringLiteral("Orvane");
    t.fallbackIconText = QStringLiteral("📸");
    return t;
}

MenuTexts macTexts()
{
    MenuTexts t = common();
    t.resetFolder = translatedMac(QT_TRANSLATE_NOOP("macOS", "Reset to macOS Default"));
    t.aboutText = translatedMac(
        QT_TRANSLATE_NOOP("macOS", "A lightweight macOS utility by Tarnwell that brings instant "
                                   "'Copy & Save' and quick actions to macOS screenshots."));
    t.uninstallTitle =
        translatedMac(QT_TRANSLATE_NOOP("macOS", "Uninstall Orvane & Restore macOS Defaults"));
    t.uninstallText = translatedMac(QT_TRANSLATE_NOOP(
        "macOS", "This will restore Apple's original screenshot thumbnail behavior, remove the "
                 "background service, and safely move Orvane to Trash."));
    return t;
}

MenuTexts linuxTexts()
{
    MenuTexts t = common();
    t.resetFolder = translated(QT_TRANSLATE_NOOP("MenuTexts", "Reset to Desktop Default"));
    t.aboutText = translated(QT_TRANSLATE_NOOP(
        "MenuTexts", "A lightweight Linux utility by Tarnwell that brings instant "
                     "'Copy & Save' and quick actions to your desktop's screenshots."));
    t.uninstallTitle =
        translated(QT_TRANSLATE_NOOP("MenuTexts", "Uninstall Orvane & Restore Desktop Defaults"));
    // What becomes of the program itself depends on how it was installed: the confirmation
    // adds the platform's word on it.
    t.uninstallText = translated(QT_TRANSLATE_NOOP(
        "MenuTexts",
        "This will remove Orvane's autostart entry, so that it no longer starts at login, and "
        "quit Orvane."));
    return t;
}

} // namespace

MenuTexts MenuTexts::forPlatform(PlatformKind kind)
{
    return kind == PlatformKind::MacOS ? macTexts() : linuxTexts();
}

} // namespace orvane
