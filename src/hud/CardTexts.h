#pragma once

#include "platform/Platform.h"

#include <QLatin1StringView>
#include <QVariantMap>

namespace orvane {

// The card's words. Where a macOS text names something only macOS has, Linux reads its own
// counterpart; both stand side by side in CardTexts.cpp.
QVariantMap cardTexts(PlatformKind kind);
// One of them, by its key.
QString cardText(PlatformKind kind, QLatin1StringView key);

} // namespace orvane
