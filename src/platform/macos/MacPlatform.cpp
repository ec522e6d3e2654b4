#include "platform/macos/MacPlatform.h"

#include "platform/LoginAgentText.h"
#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacNative.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSettings>
#include <QWindow>

#include <pwd.h>
#include <unistd.h>

namespace orvane {

MacPlatform::MacPlatform(ProcessContext context)
    : MacLoginServices(std::move(context)), Platform({*this, *this, *this, *this, *this, *this})
{}

namespace {

// Where the user defaults are not there, a stand-in that keeps each value's type as they do
// (an INI file keeps only text), so the macOS behaviour reads back exactly what it wrote.
QSettings::Format typedStandInFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("defaults"),
        [](QIODevice &device, QSettings::SettingsMap &map) {
            QDataStream in(&device);
            in.setVersion(QDataStream::Qt_6_0);
            QSettings::SettingsMap stored;
            in >> stored;
            if (in.status() != QDataStream::Ok) {
                return false;
            }
            map = stored;
            return true;
        },
        [](QIODevice &device, const QSettings::SettingsMap &map) {
            QDataStream out(&device);
            out.setVersion(QDataStream::Qt_6_0);
            out << map;
            return out.status() == QDataStream::Ok;
        });
    return format;
}

} // namespace

std::unique_ptr<QSettings> MacPlatform::openSettings() const
{
    // The user defaults belong to the login, whatever HOME says; a run in another home (a
    // test's) keeps its settings in that home instead of the user's.
    const passwd *account = ::getpwuid(::getuid());
    const bool ownHome =
        account && QDir(QFile::decodeName(account->pw_dir)) == QDir(QDir::homePath());
    if (macnative::available() && ownHome) {
        // Qt turns this into the user defaults domain "com.tarnwell.orvane".
        return std::make_unique<QSettings>(QStringLiteral("tarnwell.com"),
                                           QStringLiteral("orvane"));
    }
    return std::make_unique<QSettings>(typedStandInFormat(), QSettings::UserScope,
                                       QStringLiteral("tarnwell.com"), QStringLiteral("orvane"));
}

std::optional<QString> MacDetectionServices::readSystemScreenshotLocation()
{
    return runShellCommand(maccmd::readScreenshotLocation());
}

void MacDetectionServices::writeSystemScreenshotLocation(const std::optional<QString> &folder)
{
    if (!folder || folder->isEmpty()) {
        runShellCommand(maccmd::resetScreenshotLocation());
    } else {
        runShellCommand(maccmd::writeScreenshotLocation(*folder));
    }
}

void MacDetectionServices::resetScreenshotThumbnail()
{
    runShellCommand(maccmd::resetScreenshotThumbnail());
}

QString MacLoginServices::launchAgentPath()
{
    return QDir::homePath() + QStringLiteral("/Library/LaunchAgents/") +
           QString::fromLatin1(loginagent::label) + QStringLiteral(".plist");
}

Result MacLoginServices::installLoginAgent()
{
    const QString folder = QDir::homePath() + QStringLiteral("/Library/LaunchAgents");
    QDir().mkpath(folder);
    QSaveFile file(launchAgentPath());
    if (!file.open(QIODevice::WriteOnly)) {
        return Result::failed(file.errorString());
    }
    const QString executable = loginagent::executablePath(m_context.bundlePath, m_context.argv0);
    file.write(loginagent::plistText(executable).toUtf8());
    if (!file.commit()) {
        return Result::failed(file.errorString());
    }
    return Result::done();
}

void MacLoginServices::removeLoginAgent()
{
    QFile::remove(launchAgentPath());
}

bool MacLoginServices::isLoginItemEnabled()
{
    return macnative::loginItemEnabled();
}

Result MacLoginServices::registerLoginItem()
{
    return Result::fromError(macnative::registerLoginItem());
}

Result MacLoginServices::unregisterLoginItem()
{
    return Result::fromError(macnative::unregisterLoginItem());
}

Result MacSoundServices::playSystemSound(const QString &name)
{
    if (!macnative::playSound(name)) {
        return Result::failed(QStringLiteral("no sound named %1").arg(name));
    }
    return Result::done();
}

void MacWindowServices::setActivationPolicyAccessory()
{
    macnative::setActivationPolicy(1);
}

void MacWindowServices::setActivationPolicyRegular()
{
    macnative::setActivationPolicy(0);
}

void MacWindowServices::stylePreferencesWindow(QWindow &window)
{
    macnative::stylePreferencesWindow(macNativeView(window));
}

void MacWindowServices::activateApplication()
{
    macnative::activateApplication();
}

Result MacWindowServices::openFolder(const QString &folder)
{
    // `open`'s own status, not merely whether the shell ran: a missing folder fails.
    if (runShellCommand(maccmd::openFolder(folder) + QStringLiteral(" && printf ok")) != u"ok") {
        return Result::failed(QStringLiteral("Finder could not be asked to open %1").arg(folder));
    }
    return Result::done();
}

void MacPlatform::setReopenHandler(std::function<void()> handler)
{
    macnative::setReopenHandler(std::move(handler));
}

quintptr macNativeView(QWindow &window)
{
    // Only Cocoa windows have an NSView behind their id; under another Qt platform (offscreen
    // tests) it is a plain number that must never be sent a message.
    return QGuiApplication::platformName() == QStringLiteral("cocoa") ? window.winId() : 0;
}

bool MacPlatform::needsSingleInstanceGuard() const
{
    // Launch Services hands a second open to the running app, but the login agent starts the
    // binary directly: without the guard a login would run a second copy.
    return true;
}

} // namespace orvane
