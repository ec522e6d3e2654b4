#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
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

// The real program in the background, its log read from standard error as it comes.
struct Running {
    explicit Running(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(ORVANE_BINARY), {u"--background"_s});
    }
    ~Running()
    {
        app.kill();
        app.waitForFinished();
    }
    // Whether `count` lines starting with `prefix` have come, waiting up to 15 s for them.
    bool waitFor(const QString &prefix, int count = 1)
    {
        QDeadlineTimer deadline(15000);
        while (countLines(log, prefix) < count && !deadline.hasExpired()) {
            app.waitForReadyRead(100);
            log += QString::fromUtf8(app.readAllStandardError());
        }
        return countLines(log, prefix) >= count;
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
        const QString screenshots = home.file(u"Pictures/Screenshots"_s);
        Running run;
        const auto waitFor = [&run](const QString &line) { return run.waitFor(line); };
        QVERIFY(waitFor(u"[Orvane] FSEventStream started: "_s));
        const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;
        const auto capture = [&](const QString &folder, const QString &name) {
            return QProcess::execute(u"scrot"_s, {folder + u'/' + name}) == 0 &&
                   waitFor(detected + name + u" ("_s);
        };

        QVERIFY(QDir().mkpath(desktop)); // missing at launch
        QVERIFY(waitFor(u"[Orvane] Now watching "_s + desktop + u'.'));
        QVERIFY(capture(desktop, u"first.png"_s));

        QVERIFY(QDir(desktop).removeRecursively());
        QVERIFY(waitFor(u"[Orvane] Lost the watch on "_s + desktop));
        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(waitFor(u"[Orvane] Watching "_s + desktop + u" again."_s));
        QVERIFY(capture(desktop, u"second.png"_s));

        // GNOME and Plasma 6 make this one at their first capture.
        QVERIFY(QDir().mkpath(screenshots));
        QVERIFY(waitFor(u"[Orvane] Now watching "_s + screenshots + u'.'));
        QVERIFY(capture(screenshots, u"third.png"_s));
    }

    // Where the desktop's own settings send screenshots: a translated Pictures folder's
    // "Screenshots" (made at the first capture), and gnome-screenshot's configured folder.
    void foldersTheDesktopNames()
    {
        orvane::test::TestHome home;
        const QString shots = home.file(u"Bilder/Bildschirmfotos"_s);
        const QString configured = home.file(u"Aufnahmen"_s);
        QVERIFY(QDir().mkpath(home.file(u".config/glib-2.0/settings"_s)));
        QVERIFY(QDir().mkpath(configured));
        const auto write = [&home](const QString &relative, const QByteArray &text) {
            QDir().mkpath(QFileInfo(home.file(relative)).path());
            QFile file(home.file(relative));
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(write(u".config/user-dirs.dirs"_s, "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"));
        // GNOME's German catalogue, as the desktop installs it.
        QVERIFY(QDir().mkpath(home.file(u"system/share/locale/de/LC_MESSAGES"_s)));
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_GERMAN_CATALOGUE),
                            home.file(u"system/share/locale/de/LC_MESSAGES/gnome-shell.mo"_s)));
        // gnome-screenshot's settings, in GLib's key file store.
        QVERIFY(write(u".config/glib-2.0/settings/keyfile"_s,
                      "[org/gnome/gnome-screenshot]\nauto-save-directory='file://" +
                          QFile::encodeName(configured) + "'\n"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LANG"_s, u"de_DE.UTF-8"_s);
        env.insert(u"GSETTINGS_BACKEND"_s, u"keyfile"_s);
        env.insert(u"GSETTINGS_SCHEMA_DIR"_s, QStringLiteral(ORVANE_TEST_SCHEMAS));

        Running run(env);
        const auto waitFor = [&run](const QString &line) { return run.waitFor(line); };
        QVERIFY(waitFor(u"[Orvane] FSEventStream started: "_s));
        QVERIFY2(run.log.contains(u'"' + shots + u'"'), qPrintable(run.log));
        const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;
        QCOMPARE(QProcess::execute(u"scrot"_s, {configured + u"/a.png"_s}), 0);
        QVERIFY(waitFor(detected + u"a.png ("_s));
        QVERIFY(QDir().mkpath(shots));
        QVERIFY(waitFor(u"[Orvane] Now watching "_s + shots + u'.'));
        QCOMPARE(QProcess::execute(u"scrot"_s, {shots + u"/b.png"_s}), 0);
        QVERIFY(waitFor(detected + u"b.png ("_s));
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

        Running run;
        const auto waitFor = [&run](const QString &prefix, int count) {
            return run.waitFor(prefix, count);
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

        run.app.terminate();
        QVERIFY(run.app.waitForFinished(10000));
        run.log += QString::fromUtf8(run.app.readAllStandardError());
        QCOMPARE(countLines(run.log, detected), 3); // exactly one line per screenshot
        QCOMPARE(countLines(run.log, detected + u"old.png"_s), 0);
        QCOMPARE(countLines(run.log, detected + u"x.png"_s), 0);
    }
};

QTEST_GUILESS_MAIN(DetectionLiveTest)
#include "tst_detection_live.moc"
