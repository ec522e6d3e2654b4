#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

#include <QString>

#include <memory>
#include <optional>

namespace orvane {

// Sets what the running system needs before the application object exists.
void prepareApplicationEnvironment();

// Why no window can be shown here (no display to connect to), before Qt would abort on it;
// none when there is a place for windows.
std::optional<QString> missingDisplay();

// The platform of the running system, unless ORVANE_PLATFORM ("linux" or "macos") names
// another one.
std::unique_ptr<Platform> createPlatform(const ProcessContext &context);

} // namespace orvane
