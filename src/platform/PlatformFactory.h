#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"
#include "platform/TrayHostWatch.h"

#include <QString>

#include <memory>
#include <optional>

namespace orvane {

// Sets what the running system needs before the application object exists.
void prepareApplicationEnvironment();

// Why no window can be shown here (no display to connect to), before Qt would abort on it;
// none when there is a place for windows.
std::optional<QString> missingDisplay();

// Why ORVANE_PLATFORM cannot be followed: it names no platform built into this program. None
// when it is unset or names one ("linux" or "macos", in any letter case).
std::optional<QString> unknownPlatformChoice();

// The platform of the running system, unless ORVANE_PLATFORM names another one (checked
// beforehand with unknownPlatformChoice()).
std::unique_ptr<Platform> createPlatform(const ProcessContext &context);

// The watch for the trays of a `kind` system: a Linux panel's two kinds, or the macOS menu
// bar, which is always there.
std::unique_ptr<TrayHostWatch> createTrayHostWatch(PlatformKind kind);

} // namespace orvane
