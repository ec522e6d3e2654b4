#include "PreferencesTexts.h"

#include <QStringList>

namespace orvane {

namespace {

struct Shortcuts {
    QString heading;
    QStringList lines;
};

Shortcuts desktopShortcuts(const QString &desktop)
{
    const QStringList names = desktop.toUpper().split(u':', Qt::SkipEmptyParts);
    if (names.contains(QStringLiteral("KDE"))) {
        return {QStringLiteral("Standard KDE Plasma Shortcuts:"),
                {QStringLiteral("• Meta + Shift + Print : Select area to capture"),
                 QStringLiteral("• Shift + Print : Full screen screenshot"),
                 QStringLiteral("• Print : Spectacle, the interactive screenshot tool")}};
    }
    if (names.contains(QStringLiteral("XFCE"))) {
        return {QStringLiteral("Standard Xfce Shortcuts:"),
                {QStringLiteral("• Shift + Print : Select area to capture"),
                 QStringLiteral("• Print : Full screen screenshot"),
                 QStringLiteral("• Alt + Print : Window screenshot")}};
    }
    if (names.contains(QStringLiteral("GNOME"))) {
        return {QStringLiteral("Standard GNOME Shortcuts:"),
                {QStringLiteral("• Print : Interactive screenshot & recording tool"),
                 QStringLiteral("• Shift + Print : Full screen screenshot"),
                 QStringLiteral("• Alt + Print : Window screenshot")}};
    }
    // Elsewhere the tool behind Print is unknown, so the note names only the folders that are
    // watched instead of a tool that may save somewhere else.
    return {QStringLiteral("Standard Desktop Shortcuts:"),
            {QStringLiteral("• Print : Your desktop's screenshot tool"),
             QStringLiteral("• Cards appear for screenshots saved to Pictures, its Screenshots "
                            "folder, the Desktop or the save location above")}};
}

} // namespace

PreferencesTexts preferencesTexts(PlatformKind kind, const QString &desktop)
{
    if (kind == PlatformKind::MacOS) {
        return {
            .tagline = QStringLiteral("Supercharged macOS Screenshot Assistant"),
            .launchAtLoginSubtitle =
                QStringLiteral("Automatically start Orvane when your Mac turns on"),
            .openFolder = QStringLiteral("Open in Finder"),
            .shortcutsHeading = QStringLiteral("Standard macOS Shortcuts:"),
            .shortcutsLines =
                QStringLiteral("• Cmd + Shift + 4 : Select area to capture\n"
                               "• Cmd + Shift + 3 : Full screen screenshot\n"
                               "• Cmd + Shift + 5 : Interactive screenshot & recording bar"),
            .uninstallNote = QStringLiteral(
                "Restores Apple's original screenshot behavior and cleanly moves Orvane to "
                "Trash without terminal commands."),
            .uninstallAlertMessage = QStringLiteral("Uninstall Orvane & Restore macOS Defaults?"),
            .uninstallAlertInformative = QStringLiteral(
                "This will immediately restore Apple's original native screenshot thumbnail "
                "behavior, unregister from login, and safely move Orvane to the Trash."),
        };
    }
    const Shortcuts shortcuts = desktopShortcuts(desktop);
    return {
        .tagline = QStringLiteral("Supercharged Linux Screenshot Assistant"),
        .launchAtLoginSubtitle = QStringLiteral("Automatically start Orvane when you log in"),
        .openFolder = QStringLiteral("Open in File Manager"),
        .shortcutsHeading = shortcuts.heading,
        .shortcutsLines = shortcuts.lines.join(u'\n'),
        // Orvane changes nothing in the desktop's screenshot tools, so there is nothing of
        // theirs to restore; the program file goes only where it is the user's own.
        .uninstallNote = QStringLiteral(
            "Removes Orvane's autostart entry and quits. An AppImage or a copy in your home "
            "folder goes to the Trash; an installed package is removed with the package "
            "manager."),
        .uninstallAlertMessage = QStringLiteral("Uninstall Orvane & Restore Desktop Defaults?"),
        .uninstallAlertInformative = QStringLiteral(
            "This will immediately unregister Orvane from login, removing its autostart entry, "
            "and quit it."),
    };
}

QVariantMap PreferencesTexts::toVariantMap() const
{
    return {
        {QStringLiteral("tagline"), tagline},
        {QStringLiteral("launchAtLoginSubtitle"), launchAtLoginSubtitle},
        {QStringLiteral("openFolder"), openFolder},
        {QStringLiteral("shortcutsHeading"), shortcutsHeading},
        {QStringLiteral("shortcutsLines"), shortcutsLines},
        {QStringLiteral("uninstallNote"), uninstallNote},
        {QStringLiteral("uninstallAlertMessage"), uninstallAlertMessage},
        {QStringLiteral("uninstallAlertInformative"), uninstallAlertInformative},
    };
}

} // namespace orvane
