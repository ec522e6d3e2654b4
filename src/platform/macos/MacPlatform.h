#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

namespace orvane {

class ActionNotifications;
class TrashUndo;

// macOS: the system's own tools and services, through command lines and a little
// Objective-C++.

// The NSView behind a window, or 0 where the window is not a Cocoa one.
quintptr macNativeView(QWindow &window);

// `defaults` for the system's screenshot settings (MacPlatform.cpp), FSEvents and Qt's HEIC
// reader (MacDetection.cpp).
class MacDetectionServices : public DetectionServices {
public:
    std::optional<QString> readSystemScreenshotLocation() override;
    // The system location, else the desktop: no folders of other tools.
    QStringList screenshotToolFolders() override { return {}; }
    void writeSystemScreenshotLocation(const std::optional<QString> &folder) override;
    void resetScreenshotThumbnail() override;
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders,
                            FolderEventStream::Handler onBatch) override;
    QImage decodeHeic(const QByteArray &data, qint64 maxPixels) override;
};

// MacCardServices.cpp
class MacCardPlatformServices : public CardPlatformServices {
public:
    MacCardPlatformServices();
    ~MacCardPlatformServices() override;

    void prepareFloatingWindow(QWindow &window) override;
    void showFloatingWindow(QWindow &window) override;
    void copyImageToClipboard(const QImage &image, const QByteArray &png) override;
    void copyFileToClipboard(const QString &path) override;
    void moveToTrash(const QString &path, TrashFinished finished) override;
    void offerUndo(const TrashedFile &trashed) override;
    // Preview, whatever was chosen: macOS offers no choice.
    void openForMarkup(const QString &path, const QString &applicationId,
                       std::function<void(bool)> finished) override;
    MarkupApplications markupApplications() override;
    void revealInFileManager(const QString &path, std::function<void(bool)> finished) override;

private:
    // Made at the first offer, on the main thread.
    std::unique_ptr<ActionNotifications> m_notifications;
    std::unique_ptr<TrashUndo> m_undo;
};

// The system's share picker, which offers e-mail and the applications itself.
class MacShareServices : public ShareServices {
public:
    bool showSharePicker(const QString &path, QWindow &window, const QRect &anchor) override;
    Result emailFile(const QString &) override { return Result::unsupported(); }
    QList<FileApplication> applicationsForFile(const QString &) override { return {}; }
    Result openFileWith(const QString &, const QString &) override { return Result::unsupported(); }
};

// The launch agent and the login item (MacPlatform.cpp), the bundle's removal
// (MacUninstall.cpp).
class MacLoginServices : public LoginServices {
public:
    explicit MacLoginServices(ProcessContext context) : m_context(std::move(context)) {}

    Result installLoginAgent() override;
    void removeLoginAgent() override;
    void unloadLoginAgent() override;
    bool isLoginItemEnabled() override;
    // The login item is registered at every launch, as the system expects.
    LoginEntry readLoginEntry() override { return LoginEntry::Unmanaged; }
    Result registerLoginItem() override;
    Result unregisterLoginItem() override;
    // A bundle goes to the Trash, which the question's own text tells.
    ProgramRemovalPlan programRemovalPlan() override;
    Result removeProgram(bool questionSaidTrash) override;

    // ~/Library/LaunchAgents/com.tarnwell.orvane.plist
    static QString launchAgentPath();

private:
    ProcessContext m_context;
};

class MacWindowServices : public WindowServices {
public:
    void setActivationPolicyAccessory() override;
    void setActivationPolicyRegular() override;
    void stylePreferencesWindow(QWindow &window) override;
    void activateApplication() override;
    Result openFolder(const QString &folder) override;
    // The menu bar tints the icon itself.
    TrayLooks trayLooks() override { return {}; }
};

class MacSoundServices : public SoundServices {
public:
    Result playSystemSound(const QString &name) override;
};

// One object that is each of the macOS services.
class MacPlatform : public MacDetectionServices,
                    public MacCardPlatformServices,
                    public MacShareServices,
                    public MacLoginServices,
                    public MacWindowServices,
                    public MacSoundServices,
                    public Platform {
public:
    explicit MacPlatform(ProcessContext context);

    PlatformKind kind() const override { return PlatformKind::MacOS; }
    std::unique_ptr<QSettings> openSettings() const override;
    bool needsSingleInstanceGuard() const override;
    void setReopenHandler(std::function<void()> handler) override;
};

} // namespace orvane
