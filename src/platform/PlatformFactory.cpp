#include "PlatformFactory.h"

#include "macos/MacPlatform.h"
#ifdef ORVANE_HAVE_LINUX_PLATFORM
#include "linux/LinuxPlatform.h"
#endif

#include <QtGlobal>

namespace orvane {

std::unique_ptr<Platform> createPlatform(const ProcessContext &context)
{
#ifdef ORVANE_HAVE_LINUX_PLATFORM
    if (qEnvironmentVariable("ORVANE_PLATFORM").toLower() != QStringLiteral("macos")) {
        return std::make_unique<LinuxPlatform>(context);
    }
#endif
    return std::make_unique<MacPlatform>(context);
}

} // namespace orvane
