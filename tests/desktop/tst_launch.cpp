#include "FakeTools.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace orvane::test;

namespace {

// The real program, started as a user would start it, with its log read from standard error.
struct Orvane {
    explicit Orvane(const QStringList &arguments)
    {
        process.start(QStringLiteral(ORVANE_BINARY), arguments);
    }
    ~Orvane()
    {
        process.kill();
        process.waitForFinished();
    }
    // How many lines of the log so far start with `prefix`.
    int count(const QString &prefix)
    {
        log += QString::fromUtf8(process.readAllStandardError());
        const QStringList lines = log.split(u'\n');
        return int(
            std::ranges::count_if(lines, [&](const QString &l) { return l.startsWith(prefix); }));
    }
    bool waitFor(const QString &prefix)
    {
        const QDeadlineTimer deadline(15000);
        while (count(prefix) == 0) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
                return false;
            }
            process.waitForReadyRead(100);
        }
        return true;
    }
    // Ends it with a signal, as the session does; true when it ended cleanly.
    bool end(int signal = SIGTERM)
    {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QProcess process;
    QString log;
};

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

// Whether a window is centred on the screen, allowing for the window manager's title bar.
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

// The desktop's notification service, keeping what it was asked to show.
class NotificationsStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown;
public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        shown << summary + u'\n' + body;
        return 1;
    }
};

const QString launched = u"[Orvane] Application did finish launching."_s;
const QString reopened = u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s;
const QString detected = u"[Orvane] ✅ Screenshot detected: "_s;

QImage pasted()
{
    QProcess clip;
    clip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-t"_s, u"image/png"_s, u"-o"_s});
    clip.waitForFinished(10000);
    return QImage::fromData(clip.readAllStandardOutput(), "PNG");
}

} // namespace

// The real program on an X display without a tray, fed by a real capture tool.
class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    // A login start on a fresh German account (LANGUAGE alone), a day's use, the session's end.
    void loginStartWindowScreenshotsAndTerminate()
    {
        TestHome home;
        qputenv("LANGUAGE", "de"); // put back by the test home
        const QString settings = home.file(u".config/orvane/orvane.conf"_s);
        {
            QSettings written(settings, QSettings::IniFormat);
            written.setValue(u"orvane_autoCopyOnCapture"_s, true);
            written.setValue(u"orvane_playSound"_s, false);
        }
        Orvane app({u"--background"_s});
        QVERIFY(app.waitFor(launched));

        // No tray: the preferences open, centred, active, ordinary, in the task bar.
        QVERIFY(app.waitFor(u"[Orvane] No system tray is available; opening Preferences so that "
                            u"Orvane can still be controlled."_s));
        QVERIFY(waitFor([] { return !preferencesWindow().isEmpty(); }));
        // No setting is written at start-up.
        QCOMPARE(QSettings(settings, QSettings::IniFormat).allKeys(),
                 QStringList({u"orvane_autoCopyOnCapture"_s, u"orvane_playSound"_s}));
        const QString window = preferencesWindow();
        QVERIFY(centred(window));
        const QString properties =
            run(u"xprop"_s, {u"-id"_s, window, u"_NET_WM_WINDOW_TYPE"_s, u"_NET_WM_STATE"_s});
        QVERIFY(properties.contains(u"_NET_WM_WINDOW_TYPE_NORMAL"_s));
        QVERIFY(!properties.contains(u"SKIP_TASKBAR"_s));
        QVERIFY(waitFor([&] { return run(u"xdotool"_s, {u"getactivewindow"_s}) == window; }));

        // Minimised: a second start brings the same window back, centred; one in the background
        // just leaves.
        run(u"xdotool"_s, {u"windowmove"_s, u"--sync"_s, window, u"10"_s, u"10"_s});
        run(u"xdotool"_s, {u"windowminimize"_s, u"--sync"_s, window});
        QVERIFY(waitFor([] { return preferencesWindow().isEmpty(); }));
        for (const QStringList &arguments : {QStringList(), QStringList{u"--background"_s}}) {
            Orvane again(arguments);
            QVERIFY(again.process.waitForFinished(10000));
            QCOMPARE(again.process.exitCode(), 0);
        }
        QVERIFY(app.waitFor(reopened));
        QVERIFY(waitFor([&] { return preferencesWindow() == window && centred(window); }));
        QVERIFY(waitFor([&] { return run(u"xdotool"_s, {u"getactivewindow"_s}) == window; }));
        // Closed through the window manager (its Alt+F4): the program stays.
        run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"alt+F4"_s});
        QVERIFY(app.waitFor(u"[Orvane] Window closed; switched to accessory mode."_s));
        QVERIFY(waitFor([] { return preferencesWindow().isEmpty(); }));

        // A screenshot folder made after the launch is watched without a restart.
        const QString desktop = home.file(u"Desktop"_s);
        QVERIFY(QDir().mkpath(desktop));
        QVERIFY(app.waitFor(u"[Orvane] Now watching "_s + desktop + u'.'));
        // A real capture tool's screenshot, auto-copied (just after the log line).
        QCOMPARE(QProcess::execute(u"scrot"_s, {desktop + u"/shot 1.png"_s}), 0);
        QVERIFY(app.waitFor(detected + u"shot 1.png ("_s));
        const QImage shot(desktop + u"/shot 1.png"_s);
        QTRY_COMPARE_WITH_TIMEOUT(pasted().size(), shot.size(), 10000);
        QCOMPARE(pasted().pixelColor(10, 10), shot.pixelColor(10, 10));

        QVERIFY(app.end());
        QCOMPARE(app.count(detected), 1); // exactly one line per screenshot
        QCOMPARE(app.count(reopened), 1);
        QVERIFY(app.log.startsWith(launched));
    }

    // Without its card and preferences module Orvane still watches, says in a notification why
    // the preferences cannot open, and ends cleanly.
    void missingModuleIsReportedNotFatal()
    {
        TestHome home;
        NotificationsStandIn notifications;
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString service = u"org.freedesktop.Notifications"_s;
        QVERIFY(bus.registerService(service));
        QVERIFY(bus.registerObject(u"/org/freedesktop/Notifications"_s, &notifications,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(QDir().mkpath(home.file(u"Desktop"_s)));
        // A plain start asks for the preferences at once.
        home.set("ORVANE_UI_MODULE", home.file(u"gone/orvane-ui.so"_s));
        Orvane app({u"--simulate-capture"_s});
        const QString failed = u"[Orvane] The card and preferences could not be loaded: "_s;
        QVERIFY2(app.waitFor(u"[Orvane] FSEventStream started: YES"_s), qPrintable(app.log));
        QVERIFY(app.waitFor(failed));
        QVERIFY(app.log.contains(u"gone/orvane-ui.so"_s));
        QVERIFY(waitFor([&notifications] { return !notifications.shown.isEmpty(); }));
        QVERIFY2(
            notifications.shown.first().startsWith(
                u"The preferences could not be opened.\nPart of Orvane could not be loaded ("_s) &&
                notifications.shown.first().contains(u"gone/orvane-ui.so"_s),
            qPrintable(notifications.shown.first()));
        bus.unregisterObject(u"/org/freedesktop/Notifications"_s);
        bus.unregisterService(service);
        QVERIFY(app.end());
        QCOMPARE(app.count(failed), 1);
    }

    // Refused in one line before anything starts: a DISPLAY nothing answers (before Qt aborts
    // with a core), a misspelt ORVANE_PLATFORM (not run as Linux nor as macOS).
    void refusedStarts_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("unreachable display") << QByteArray("DISPLAY") << u":7319"_s << 1
                                             << u"orvane: cannot connect to the display :7319"_s;
        QTest::newRow("misspelt platform")
            << QByteArray("ORVANE_PLATFORM") << u"macOS-13"_s << 2
            << u"orvane: ORVANE_PLATFORM=\"macOS-13\" is not one of: linux, macos\n"_s;
    }
    void refusedStarts()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, value);
        TestHome home;
        FakeTools tools;
        home.set("WAYLAND_DISPLAY", std::nullopt);
        home.set("QT_QPA_PLATFORM", std::nullopt);
        home.set(variable.constData(), value);
        Orvane app({u"--background"_s});
        QVERIFY(app.process.waitForFinished(10000));
        QCOMPARE(app.process.exitStatus(), QProcess::NormalExit);
        QTEST(app.process.exitCode(), "code");
        QFETCH(QString, says);
        const QString said = QString::fromUtf8(app.process.readAllStandardError());
        QVERIFY2(said.startsWith(says) && said.count(u'\n') == 1, qPrintable(said));
        QVERIFY(!QFile::exists(home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s)));
        QVERIFY(tools.calls().isEmpty());
    }

    // As macOS, against stand-ins for its tools: an interrupt too restores the thumbnail setting.
    void macPlatformOnInterrupt()
    {
        TestHome home;
        FakeTools tools;
        home.set("ORVANE_PLATFORM", u"macos"_s);
        Orvane mac({u"-background"_s});
        QVERIFY(mac.waitFor(launched));
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s)), 10000);
        QVERIFY(mac.end(SIGINT));
        const QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.mid(calls.size() - 2),
                 QList<QStringList>({{u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                      u"show-thumbnail"_s},
                                     {u"killall"_s, u"SystemUIServer"_s}}));
    }
};

QTEST_GUILESS_MAIN(LaunchTest)
#include "tst_launch.moc"
