#include "platform/linux/LinuxPlatform.h"

#include <algorithm>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>

namespace orvane {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// The portal's answer: 1 prefers dark, 2 prefers light, 0 (or anything else) no preference.
// Read wraps it in one variant more than SettingChanged does.
std::optional<bool> fromPortal(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    if (!ok || (scheme != 1 && scheme != 2)) {
        return std::nullopt;
    }
    return scheme == 1;
}

// GNOME's own setting speaks for GNOME and the desktops built on it; elsewhere (Xfce, KDE, a
// bare window manager) it is a leftover of some other session, and asking it would start a
// process at every launch for an answer that does not apply.
bool gnomeSettingApplies()
{
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    return std::any_of(desktops.cbegin(), desktops.cend(), [](const QString &desktop) {
        return desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0 ||
               desktop.compare(QLatin1String("Unity"), Qt::CaseInsensitive) == 0 ||
               desktop.compare(QLatin1String("Budgie"), Qt::CaseInsensitive) == 0;
    });
}

} // namespace

// Asks the desktop portal once and follows its changes; where no portal answers, on GNOME,
// asks GNOME's own setting once. Never waits on the main thread.
class ColorSchemeWatcher : public QObject {
    Q_OBJECT
public:
    explicit ColorSchemeWatcher(std::function<void(std::optional<bool>)> changed)
        : m_changed(std::move(changed))
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            askGnome();
            return;
        }
        QDBusMessage read = QDBusMessage::createMethodCall(
            portalService, portalPath, settingsInterface, QStringLiteral("Read"));
        read << appearance << colorSchemeKey;
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, 3000), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *call) {
                    call->deleteLater();
                    const QDBusPendingReply<QVariant> reply = *call;
                    if (reply.isError()) {
                        askGnome();
                        return;
                    }
                    // Once the event loop runs: connected during start-up, Qt 6.4 may refuse.
                    QDBusConnection::sessionBus().connect(
                        portalService, portalPath, settingsInterface,
                        QStringLiteral("SettingChanged"), this,
                        SLOT(settingChanged(QString, QString, QDBusVariant)));
                    m_changed(fromPortal(reply.value()));
                });
    }

private slots:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
    {
        if (group == appearance && key == colorSchemeKey) {
            m_changed(fromPortal(value.variant()));
        }
    }

private:
    void askGnome()
    {
        if (!gnomeSettingApplies()) {
            return;
        }
        const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
        if (gsettings.isEmpty()) {
            return;
        }
        auto *process = new QProcess(this);
        connect(process, &QProcess::finished, this, [this, process] {
            process->deleteLater();
            const QString answer = QString::fromUtf8(process->readAllStandardOutput()).trimmed();
            if (answer == QStringLiteral("'prefer-dark'")) {
                m_changed(true);
            } else if (answer == QStringLiteral("'prefer-light'")) {
                m_changed(false);
            }
        });
        connect(process, &QProcess::errorOccurred, process, &QObject::deleteLater);
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(gsettings, {QStringLiteral("get"),
                                   QStringLiteral("org.gnome.desktop.interface"), colorSchemeKey});
    }

    std::function<void(std::optional<bool>)> m_changed;
};

LinuxWindowServices::LinuxWindowServices() = default;
LinuxWindowServices::~LinuxWindowServices() = default;

void LinuxWindowServices::watchColorScheme(std::function<void(std::optional<bool>)> changed)
{
    m_colorScheme = std::make_unique<ColorSchemeWatcher>(std::move(changed));
}

} // namespace orvane

#include "ColorScheme.moc"
