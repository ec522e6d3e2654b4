#pragma once

#include "platform/Platform.h"

#include <QLatin1StringView>
#include <QVariantMap>

namespace orvane {

// A text of the card as macOS and as Linux say it (the same where they agree), for
// QT_TRANSLATE_NOOP: macOS-only words in the "macOS" context, the others in "CardTexts".
struct CardTextPair {
    const char *macOS;
    const char *linux;
};
QString translatedCardText(const CardTextPair &text, PlatformKind kind);

// The card's words. Where a macOS text names something only macOS has, Linux reads its own
// counterpart; both stand side by side in CardTexts.cpp.
QVariantMap cardTexts(PlatformKind kind);
// One of them, by its key.
QString cardText(PlatformKind kind, QLatin1StringView key);

} // namespace orvane
