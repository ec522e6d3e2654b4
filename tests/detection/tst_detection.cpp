#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/DetectionRules.h"
#include "detection/ScreenshotWatcher.h"
#include "settings/AppState.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void setModified(const QString &path, double seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000)),
                             QFileDevice::FileModificationTime));
}

// A watcher on a fresh home, its clock, scheduler, clipboard and card under the test's control.
struct Rig {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    AppState state{platform, platform.openSettings()};
    ScreenshotWatcher watcher{state, platform, platform};
    double now = 1'800'000'000.0;
    QList<int> delays;
    QStringList shown; // the cards' file names, and "clipboard" for each copy
    QList<QImage> images;
    bool holdInspections = false; // then they wait in `held` instead of running in the next turn
    QList<std::function<void()>> held;
    QString desktop = home.file(u"Desktop"_s);

    Rig()
    {
        QDir().mkpath(desktop);
        watcher.setClock([this] { return now; });
        watcher.setScheduler([this](int ms, QObject *context, std::function<void()> work) {
            delays << ms;
            if (holdInspections) {
                held << std::move(work);
            } else {
                QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
            }
        });
        watcher.setPresenter([this](const QString &path, const QImage &image) {
            shown << QFileInfo(path).fileName();
            images << image;
        });
        watcher.setClipboard([this](const QImage &image) {
            shown << u"clipboard"_s;
            images << image;
        });
        platform.availableSounds = {};
    }
    QString file(const QString &name) const { return desktop + u'/' + name; }
    QString fresh(const QString &name, double age = 1.0, QSize size = {64, 48})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        // 72 dots an inch: a point for every pixel, whatever screen the test runs on.
        image.setDotsPerMeterX(2835);
        image.setDotsPerMeterY(2835);
        // In a lambda: QVERIFY returns nothing.
        [&] { QVERIFY(image.save(file(name), name.endsWith(u".jpg"_s) ? "JPEG" : "PNG")); }();
        setModified(file(name), now - age);
        return file(name);
    }
    // Runs a batch through to its end: inspections, decodes and their results.
    void report(const QStringList &paths)
    {
        watcher.handleNewFiles(paths);
        settle();
    }
    void settle()
    {
        for (const auto &work : std::exchange(held, {})) {
            work();
        }
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::processEvents();
            watcher.waitForDecodes();
        }
        QCoreApplication::processEvents();
    }
};

} // namespace

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void pureRules()
    {
        const QHash<QString, bool> images = {
            {u"/d/SHOT.PNG"_s, true}, {u"/d/a.JpEg"_s, true},      {u"/d/a.heic"_s, true},
            {u"/d/a.tiff"_s, true},   {u"/d/a.tif"_s, false},      {u"/d/a.gif"_s, false},
            {u"/d/png"_s, false},     {u"/d/a.png.part"_s, false}, {u"/d/x.png/file"_s, false}};
        for (auto it = images.cbegin(); it != images.cend(); ++it) {
            QVERIFY2(detection::hasImageExtension(it.key()) == it.value(), qPrintable(it.key()));
        }
        // The resolved folder, the user's folder if it exists, and the desktop, each once.
        const QString tmp = QDir::tempPath();
        const QString desktop = u"/home/a/Desktop"_s;
        QCOMPARE(detection::watchedSet(desktop, std::nullopt, desktop), QStringList{desktop});
        QCOMPARE(detection::watchedSet(u"/r"_s, tmp, desktop),
                 QStringList({u"/r"_s, tmp, desktop}));
        QCOMPARE(detection::watchedSet(tmp, u"/nonexistent"_s, desktop),
                 QStringList({tmp, desktop}));
    }

    // A restart replaces the stream (two would report every file twice); a failed start
    // is logged.
    void startLogsAndLeavesOneStream()
    {
        Rig rig;
        test::LogCapture log;
        rig.platform.takeCalls();
        rig.watcher.start();
        rig.watcher.start();
        QCOMPARE(rig.platform.takeCalls().filter(u"Stream"_s),
                 QStringList({u"createStream:"_s + rig.desktop, u"startStream"_s, u"stopStream"_s,
                              u"createStream:"_s + rig.desktop, u"startStream"_s}));
        const QString line =
            u"[Orvane] FSEventStream started: YES, monitoring: [\""_s + rig.desktop + u"\"]"_s;
        QCOMPARE(log.lines(), QStringList({line, line}));
        rig.platform.streamStarts = false;
        rig.watcher.start();
        QVERIFY(log.lines().last().startsWith(u"[Orvane] FSEventStream started: NO"_s));
        rig.platform.streamCreates = false;
        rig.watcher.start();
        QCOMPARE(log.lines().last(), u"[Orvane] ERROR: Failed to create FSEventStream"_s);
        QVERIFY(!rig.watcher.isMonitoring());
    }

    // A batch is handled in a later turn of the event loop, never inside the stream's callback.
    // A file shown is not shown again for 2 s however often it is reported; another one is.
    void batchesAndRepeats()
    {
        Rig rig;
        rig.watcher.start();
        const QString shot = rig.fresh(u"a.png"_s, 0.0);
        rig.platform.stream->onBatch({shot, shot}); // the same path twice in one batch
        QCOMPARE(rig.delays.size(), 0);
        rig.watcher.handleNewFiles({shot}); // and again while the first look is pending
        rig.settle();
        QCOMPARE(rig.delays, QList<int>({100, 100})); // inspected 0.1 s later, once a batch
        rig.now += 0.5;
        rig.report({shot});
        QCOMPARE(rig.shown, QStringList{u"a.png"_s});
        rig.now += 1.5; // exactly 2.0 s after it was taken
        rig.report({shot});
        rig.now += 0.1;
        rig.report({rig.fresh(u"b.png"_s, 0.0)});
        QCOMPARE(rig.shown, QStringList({u"a.png"_s, u"a.png"_s, u"b.png"_s}));
    }

    // A name is logged as it is, on its one line: never read as a placeholder, never split.
    void rules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("age");
        QTest::addColumn<QString>("logged"); // empty: no card
        const auto row = [](const char *tag, const QString &name, double age, bool shown) {
            QTest::newRow(tag) << name << age << (shown ? name : QString());
        };
        row("new screenshot", u"Screenshot.png"_s, 3.0, true);
        row("exactly 10 s old", u"edge.png"_s, 10.0, true);
        row("just over 10 s", u"old.png"_s, 10.01, false);
        row("dated in the future", u"future.png"_s, -30.0, true);
        row("hidden temporary file", u".tmp-shot.png"_s, 1.0, false);
        row("editor backup", u"~shot.png"_s, 1.0, false);
        row("gif", u"anim.gif"_s, 1.0, false);
        row("placeholders", u"100%2 %1.png"_s, 1.0, true);
        QTest::newRow("newline") << u"two\nlines.png"_s << 1.0 << u"two\\nlines.png"_s;
        QTest::newRow("terminal escape") << u"\x1b[2Jx.png"_s << 1.0 << u"\\x1b[2Jx.png"_s;
    }
    void rules()
    {
        QFETCH(QString, name);
        QFETCH(double, age);
        QFETCH(QString, logged);
        Rig rig;
        test::LogCapture log;
        rig.report({rig.fresh(name, age)});
        QCOMPARE(rig.shown, logged.isEmpty() ? QStringList{} : QStringList{name});
        QCOMPARE(log.lines(),
                 logged.isEmpty()
                     ? QStringList{}
                     : QStringList{u"[Orvane] ✅ Screenshot detected: %1 (64x48)"_s.arg(logged)});
    }

    // A reported folder stands for its new images. A name whose bytes text cannot hold is
    // skipped, and never stands for the file whose name it would turn into.
    void folderReport()
    {
        Rig rig;
        test::LogCapture log;
        rig.fresh(u"old.jpg"_s, 3600);
        rig.fresh(u".hidden.png"_s);
        rig.fresh(u"new.png"_s);
        const QString lookAlike = rig.fresh(u"\uFFFD\uFFFD.png"_s);
        const QByteArray raw = QFile::encodeName(rig.desktop) + "/\xff\xfe.png";
        // Some file systems refuse such names.
        const bool odd = ::link(QFile::encodeName(lookAlike).constData(), raw.constData()) == 0;
        rig.report({rig.desktop});
        rig.shown.sort();
        QCOMPARE(rig.shown, QStringList({u"new.png"_s, u"\uFFFD\uFFFD.png"_s}));
        QCOMPARE(log.lines().contains(
                     u"[Orvane] Skipped a file whose name is not valid text: \\xff\\xfe.png"_s),
                 odd);
    }

    // Paused, batches are dropped, though an inspection already scheduled still runs; the
    // copy comes before the card.
    void pauseAndAutoCopy()
    {
        Rig rig;
        rig.platform.availableSounds = {u"Tink"_s};
        rig.state.setAutoCopyOnCapture(true);
        const QString shot = rig.fresh(u"a.png"_s);
        rig.state.setIsPaused(true);
        rig.report({shot});
        QVERIFY(rig.shown.isEmpty());
        rig.state.setIsPaused(false);
        rig.platform.takeCalls();
        rig.watcher.handleNewFiles({shot});
        rig.state.setIsPaused(true);
        rig.settle();
        QCOMPARE(rig.shown, QStringList({u"clipboard"_s, u"a.png"_s}));
        QCOMPARE(rig.images.first().size(), QSize(64, 48));
        QCOMPARE(rig.platform.takeCalls(), QStringList{u"playSystemSound:Tink"_s});
    }

    void notAnImage_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"text named .png", "fifo", "link to a fifo", "socket",
                                 "link to a device", "link loop", "unreadable"}) {
            QTest::newRow(kind) << QString::fromLatin1(kind);
        }
    }
    void notAnImage()
    {
        QFETCH(QString, kind);
        Rig rig;
        const QString path = rig.file(u"x.png"_s);
        const QString other = rig.file(u"y.png"_s);
        QLocalServer server;
        if (kind == u"text named .png"_s) {
            writeBytes(path, "not an image at all");
        } else if (kind.endsWith(u"fifo"_s)) {
            const bool link = kind.startsWith(u"link"_s);
            QCOMPARE(QProcess::execute(u"mkfifo"_s, {link ? other : path}), 0);
            QVERIFY(!link || QFile::link(other, path));
        } else if (kind == u"socket"_s) {
            QVERIFY(server.listen(path));
        } else if (kind == u"link to a device"_s) {
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        } else if (kind == u"link loop"_s) {
            QVERIFY(QFile::link(other, path) && QFile::link(path, other));
        } else if (kind == u"unreadable"_s) {
            if (QFile(u"/etc/shadow"_s).open(QIODevice::ReadOnly)) {
                QSKIP("running with rights that read any file");
            }
            rig.fresh(u"x.png"_s);
            QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        rig.report({path});
        QVERIFY(rig.shown.isEmpty());
        // The watcher is still there for the next real screenshot.
        rig.report({rig.fresh(u"next.png"_s)});
        QCOMPARE(rig.shown, QStringList{u"next.png"_s});
    }

    // A file being written is inspected again when it is reported again, and a failed look
    // does not count as taken.
    void fileCompletedLaterStillShows()
    {
        Rig rig;
        const QString path = rig.fresh(u"slow.jpg"_s, 0.0, {200, 100});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        writeBytes(path, whole.left(whole.size() / 2));
        setModified(path, rig.now);
        rig.report({path});
        QVERIFY(rig.shown.isEmpty());

        writeBytes(path, whole);
        setModified(path, rig.now);
        rig.now += 0.3;
        rig.report({path});
        QCOMPARE(rig.shown, QStringList{u"slow.jpg"_s});
    }

    // The decode starts with the batch; the inspection a tenth of a second later takes its
    // picture only if the file is still the one decoded, and shows nothing early.
    void decodeStartsWithTheBatch_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("prepared");
        QTest::addColumn<QColor>("shownColour"); // invalid: no card
        QTest::newRow("unchanged") << u"none"_s << 1 << QColor(Qt::darkCyan);
        QTest::newRow("rewritten in place, same size and time")
            << u"rewrite"_s << 1 << QColor(Qt::red);
        QTest::newRow("replaced by a rename") << u"rename"_s << 1 << QColor(Qt::red);
        QTest::newRow("vanished") << u"remove"_s << 1 << QColor();
        QTest::newRow("too old: never decoded") << u"old"_s << 0 << QColor();
    }
    void decodeStartsWithTheBatch()
    {
        QFETCH(QString, change);
        QFETCH(int, prepared);
        QFETCH(QColor, shownColour);
        Rig rig;
        test::LogCapture log;
        rig.holdInspections = true;
        const QString shot = rig.fresh(u"a.png"_s, change == u"old"_s ? 11.0 : 1.0);
        rig.watcher.handleNewFiles({shot});
        QCOMPARE(rig.watcher.preparedCount(), prepared);
        rig.watcher.waitForDecodes();
        QCoreApplication::processEvents();
        QVERIFY(rig.shown.isEmpty() && log.lines().isEmpty());

        const qint64 modified = QFileInfo(shot).lastModified().toMSecsSinceEpoch();
        QImage red(64, 48, QImage::Format_RGB32);
        red.fill(Qt::red);
        if (change == u"rewrite"_s) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            QVERIFY(red.save(&buffer, "PNG"));
            // Same length, same modification time: only the contents differ.
            const qint64 size = QFileInfo(shot).size();
            QVERIFY(bytes.size() <= size);
            writeBytes(shot, bytes + QByteArray(size - bytes.size(), '\0'));
            setModified(shot, double(modified) / 1000.0);
        } else if (change == u"rename"_s) {
            const QString other = rig.file(u".other.png"_s);
            QVERIFY(red.save(other, "PNG"));
            setModified(other, double(modified) / 1000.0);
            QVERIFY(::rename(QFile::encodeName(other).constData(),
                             QFile::encodeName(shot).constData()) == 0);
        } else if (change == u"remove"_s) {
            QVERIFY(QFile::remove(shot));
        }
        rig.settle();
        QCOMPARE(rig.watcher.preparedCount(), 0);
        QCOMPARE(rig.shown, shownColour.isValid() ? QStringList{u"a.png"_s} : QStringList());
        QVERIFY(!shownColour.isValid() || rig.images.first().pixelColor(10, 10) == shownColour);
    }

    // A burst is decoded one file at a time, in the order it came: decoding all of it ahead
    // would hold every picture in memory, and a slow first decode must still leave the newest
    // screenshot's card last.
    void burstInOrderOneDecodeAhead()
    {
        Rig rig;
        rig.holdInspections = true;
        QStringList burst{rig.fresh(u"shot 0.png"_s, 1.0, {3840, 2160})};
        for (int i = 1; i < 6; ++i) {
            burst << rig.fresh(u"shot %1.png"_s.arg(i));
        }
        rig.watcher.handleNewFiles(burst);
        QCOMPARE(rig.watcher.preparedCount(), 1);
        rig.settle();
        QCOMPARE(rig.shown, QStringList(burst).replaceInStrings(rig.desktop + u'/', QString()));
        QCOMPARE(rig.watcher.preparedCount(), 0);
    }
};

QTEST_MAIN(DetectionTest)
#include "tst_detection.moc"
