#pragma once

#include "platform/Platform.h"

namespace orvane {

// The services of a system that offers none of them: nothing on the system is touched, and
// each operation that can fail says it is not supported. Tests derive their fakes from these;
// a platform without some capability can use them in its place.

class NullDetectionServices : public DetectionServices {
public:
    std::optional<QString> readSystemScreenshotLocation() override { return std::nullopt; }
    QStringList screenshotToolFolders() override { return {}; }
    void writeSystemScreenshotLocation(const std::optional<QString> &) override {}
    void resetScreenshotThumbnail() override {}
    std::unique_ptr<FolderEventStream> createFolderEventStream(const QStringList &,
                                                               FolderEventStream::Handler) override
    {
        return nullptr;
    }
    QImage decodeHeic(const QByteArray &, qint64) override { return {}; }
};

class NullCardPlatformServices : public CardPlatformServices {
public:
    // An ordinary Qt tool window: all a card can be without the system's help.
    void prepareFloatingWindow(QWindow &window) override;
    void showFloatingWindow(QWindow &window) override;
    void copyImageToClipboard(const QImage &, const QByteArray &) override {}
    void copyFileToClipboard(const QString &) override {}
    void moveToTrash(const QString &, TrashFinished finished) override
    {
        if (finished) {
            finished(std::nullopt);
        }
    }
    void openForMarkup(const QString &, const QString &,
                       std::function<void(bool)> finished) override
    {
        fail(finished);
    }
    void revealInFileManager(const QString &, std::function<void(bool)> finished) override
    {
        fail(finished);
    }

private:
    static void fail(const std::function<void(bool)> &finished)
    {
        if (finished) {
            finished(false);
        }
    }
};

class NullShareServices : public ShareServices {
public:
    bool showSharePicker(const QString &, QWindow &, const QRect &) override { return false; }
    Result emailFile(const QString &) override { return Result::unsupported(); }
    QList<FileApplication> applicationsForFile(const QString &) override { return {}; }
    Result openFileWith(const QString &, const QString &) override { return Result::unsupported(); }
};

class NullLoginServices : public LoginServices {
public:
    Result installLoginAgent() override { return Result::unsupported(); }
    void removeLoginAgent() override {}
    void unloadLoginAgent() override {}
    bool isLoginItemEnabled() override { return false; }
    LoginEntry readLoginEntry() override { return LoginEntry::Unmanaged; }
    Result registerLoginItem() override { return Result::unsupported(); }
    Result unregisterLoginItem() override { return Result::unsupported(); }
    ProgramRemovalPlan programRemovalPlan() override { return {}; }
    Result removeProgram(bool) override { return Result::unsupported(); }
};

class NullWindowServices : public WindowServices {
public:
    void setActivationPolicyAccessory() override {}
    void setActivationPolicyRegular() override {}
    void stylePreferencesWindow(QWindow &) override {}
    void activateApplication() override {}
    Result openFolder(const QString &) override { return Result::unsupported(); }
    TrayLooks trayLooks() override { return {}; }
};

class NullSoundServices : public SoundServices {
public:
    Result playSystemSound(const QString &) override { return Result::unsupported(); }
};

} // namespace orvane
