#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QVariantMap>

namespace orvane {

// The preferences' texts that name something only macOS has, side by side with what a Linux
// user reads in their place. Every other text is the same on both and lives in the view.
struct PreferencesTexts {
    QString tagline;
    QString launchAtLoginSubtitle;
    QString openFolder;
    QString markupSubtitle;
    QString shortcutsHeading;
    QString shortcutsLines;
    QString uninstallNote;
    // Whether the uninstall puts the program itself in the Trash (the alert's button says so).
    bool programGoesToTrash = true;
    QString uninstallAlertMessage;
    QString uninstallAlertInformative;

    // The same, keyed by member name, for the view.
    QVariantMap toVariantMap() const;
};

// `desktop` is the session's XDG_CURRENT_DESKTOP ("GNOME", "ubuntu:GNOME", "KDE", ...): the
// shortcuts note lists that desktop's own screenshot keys.
PreferencesTexts preferencesTexts(PlatformKind kind, const QString &desktop);

// The folder chooser's message, the same everywhere; translated where it is shown.
inline constexpr auto folderChooserMessage =
    QT_TRANSLATE_NOOP("PreferencesTexts", "Choose where screenshots should be saved:");

} // namespace orvane
