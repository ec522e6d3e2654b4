#pragma once

#include "platform/NullPlatform.h"

#include <QImage>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStringList>
#include <QWindow>

namespace orvane::test {

// A Platform that does nothing but note each call, in order, and answer as told. What it
// does not record is left to the null services.
class RecordingPlatform : public NullDetectionServices,
                          public NullCardPlatformServices,
                          public NullShareServices,
                          public NullLoginServices,
                          public NullWindowServices,
                          public NullSoundServices,
                          public Platform {
public:
    explicit RecordingPlatform(QString file)
        : Platform({*this, *this, *this, *this, *this, *this}), settingsFile(std::move(file))
    {}

    PlatformKind kind() const override { return PlatformKind::Linux; }
    std::unique_ptr<QSettings> openSettings() const override
    {
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    }
    bool needsSingleInstanceGuard() const override { return true; }
    void setReopenHandler(std::function<void()>) override {}

    std::optional<QString> readSystemScreenshotLocation() override
    {
        record(QStringLiteral("readSystemScreenshotLocation"));
        return systemLocation;
    }
    // A plain query, not recorded: it comes with every folder resolution.
    QStringList screenshotToolFolders() override { return toolFolders; }
    void writeSystemScreenshotLocation(const std::optional<QString> &folder) override
    {
        record(folder ? QStringLiteral("writeSystemScreenshotLocation:") + *folder
                      : QStringLiteral("writeSystemScreenshotLocation:<none>"));
    }
    void resetScreenshotThumbnail() override { record(QStringLiteral("resetScreenshotThumbnail")); }
    Result installLoginAgent() override
    {
        record(QStringLiteral("installLoginAgent"));
        return Result::done();
    }
    void removeLoginAgent() override { record(QStringLiteral("removeLoginAgent")); }
    bool isLoginItemEnabled() override
    {
        record(QStringLiteral("isLoginItemEnabled"));
        return loginItemEnabled;
    }
    LoginEntry readLoginEntry() override
    {
        record(QStringLiteral("readLoginEntry"));
        return loginEntry;
    }
    Result registerLoginItem() override
    {
        record(QStringLiteral("registerLoginItem"));
        loginItemEnabled = loginItemEnabled || !loginItemError;
        return Result::fromError(loginItemError);
    }
    Result unregisterLoginItem() override
    {
        record(QStringLiteral("unregisterLoginItem"));
        return Result::fromError(loginItemError);
    }
    Result playSystemSound(const QString &name) override
    {
        record(QStringLiteral("playSystemSound:") + name);
        return availableSounds.contains(name) ? Result::done() : Result::unsupported();
    }
    void setActivationPolicyAccessory() override { record(QStringLiteral("accessory")); }
    void setActivationPolicyRegular() override { record(QStringLiteral("regular")); }

    // A stream that records its life and lets the test hand it batches.
    class Stream : public FolderEventStream {
    public:
        Stream(RecordingPlatform &platform, Handler handler)
            : owner(platform), onBatch(std::move(handler))
        {}
        ~Stream() override
        {
            owner.record(QStringLiteral("stopStream"));
            if (owner.stream == this) {
                owner.stream = nullptr;
            }
        }
        bool start() override
        {
            owner.record(QStringLiteral("startStream"));
            return owner.streamStarts;
        }
        RecordingPlatform &owner;
        Handler onBatch;
    };
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders, FolderEventStream::Handler onBatch) override
    {
        record(QStringLiteral("createStream:") + folders.join(u'|'));
        if (!streamCreates) {
            return nullptr;
        }
        auto created = std::make_unique<Stream>(*this, std::move(onBatch));
        stream = created.get();
        return created;
    }
    bool streamCreates = true;
    bool streamStarts = true;
    Stream *stream = nullptr;

    void prepareFloatingWindow(QWindow &window) override
    {
        record(QStringLiteral("prepareFloatingWindow"));
        window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    }
    void showFloatingWindow(QWindow &window) override
    {
        record(QStringLiteral("showFloatingWindow"));
        window.show();
    }
    void copyImageToClipboard(const QImage &image) override
    {
        record(QStringLiteral("copyImageToClipboard:%1x%2").arg(image.width()).arg(image.height()));
    }
    void copyFileToClipboard(const QString &path) override
    {
        record(QStringLiteral("copyFileToClipboard:") + path);
    }
    void moveToTrash(const QString &path, std::function<void(bool)> finished) override
    {
        recordAndFinish(QStringLiteral("moveToTrash:") + path, finished, trashSucceeds);
    }
    void openForMarkup(const QString &path, std::function<void(bool)> finished) override
    {
        recordAndFinish(QStringLiteral("openForMarkup:") + path, finished, opensSucceed);
    }
    void revealInFileManager(const QString &path, std::function<void(bool)> finished) override
    {
        recordAndFinish(QStringLiteral("revealInFileManager:") + path, finished, opensSucceed);
    }
    bool showSharePicker(const QString &path, QWindow &, const QRect &) override
    {
        record(QStringLiteral("showSharePicker:") + path);
        return hasSharePicker;
    }
    Result emailFile(const QString &path) override
    {
        record(QStringLiteral("emailFile:") + path);
        return opened();
    }
    QList<FileApplication> applicationsForFile(const QString &path) override
    {
        record(QStringLiteral("applicationsForFile:") + path);
        return fileApplications;
    }
    Result openFileWith(const QString &path, const QString &applicationId) override
    {
        record(QStringLiteral("openFileWith:") + applicationId + u':' + path);
        return opened();
    }
    Result opened() const
    {
        return opensSucceed ? Result::done() : Result::failed(QStringLiteral("told to fail"));
    }

    void unloadLoginAgent() override { record(QStringLiteral("unloadLoginAgent")); }
    Result removeProgram() override
    {
        record(QStringLiteral("removeProgram"));
        return Result::fromError(removeProgramRefusal);
    }
    std::optional<QString> removeProgramRefusal;
    QString programRemovalNote() override { return removalNote; }
    QString removalNote;

    void stylePreferencesWindow(QWindow &) override
    {
        record(QStringLiteral("stylePreferencesWindow"));
    }
    void activateApplication() override { record(QStringLiteral("activateApplication")); }
    Result openFolder(const QString &folder) override
    {
        record(QStringLiteral("openFolder:") + folder);
        return Result::done();
    }

    void recordAndFinish(const QString &call, const std::function<void(bool)> &finished, bool ok)
    {
        record(call);
        if (finished) {
            finished(ok);
        }
    }
    void record(const QString &call)
    {
        QMutexLocker lock(&mutex);
        calls << call;
    }
    QStringList takeCalls()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    QString settingsFile;
    std::optional<QString> systemLocation;
    QStringList toolFolders;
    bool loginItemEnabled = false;
    LoginEntry loginEntry = LoginEntry::Unmanaged;
    std::optional<QString> loginItemError;
    QSet<QString> availableSounds{QStringLiteral("Tink"), QStringLiteral("Pop"),
                                  QStringLiteral("Basso")};

    bool trashSucceeds = true;
    // Markup, reveal, e-mail and Open With: whether an application took the file.
    bool opensSucceed = true;
    bool hasSharePicker = false;
    QList<FileApplication> fileApplications;

    QMutex mutex;
    QStringList calls;
};

} // namespace orvane::test
