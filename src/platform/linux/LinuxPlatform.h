#pragma once

#include "platform/Platform.h"
#include "platform/ProcessContext.h"

namespace orvane {

// Linux desktops: freedesktop services in place of the macOS ones.
class LinuxPlatform : public Platform {
public:
    explicit LinuxPlatform(ProcessContext context);

    PlatformKind kind() const override { return PlatformKind::Linux; }
    std::unique_ptr<QSettings> openSettings() const override;

    // The folders of the capture tools' settings and defaults (LinuxScreenshotFolders.cpp).
    std::optional<QString> readSystemScreenshotLocation() override;
    QStringList screenshotToolFolders() override;
    void writeSystemScreenshotLocation(const std::optional<QString> &) override {}
    void resetScreenshotThumbnail() override {}

    void installLoginAgent() override;
    void removeLoginAgent() override;
    bool isLoginItemEnabled() override;
    LoginEntry readLoginEntry() override;
    std::optional<QString> registerLoginItem() override;
    std::optional<QString> unregisterLoginItem() override;

    bool playSystemSound(const QString &name) override;

    void setActivationPolicyAccessory() override {}
    void setActivationPolicyRegular() override {}
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
    void unloadLoginAgent() override {}
    std::optional<QString> removeProgram() override;
    TrayLooks trayLooks() override;
    QString programRemovalNote() override;

    // --- The preferences window ---
    void stylePreferencesWindow(QWindow &) override {}
    // The window manager gives a newly shown window the focus; there is no application to raise.
    void activateApplication() override {}
    bool openFolder(const QString &folder) override;

    bool needsSingleInstanceGuard() const override { return true; }
    // A second start reaches the first through the single-instance socket instead.
    void setReopenHandler(std::function<void()>) override {}

    // ~/.config/autostart/com.tarnwell.orvane.desktop (XDG_CONFIG_HOME honoured).
    static QString autostartEntryPath();

private:
    std::optional<QString> writeAutostartEntry();
    // Whether the uninstall may move the program file to the Trash, and what to tell the user
    // either way (LinuxUninstall.cpp).
    struct ProgramRemoval {
        QString program;
        bool toTrash = false;
        QString note;
    };
    ProgramRemoval programRemoval() const;

    ProcessContext m_context;
};

} // namespace orvane
