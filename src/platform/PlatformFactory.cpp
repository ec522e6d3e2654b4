#include "PlatformFactory.h"

#include "macos/MacNative.h"
#include "macos/MacPlatform.h"
#ifdef ORVANE_HAVE_LINUX_PLATFORM
#include "linux/DisplayCheck.h"
#include "linux/LinuxPlatform.h"
#include "linux/LinuxTrayHosts.h"
#endif

#include <QStringList>
#include <QtGlobal>

namespace orvane {

void prepareApplicationEnvironment()
{
    if (macnative::available()) {
        // Qt would bring the application to the front once launched, taking the focus from
        // the user's work at every login; Orvane comes forward only with its window.
        qputenv("QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM", "1");
        return;
    }
    // A showing card redraws a thin bar ten times a second. On X11 each frame would wake
    // Orvane three times: for the tick, for Qt's 5 ms update delay, and for the X server's
    // word that a shared-memory image was taken. Drawn at once and sent over the socket, the
    // tick is the only wake; the windows are small enough for either. The user's own
    // settings win.
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME")) {
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    }
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
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
    const bool hasX11 = x11 && !qEnvironmentVariableIsEmpty("DISPLAY");
#ifdef ORVANE_HAVE_LINUX_PLATFORM
    // With a DISPLAY, X11 is what Qt (or main, beside Wayland) picks: a DISPLAY that nothing
    // answers must be told here, where it is one line and exit code 1, not a core dump.
    if (hasX11) {
        return linuxdisplay::unreachableX11Display();
    }
#endif
    if (hasX11 || (wayland && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) ||
        (!x11 && !wayland)) {
        return std::nullopt;
    }
    return QStringLiteral("no display to show its windows on (DISPLAY is not set); start it "
                          "from a desktop session");
}

namespace {

QStringList platformNames()
{
#ifdef ORVANE_HAVE_LINUX_PLATFORM
    return {QStringLiteral("linux"), QStringLiteral("macos")};
#else
    return {QStringLiteral("macos")};
#endif
}

} // namespace

std::optional<QString> unknownPlatformChoice()
{
    const QString chosen = qEnvironmentVariable("ORVANE_PLATFORM");
    if (chosen.isEmpty() || platformNames().contains(chosen.toLower())) {
        return std::nullopt;
    }
    return QStringLiteral("ORVANE_PLATFORM=\"%1\" is not one of: %2")
        .arg(chosen, platformNames().join(QStringLiteral(", ")));
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

std::unique_ptr<TrayHostWatch> createTrayHostWatch(PlatformKind kind)
{
#ifdef ORVANE_HAVE_LINUX_PLATFORM
    if (kind == PlatformKind::Linux) {
        return std::make_unique<LinuxTrayHostWatch>();
    }
#endif
    Q_UNUSED(kind);
    return std::make_unique<PresentTrayHost>();
}

} // namespace orvane
