#include "hud/CardTexts.h"

#include <QCoreApplication>

#include <cstring>

namespace orvane {

namespace {

struct Pair {
    const char *key;
    const char *macOS;
    const char *linux;
};

// Keys are read by the card's QML. A macOS text that differs from the Linux one is only ever
// shown on macOS, so it sits in a context of its own whose translation may wait; a shared one
// is translated once, under the Linux column.
constexpr Pair texts[] = {
    {"header", "Orvane", "Orvane"},
    {"close", "Close", QT_TRANSLATE_NOOP("CardTexts", "Close")},
    {"copyAndSaveTitle", "Copy & Save", QT_TRANSLATE_NOOP("CardTexts", "Copy & Save")},
    {"copyAndSaveSubtitle", "Copies to clipboard & keeps file...",
     QT_TRANSLATE_NOOP("CardTexts", "Copies to clipboard & keeps file...")},
    {"copyOnlyTitle", "Copy Only", QT_TRANSLATE_NOOP("CardTexts", "Copy Only")},
    {"copyOnlySubtitle", "Copies to clipboard & trashes file",
     QT_TRANSLATE_NOOP("CardTexts", "Copies to clipboard & trashes file")},
    {"share", "Share", QT_TRANSLATE_NOOP("CardTexts", "Share")},
    {"shareTooltip", QT_TRANSLATE_NOOP("macOS", "Share via AirDrop, Messages, Mail, Notes..."),
     QT_TRANSLATE_NOOP("CardTexts", "Share via Mail, Clipboard, Other Apps...")},
    {"markup", "Markup", QT_TRANSLATE_NOOP("CardTexts", "Markup")},
    {"markupTooltip", QT_TRANSLATE_NOOP("macOS", "Annotate & Draw in Preview"),
     QT_TRANSLATE_NOOP("CardTexts", "Annotate & Draw in the Image Viewer")},
    {"finder", QT_TRANSLATE_NOOP("macOS", "Finder"), QT_TRANSLATE_NOOP("CardTexts", "Files")},
    {"finderTooltip", QT_TRANSLATE_NOOP("macOS", "Show in Finder"),
     QT_TRANSLATE_NOOP("CardTexts", "Show in the File Manager")},
    {"deleteTooltip", "Move to Trash", QT_TRANSLATE_NOOP("CardTexts", "Move to Trash")},
    // The share menu, where the system has no share picker of its own.
    {"shareCopyFile", "Copy File", QT_TRANSLATE_NOOP("CardTexts", "Copy File")},
    {"shareEmail", "Email…", QT_TRANSLATE_NOOP("CardTexts", "Email…")},
    {"shareOpenWith", "Open With", QT_TRANSLATE_NOOP("CardTexts", "Open With")},
    // Banners: what an action did, or why it did not.
    {"copiedAndSaved", "Copied & Saved!", QT_TRANSLATE_NOOP("CardTexts", "Copied & Saved!")},
    {"copiedAndDiscarded", "Copied & Discarded!",
     QT_TRANSLATE_NOOP("CardTexts", "Copied & Discarded!")},
    {"notCopiedUnreadable", "Not Copied — File Unreadable",
     QT_TRANSLATE_NOOP("CardTexts", "Not Copied — File Unreadable")},
    {"copiedNotTrashed", "Copied — File Not Trashed",
     QT_TRANSLATE_NOOP("CardTexts", "Copied — File Not Trashed")},
    {"notTrashedKept", "Not Trashed — File Kept",
     QT_TRANSLATE_NOOP("CardTexts", "Not Trashed — File Kept")},
    {"notTrashedMissing", "Not Trashed — File Missing",
     QT_TRANSLATE_NOOP("CardTexts", "Not Trashed — File Missing")},
    {"notOpenedMissing", "Not Opened — File Missing",
     QT_TRANSLATE_NOOP("CardTexts", "Not Opened — File Missing")},
    {"notOpenedNoViewer", QT_TRANSLATE_NOOP("macOS", "Not Opened — Preview Unavailable"),
     QT_TRANSLATE_NOOP("CardTexts", "Not Opened — No Image Viewer")},
    {"notShownMissing", "Not Shown — Folder Missing",
     QT_TRANSLATE_NOOP("CardTexts", "Not Shown — Folder Missing")},
    {"notShownNoFileManager", QT_TRANSLATE_NOOP("macOS", "Not Shown — Finder Unavailable"),
     QT_TRANSLATE_NOOP("CardTexts", "Not Shown — No File Manager")},
    {"notSharedMissing", "Not Shared — File Missing",
     QT_TRANSLATE_NOOP("CardTexts", "Not Shared — File Missing")},
    {"notSharedNoMail", "Not Shared — No Mail Program",
     QT_TRANSLATE_NOOP("CardTexts", "Not Shared — No Mail Program")},
    {"notOpenedAppFailed", "Not Opened — Application Failed",
     QT_TRANSLATE_NOOP("CardTexts", "Not Opened — Application Failed")},
};

QString translated(const Pair &pair, PlatformKind kind)
{
    if (kind == PlatformKind::MacOS && std::strcmp(pair.macOS, pair.linux) != 0) {
        return QCoreApplication::translate("macOS", pair.macOS);
    }
    return QCoreApplication::translate("CardTexts", pair.linux);
}

} // namespace

QString cardText(PlatformKind kind, QLatin1StringView key)
{
    for (const Pair &pair : texts) {
        if (key == QLatin1StringView(pair.key)) {
            return translated(pair, kind);
        }
    }
    Q_ASSERT_X(false, "cardText", "no such card text");
    return {};
}

QVariantMap cardTexts(PlatformKind kind)
{
    QVariantMap map;
    for (const Pair &pair : texts) {
        map.insert(QString::fromLatin1(pair.key), translated(pair, kind));
    }
    return map;
}

} // namespace orvane
