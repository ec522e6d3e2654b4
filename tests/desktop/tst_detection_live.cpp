#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

int countLines(const QString &log, const QString &prefix)
{
    int count = 0;
    for (const QString &line : log.split(u'\n')) {
        count += line.startsWith(prefix) ? 1 : 0;
    }
    return count;
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

    void screenshotsOnTheDesktop()
    {
        orvane::test::TestHome home;
        const QString desktop = home.file(u"Desktop"_s);
        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(QDir().mkpath(home.file(u".config/orvane"_s)));
        QFile settings(home.file(u".config/orvane/orvane.conf"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\norvane_autoCopyOnCapture=true\norvane_playSound=false\n");
        settings.close();

        QProcess app;
        const auto stopApp = qScopeGuard([&app] {
            app.kill();
            app.waitForFinished();
        });
        app.setProcessChannelMode(QProcess::SeparateChannels);
        app.start(QStringLiteral(ORVANE_BINARY), {u"--background"_s});
        QString log;
        const auto waitFor = [&](const QString &prefix, int count) {
            QDeadlineTimer deadline(15000);
            while (countLines(log, prefix) < count && !deadline.hasExpired()) {
                app.waitForReadyRead(100);
                log += QString::fromUtf8(app.readAllStandardError());
            }
            return countLines(log, prefix) >= count;
        };
        QVERIFY(waitFor(u"[Orvane] FSEventStream started: YES"_s, 1));

        // A real capture tool writing into the desktop folder.
        const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;
        QCOMPARE(
            QProcess::execute(u"import"_s, {u"-window"_s, u"root"_s, desktop + u"/shot 1.png"_s}),
            0);
        QVERIFY(waitFor(detected + u"shot 1.png ("_s, 1));

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
        QVERIFY(waitFor(detected + u"Shot 2.png (100x60)"_s, 1));

        // Neither an old file copied in with its date kept, nor a FIFO named like an image,
        // gives a card, and the FIFO does not stall the program.
        QVERIFY(image.save(home.file(u"old.png"_s), "PNG"));
        QFile::setPermissions(home.file(u"old.png"_s), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QProcess::execute(u"touch"_s, {u"-d"_s, u"1 hour ago"_s, home.file(u"old.png"_s)}),
                 0);
        QCOMPARE(
            QProcess::execute(u"cp"_s, {u"-p"_s, home.file(u"old.png"_s), desktop + u"/old.png"_s}),
            0);
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {desktop + u"/x.png"_s}), 0);
        QCOMPARE(QProcess::execute(u"scrot"_s, {desktop + u"/shot3.png"_s}), 0);
        QVERIFY(waitFor(detected + u"shot3.png ("_s, 1));

        app.terminate();
        QVERIFY(app.waitForFinished(10000));
        log += QString::fromUtf8(app.readAllStandardError());
        QCOMPARE(countLines(log, detected), 3); // exactly one line per screenshot
        QCOMPARE(countLines(log, detected + u"old.png"_s), 0);
        QCOMPARE(countLines(log, detected + u"x.png"_s), 0);
    }
};

QTEST_GUILESS_MAIN(DetectionLiveTest)
#include "tst_detection_live.moc"
