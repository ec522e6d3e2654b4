#include "LogCapture.h"
#include "TestHome.h"

#include "platform/PlatformFactory.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

// The system's own file events, on a real folder.
class FolderEventsTest : public QObject {
    Q_OBJECT

private slots:
    void reportsNewWrittenRenamedAndRemovedFiles()
    {
        test::TestHome home;
        const QString folder = home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        const std::unique_ptr<Platform> platform = createPlatform({});
        QList<QStringList> batches;
        auto stream = platform->detection().createFolderEventStream(
            {folder, home.file(u"missing"_s)}, [&](const QStringList &paths) { batches << paths; });
        QVERIFY(stream);
        QVERIFY(stream->start());

        const auto reported = [&] {
            QStringList all;
            for (const QStringList &batch : std::as_const(batches)) {
                all << batch;
            }
            return all;
        };

        // Created and written in pieces: one file, few batches.
        QFile file(folder + u"/a.png"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 20; ++i) {
            file.write(QByteArray(4096, 'x'));
            file.flush();
        }
        file.close();
        QTRY_VERIFY(reported().contains(folder + u"/a.png"_s));
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY2(batches.size() <= 3, qPrintable(QString::number(batches.size())));
        const QStringList all = reported();
        QCOMPARE(QSet<QString>(all.begin(), all.end()), QSet<QString>{folder + u"/a.png"_s});

        // Written hidden, then renamed into place: the temporary file's events are not
        // reported, so they open no gathering spell for the rename to wait out.
        stream->setIgnoredNames([](const QString &name) { return name.startsWith(u'.'); });
        batches.clear();
        QFile hidden(folder + u"/.b.png.tmp"_s);
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.write("data");
        hidden.close();
        QVERIFY(QFile::rename(hidden.fileName(), folder + u"/b.png"_s));
        QTRY_VERIFY(reported().contains(folder + u"/b.png"_s));
        QCOMPARE(batches.first(), QStringList{folder + u"/b.png"_s});

        // Removed: still reported; what it means is decided later.
        batches.clear();
        QVERIFY(QFile::remove(folder + u"/a.png"_s));
        QTRY_VERIFY(reported().contains(folder + u"/a.png"_s));

        // Once the stream is gone, nothing more arrives.
        stream.reset();
        batches.clear();
        QFile late(folder + u"/c.png"_s);
        QVERIFY(late.open(QIODevice::WriteOnly));
        late.close();
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY(batches.isEmpty());
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
        test::TestHome home;
        test::LogCapture log;
        const QString folder =
            home.file(change.contains(u"deep"_s) ? u"Pictures/Screenshots"_s : u"Desktop"_s);
        const QString away = home.file(u"Desktop.old"_s);
        if (setup.contains(u"make"_s)) {
            QVERIFY(QDir().mkpath(folder));
        }
        if (setup.contains(u"lock"_s)) {
            QVERIFY(QFile::setPermissions(folder, {}));
        }
        const std::unique_ptr<Platform> platform = createPlatform({});
        QStringList reported;
        auto stream = platform->detection().createFolderEventStream(
            {folder}, [&](const QStringList &paths) { reported << paths; });
        QVERIFY(stream);
        QCOMPARE(stream->start(), setup == u"make"_s);

        if (change.contains(u"remove"_s)) {
            QVERIFY(QDir(folder).removeRecursively());
        }
        if (change.contains(u"move away"_s)) {
            QVERIFY(QDir().rename(folder, away));
        }
        if (setup == u"make"_s) {
            QTRY_VERIFY(log.lines().contains(u"[Orvane] Lost the watch on "_s + folder +
                                             u"; watching for it to come back."_s));
        }
        if (change.contains(u"make"_s)) {
            QVERIFY(QDir().mkpath(folder));
        }
        if (change.contains(u"unlock"_s)) {
            QVERIFY(QFile::setPermissions(folder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        QTRY_VERIFY(reported.contains(folder));

        reported.clear();
        QFile shot(folder + u"/shot.png"_s);
        QVERIFY(shot.open(QIODevice::WriteOnly));
        shot.close();
        QTRY_VERIFY(reported.contains(folder + u"/shot.png"_s));
        if (change.contains(u"move away"_s)) {
            QFile stray(away + u"/stray.png"_s);
            QVERIFY(stray.open(QIODevice::WriteOnly));
            stray.close();
            QTest::qWait(3 * FolderEventStream::latencyMs);
            QVERIFY(!reported.contains(away + u"/stray.png"_s));
            QVERIFY(!reported.contains(folder + u"/stray.png"_s));
        }
    }

    // A name whose bytes text cannot hold is never reported as some other, look-alike name.
    void namesThatAreNotText()
    {
        test::TestHome home;
        test::LogCapture log;
        const QString folder = home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        const std::unique_ptr<Platform> platform = createPlatform({});
        QStringList reported;
        auto stream = platform->detection().createFolderEventStream(
            {folder}, [&](const QStringList &paths) { reported << paths; });
        QVERIFY(stream && stream->start());
        const QByteArray raw = QFile::encodeName(folder) + "/\xff\xfe.png";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        QFile good(folder + u"/good.png"_s);
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.close();
        QTRY_VERIFY(reported.contains(folder + u"/good.png"_s));
        const QStringList images = reported.filter(u".png"_s);
        QCOMPARE(QSet<QString>(images.begin(), images.end()),
                 QSet<QString>{folder + u"/good.png"_s});
        QVERIFY(log.lines().contains(
            u"[Orvane] Skipped a file whose name is not valid text: \\xff\\xfe.png"_s));
    }

    void nothingToWatch()
    {
        test::TestHome home;
        const std::unique_ptr<Platform> platform = createPlatform({});
        auto stream = platform->detection().createFolderEventStream({home.file(u"missing"_s)},
                                                                    [](const QStringList &) {});
        QVERIFY(stream);
        QVERIFY(!stream->start());
    }

    void soundNamesMapToThemeEvents()
    {
        const std::unique_ptr<Platform> platform = createPlatform({});
        // Known names play (silently here, without a sound server); others fall through.
        QVERIFY(platform->sounds().playSystemSound(u"Tink"_s).ok());
        QVERIFY(platform->sounds().playSystemSound(u"Pop"_s).ok());
        QVERIFY(platform->sounds().playSystemSound(u"Basso"_s).ok());
        QVERIFY(!platform->sounds().playSystemSound(u"Sosumi"_s).ok());
    }
};

QTEST_GUILESS_MAIN(FolderEventsTest)
#include "tst_folderevents.moc"
