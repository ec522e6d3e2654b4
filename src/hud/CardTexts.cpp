#include "hud/CardTexts.h"

#include <QCoreApplication>

#include <cstring>

namespace orvane {

namespace {

struct Pair {
    const char *key;
    CardTextPair text;
};

// Keys are read by the card's QML and its actions; the buttons' own words are in their
// actions' files.
constexpr Pair texts[] = {
    {"header", {"Orvane", "Orvane"}},
    {"close", {"Close", QT_TRANSLATE_NOOP("CardTexts", "Close")}},
    // The share menu, where the system has no share picker of its own.
    {"shareCopyFile", {"Copy File", QT_TRANSLATE_NOOP("CardTexts", "Copy File")}},
    {"shareEmail", {"Email…", QT_TRANSLATE_NOOP("CardTexts", "Email…")}},
    {"shareOpenWith", {"Open With", QT_TRANSLATE_NOOP("CardTexts", "Open With")}},
    // Banners: what an action did, or why it did not.
    {"copiedAndSaved", {"Copied & Saved!", QT_TRANSLATE_NOOP("CardTexts", "Copied & Saved!")}},
    {"copiedAndDiscarded",
     {"Copied & Discarded!", QT_TRANSLATE_NOOP("CardTexts", "Copied & Discarded!")}},
    {"notCopiedUnreadable",
     {"Not Copied — File Unreadable",
      QT_TRANSLATE_NOOP("CardTexts", "Not Copied — File Unreadable")}},
    {"copiedNotTrashed",
     {"Copied — File Not Trashed", QT_TRANSLATE_NOOP("CardTexts", "Copied — File Not Trashed")}},
    {"notTrashedKept",
     {"Not Trashed — File Kept", QT_TRANSLATE_NOOP("CardTexts", "Not Trashed — File Kept")}},
    {"notTrashedMissing",
     {"Not Trashed — File Missing", QT_TRANSLATE_NOOP("CardTexts", "Not Trashed — File Missing")}},
    {"notOpenedMissing",
     {"Not Opened — File Missing", QT_TRANSLATE_NOOP("CardTexts", "Not Opened — File Missing")}},
    {"notOpenedNoViewer",
     {QT_TRANSLATE_NOOP("macOS", "Not Opened — Preview Unavailable"),
      QT_TRANSLATE_NOOP("CardTexts", "Not Opened — No Image Viewer")}},
    {"notShownMissing",
     {"Not Shown — Folder Missing", QT_TRANSLATE_NOOP("CardTexts", "Not Shown — Folder Missing")}},
    {"notShownNoFileManager",
     {QT_TRANSLATE_NOOP("macOS", "Not Shown — Finder Unavailable"),
      QT_TRANSLATE_NOOP("CardTexts", "Not Shown — No File Manager")}},
    {"notSharedMissing",
     {"Not Shared — File Missing", QT_TRANSLATE_NOOP("CardTexts", "Not Shared — File Missing")}},
    {"notSharedNoMail",
     {"Not Shared — No Mail Program",
      QT_TRANSLATE_NOOP("CardTexts", "Not Shared — No Mail Program")}},
    {"notOpenedAppFailed",
     {"Not Opened — Application Failed",
      QT_TRANSLATE_NOOP("CardTexts", "Not Opened — Application Failed")}},
};

} // namespace

// A macOS text that differs from the Linux one is only ever shown on macOS, so it sits in a
// context of its own whose translation may wait; a shared one is translated once, under the
// Linux column.
QString translatedCardText(const CardTextPair &text, PlatformKind kind)
{
    if (kind == PlatformKind::MacOS && std::strcmp(text.macOS, text.linux) != 0) {
        return QCoreApplication::translate("macOS", text.macOS);
    }
    return QCoreApplication::translate("CardTexts", text.linux);
}

QString cardText(PlatformKind kind, QLatin1StringView key)
{
    for (const Pair &pair : texts) {
        if (key == QLatin1StringView(pair.key)) {
            return translatedCardText(pair.text, kind);
        }
    }
    Q_ASSERT_X(false, "cardText", "no such card text");
    return {};
}

QVariantMap cardTexts(PlatformKind kind)
{
    QVariantMap map;
    for (const Pair &pair : texts) {
        map.insert(QString::fromLatin1(pair.key), translatedCardText(pair.text, kind));
    }
    return map;
}

} // namespace orvane
