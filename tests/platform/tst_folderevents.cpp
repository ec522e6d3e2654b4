#include "LogCapture.h"
#include "TestHome.h"

#include "platform/PlatformFactory.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <numeric>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

void touch(const QString &path, const QByteArray &bytes = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A stream on real folders of a fresh home, and what it reported.
struct Watch {
    test::TestHome home;
    test::LogCapture log;
    std::unique_ptr<Platform> platform = createPlatform({});
    QList<QStringList> batches;
    std::unique_ptr<FolderEventStream> stream;

    bool open(const QStringList &folders)
    {
        stream = platform->detection().createFolderEventStream(
            folders, [this](const QStringList &paths) { batches << paths; });
        return stream && stream->start();
    }
    QStringList reported() const
    {
        return std::accumulate(batches.begin(), batches.end(), QStringList());
    }
};

} // namespace

// The system's own file events, on a real folder.
class FolderEventsTest : public QObject {
    Q_OBJECT

private slots:
    void reportsNewWrittenRenamedAndRemovedFiles()
    {
        Watch w;
        const QString folder = w.home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(w.open({folder, w.home.file(u"missing"_s)}));

        // Created and written in pieces: one file, few batches. A name whose bytes text cannot
        // hold is never reported as some other, look-alike name.
        const int fd = ::open(QByteArray(QFile::encodeName(folder) + "/\xff\xfe.png").constData(),
                              O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        QFile file(folder + u"/a.png"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 20; ++i) {
            file.write(QByteArray(4096, 'x'));
            file.flush();
        }
        file.close();
        QTRY_VERIFY(w.reported().contains(folder + u"/a.png"_s));
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY2(w.batches.size() <= 3, qPrintable(QString::number(w.batches.size())));
        const QStringList all = w.reported();
        QCOMPARE(QSet<QString>(all.begin(), all.end()), QSet<QString>{folder + u"/a.png"_s});
        QVERIFY(w.log.lines().contains(
            u"[Orvane] Skipped a file whose name is not valid text: \\xff\\xfe.png"_s));

        // Written hidden, then renamed into place: the temporary file's events are not
        // reported, so they open no gathering spell for the rename to wait out.
        w.stream->setIgnoredNames([](const QString &name) { return name.startsWith(u'.'); });
        w.batches.clear();
        touch(folder + u"/.b.png.tmp"_s, "data");
        QVERIFY(QFile::rename(folder + u"/.b.png.tmp"_s, folder + u"/b.png"_s));
        QTRY_VERIFY(w.reported().contains(folder + u"/b.png"_s));
        QCOMPARE(w.batches.first(), QStringList{folder + u"/b.png"_s});

        // Removed: still reported; what it means is decided later.
        w.batches.clear();
        QVERIFY(QFile::remove(folder + u"/a.png"_s));
        QTRY_VERIFY(w.reported().contains(folder + u"/a.png"_s));

        // Once the stream is gone, nothing more arrives.
        w.stream.reset();
        w.batches.clear();
        touch(folder + u"/c.png"_s);
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY(w.batches.isEmpty());
    }

    // A folder that is not there yet, or goes away, is watched as soon as it (re)appears: the
    // folder itself is reported then (files may have landed before the watch), and its new
    // files after. One moved away is no longer watched where it went.
    void folderWatchedOnceItCanBe_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("change");
        QTest::newRow("made after the start") << u""_s << u"make"_s;
        QTest::newRow("made two levels down") << u""_s << u"make deep"_s;
        QTest::newRow("removed and made again") << u"make"_s << u"remove, make"_s;
        QTest::newRow("moved away, another made") << u"make"_s << u"move away, make"_s;
        QTest::newRow("unreadable, then readable") << u"make, lock"_s << u"unlock"_s;
    }
    void folderWatchedOnceItCanBe()
    {
        QFETCH(QString, setup);
        QFETCH(QString, change);
        if (setup.contains(u"lock"_s) && ::geteuid() == 0) {
            QSKIP("permissions do not stop the superuser");
        }
        Watch w;
        const QString folder =
            w.home.file(change.contains(u"deep"_s) ? u"Pictures/Screenshots"_s : u"Desktop"_s);
        const QString away = w.home.file(u"Desktop.old"_s);
        QVERIFY(!setup.contains(u"make"_s) || QDir().mkpath(folder));
        QVERIFY(!setup.contains(u"lock"_s) || QFile::setPermissions(folder, {}));
        QCOMPARE(w.open({folder}), setup == u"make"_s);
        QVERIFY(w.stream);
        QVERIFY(!change.contains(u"remove"_s) || QDir(folder).removeRecursively());
        QVERIFY(!change.contains(u"move away"_s) || QDir().rename(folder, away));
        if (setup == u"make"_s) {
            QTRY_VERIFY(w.log.lines().contains(u"[Orvane] Lost the watch on "_s + folder +
                                               u"; watching for it to come back."_s));
        }
        QVERIFY(!change.contains(u"make"_s) || QDir().mkpath(folder));
        QVERIFY(
            !change.contains(u"unlock"_s) ||
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QTRY_VERIFY(w.reported().contains(folder));

        touch(folder + u"/shot.png"_s);
        QTRY_VERIFY(w.reported().contains(folder + u"/shot.png"_s));
        if (change.contains(u"move away"_s)) {
            touch(away + u"/stray.png"_s);
            QTest::qWait(3 * FolderEventStream::latencyMs);
            QVERIFY(w.reported().filter(u"stray"_s).isEmpty());
        }
    }

    // Known names play (silently here, without a sound server); others fall through.
    void soundNamesMapToThemeEvents()
    {
        const std::unique_ptr<Platform> platform = createPlatform({});
        for (const QString &name : {u"Tink"_s, u"Pop"_s, u"Basso"_s}) {
            QVERIFY(platform->sounds().playSystemSound(name).ok());
        }
        QVERIFY(!platform->sounds().playSystemSound(u"Sosumi"_s).ok());
    }
};

QTEST_GUILESS_MAIN(FolderEventsTest)
#include "tst_folderevents.moc"
