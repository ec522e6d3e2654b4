#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

#include <future>

namespace orvane {

class SessionBusWatch;
class DesktopNotifications;
class TrashUndo;

// Linux desktops: freedesktop services in place of the macOS ones.

// The folders of the capture tools' settings and defaults (LinuxScreenshotFolders.cpp), inotify
// and libheif (LinuxDetection.cpp). The desktop's capture tools are never reconfigured: the
// custom folder is watched instead.
class LinuxDetectionServices : public DetectionServices {
public:
    std::optional<QString> readSystemScreenshotLocation() override;
    QStringList screenshotToolFolders() override;
    void writeSystemScreenshotLocation(const std::optional<QString> &) override {}
    void resetScreenshotThumbnail() override {}
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders,
                            FolderEventStream::Handler onBatch) override;
    QImage decodeHeic(const QByteArray &data, qint64 maxPixels) override;
};

// LinuxCardServices.cpp
class LinuxCardPlatformServices : public CardPlatformServices {
public:
    LinuxCardPlatformServices();
    ~LinuxCardPlatformServices() override;

    void prepareFloatingWindow(QWindow &window) override;
    void showFloatingWindow(QWindow &window) override;
    QRect workArea(QScreen &screen) override;
    bool blurBehind(QWindow &window) override;
    void copyImageToClipboard(const QImage &image, const QByteArray &png) override;
    void copyFileToClipboard(const QString &path) override;
    void moveToTrash(const QString &path, TrashFinished finished) override;
    // Through the freedesktop notification service (DesktopNotifications.cpp).
    void offerUndo(const TrashedFile &trashed) override;
    // LinuxMarkup.cpp
    void openForMarkup(const QString &path, const QString &applicationId,
                       std::function<void(bool)> finished) override;
    MarkupApplications markupApplications() override;
    void revealInFileManager(const QString &path, std::function<void(bool)> finished) override;

private:
    // Made at the first offer, on the main thread.
    std::unique_ptr<DesktopNotifications> m_notifications;
    std::unique_ptr<TrashUndo> m_undo;
};

// LinuxCardServices.cpp: no share picker; e-mail and the desktop's applications instead.
class LinuxShareServices : public ShareServices {
public:
    bool showSharePicker(const QString &, QWindow &, const QRect &) override { return false; }
    Result emailFile(const QString &path) override;
    QList<FileApplication> applicationsForFile(const QString &path) override;
    Result openFileWith(const QString &path, const QString &applicationId) override;
};

// The XDG autostart entry (LinuxPlatform.cpp) and the program's own file (LinuxUninstall.cpp).
class LinuxLoginServices : public LoginServices {
public:
    explicit LinuxLoginServices(ProcessContext context); // LinuxUninstall.cpp

    Result installLoginAgent() override;
    void removeLoginAgent() override;
    // Nothing runs the entry once the session has started.
    void unloadLoginAgent() override {}
    bool isLoginItemEnabled() override;
    LoginEntry readLoginEntry() override;
    Result registerLoginItem() override;
    Result unregisterLoginItem() override;
    ProgramRemovalPlan programRemovalPlan() override;
    Result removeProgram(bool questionSaidTrash) override;
    void prepareProgramRemoval() override;
    std::optional<QString> loginEntryRefusal() override;

    // ~/.config/autostart/com.tarnwell.orvane.desktop (XDG_CONFIG_HOME honoured).
    static QString autostartEntryPath();

private:
    Result writeAutostartEntry();
    // Whether the uninstall may move the program file to the Trash, and what to tell the user
    // either way.
    struct ProgramRemoval {
        QString program;
        bool toTrash = false;
        QString note;      // for the log
        QString shownNote; // for the confirmation, translated
    };
    // Asks dpkg if not asked yet; until it answers, a copy under the home folder stays.
    ProgramRemoval programRemoval();

    ProcessContext m_context;
    // The Debian package that installed the program, asked of dpkg in the background: the
    // question is shown without waiting for a process.
    std::shared_future<QString> m_packageOwner;
};

// No Dock and no window styles: the window shows in the task bar while open.
class ColorSchemeWatcher;

class LinuxWindowServices : public WindowServices {
public:
    LinuxWindowServices();
    ~LinuxWindowServices() override;

    void setActivationPolicyAccessory() override {}
    void setActivationPolicyRegular() override {}
    void stylePreferencesWindow(QWindow &) override {}
    // The window manager gives a newly shown window the focus; there is no application to raise.
    void activateApplication() override {}
    Result openFolder(const QString &folder) override; // LinuxPreferencesServices.cpp
    TrayLooks trayLooks() override;                    // LinuxTray.cpp
    Result showNotification(const QString &title, const QString &text) override; // LinuxTray.cpp
    // The desktop portal's color-scheme, else GNOME's (ColorScheme.cpp).
    void watchColorScheme(std::function<void(std::optional<bool> dark)> changed) override;

private:
    std::unique_ptr<ColorSchemeWatcher> m_colorScheme;
};

// libcanberra events of the freedesktop sound theme.
class LinuxSoundServices : public SoundServices {
public:
    Result playSystemSound(const QString &name) override;
};

// One object that is each of the Linux services.
class LinuxPlatform : public LinuxDetectionServices,
                      public LinuxCardPlatformServices,
                      public LinuxShareServices,
                      public LinuxLoginServices,
                      public LinuxWindowServices,
                      public LinuxSoundServices,
                      public Platform {
public:
    explicit LinuxPlatform(ProcessContext context);
    ~LinuxPlatform() override;

    PlatformKind kind() const override { return PlatformKind::Linux; }
    std::unique_ptr<QSettings> openSettings() const override;
    bool needsSingleInstanceGuard() const override { return true; }
    // A second start reaches the first through the single-instance socket instead.
    void setReopenHandler(std::function<void()>) override {}

private:
    std::unique_ptr<SessionBusWatch> m_busWatch;
};

} // namespace orvane
