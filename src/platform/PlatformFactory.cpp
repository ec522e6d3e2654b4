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

std::optional<QString> missingDisplay()
{
    if (macnative::available()) {
        return std::nullopt; // the window server is always there
    }
    const QString qpa = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = qpa.isEmpty() || qpa.startsWith(QStringLiteral("xcb"));
    const bool wayland = qpa.isEmpty() || qpa.startsWith(QStringLiteral("wayland"));
    if ((x11 && !qEnvironmentVariableIsEmpty("DISPLAY")) ||
        (wayland && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) || (!x11 && !wayland)) {
        return std::nullopt;
    }
    return QStringLiteral("no display to show its windows on (DISPLAY is not set); start it "
                          "from a desktop session");
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
