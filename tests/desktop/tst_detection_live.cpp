#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;

// The real program in the background, its log read from standard error as it comes.
struct Running {
    Running() { app.start(QStringLiteral(ORVANE_BINARY), {u"--background"_s}); }
    ~Running()
    {
        app.kill();
        app.waitForFinished();
    }
    int count(const QString &prefix)
    {
        log += QString::fromUtf8(app.readAllStandardError());
        const QStringList lines = log.split(u'\n');
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString &line) { return line.startsWith(prefix); }));
    }
    // Whether `wanted` lines starting with `prefix` have come, waiting up to 15 s for them.
    bool waitFor(const QString &prefix, int wanted = 1)
    {
        QDeadlineTimer deadline(15000);
        while (count(prefix) < wanted && !deadline.hasExpired()) {
            app.waitForReadyRead(100);
        }
        return count(prefix) >= wanted;
    }
    // A real capture tool writing `file`, and the line that says it was seen.
    bool capture(const QString &file)
    {
        return QProcess::execute(u"scrot"_s, {file}) == 0 &&
               waitFor(detected + QFileInfo(file).fileName() + u" ("_s);
    }

    QProcess app;
    QString log;
};

} // namespace

// The real program on a real X display, fed by real capture tools.
class DetectionLiveTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            QSKIP("needs an X display (the test command provides one)");
        }
    }

    // A fresh account: folders that are made after launch, or removed and made again, give a
    // card for the next screenshot without a restart.
    void foldersThatComeLater()
    {
        orvane::test::TestHome home;
        const QString desktop = home.file(u"Desktop"_s);
        Running run;
        QVERIFY(run.waitFor(u"[Orvane] FSEventStream started: "_s));
        QVERIFY(QDir().mkpath(desktop)); // missing at launch
        QVERIFY(run.waitFor(u"[Orvane] Now watching "_s + desktop + u'.'));
        QVERIFY(run.capture(desktop + u"/first.png"_s));

        QVERIFY(QDir(desktop).removeRecursively());
        QVERIFY(run.waitFor(u"[Orvane] Lost the watch on "_s + desktop));
        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(run.waitFor(u"[Orvane] Watching "_s + desktop + u" again."_s));
        QVERIFY(run.capture(desktop + u"/second.png"_s));

        // GNOME and Plasma 6 make this one at their first capture.
        const QString screenshots = home.file(u"Pictures/Screenshots"_s);
        QVERIFY(QDir().mkpath(screenshots));
        QVERIFY(run.waitFor(u"[Orvane] Now watching "_s + screenshots + u'.'));
        QVERIFY(run.capture(screenshots + u"/third.png"_s));
    }

    void screenshotsOnTheDesktop()
    {
        orvane::test::TestHome home;
        const QString desktop = home.file(u"Desktop"_s);
        QVERIFY(QDir().mkpath(desktop) && QDir().mkpath(home.file(u".config/orvane"_s)));
        QFile settings(home.file(u".config/orvane/orvane.conf"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\norvane_autoCopyOnCapture=true\norvane_playSound=false\n");
        settings.close();
        Running run;
        QVERIFY(run.waitFor(u"[Orvane] FSEventStream started: YES"_s));
        QVERIFY(run.capture(desktop + u"/shot 1.png"_s));

        // Auto-copy put exactly that picture on the clipboard (just after the log line).
        const auto pasted = [] {
            QProcess clip;
            clip.start(u"xclip"_s,
                       {u"-selection"_s, u"clipboard"_s, u"-t"_s, u"image/png"_s, u"-o"_s});
            clip.waitForFinished(10000);
            return QImage::fromData(clip.readAllStandardOutput(), "PNG");
        };
        const QImage shot(desktop + u"/shot 1.png"_s);
        QTRY_COMPARE_WITH_TIMEOUT(pasted().size(), shot.size(), 10000);
        QCOMPARE(pasted().pixelColor(10, 10), shot.pixelColor(10, 10));

        // The macOS way: a hidden temporary file renamed into place. Its size is logged in
        // points, as recorded at 144 dots an inch.
        QImage image(200, 120, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        image.setDotsPerMeterX(5669);
        image.setDotsPerMeterY(5669);
        QVERIFY(image.save(desktop + u"/.shot2.png"_s, "PNG"));
        QVERIFY(QFile::rename(desktop + u"/.shot2.png"_s, desktop + u"/Shot 2.png"_s));
        QVERIFY(run.waitFor(detected + u"Shot 2.png (100x60)"_s));

        QVERIFY(run.capture(desktop + u"/shot3.png"_s));
        run.app.terminate();
        QVERIFY(run.app.waitForFinished(10000));
        QCOMPARE(run.count(detected), 3); // exactly one line per screenshot
    }
};

QTEST_GUILESS_MAIN(DetectionLiveTest)
#include "tst_detection_live.moc"
