#include "hud/CardTexts.h"

namespace orvane {

namespace {

struct Pair {
    const char *key;
    const char *macOS;
    const char *linux;
};

// Keys are read by the card's QML.
constexpr Pair texts[] = {
    {"header", "Orvane", "Orvane"},
    {"close", "Close", "Close"},
    {"copyAndSaveTitle", "Copy & Save", "Copy & Save"},
    {"copyAndSaveSubtitle", "Copies to clipboard & keeps file...",
     "Copies to clipboard & keeps file..."},
    {"copyOnlyTitle", "Copy Only", "Copy Only"},
    {"copyOnlySubtitle", "Copies to clipboard & trashes file",
     "Copies to clipboard & trashes file"},
    {"share", "Share", "Share"},
    {"shareTooltip", "Share via AirDrop, Messages, Mail, Notes...",
     "Share via Mail, Clipboard, Other Apps..."},
    {"markup", "Markup", "Markup"},
    {"markupTooltip", "Annotate & Draw in Preview", "Annotate & Draw in the Image Viewer"},
    {"finder", "Finder", "Files"},
    {"finderTooltip", "Show in Finder", "Show in the File Manager"},
    {"deleteTooltip", "Move to Trash", "Move to Trash"},
    // The share menu, where the system has no share picker of its own.
    {"shareCopyFile", "Copy File", "Copy File"},
    {"shareEmail", "Email…", "Email…"},
    {"shareOpenWith", "Open With", "Open With"},
};

} // namespace

QVariantMap cardTexts(PlatformKind kind)
{
    QVariantMap map;
    for (const Pair &pair : texts) {
        map.insert(QString::fromLatin1(pair.key),
                   QString::fromUtf8(kind == PlatformKind::MacOS ? pair.macOS : pair.linux));
    }
    return map;
}

} // namespace orvane
