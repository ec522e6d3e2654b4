#include "platform/macos/MacPlatform.h"

#include "platform/LoginAgentText.h"
#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacNative.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QWindow>

namespace orvane {

MacPlatform::MacPlatform(ProcessContext context) : m_context(std::move(context)) {}

std::unique_ptr<QSettings> MacPlatform::openSettings() const
{
    // Qt turns this into the user defaults domain "com.tarnwell.orvane".
    return std::make_unique<QSettings>(QStringLiteral("tarnwell.com"), QStringLiteral("orvane"));
}

std::optional<QString> MacPlatform::readSystemScreenshotLocation()
{
    return runShellCommand(maccmd::readScreenshotLocation());
}

void MacPlatform::writeSystemScreenshotLocation(const std::optional<QString> &folder)
{
    if (!folder || folder->isEmpty()) {
        runShellCommand(maccmd::resetScreenshotLocation());
    } else {
        runShellCommand(maccmd::writeScreenshotLocation(*folder));
    }
}

void MacPlatform::resetScreenshotThumbnail()
{
    runShellCommand(maccmd::resetScreenshotThumbnail());
}

QString MacPlatform::launchAgentPath()
{
    return QDir::homePath() + QStringLiteral("/Library/LaunchAgents/") +
           QString::fromLatin1(loginagent::label) + QStringLiteral(".plist");
}

void MacPlatform::installLoginAgent()
{
    const QString folder = QDir::homePath() + QStringLiteral("/Library/LaunchAgents");
    QDir().mkpath(folder);
    QSaveFile file(launchAgentPath());
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    const QString executable = loginagent::executablePath(m_context.bundlePath, m_context.argv0);
    file.write(loginagent::plistText(executable).toUtf8());
    file.commit();
}

void MacPlatform::removeLoginAgent()
{
    QFile::remove(launchAgentPath());
}

bool MacPlatform::isLoginItemEnabled()
{
    return macnative::loginItemEnabled();
}

std::optional<QString> MacPlatform::registerLoginItem()
{
    return macnative::registerLoginItem();
}

std::optional<QString> MacPlatform::unregisterLoginItem()
{
    return macnative::unregisterLoginItem();
}

bool MacPlatform::playSystemSound(const QString &name)
{
    return macnative::playSound(name);
}

void MacPlatform::setActivationPolicyAccessory()
{
    macnative::setActivationPolicy(1);
}

void MacPlatform::setActivationPolicyRegular()
{
    macnative::setActivationPolicy(0);
}

void MacPlatform::stylePreferencesWindow(QWindow &window)
{
    macnative::stylePreferencesWindow(window.winId());
}

void MacPlatform::activateApplication()
{
    macnative::activateApplication();
}

bool MacPlatform::openFolder(const QString &folder)
{
    return runShellCommand(maccmd::openFolder(folder)).has_value();
}

void MacPlatform::setReopenHandler(std::function<void()> handler)
{
    macnative::setReopenHandler(std::move(handler));
}

bool MacPlatform::needsSingleInstanceGuard() const
{
    // Launch Services hands a second open to the running app; only a build without it (the
    // macOS behaviour run elsewhere) needs the guard.
    return !macnative::available();
}

} // namespace orvane
