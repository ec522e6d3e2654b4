#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

namespace orvane {

// macOS: the system's own tools and services, through command lines and a little
// Objective-C++.
class MacPlatform : public Platform {
public:
    explicit MacPlatform(ProcessContext context);

    PlatformKind kind() const override { return PlatformKind::MacOS; }
    std::unique_ptr<QSettings> openSettings() const override;

    std::optional<QString> readSystemScreenshotLocation() override;
    // The system location, else the desktop: no folders of other tools.
    QStringList screenshotToolFolders() override { return {}; }
    void writeSystemScreenshotLocation(const std::optional<QString> &folder) override;
    void resetScreenshotThumbnail() override;

    void installLoginAgent() override;
    void removeLoginAgent() override;
    bool isLoginItemEnabled() override;
    // The login item is registered at every launch, as the system expects.
    LoginEntry readLoginEntry() override { return LoginEntry::Unmanaged; }
    std::optional<QString> registerLoginItem() override;
    std::optional<QString> unregisterLoginItem() override;

    bool playSystemSound(const QString &name) override;

    void setActivationPolicyAccessory() override;
    void setActivationPolicyRegular() override;
    // --- Screenshot detection ---
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders,
                            FolderEventStream::Handler onBatch) override;
    QImage decodeHeic(const QByteArray &data, qint64 maxPixels) override;

    // --- The card: its window and its actions ---
    void prepareFloatingWindow(QWindow &window) override;
    void showFloatingWindow(QWindow &window) override;
    void copyImageToClipboard(const QImage &image) override;
    void copyFileToClipboard(const QString &path) override;
    void moveToTrash(const QString &path, std::function<void(bool)> finished) override;
    void openForMarkup(const QString &path, std::function<void(bool)> finished) override;
    void revealInFileManager(const QString &path, std::function<void(bool)> finished) override;
    bool showSharePicker(const QString &path, QWindow &window, const QRect &anchor) override;
    bool emailFile(const QString &path) override;
    QList<FileApplication> applicationsForFile(const QString &path) override;
    bool openFileWith(const QString &path, const QString &applicationId) override;

    // --- The tray and the uninstall ---
    void unloadLoginAgent() override;
    std::optional<QString> removeProgram() override;

    // --- The preferences window ---
    void stylePreferencesWindow(QWindow &window) override;
    void activateApplication() override;
    bool openFolder(const QString &folder) override;

    bool needsSingleInstanceGuard() const override;
    void setReopenHandler(std::function<void()> handler) override;

    // ~/Library/LaunchAgents/com.tarnwell.orvane.plist
    static QString launchAgentPath();

private:
    // The NSView behind a window, or 0 where the window is not a Cocoa one.
    static quintptr nativeView(QWindow &window);

    ProcessContext m_context;
};

} // namespace orvane
