#pragma once

#include "platform/NullPlatform.h"
#include "platform/SettingsFile.h"

#include <QMutex>
#include <QSet>
#include <QSettings>

namespace orvane::test {

using namespace Qt::StringLiterals;

// A Platform that records, in order, the calls tests read and answers as told; the rest is null.
class RecordingPlatform : public NullDetectionServices,
                          public NullCardPlatformServices,
                          public NullShareServices,
                          public NullLoginServices,
                          public NullWindowServices,
                          public NullSoundServices,
                          public Platform {
public:
    using Path = const QString &;
    using Done = std::function<void(bool)>;

    explicit RecordingPlatform(QString file)
        : Platform({*this, *this, *this, *this, *this, *this}), settingsFile(std::move(file))
    {}

    PlatformKind kind() const override { return PlatformKind::Linux; }
    std::unique_ptr<QSettings> openSettings() const override
    {
        return settingsfile::openIni(settingsFile);
    }
    bool needsSingleInstanceGuard() const override { return true; }
    void setReopenHandler(std::function<void()>) override {}
    std::optional<QString> readSystemScreenshotLocation() override { return systemLocation; }
    QStringList screenshotToolFolders() override { return toolFolders; }
    void writeSystemScreenshotLocation(const std::optional<QString> &f) override
    {
        record(u"writeSystemScreenshotLocation:"_s + f.value_or(u"<none>"_s));
    }
    void resetScreenshotThumbnail() override { record(u"resetScreenshotThumbnail"_s); }
    Result installLoginAgent() override { return note(__func__, Result::done()); }
    void removeLoginAgent() override { record(u"removeLoginAgent"_s); }
    bool isLoginItemEnabled() override { return note(__func__, loginItemEnabled); }
    LoginEntry readLoginEntry() override { return note(__func__, loginEntry); }
    Result registerLoginItem() override
    {
        loginItemEnabled = loginItemEnabled || !loginItemError;
        return note(__func__, loginAnswer());
    }
    Result unregisterLoginItem() override { return note(__func__, loginAnswer()); }
    Result loginAnswer() const { return Result::fromError(loginItemError); }
    ProgramRemovalPlan programRemovalPlan() override { return {removalNote, removalToTrash}; }
    // "removeProgram:stays" where the question said the program stays.
    Result removeProgram(bool asked) override
    {
        return note(asked ? u"removeProgram"_s : u"removeProgram:stays"_s, Result::done());
    }
    void prepareProgramRemoval() override { record(u"prepareProgramRemoval"_s); }
    std::optional<QString> loginEntryRefusal() override { return loginRefusal; }
    Result playSystemSound(Path name) override
    {
        return note(__func__, name,
                    availableSounds.contains(name) ? Result::done() : Result::unsupported());
    }

    // A stream that records its life and lets the test hand it batches.
    struct Stream : FolderEventStream {
        Stream(RecordingPlatform &platform, Handler handler) : owner(platform), onBatch(handler) {}
        ~Stream() override
        {
            owner.record(u"stopStream"_s);
            owner.stream = owner.stream == this ? nullptr : owner.stream;
        }
        bool start() override { return owner.note(u"startStream"_s, owner.streamStarts); }
        RecordingPlatform &owner;
        Handler onBatch;
    };
    std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders, FolderEventStream::Handler onBatch) override
    {
        record(u"createStream:"_s + folders.join(u'|'));
        auto created = streamCreates ? std::make_unique<Stream>(*this, onBatch) : nullptr;
        stream = created.get();
        return created;
    }
    void copyImageToClipboard(const QImage &i, const QByteArray &png) override
    {
        // "+png": with the file's own bytes, which must be the picture's.
        const bool same = !png.isEmpty() && QImage::fromData(png, "PNG").size() == i.size();
        record(u"copyImageToClipboard:%1x%2%3"_s.arg(i.width())
                   .arg(i.height())
                   .arg(same ? u"+png"_s : QString()));
    }
    void copyFileToClipboard(Path p) override { record(u"copyFileToClipboard:"_s + p); }
    void moveToTrash(Path p, TrashFinished done) override
    {
        done(note(__func__, p, trashSucceeds) ? std::optional(TrashedFile{p, p + u"~trashed"_s, {}})
                                              : std::nullopt);
    }
    void offerUndo(const TrashedFile &t) override { record(u"offerUndo:"_s + t.trashedPath); }
    // The application chosen, when there is one, before the file.
    void openForMarkup(Path p, Path a, Done done) override
    {
        done(note(__func__, a.isEmpty() ? p : a + u':' + p, opensSucceed));
    }
    MarkupApplications markupApplications() override { return markup; }
    void revealInFileManager(Path p, Done done) override { done(note(__func__, p, opensSucceed)); }
    bool showSharePicker(Path p, QWindow &, const QRect &) override
    {
        return note(__func__, p, hasSharePicker);
    }
    Result emailFile(Path p) override { return note(__func__, p, taken()); }
    QList<FileApplication> applicationsForFile(Path p) override
    {
        return note(__func__, p, fileApplications);
    }
    Result openFileWith(Path p, Path a) override { return note(__func__, a + u':' + p, taken()); }
    Result taken() const { return opensSucceed ? Result::done() : Result::failed(u"refused"_s); }
    void activateApplication() override { record(u"activateApplication"_s); }
    Result openFolder(Path f) override { return note(__func__, f, Result::done()); }
    void record(const QString &call)
    {
        QMutexLocker lock(&mutex); // some calls come from worker threads
        calls << call;
    }
    // Records the call, or the function's name and what it was given, and answers as told.
    template <typename T> T note(const QString &c, T a) { return record(c), std::move(a); }
    template <typename T> T note(const char *f, T a) { return note(QLatin1String(f), a); }
    template <typename T> T note(const char *f, Path arg, T a)
    {
        return note(QLatin1String(f) + u':' + arg, a);
    }
    QStringList takeCalls()
    {
        const QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    QString settingsFile, removalNote;
    std::optional<QString> loginRefusal;
    std::optional<QString> systemLocation, loginItemError;
    QStringList toolFolders;
    LoginEntry loginEntry = LoginEntry::Unmanaged;
    QSet<QString> availableSounds{u"Tink"_s, u"Pop"_s, u"Basso"_s};
    bool loginItemEnabled = false, streamCreates = true, streamStarts = true;
    bool removalToTrash = true;
    Stream *stream = nullptr;
    // opensSucceed: whether an application took the file (markup, reveal, e-mail, Open With).
    bool trashSucceeds = true, opensSucceed = true, hasSharePicker = false;
    QList<FileApplication> fileApplications;
    MarkupApplications markup;
    QMutex mutex;
    QStringList calls;
};

} // namespace orvane::test
