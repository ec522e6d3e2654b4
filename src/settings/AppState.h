#pragma once

#include "settings/SettingsTable.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

namespace orvane {

class Platform;

// The user's settings: loaded once, persisted on every change, observable from widgets and
// QML. Every assignment, even of the current value, first announces objectWillChange() and
// runs that setting's reaction with the new value, then stores it and emits its own
// change signal.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool autoCopyOnCapture READ autoCopyOnCapture WRITE setAutoCopyOnCapture NOTIFY
                   autoCopyOnCaptureChanged)
    Q_PROPERTY(bool playSound READ playSound WRITE setPlaySound NOTIFY playSoundChanged)
    Q_PROPERTY(qint64 autoDismissSeconds READ autoDismissSeconds WRITE setAutoDismissSeconds NOTIFY
                   autoDismissSecondsChanged)
    // null while no custom folder is set; an empty string is a set (if useless) folder.
    Q_PROPERTY(QVariant customFolderPath READ customFolderPathVariant WRITE
                   setCustomFolderPathVariant NOTIFY customFolderPathChanged)
    // A notification with "Undo" after the card moved a screenshot to the Trash.
    Q_PROPERTY(bool offerUndoAfterTrash READ offerUndoAfterTrash WRITE setOfferUndoAfterTrash NOTIFY
                   offerUndoAfterTrashChanged)
    Q_PROPERTY(bool isPaused READ isPaused WRITE setIsPaused NOTIFY isPausedChanged)
    Q_PROPERTY(bool isLaunchAtLoginEnabled READ isLaunchAtLoginEnabled WRITE
                   setIsLaunchAtLoginEnabled NOTIFY isLaunchAtLoginEnabledChanged)
    // The desktop entry's id ("org.kde.kolourpaint.desktop") Markup uses; empty: Orvane's choice.
    Q_PROPERTY(QString markupApplication READ markupApplication WRITE setMarkupApplication NOTIFY
                   markupApplicationChanged)
    // The auto-dismiss times on offer, and the default among them, for the preferences.
    Q_PROPERTY(QVariantList autoDismissChoices READ autoDismissChoicesList CONSTANT)
    Q_PROPERTY(qint64 defaultAutoDismissSeconds READ defaultAutoDismissSeconds CONSTANT)
    Q_PROPERTY(QString resolvedScreenshotDirectory READ resolvedScreenshotDirectory NOTIFY
                   resolvedScreenshotDirectoryChanged)
    // Empty while changes are saved; else why they are not, naming the settings file.
    Q_PROPERTY(QString settingsNotice READ settingsNotice NOTIFY settingsNoticeChanged)

public:
    // Loads the settings from `store` (which it keeps) and asks `platform` for the rest.
    AppState(Platform &platform, std::unique_ptr<QSettings> store, QObject *parent = nullptr);
    ~AppState() override;

    // The instance QML's AppState singleton stands for (see AppStateQml.h); set by main
    // before any QML loads.
    static void setQmlInstance(AppState *state);
    static AppState *qmlInstance();

    // The user's launch-at-login choice as stored; none while there is none (a first launch),
    // which counts as on. Kept like every other change (and not written where the file is
    // left as it is); forgotten by the uninstall, so that a later install starts afresh.
    static std::optional<bool> storedLaunchAtLoginChoice(const QSettings &store);
    std::optional<bool> storedLaunchAtLoginChoice() const;
    void storeLaunchAtLoginChoice(bool value);
    void forgetLaunchAtLoginChoice();

    QString settingsNotice() const;

    // Reads the login item's state again, after the launch registered it behind the settings'
    // back; announced like a change when it differs.
    void reloadLaunchAtLogin();

    bool autoCopyOnCapture() const { return m_autoCopyOnCapture; }
    bool playSound() const { return m_playSound; }
    qint64 autoDismissSeconds() const { return m_autoDismissSeconds; }
    const std::optional<QString> &customFolderPath() const { return m_customFolderPath; }
    bool offerUndoAfterTrash() const { return m_offerUndoAfterTrash; }
    bool isPaused() const { return m_isPaused; }
    bool isLaunchAtLoginEnabled() const { return m_isLaunchAtLoginEnabled; }
    const QString &markupApplication() const { return m_markupApplication; }
    QVariantList autoDismissChoicesList() const;
    qint64 defaultAutoDismissSeconds() const { return defaults::autoDismissSeconds; }

    void setAutoCopyOnCapture(bool value);
    void setPlaySound(bool value);
    void setAutoDismissSeconds(qint64 value);
    void setCustomFolderPath(const std::optional<QString> &value);
    void setOfferUndoAfterTrash(bool value);
    void setIsPaused(bool value);
    void setIsLaunchAtLoginEnabled(bool value);
    // Anything but a desktop entry's id counts as empty.
    void setMarkupApplication(const QString &value);

    // The folder screenshots go to: the custom folder when it exists, else the system's
    // screenshot location when it exists, else the first folder the desktop's capture tools
    // save into (even before it exists), else the desktop. Remembered until the custom folder
    // is assigned again.
    QString resolvedScreenshotDirectory();
    // Every folder the desktop's capture tools save into, whatever the custom folder: their
    // settings' folders, then their defaults, existing or not (none on macOS). Watched beside
    // the resolved folder, since on Linux a custom folder does not redirect the tools. Read
    // afresh at each call, so that a watcher restart sees the tools' current settings.
    QStringList screenshotToolFolders();

    // Plays a named system sound, later on the main thread, when sounds are on at the call.
    Q_INVOKABLE void playFeedbackSound(const QString &name);

    // Waits until the folder reactions handed to the background have finished, or at most
    // `timeoutMs` (-1: no limit); false when they had not.
    bool waitForBackgroundWork(int timeoutMs = -1);

signals:
    // Sent by every assignment before the value is stored.
    void objectWillChange();
    void autoCopyOnCaptureChanged();
    void playSoundChanged();
    void autoDismissSecondsChanged();
    void customFolderPathChanged();
    void offerUndoAfterTrashChanged();
    void isPausedChanged();
    void isLaunchAtLoginEnabledChanged();
    void markupApplicationChanged();
    void resolvedScreenshotDirectoryChanged();
    void settingsNoticeChanged();
    // Monitoring must start afresh: resumed, or the screenshot folder changed.
    void watcherRestartRequested();

private:
    QVariant customFolderPathVariant() const;
    void setCustomFolderPathVariant(const QVariant &value);
    std::optional<QString> adoptSystemLocation();
    QString computeScreenshotDirectory();
    void clearScreenshotDirectoryCache();

    void reactToCustomFolderPath(const std::optional<QString> &value);
    void reactToIsPaused(bool value);
    void reactToLaunchAtLogin(bool value);
    void persist(const char *key, const QVariant &value);
    // The settings file, also where the store stands in for one it did not open.
    QString storeFileName() const;

    Platform &m_platform;
    std::unique_ptr<QSettings> m_store;
    // The file is left as it is: never written, and unparsed when not even that is safe.
    bool m_storeUnreadable = false;
    bool m_storeUnparsed = false;
    bool m_storeFailed = false;
    std::optional<bool> m_launchAtLoginChoice;
    // The system's folder taken on at launch as the custom folder, if any.
    std::optional<QString> m_adoptedSystemLocation;
    // Key -> value not yet saved (an invalid value: to be removed).
    QHash<QString, QVariant> m_unsaved;

    bool m_autoCopyOnCapture = defaults::autoCopyOnCapture;
    bool m_playSound = defaults::playSound;
    qint64 m_autoDismissSeconds = defaults::autoDismissSeconds;
    std::optional<QString> m_customFolderPath;
    bool m_offerUndoAfterTrash = defaults::offerUndoAfterTrash;
    bool m_isPaused = false;
    bool m_isLaunchAtLoginEnabled = false;
    QString m_markupApplication;
    std::optional<QString> m_cachedScreenshotDir;

    // One worker, so that folder changes reach the system in the order they were made.
    QThreadPool m_folderWorker;
};

} // namespace orvane
