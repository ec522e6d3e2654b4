#include "FakeTools.h"
#include "TestHome.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The real program, started as a user would start it, with its log read from standard error.
class Orvane {
public:
    explicit Orvane(QStringList arguments, const QProcessEnvironment &env = {})
    {
        process.setProgram(QStringLiteral(ORVANE_BINARY));
        process.setArguments(arguments);
        if (!env.isEmpty()) {
            process.setProcessEnvironment(env);
        }
        process.start();
    }
    ~Orvane()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    QStringList log()
    {
        stderrText += QString::fromUtf8(process.readAllStandardError());
        return stderrText.split(u'\n', Qt::SkipEmptyParts);
    }
    bool waitForLine(const QString &line, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!log().contains(line)) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
                return false;
            }
            process.waitForReadyRead(100);
        }
        return true;
    }
    void terminate() { ::kill(static_cast<pid_t>(process.processId()), SIGTERM); }

    QProcess process;
    QString stderrText;
};

QStringList orvaneLines(const QStringList &log)
{
    QStringList lines;
    for (const QString &line : log) {
        if (line.startsWith(u"[Orvane] "_s)) {
            lines << line;
        }
    }
    return lines;
}

const QString launched = u"[Orvane] Application did finish launching."_s;
const QString reopened = u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s;

} // namespace

class LaunchTest : public QObject {
    Q_OBJECT

private slots:
    void backgroundLaunchReopenAndTerminate()
    {
        orvane::test::TestHome home;
        Orvane first({u"--background"_s});
        QVERIFY(first.waitForLine(launched));

        QFile entry(home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s));
        QTRY_VERIFY(entry.exists()); // written just after the launch line
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(QByteArray("\nExec=" ORVANE_BINARY " --background\n")));
        // No setting is written at start-up, only the note that the login entry is Orvane's.
        QCOMPARE(
            QSettings(home.file(u".config/orvane/orvane.conf"_s), QSettings::IniFormat).allKeys(),
            QStringList{u"orvane_launchAtLogin"_s});

        // A second start hands over to the first and leaves.
        Orvane second({});
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(first.waitForLine(reopened));

        // A background start, as at login, just leaves.
        Orvane third({u"--background"_s});
        QVERIFY(third.process.waitForFinished(10000));
        QCOMPARE(third.process.exitCode(), 0);
        QTest::qWait(200);
        QCOMPARE(orvaneLines(first.log()).count(reopened), 1);

        first.terminate();
        QVERIFY(first.process.waitForFinished(10000));
        QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.process.exitCode(), 0);
        QVERIFY(orvaneLines(first.log()).startsWith(launched));
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
        QCOMPARE(app.log(), QStringList{u"orvane: ORVANE_PLATFORM=\"macOS-13\" is not one of: "
                                        u"linux, macos"_s});
        QVERIFY(!QFile::exists(home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s)));
    }

    // The macOS behaviour, run here against recording stand-ins for its tools: the thumbnail
    // preference is restored when the program is told to end.
    void macTerminationRestoresTheThumbnail()
    {
        orvane::test::TestHome home;
        orvane::test::FakeTools tools;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ORVANE_PLATFORM"_s, u"macos"_s);
        Orvane app({u"-background"_s}, env);
        QVERIFY(app.waitForLine(launched));
        // Written just after that line.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s)), 10000);

        app.terminate();
        QVERIFY(app.process.waitForFinished(10000));
        QCOMPARE(app.process.exitCode(), 0);
        const QList<QStringList> calls = tools.calls();
        QVERIFY(calls.contains(
            QStringList({u"defaults"_s, u"read"_s, u"com.apple.screencapture"_s, u"location"_s})));
        QCOMPARE(calls.mid(calls.size() - 2),
                 QList<QStringList>({{u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                      u"show-thumbnail"_s},
                                     {u"killall"_s, u"SystemUIServer"_s}}));
    }

    void interruptAlsoEndsInOrder()
    {
        orvane::test::TestHome home;
        Orvane app({u"--background"_s});
        QVERIFY(app.waitForLine(launched));
        ::kill(static_cast<pid_t>(app.process.processId()), SIGINT);
        QVERIFY(app.process.waitForFinished(10000));
        QCOMPARE(app.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(LaunchTest)
#include "tst_launch.moc"
