#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacPlatform.h"

#include <QProcess>

namespace orvane {

void MacPlatform::unloadLoginAgent()
{
    runShellCommand(maccmd::unloadLaunchAgent(launchAgentPath()));
}

std::optional<QString> MacPlatform::removeProgram()
{
    // Outside a bundle the "bundle" is merely the folder holding the executable (a build
    // folder, /usr/local/bin): handing that to the removal script would delete all of it.
    const QString bundle = m_context.bundlePath;
    const std::optional<QString> script = maccmd::removeBundleScript(bundle);
    if (!script) {
        return QStringLiteral("%1 is not an application bundle; nothing was removed.").arg(bundle);
    }
    // The script waits until Orvane has quit; it must outlive this process.
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), *script})) {
        return QStringLiteral("the removal of %1 could not be started.").arg(bundle);
    }
    return std::nullopt;
}

} // namespace orvane
