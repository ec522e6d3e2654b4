#include "PlatformFactory.h"

#include "macos/MacNative.h"
#include "macos/MacPlatform.h"
#ifdef ORVANE_HAVE_LINUX_PLATFORM
#include "linux/LinuxPlatform.h"
#endif

#include <QtGlobal>

namespace orvane {

void prepareApplicationEnvironment()
{
    if (macnative::available()) {
        // Qt would bring the application to the front once launched, taking the focus from
        // the user's work at every login; Orvane comes forward only with its window.
        qputenv("QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM", "1");
    }
}

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
