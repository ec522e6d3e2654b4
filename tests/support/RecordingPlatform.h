#pragma once

#include "platform/NullPlatform.h"

#include <QImage>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStringList>

namespace orvane::test {

using namespace Qt::StringLiterals;

// A Platform that notes each call the tests read, in order, and answers as told. What it
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

    std::optional<QString> readSystemScreenshotLocation() override { return systemLocation; }
    QStringList screenshotToolFolders() override { return toolFolders; }
    void writeSystemScreenshotLocation(const std::optional<QString> &folder) override
    {
        record(u"writeSystemScreenshotLocation:"_s + folder.value_or(u"<none>"_s));
    }
    void resetScreenshotThumbnail() override { record(u"resetScreenshotThumbnail"_s); }
    Result installLoginAgent() override { return note(u"installLoginAgent"_s, Result::done()); }
    void removeLoginAgent() override { record(u"removeLoginAgent"_s); }
    bool isLoginItemEnabled() override { return note(u"isLoginItemEnabled"_s, loginItemEnabled); }
    LoginEntry readLoginEntry() override { return note(u"readLoginEntry"_s, loginEntry); }
    Result registerLoginItem() override
    {
        loginItemEnabled = loginItemEnabled || !loginItemError;
        return note(u"registerLoginItem"_s, Result::fromError(loginItemError));
    }
    Result unregisterLoginItem() override
    {
        return note(u"unregisterLoginItem"_s, Result::fromError(loginItemError));
    }
    Result removeProgram() override { return note(u"removeProgram"_s, Result::done()); }
    QString programRemovalNote() override { return removalNote; }
    Result playSystemSound(const QString &name) override
    {
        return note(u"playSystemSound:"_s + name,
                    availableSounds.contains(name) ? Result::done() : Result::unsupported());
    }

    // A stream that records its life and lets the test hand it batches.
    class Stream : public FolderEventStream {
    public:
        Stream(RecordingPlatform &platform, Handler handler)
            : owner(platform), onBatch(std::move(handler))
        {}
        ~Stream() override
        {
            owner.record(u"stopStream"_s);
            if (owner.stream == this) {
                owner.stream = nullptr;
            }
        }
        bool start() override { return owner.note(u"startStream"_s, owner.streamStarts); }
        RecordingPlatform &owner;
        Handler onBatch;
    };
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders, FolderEventStream::Handler onBatch) override
    {
        record(u"createStream:"_s + folders.join(u'|'));
        auto created =
            streamCreates ? std::make_unique<Stream>(*this, std::move(onBatch)) : nullptr;
        stream = created.get();
        return created;
    }

    void copyImageToClipboard(const QImage &image) override
    {
        record(u"copyImageToClipboard:%1x%2"_s.arg(image.width()).arg(image.height()));
    }
    void copyFileToClipboard(const QString &path) override
    {
        record(u"copyFileToClipboard:"_s + path);
    }
    void moveToTrash(const QString &path, std::function<void(bool)> finished) override
    {
        finished(note(u"moveToTrash:"_s + path, trashSucceeds));
    }
    void openForMarkup(const QString &path, std::function<void(bool)> finished) override
    {
        finished(note(u"openForMarkup:"_s + path, opensSucceed));
    }
    void revealInFileManager(const QString &path, std::function<void(bool)> finished) override
    {
        finished(note(u"revealInFileManager:"_s + path, opensSucceed));
    }
    bool showSharePicker(const QString &path, QWindow &, const QRect &) override
    {
        return note(u"showSharePicker:"_s + path, hasSharePicker);
    }
    Result emailFile(const QString &path) override
    {
        return note(u"emailFile:"_s + path, opened());
    }
    QList<FileApplication> applicationsForFile(const QString &path) override
    {
        return note(u"applicationsForFile:"_s + path, fileApplications);
    }
    Result openFileWith(const QString &path, const QString &applicationId) override
    {
        return note(u"openFileWith:"_s + applicationId + u':' + path, opened());
    }
    Result opened() const
    {
        return opensSucceed ? Result::done() : Result::failed(u"told to fail"_s);
    }

    void activateApplication() override { record(u"activateApplication"_s); }
    Result openFolder(const QString &folder) override
    {
        return note(u"openFolder:"_s + folder, Result::done());
    }

    void record(const QString &call)
    {
        QMutexLocker lock(&mutex); // some calls come from worker threads
        calls << call;
    }
    template <typename T> T note(const QString &call, T answer)
    {
        record(call);
        return answer;
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
    QSet<QString> availableSounds{u"Tink"_s, u"Pop"_s, u"Basso"_s};
    bool streamCreates = true;
    bool streamStarts = true;
    Stream *stream = nullptr;
    QString removalNote;
    bool trashSucceeds = true;
    // Markup, reveal, e-mail and Open With: whether an application took the file.
    bool opensSucceed = true;
    bool hasSharePicker = false;
    QList<FileApplication> fileApplications;

    QMutex mutex;
    QStringList calls;
};

} // namespace orvane::test
