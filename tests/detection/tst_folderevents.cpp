#include "TestHome.h"

#include "platform/PlatformFactory.h"

#include <QDir>
#include <QFile>
#include <QTest>

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
        auto stream = platform->createFolderEventStream(
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

        // Written hidden, then renamed into place.
        batches.clear();
        QFile hidden(folder + u"/.b.png.tmp"_s);
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.write("data");
        hidden.close();
        QVERIFY(QFile::rename(hidden.fileName(), folder + u"/b.png"_s));
        QTRY_VERIFY(reported().contains(folder + u"/b.png"_s));

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

    void nothingToWatch()
    {
        test::TestHome home;
        const std::unique_ptr<Platform> platform = createPlatform({});
        auto stream = platform->createFolderEventStream({home.file(u"missing"_s)},
                                                        [](const QStringList &) {});
        QVERIFY(stream);
        QVERIFY(!stream->start());
    }

    void soundNamesMapToThemeEvents()
    {
        const std::unique_ptr<Platform> platform = createPlatform({});
        // Known names play (silently here, without a sound server); others fall through.
        QVERIFY(platform->playSystemSound(u"Tink"_s));
        QVERIFY(platform->playSystemSound(u"Pop"_s));
        QVERIFY(platform->playSystemSound(u"Basso"_s));
        QVERIFY(!platform->playSystemSound(u"Sosumi"_s));
    }
};

QTEST_GUILESS_MAIN(FolderEventsTest)
#include "tst_folderevents.moc"
