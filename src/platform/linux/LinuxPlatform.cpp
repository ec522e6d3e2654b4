#include "platform/linux/LinuxPlatform.h"

#include "platform/LoginAgentText.h"
#include "platform/linux/EventSounds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace orvane {

LinuxPlatform::LinuxPlatform(ProcessContext context) : m_context(std::move(context)) {}

std::unique_ptr<QSettings> LinuxPlatform::openSettings() const
{
    // ~/.config/orvane/orvane.conf, an INI file (named as an INI store, since that is how
    // the settings know their values come back as text).
    return std::make_unique<QSettings>(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/orvane/orvane.conf"),
        QSettings::IniFormat);
}

QString LinuxPlatform::autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QString::fromLatin1(loginagent::label) +
           QStringLiteral(".desktop");
}

std::optional<QString> LinuxPlatform::writeAutostartEntry()
{
    const QString path = autostartEntryPath();
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return QStringLiteral("cannot create %1").arg(QFileInfo(path).path());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    file.write(loginagent::desktopEntryText(m_context.executableFile).toUtf8());
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

void LinuxPlatform::installLoginAgent()
{
    writeAutostartEntry();
}

void LinuxPlatform::removeLoginAgent()
{
    QFile::remove(autostartEntryPath());
}

bool LinuxPlatform::isLoginItemEnabled()
{
    return readLoginEntry() == LoginEntry::Enabled;
}

LoginEntry LinuxPlatform::readLoginEntry()
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

std::optional<QString> LinuxPlatform::registerLoginItem()
{
    // The autostart entry is both the agent and the login item: it is written afresh, which
    // also clears a "Hidden" left by the desktop's own startup settings.
    return writeAutostartEntry();
}

std::optional<QString> LinuxPlatform::unregisterLoginItem()
{
    QFile file(autostartEntryPath());
    if (file.exists() && !file.remove()) {
        return file.errorString();
    }
    return std::nullopt;
}

bool LinuxPlatform::playSystemSound(const QString &name)
{
    const auto event = eventsounds::eventFor(name);
    if (!event) {
        return false;
    }
    eventsounds::play(*event);
    return true;
}

} // namespace orvane
