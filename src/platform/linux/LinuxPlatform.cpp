#include "platform/linux/LinuxPlatform.h"

#include "platform/LoginAgentText.h"
#include "platform/SettingsFile.h"
#include "platform/linux/EventSounds.h"
#include "platform/linux/SessionBusWatch.h"

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace orvane {

LinuxPlatform::LinuxPlatform(ProcessContext context)
    : LinuxLoginServices(std::move(context)), Platform({*this, *this, *this, *this, *this, *this})
{
    // Only a bus the session named: without one, asking for it could start a bus of its own.
    if (QCoreApplication::instance() && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        m_busWatch = std::make_unique<SessionBusWatch>(QDBusConnection::sessionBus());
    }
}

LinuxPlatform::~LinuxPlatform() = default;

std::unique_ptr<QSettings> LinuxPlatform::openSettings() const
{
    // ~/.config/orvane/orvane.conf, an INI file (named as an INI store, since that is how
    // the settings know their values come back as text).
    return settingsfile::openIni(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/orvane/orvane.conf"));
}

QString LinuxLoginServices::autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QString::fromLatin1(loginagent::label) +
           QStringLiteral(".desktop");
}

Result LinuxLoginServices::writeAutostartEntry()
{
    if (const std::optional<QString> refusal = loginEntryRefusal()) {
        return Result::failed(*refusal);
    }
    const QString path = autostartEntryPath();
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return Result::failed(QStringLiteral("cannot create %1").arg(QFileInfo(path).path()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Result::failed(file.errorString());
    }
    file.write(loginagent::desktopEntryText(m_context.executableFile).toUtf8());
    if (!file.commit()) {
        return Result::failed(file.errorString());
    }
    return Result::done();
}

Result LinuxLoginServices::installLoginAgent()
{
    return writeAutostartEntry();
}

void LinuxLoginServices::removeLoginAgent()
{
    QFile::remove(autostartEntryPath());
}

bool LinuxLoginServices::isLoginItemEnabled()
{
    return readLoginEntry() == LoginEntry::Enabled;
}

LoginEntry LinuxLoginServices::readLoginEntry()
{
    QFile file(autostartEntryPath());
    if (!file.exists()) {
        return LoginEntry::Absent;
    }
    // An entry Orvane cannot read is no sign of the desktop's doing; writing it afresh may mend it.
    if (!file.open(QIODevice::ReadOnly)) {
        return LoginEntry::Enabled;
    }
    return loginagent::desktopEntryEnabled(QString::fromUtf8(file.readAll()))
               ? LoginEntry::Enabled
               : LoginEntry::SwitchedOff;
}

Result LinuxLoginServices::registerLoginItem()
{
    // The autostart entry is both the agent and the login item: it is written afresh, which
    // also clears a "Hidden" left by the desktop's own startup settings.
    return writeAutostartEntry();
}

Result LinuxLoginServices::unregisterLoginItem()
{
    QFile file(autostartEntryPath());
    if (file.exists() && !file.remove()) {
        return Result::failed(file.errorString());
    }
    return Result::done();
}

Result LinuxSoundServices::playSystemSound(const QString &name)
{
    const auto event = eventsounds::eventFor(name);
    if (!event) {
        return Result::failed(QStringLiteral("no sound named %1").arg(name));
    }
    eventsounds::play(*event);
    return Result::done();
}

} // namespace orvane
