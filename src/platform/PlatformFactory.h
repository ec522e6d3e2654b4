#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

#include <memory>

namespace orvane {

// Sets what the running system needs before the application object exists.
void prepareApplicationEnvironment();

// The platform of the running system, unless ORVANE_PLATFORM ("linux" or "macos") names
// another one.
std::unique_ptr<Platform> createPlatform(const ProcessContext &context);

} // namespace orvane
