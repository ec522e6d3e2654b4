#include "FakeTools.h"
#include "RunningOrvane.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Orvane = orvane::test::RunningOrvane;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString preferencesWindow()
{
    return run(u"xdotool"_s,
               {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Orvane-Einstellungen$"_s});
}

// Whether a window's content is centred on the screen, as the X server sees it; the window
// manager's title bar may push it down a little.
bool centred(const QString &window)
{
    const auto centre = [](const QStringList &arguments) {
        const QString info = run(u"xwininfo"_s, arguments);
        const auto field = [&](const QString &name) {
            return QRegularExpression(name + u":\\s+(-?\\d+)"_s).match(info).captured(1).toInt();
        };
        return QPoint(field(u"Absolute upper-left X"_s) + field(u"Width"_s) / 2,
                      field(u"Absolute upper-left Y"_s) + field(u"Height"_s) / 2);
    };
    const QPoint offset = centre({u"-id"_s, window}) - centre({u"-root"_s});
    return qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 40;
}

bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 10000);
}

const QString launched = u"[Orvane] Application did finish launching."_s;
const QString reopened = u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s;
const QString displayed = u"[Orvane] Preferences & Control Center window displayed."_s;
const QString closed = u"[Orvane] Window closed; switched to accessory mode."_s;
const QString noTrayHost = u"[Orvane] No system tray is available; opening Preferences so that "
                           u"Orvane can still be controlled."_s;

} // namespace

// The real program on an X display, without a tray unless a test starts one.
class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    void backgroundLaunchReopenAndTerminate()
    {
        orvane::test::TestHome home;
        Orvane first({u"--background"_s});
        QVERIFY(first.waitFor(launched));
        QFile entry(home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s));
        QTRY_VERIFY(entry.exists()); // written just after the launch line
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(QByteArray("\nExec=" ORVANE_BINARY " --background\n")));
        // No setting is written at start-up, only the note that the login entry is Orvane's.
        QCOMPARE(
            QSettings(home.file(u".config/orvane/orvane.conf"_s), QSettings::IniFormat).allKeys(),
            QStringList{u"orvane_launchAtLogin"_s});
        // No tray here: the preferences open, so that Orvane can still be reached.
        QVERIFY(first.waitFor(noTrayHost));

        // A second start hands over to the first and leaves; a background one, as at login,
        // just leaves.
        for (const QStringList &arguments : {QStringList(), QStringList{u"--background"_s}}) {
            Orvane again(arguments);
            QVERIFY(again.process.waitForFinished(10000));
            QCOMPARE(again.process.exitCode(), 0);
        }
        QVERIFY(first.waitFor(reopened));
        QVERIFY(first.end());
        QCOMPARE(first.count(reopened), 1);
        QVERIFY(first.log.startsWith(launched));
    }

    // Without its card and preferences module Orvane still starts and watches; the preferences
    // it opens for want of a tray say why they cannot open, and it still ends cleanly.
    void missingModuleIsReportedNotFatal()
    {
        orvane::test::TestHome home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ORVANE_UI_MODULE"_s, home.file(u"gone/orvane-ui.so"_s));
        QVERIFY(QDir().mkpath(home.file(u"Desktop"_s)));
        Orvane app({u"--background"_s, u"--simulate-capture"_s}, env);
        const QString failed = u"[Orvane] The card and preferences could not be loaded: "_s;
        QVERIFY2(app.waitFor(u"[Orvane] FSEventStream started: YES"_s), qPrintable(app.log));
        QVERIFY(app.waitFor(failed));
        QVERIFY(app.log.contains(u"gone/orvane-ui.so"_s));
        QVERIFY(waitFor([] {
            return !run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Orvane$"_s})
                        .isEmpty();
        }));
        QVERIFY(app.end());
        QCOMPARE(app.count(failed), 1);
    }

    // A misspelt override is refused in one line before anything starts, not run as Linux.
    void unknownPlatformIsRefused()
    {
        orvane::test::TestHome home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ORVANE_PLATFORM"_s, u"macOS-13"_s);
        Orvane app({u"--background"_s}, env);
        QVERIFY(app.process.waitForFinished(10000));
        QCOMPARE(app.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.process.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(app.process.readAllStandardError()),
                 u"orvane: ORVANE_PLATFORM=\"macOS-13\" is not one of: linux, macos\n"_s);
        QVERIFY(!QFile::exists(home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s)));
    }

    // The macOS behaviour, against recording stand-ins for its tools: an interrupt too
    // restores the thumbnail preference.
    void macTerminationRestoresTheThumbnail()
    {
        orvane::test::TestHome home;
        orvane::test::FakeTools tools;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ORVANE_PLATFORM"_s, u"macos"_s);
        Orvane app({u"-background"_s}, env);
        QVERIFY(app.waitFor(launched));
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s)), 10000);
        QVERIFY(app.end(SIGINT));
        const QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.mid(calls.size() - 2),
                 QList<QStringList>({{u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                      u"show-thumbnail"_s},
                                     {u"killall"_s, u"SystemUIServer"_s}}));
    }

    // In a German session (its LANGUAGE alone): one centred window, brought back by a second
    // start and closed by the window manager.
    void oneCentredWindowBroughtBackAndClosedByTheWindowManager()
    {
        orvane::test::TestHome home;
        qputenv("LANGUAGE", "de"); // put back by the test home
        Orvane app({});
        QVERIFY(app.waitFor(displayed));
        QVERIFY(waitFor([] { return !preferencesWindow().isEmpty(); }));
        const QString window = preferencesWindow();
        QVERIFY(centred(window));
        // An ordinary window of fixed size, listed in the task bar, and active.
        const QString properties = run(u"xprop"_s, {u"-id"_s, window, u"WM_NORMAL_HINTS"_s,
                                                    u"_NET_WM_WINDOW_TYPE"_s, u"_NET_WM_STATE"_s});
        QVERIFY(properties.contains(u"minimum size: 480 by 620"_s));
        QVERIFY(properties.contains(u"maximum size: 480 by 620"_s));
        QVERIFY(properties.contains(u"_NET_WM_WINDOW_TYPE_NORMAL"_s));
        QVERIFY(!properties.contains(u"SKIP_TASKBAR"_s));
        QCOMPARE(run(u"xdotool"_s, {u"getactivewindow"_s}), window);

        // Moved away and minimised; a second start brings the same window back, centred.
        run(u"xdotool"_s, {u"windowmove"_s, u"--sync"_s, window, u"10"_s, u"10"_s});
        run(u"xdotool"_s, {u"windowminimize"_s, u"--sync"_s, window});
        QVERIFY(waitFor([] { return preferencesWindow().isEmpty(); }));
        Orvane second({});
        QVERIFY(second.process.waitForFinished(10000));
        QVERIFY(app.waitFor(reopened));
        QVERIFY(waitFor([&] { return preferencesWindow() == window && centred(window); }));
        QVERIFY(waitFor([&] { return run(u"xdotool"_s, {u"getactivewindow"_s}) == window; }));

        // Closed through the window manager (its Alt+F4): the program stays.
        run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"alt+F4"_s});
        QVERIFY(app.waitFor(closed));
        QVERIFY(waitFor([] { return preferencesWindow().isEmpty(); }));
        QCOMPARE(app.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(LaunchTest)
#include "tst_launch.moc"
