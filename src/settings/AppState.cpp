#include "AppState.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SettingsFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace orvane {

namespace {

// The one main made, for QML's singleton.
AppState *theQmlInstance = nullptr;

// Stored values must have the expected type. An INI store keeps every value as text, so there
// text that spells the value exactly counts too; a store that keeps types (the user defaults)
// gives the default for text.
bool keepsOnlyText(const QSettings &store)
{
    return store.format() == QSettings::IniFormat;
}

std::optional<bool> storedBool(const QVariant &value, bool textStore)
{
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    if (textStore && value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QStringLiteral("true")) {
            return true;
        }
        if (text == QStringLiteral("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<qint64> storedInteger(const QVariant &value, bool textStore)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
        return value.toLongLong();
    case QMetaType::QString: {
        if (!textStore) {
            return std::nullopt;
        }
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok, 10);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// A desktop entry's id as the desktop names it: what a hand-edited or damaged store holds
// instead is not handed to the desktop.
QString desktopEntryId(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString) {
        return {};
    }
    static const QRegularExpression id(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._-]*\\.desktop$"));
    const QString text = value.toString();
    return text.size() <= 255 && id.match(text).hasMatch() ? text : QString();
}

} // namespace

AppState::AppState(Platform &platform, std::unique_ptr<QSettings> store, QObject *parent)
    : QObject(parent), m_platform(platform), m_store(std::move(store))
{
    m_folderWorker.setMaxThreadCount(1);

    const bool textStore = keepsOnlyText(*m_store);
    // A file too large to parse, or no file at all, was not even opened (see openIni); one
    // that was is looked at before a value is read from it.
    std::optional<settingsfile::Problem> problem;
    if (!m_store->property(settingsfile::checkedProperty).toBool()) {
        problem = settingsfile::problem(m_store->fileName(), textStore);
    } else if (const QVariant reason = m_store->property(settingsfile::refusedReasonProperty);
               reason.isValid()) {
        problem = settingsfile::Problem{
            reason.toString(), !m_store->property(settingsfile::refusedFileProperty).isValid()};
    }
    m_storeUnparsed = problem && !problem->mayParse;
    const auto stored = [this](const char *key) {
        return m_storeUnparsed ? QVariant() : m_store->value(QLatin1String(key));
    };
    m_autoCopyOnCapture = storedBool(stored(keys::autoCopyOnCapture), textStore)
                              .value_or(defaults::autoCopyOnCapture);
    m_playSound = storedBool(stored(keys::playSound), textStore).value_or(defaults::playSound);
    m_offerUndoAfterTrash = storedBool(stored(keys::offerUndoAfterTrash), textStore)
                                .value_or(defaults::offerUndoAfterTrash);
    // Any whole number is taken as stored: the menu and the preferences offer a few times, but
    // a time written by hand is the user's choice.
    m_autoDismissSeconds = storedInteger(stored(keys::autoDismissSeconds), textStore)
                               .value_or(defaults::autoDismissSeconds);

    const QVariant folder = stored(keys::customFolderPath);
    if (folder.typeId() == QMetaType::QString && !folder.toString().isEmpty()) {
        m_customFolderPath = folder.toString();
    } else {
        // Adopted in memory only: nothing is written until the user changes the folder. A
        // folder the user reset away from stays away.
        m_adoptedSystemLocation = adoptSystemLocation();
        const QVariant declined = stored(keys::declinedSystemLocation);
        if (m_adoptedSystemLocation && declined.typeId() == QMetaType::QString &&
            declined.toString() == *m_adoptedSystemLocation) {
            m_adoptedSystemLocation.reset();
        }
        m_customFolderPath = m_adoptedSystemLocation;
    }
    m_launchAtLoginChoice = storedBool(stored(keys::launchAtLogin), textStore);
    m_markupApplication = desktopEntryId(stored(keys::markupApplication));

    m_isLaunchAtLoginEnabled = m_platform.login().isLoginItemEnabled();

    // Writing would replace the whole file with the part that could be read: its comments,
    // its bytes that are not text and whatever the parser passed over would be lost.
    QString why;
    if (problem) {
        why = problem->reason;
    } else if (m_store->status() == QSettings::FormatError) {
        why = QStringLiteral("it is not a settings file Orvane can parse");
    } else if (m_store->status() == QSettings::AccessError) {
        why = QStringLiteral("it cannot be read");
    }
    m_storeUnreadable = !why.isEmpty();
    if (m_storeUnreadable) {
        logLine(QStringLiteral("The settings in %1 could not be read (%2); changes are not saved, "
                               "so that the file stays as it is.")
                    .arg(storeFileName(), why));
    }
}

AppState::~AppState()
{
    m_folderWorker.waitForDone();
}

std::optional<QString> AppState::adoptSystemLocation()
{
    const std::optional<QString> answer = m_platform.detection().readSystemScreenshotLocation();
    if (!answer) {
        return std::nullopt;
    }
    const QString path = answer->trimmed();
    if (path.isEmpty() || path.contains(QStringLiteral("does not exist")) ||
        !QFileInfo::exists(path)) {
        return std::nullopt;
    }
    return path;
}

QString AppState::resolvedScreenshotDirectory()
{
    if (!m_cachedScreenshotDir) {
        m_cachedScreenshotDir = computeScreenshotDirectory();
    }
    return *m_cachedScreenshotDir;
}

QString AppState::computeScreenshotDirectory()
{
    if (m_customFolderPath && !m_customFolderPath->isEmpty() &&
        QFileInfo::exists(*m_customFolderPath)) {
        return *m_customFolderPath;
    }
    if (const std::optional<QString> system = adoptSystemLocation()) {
        return *system;
    }
    // The folder the desktop's tools will create at their first capture.
    if (const QStringList tools = screenshotToolFolders(); !tools.isEmpty()) {
        return tools.first();
    }
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // An account without even a desktop folder still gets a folder of its own.
    return desktop.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                             : desktop;
}

QStringList AppState::screenshotToolFolders()
{
    return m_platform.detection().screenshotToolFolders();
}

void AppState::clearScreenshotDirectoryCache()
{
    m_cachedScreenshotDir.reset();
    emit resolvedScreenshotDirectoryChanged();
}

QVariantList AppState::autoDismissChoicesList() const
{
    QVariantList choices;
    for (const qint64 seconds : autoDismissChoices) {
        choices << QVariant::fromValue(seconds);
    }
    return choices;
}

void AppState::setQmlInstance(AppState *state)
{
    theQmlInstance = state;
}

AppState *AppState::qmlInstance()
{
    return theQmlInstance;
}

void AppState::reloadLaunchAtLogin()
{
    const bool enabled = m_platform.login().isLoginItemEnabled();
    if (enabled == m_isLaunchAtLoginEnabled) {
        return;
    }
    emit objectWillChange();
    m_isLaunchAtLoginEnabled = enabled;
    emit isLaunchAtLoginEnabledChanged();
}

std::optional<bool> AppState::storedLaunchAtLoginChoice(const QSettings &store)
{
    return storedBool(store.value(QLatin1String(keys::launchAtLogin)), keepsOnlyText(store));
}

std::optional<bool> AppState::storedLaunchAtLoginChoice() const
{
    return m_launchAtLoginChoice;
}

void AppState::storeLaunchAtLoginChoice(bool value)
{
    m_launchAtLoginChoice = value;
    persist(keys::launchAtLogin, value);
}

void AppState::forgetLaunchAtLoginChoice()
{
    m_launchAtLoginChoice.reset();
    persist(keys::launchAtLogin, QVariant());
}

QString AppState::settingsNotice() const
{
    if (m_storeUnreadable) {
        return QCoreApplication::translate("AppState",
                                           "Orvane cannot read its settings file, %1, and leaves "
                                           "it as it is: changes made now last only until Orvane "
                                           "quits.")
            .arg(storeFileName());
    }
    if (m_storeFailed) {
        return QCoreApplication::translate("AppState",
                                           "Orvane could not save its settings to %1: changes "
                                           "made now last only until Orvane quits.")
            .arg(m_store->fileName());
    }
    return {};
}

void AppState::persist(const char *key, const QVariant &value)
{
    // Changes that could not be saved are kept and written with the next one that can.
    m_unsaved.insert(QLatin1String(key), value);
    if (m_storeUnreadable) {
        return;
    }
    if (m_storeFailed) {
        // A settings object keeps its first error for good: a fresh one tells this write's.
        // The file is looked at first, as at start: what took its place may not be Orvane's.
        m_store = m_platform.openSettings();
        if (m_store->property(settingsfile::checkedProperty).toBool()
                ? m_store->property(settingsfile::refusedReasonProperty).isValid()
                : settingsfile::problem(m_store->fileName(), keepsOnlyText(*m_store)).has_value()) {
            return;
        }
        m_storeFailed = false;
    }
    for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it) {
        if (it.value().isValid()) {
            m_store->setValue(it.key(), it.value());
        } else {
            m_store->remove(it.key());
        }
    }
    m_store->sync();
    if (m_store->status() == QSettings::NoError) {
        m_unsaved.clear();
        emit settingsNoticeChanged();
        return;
    }
    logLine(QStringLiteral("Could not save %1 to %2; the change lasts until Orvane quits.")
                .arg(QLatin1String(key), m_store->fileName()));
    m_storeFailed = true;
    emit settingsNoticeChanged();
}

void AppState::setAutoCopyOnCapture(bool value)
{
    emit objectWillChange();
    persist(keys::autoCopyOnCapture, value);
    m_autoCopyOnCapture = value;
    emit autoCopyOnCaptureChanged();
}

void AppState::setPlaySound(bool value)
{
    emit objectWillChange();
    persist(keys::playSound, value);
    m_playSound = value;
    emit playSoundChanged();
}

void AppState::setOfferUndoAfterTrash(bool value)
{
    emit objectWillChange();
    persist(keys::offerUndoAfterTrash, value);
    m_offerUndoAfterTrash = value;
    emit offerUndoAfterTrashChanged();
}

void AppState::setAutoDismissSeconds(qint64 value)
{
    emit objectWillChange();
    logLine(QStringLiteral("Timer changed to %1 seconds").arg(value));
    persist(keys::autoDismissSeconds, value);
    m_autoDismissSeconds = value;
    emit autoDismissSecondsChanged();
}

void AppState::setCustomFolderPath(const std::optional<QString> &value)
{
    emit objectWillChange();
    reactToCustomFolderPath(value);
    m_customFolderPath = value;
    emit customFolderPathChanged();
    emit resolvedScreenshotDirectoryChanged();
}

void AppState::setIsPaused(bool value)
{
    emit objectWillChange();
    reactToIsPaused(value);
    m_isPaused = value;
    emit isPausedChanged();
}

void AppState::setIsLaunchAtLoginEnabled(bool value)
{
    emit objectWillChange();
    reactToLaunchAtLogin(value);
    m_isLaunchAtLoginEnabled = value;
    emit isLaunchAtLoginEnabledChanged();
}

void AppState::setMarkupApplication(const QString &value)
{
    emit objectWillChange();
    const QString id = desktopEntryId(value);
    // None removes the key.
    persist(keys::markupApplication, id.isEmpty() ? QVariant() : QVariant(id));
    m_markupApplication = id;
    emit markupApplicationChanged();
}

QVariant AppState::customFolderPathVariant() const
{
    return m_customFolderPath ? QVariant(*m_customFolderPath) : QVariant::fromValue(nullptr);
}

void AppState::setCustomFolderPathVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid()) {
        setCustomFolderPath(std::nullopt);
    } else {
        setCustomFolderPath(value.toString());
    }
}

void AppState::reactToCustomFolderPath(const std::optional<QString> &value)
{
    // None removes the key.
    persist(keys::customFolderPath, value ? QVariant(*value) : QVariant());
    if ((!value || value->isEmpty()) && m_adoptedSystemLocation) {
        // Reset away from the folder taken on at launch: it must not come back at the next.
        persist(keys::declinedSystemLocation, *m_adoptedSystemLocation);
    }
    // Observers hear of it once the new folder is stored (see setCustomFolderPath).
    m_cachedScreenshotDir.reset();

    QPointer<AppState> self(this);
    Platform *platform = &m_platform;
    m_folderWorker.start([self, platform, value] {
        platform->detection().writeSystemScreenshotLocation(value);
        if (!value || value->isEmpty()) {
            logLine(QStringLiteral("Reset macOS screenshot save location to default."));
        } else {
            logLine(QStringLiteral("Updated macOS screenshot save location to: ") + *value);
        }
        // Back on the main thread; dropped if the settings object is gone by then.
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self) {
                    // A resolution made while the system location was being rewritten may
                    // have read the old one.
                    self->clearScreenshotDirectoryCache();
                    emit self->watcherRestartRequested();
                }
            },
            Qt::QueuedConnection);
    });
}

void AppState::reactToIsPaused(bool value)
{
    logLine(QStringLiteral("isPaused changed to: %1").arg(value ? 1 : 0));
    if (!value) {
        emit watcherRestartRequested();
    }
}

void AppState::reactToLaunchAtLogin(bool value)
{
    storeLaunchAtLoginChoice(value);
    const Result toggled =
        value ? m_platform.login().registerLoginItem() : m_platform.login().unregisterLoginItem();
    if (!toggled.ok()) {
        logLine(QStringLiteral("Launch at login toggle error: ") + toggled.reason());
    }
    // The login agent follows the choice too, or switching off would not last past a login.
    if (value) {
        if (const Result written = m_platform.login().installLoginAgent(); !written.ok()) {
            logLine(QStringLiteral("Login agent error: ") + written.reason());
        }
    } else {
        m_platform.login().removeLoginAgent();
    }
}

void AppState::playFeedbackSound(const QString &name)
{
    if (!m_playSound) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, name] {
            // The sound asked for, else a plain one; no sound at all is not worth a line.
            if (!m_platform.sounds().playSystemSound(name).ok() &&
                !m_platform.sounds().playSystemSound(QStringLiteral("Pop")).ok()) {
                static_cast<void>(m_platform.sounds().playSystemSound(QStringLiteral("Tink")));
            }
        },
        Qt::QueuedConnection);
}

QString AppState::storeFileName() const
{
    const QVariant refused = m_store->property(settingsfile::refusedFileProperty);
    return refused.isValid() ? refused.toString() : m_store->fileName();
}

bool AppState::waitForBackgroundWork(int timeoutMs)
{
    return m_folderWorker.waitForDone(timeoutMs);
}

} // namespace orvane
