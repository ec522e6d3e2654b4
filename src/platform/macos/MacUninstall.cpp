#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacPlatform.h"

#include <QProcess>

namespace orvane {

void MacLoginServices::unloadLoginAgent()
{
    runShellCommand(maccmd::unloadLaunchAgent(launchAgentPath()));
}

Result MacLoginServices::removeProgram(bool asked)
{
    // Outside a bundle the "bundle" is merely the folder holding the executable (a build
    // folder, /usr/local/bin): handing that to the removal script would delete all of it.
    const QString bundle = m_context.bundlePath;
    if (!asked) {
        return Result::failed(QStringLiteral("%1 stays, as the question said.").arg(bundle));
    }
    const std::optional<QString> script = maccmd::removeBundleScript(bundle);
    if (!script) {
        return Result::failed(
            QStringLiteral("%1 is not an application bundle; nothing was removed.").arg(bundle));
    }
    // The script waits until Orvane has quit; it must outlive this process.
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), *script})) {
        return Result::failed(
            QStringLiteral("the removal of %1 could not be started.").arg(bundle));
    }
    return Result::done();
}

} // namespace orvane
