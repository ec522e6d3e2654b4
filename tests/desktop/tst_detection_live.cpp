#include "RunningOrvane.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;

// A real capture tool writing `file`, and the line that says the program saw it.
bool capture(test::RunningOrvane &run, const QString &file)
{
    return QProcess::execute(u"scrot"_s, {file}) == 0 &&
           run.waitFor(detected + QFileInfo(file).fileName() + u" ("_s);
}

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
        test::TestHome home;
        const QString desktop = home.file(u"Desktop"_s);
        test::RunningOrvane run({u"--background"_s});
        QVERIFY(run.waitFor(u"[Orvane] FSEventStream started: "_s));
        QVERIFY(QDir().mkpath(desktop)); // missing at launch
        QVERIFY(run.waitFor(u"[Orvane] Now watching "_s + desktop + u'.'));
        QVERIFY(capture(run, desktop + u"/first.png"_s));

        QVERIFY(QDir(desktop).removeRecursively());
        QVERIFY(run.waitFor(u"[Orvane] Lost the watch on "_s + desktop));
        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(run.waitFor(u"[Orvane] Watching "_s + desktop + u" again."_s));
        QVERIFY(capture(run, desktop + u"/second.png"_s));

        // GNOME and Plasma 6 make this one at their first capture.
        const QString screenshots = home.file(u"Pictures/Screenshots"_s);
        QVERIFY(QDir().mkpath(screenshots));
        QVERIFY(run.waitFor(u"[Orvane] Now watching "_s + screenshots + u'.'));
        QVERIFY(capture(run, screenshots + u"/third.png"_s));
    }

    void screenshotsOnTheDesktop()
    {
        test::TestHome home;
        const QString desktop = home.file(u"Desktop"_s);
        QVERIFY(QDir().mkpath(desktop) && QDir().mkpath(home.file(u".config/orvane"_s)));
        QFile settings(home.file(u".config/orvane/orvane.conf"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\norvane_autoCopyOnCapture=true\norvane_playSound=false\n");
        settings.close();
        test::RunningOrvane run({u"--background"_s});
        QVERIFY(run.waitFor(u"[Orvane] FSEventStream started: YES"_s));
        QVERIFY(capture(run, desktop + u"/shot 1.png"_s));

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

        QVERIFY(capture(run, desktop + u"/shot3.png"_s));
        run.process.terminate();
        QVERIFY(run.process.waitForFinished(10000));
        QCOMPARE(run.count(detected), 3); // exactly one line per screenshot
    }
};

QTEST_GUILESS_MAIN(DetectionLiveTest)
#include "tst_detection_live.moc"
