#include "TestHome.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The real program, started as a user starts it, with its log read from standard error.
class Orvane {
public:
    explicit Orvane(QStringList arguments = {})
    {
        process.setProgram(QStringLiteral(ORVANE_BINARY));
        process.setArguments(arguments);
        process.start();
    }
    ~Orvane()
    {
        if (process.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished();
            }
        }
    }
    int count(const QString &line)
    {
        log += QString::fromUtf8(process.readAllStandardError());
        return int(log.split(u'\n').count(line));
    }
    bool waitForCount(const QString &line, int wanted)
    {
        QDeadlineTimer deadline(10000);
        while (count(line) < wanted) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
                return false;
            }
            process.waitForReadyRead(100);
        }
        return true;
    }

    QProcess process;
    QString log;
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QStringList preferencesWindows()
{
    return run(u"xdotool"_s,
               {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Orvane Preferences$"_s})
        .split(u'\n', Qt::SkipEmptyParts);
}

// A window's content area in root coordinates, as the X server sees it.
QRect geometry(const QStringList &xwininfoArguments)
{
    const QString info = run(u"xwininfo"_s, xwininfoArguments);
    auto field = [&](const QString &name) {
        const QRegularExpression pattern(name + u":\\s+(-?\\d+)"_s);
        return pattern.match(info).captured(1).toInt();
    };
    return {field(u"Absolute upper-left X"_s), field(u"Absolute upper-left Y"_s), field(u"Width"_s),
            field(u"Height"_s)};
}

QRect geometry(const QString &window)
{
    return geometry(QStringList{u"-id"_s, window});
}

bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 10000);
}

const QString displayed = u"[Orvane] Preferences & Control Center window displayed."_s;
const QString closed = u"[Orvane] Window closed; switched to accessory mode."_s;
const QString noTrayHost = u"[Orvane] No system tray is available; opening Preferences so that "
                           u"Orvane can still be controlled."_s;
const QString reopened = u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s;

} // namespace

class PreferencesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void oneCentredWindowBroughtBackAndClosedByTheWindowManager()
    {
        orvane::test::TestHome home;
        Orvane app;
        QVERIFY(app.waitForCount(displayed, 1));
        QVERIFY(waitFor([] { return preferencesWindows().size() == 1; }));
        const QString window = preferencesWindows().first();

        const QRect screen = geometry(QStringList{u"-root"_s});
        // Centred; the window manager's title bar may push the content down a little.
        auto centred = [&screen](const QRect &content) {
            return qAbs(content.center().x() - screen.center().x()) <= 2 &&
                   qAbs(content.center().y() - screen.center().y()) <= 40;
        };
        QVERIFY(centred(geometry(window)));
        // An ordinary window of fixed size, listed in the task bar.
        const QString properties = run(u"xprop"_s, {u"-id"_s, window, u"WM_NORMAL_HINTS"_s,
                                                    u"_NET_WM_WINDOW_TYPE"_s, u"_NET_WM_STATE"_s});
        QVERIFY(properties.contains(u"minimum size: 480 by 620"_s));
        QVERIFY(properties.contains(u"maximum size: 480 by 620"_s));
        QVERIFY(properties.contains(u"_NET_WM_WINDOW_TYPE_NORMAL"_s));
        QVERIFY(!properties.contains(u"SKIP_TASKBAR"_s));
        QCOMPARE(run(u"xdotool"_s, {u"getactivewindow"_s}).trimmed(), window);

        // Moved away and minimised; a second start brings the same window back, centred.
        run(u"xdotool"_s, {u"windowmove"_s, u"--sync"_s, window, u"10"_s, u"10"_s});
        run(u"xdotool"_s, {u"windowminimize"_s, u"--sync"_s, window});
        QVERIFY(waitFor([] { return preferencesWindows().isEmpty(); }));
        Orvane second;
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(app.waitForCount(reopened, 1));
        QVERIFY(waitFor([&] { return preferencesWindows() == QStringList{window}; }));
        QVERIFY(waitFor([&] { return centred(geometry(window)); }));
        QVERIFY(
            waitFor([&] { return run(u"xdotool"_s, {u"getactivewindow"_s}).trimmed() == window; }));

        // Closed through the window manager (its Alt+F4): the program stays, in the tray.
        run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"alt+F4"_s});
        QVERIFY(app.waitForCount(closed, 1));
        QVERIFY(waitFor([] { return preferencesWindows().isEmpty(); }));
        QTest::qWait(200);
        QCOMPARE(app.process.state(), QProcess::Running);
    }

    // A background start sits in the tray. Only where there is no tray at all do the
    // preferences open, so that Orvane can still be reached.
    void backgroundStartShowsNoWindow()
    {
        orvane::test::TestHome home;
        QProcess tray; // ended with the test
        const bool haveTray = !QStandardPaths::findExecutable(u"trayer"_s).isEmpty();
        if (haveTray) {
            tray.start(u"trayer"_s, {u"--edge"_s, u"bottom"_s, u"--SetDockType"_s, u"false"_s});
            QVERIFY(waitFor([] {
                return !run(u"xdotool"_s, {u"search"_s, u"--class"_s, u"^trayer$"_s}).isEmpty();
            }));
        }
        Orvane app({u"--background"_s});
        QVERIFY(app.waitForCount(u"[Orvane] Application did finish launching."_s, 1));
        // The tray is looked for before the watcher starts, which logs its folders.
        QVERIFY(waitFor([&] {
            app.count({});
            return app.log.contains(u"[Orvane] FSEventStream started: "_s);
        }));
        const bool noTray = app.count(noTrayHost) == 1;
        QCOMPARE(noTray, !haveTray);
        if (noTray) {
            QVERIFY(app.waitForCount(displayed, 1));
            QVERIFY(waitFor([] { return !preferencesWindows().isEmpty(); }));
        } else {
            // Nothing is to come: give a window that should not open the time to.
            QTest::qWait(500);
            QCOMPARE(app.count(displayed), 0);
            QVERIFY(preferencesWindows().isEmpty());
        }
    }

    // The session's LANGUAGE alone turns the program German; its log stays English.
    void germanFromTheEnvironment()
    {
        orvane::test::TestHome home;
        qputenv("LANGUAGE", "de"); // put back by the test home
        Orvane app;
        QVERIFY(app.waitForCount(displayed, 1));
        QVERIFY(waitFor([] {
            return !run(u"xdotool"_s,
                        {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Orvane-Einstellungen$"_s})
                        .isEmpty();
        }));
    }
};

QTEST_GUILESS_MAIN(PreferencesWindowTest)
#include "tst_preferences_window.moc"
