#pragma once

#include "platform/Platform.h"

#include <QVariantMap>

namespace orvane {

// The card's words. Where a macOS text names something only macOS has, Linux reads its own
// counterpart; both stand side by side in CardTexts.cpp.
QVariantMap cardTexts(PlatformKind kind);

} // namespace orvane
