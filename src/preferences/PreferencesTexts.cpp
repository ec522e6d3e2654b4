#include "PreferencesTexts.h"

#include <QCoreApplication>
#include <QStringList>

namespace orvane {

namespace {

// Looked up when the texts are built, so they follow the translator installed at start-up.
// Texts that only macOS shows keep a context of their own: their translation may wait.
QString translated(const char *text)
{
    return QCoreApplication::translate("PreferencesTexts", text);
}

QString translatedMac(const char *text)
{
    return QCoreApplication::translate("macOS", text);
}

struct Shortcuts {
    QString heading;
    QStringList lines;
};

Shortcuts desktopShortcuts(const QString &desktop)
{
    const QStringList names = desktop.toUpper().split(u':', Qt::SkipEmptyParts);
    if (names.contains(QStringLiteral("KDE"))) {
        return {translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Standard KDE Plasma Shortcuts:")),
                {translated(QT_TRANSLATE_NOOP("PreferencesTexts",
                                              "• Meta + Shift + Print : Select area to capture")),
                 translated(QT_TRANSLATE_NOOP("PreferencesTexts",
                                              "• Shift + Print : Full screen screenshot")),
                 translated(QT_TRANSLATE_NOOP(
                     "PreferencesTexts", "• Print : Spectacle, the interactive screenshot tool"))}};
    }
    if (names.contains(QStringLiteral("XFCE"))) {
        return {
            translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Standard Xfce Shortcuts:")),
            {translated(
                 QT_TRANSLATE_NOOP("PreferencesTexts", "• Shift + Print : Select area to capture")),
             translated(QT_TRANSLATE_NOOP("PreferencesTexts", "• Print : Full screen screenshot")),
             translated(
                 QT_TRANSLATE_NOOP("PreferencesTexts", "• Alt + Print : Window screenshot"))}};
    }
    if (names.contains(QStringLiteral("GNOME"))) {
        return {translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Standard GNOME Shortcuts:")),
                {translated(QT_TRANSLATE_NOOP("PreferencesTexts",
                                              "• Print : Interactive screenshot & recording tool")),
                 translated(QT_TRANSLATE_NOOP("PreferencesTexts",
                                              "• Shift + Print : Full screen screenshot")),
                 translated(
                     QT_TRANSLATE_NOOP("PreferencesTexts", "• Alt + Print : Window screenshot"))}};
    }
    // Elsewhere the tool behind Print is unknown, so the note names only the folders that are
    // watched instead of a tool that may save somewhere else.
    return {translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Standard Desktop Shortcuts:")),
            {translated(
                 QT_TRANSLATE_NOOP("PreferencesTexts", "• Print : Your desktop's screenshot tool")),
             translated(QT_TRANSLATE_NOOP(
                 "PreferencesTexts",
                 "• Cards appear for screenshots saved to Pictures, its Screenshots "
                 "folder, the Desktop or the save location above"))}};
}

} // namespace

PreferencesTexts preferencesTexts(PlatformKind kind, const QString &desktop)
{
    if (kind == PlatformKind::MacOS) {
        return {
            .tagline = translatedMac(
                QT_TRANSLATE_NOOP("macOS", "Supercharged macOS Screenshot Assistant")),
            .launchAtLoginSubtitle = translatedMac(
                QT_TRANSLATE_NOOP("macOS", "Automatically start Orvane when your Mac turns on")),
            .openFolder = translatedMac(QT_TRANSLATE_NOOP("macOS", "Open in Finder")),
            .markupSubtitle =
                translatedMac(QT_TRANSLATE_NOOP("macOS", "Markup opens screenshots in Preview")),
            .shortcutsHeading =
                translatedMac(QT_TRANSLATE_NOOP("macOS", "Standard macOS Shortcuts:")),
            .shortcutsLines = translatedMac(QT_TRANSLATE_NOOP(
                "macOS", "• Cmd + Shift + 4 : Select area to capture\n"
                         "• Cmd + Shift + 3 : Full screen screenshot\n"
                         "• Cmd + Shift + 5 : Interactive screenshot & recording bar")),
            .uninstallNote = translatedMac(QT_TRANSLATE_NOOP(
                "macOS",
                "Restores Apple's original screenshot behavior and cleanly moves Orvane to "
                "Trash without terminal commands.")),
            .uninstallAlertMessage = translatedMac(
                QT_TRANSLATE_NOOP("macOS", "Uninstall Orvane & Restore macOS Defaults?")),
            .uninstallAlertInformative = translatedMac(QT_TRANSLATE_NOOP(
                "macOS",
                "This will immediately restore Apple's original native screenshot thumbnail "
                "behavior, unregister from login, and safely move Orvane to the Trash.")),
        };
    }
    const Shortcuts shortcuts = desktopShortcuts(desktop);
    return {
        .tagline = translated(
            QT_TRANSLATE_NOOP("PreferencesTexts", "Supercharged Linux Screenshot Assistant")),
        .launchAtLoginSubtitle = translated(
            QT_TRANSLATE_NOOP("PreferencesTexts", "Automatically start Orvane when you log in")),
        .openFolder = translated(QT_TRANSLATE_NOOP("PreferencesTexts", "Open in File Manager")),
        .markupSubtitle = translated(QT_TRANSLATE_NOOP(
            "PreferencesTexts", "The application Markup opens a screenshot in, to draw on it")),
        .shortcutsHeading = shortcuts.heading,
        .shortcutsLines = shortcuts.lines.join(u'\n'),
        // Orvane changes nothing in the desktop's screenshot tools, so there is nothing of
        // theirs to restore; the program file goes only where it is the user's own.
        .uninstallNote = translated(QT_TRANSLATE_NOOP(
            "PreferencesTexts",
            "Removes Orvane's autostart entry and quits. An AppImage or a copy in your home "
            "folder goes to the Trash; an installed package is removed with the package "
            "manager.")),
        .uninstallAlertMessage = translated(
            QT_TRANSLATE_NOOP("PreferencesTexts", "Uninstall Orvane & Restore Desktop Defaults?")),
        .uninstallAlertInformative = translated(QT_TRANSLATE_NOOP(
            "PreferencesTexts",
            "This will immediately unregister Orvane from login, removing its autostart entry, "
            "and quit it.")),
    };
}

QVariantMap PreferencesTexts::toVariantMap() const
{
    return {
        {QStringLiteral("tagline"), tagline},
        {QStringLiteral("launchAtLoginSubtitle"), launchAtLoginSubtitle},
        {QStringLiteral("openFolder"), openFolder},
        {QStringLiteral("markupSubtitle"), markupSubtitle},
        {QStringLiteral("shortcutsHeading"), shortcutsHeading},
        {QStringLiteral("shortcutsLines"), shortcutsLines},
        {QStringLiteral("uninstallNote"), uninstallNote},
        {QStringLiteral("uninstallAlertMessage"), uninstallAlertMessage},
        {QStringLiteral("uninstallAlertInformative"), uninstallAlertInformative},
    };
}

} // namespace orvane
