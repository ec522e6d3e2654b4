#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacPlatform.h"

#include <QCoreApplication>
#include <QProcess>

namespace orvane {

void MacLoginServices::unloadLoginAgent()
{
    runShellCommand(maccmd::unloadLaunchAgent(launchAgentPath()));
}

ProgramRemovalPlan MacLoginServices::programRemovalPlan()
{
    if (maccmd::isAppBundlePath(m_context.bundlePath)) {
        return {.note = {}, .toTrash = true};
    }
    return {.note =
                QCoreApplication::translate("macOS", "%1 is not an application bundle and stays.")
                    .arg(m_context.bundlePath),
            .toTrash = false};
}

Result MacLoginServices::removeProgram(bool questionSaidTrash)
{
    const QString bundle = m_context.bundlePath;
    if (!questionSaidTrash) {
        return Result::failed(QStringLiteral("%1 stays, as the question said.").arg(bundle));
    }
    // Outside a bundle the "bundle" is merely the folder holding the executable (a build
    // folder, /usr/local/bin): handing that to the removal script would delete all of it.
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
