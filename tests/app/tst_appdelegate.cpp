#include "FakeTools.h"
#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "app/AppDelegate.h"
#include "app/SingleInstance.h"
#include "platform/PlatformFactory.h"
#include "platform/macos/MacPlatform.h"
#include "settings/AppState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

struct Launch {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    std::unique_ptr<AppState> state;
    test::LogCapture log;

    // Made before the launch, as main makes it.
    AppState &makeState()
    {
        state = std::make_unique<AppState>(platform, platform.openSettings());
        platform.takeCalls();
        return *state;
    }

    AppDelegate::Steps steps()
    {
        AppDelegate::Steps s;
        s.createStatusBar = [this] { platform.record(u"createStatusBar"_s); };
        s.startWatcher = [this] { platform.record(u"startWatcher"_s); };
        s.stopWatcher = [this] { platform.record(u"stopWatcher"_s); };
        s.showPreferences = [this] { platform.record(u"showPreferences"_s); };
        return s;
    }
};

} // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private slots:
    // The settings, loaded before, read the new login item back before anything shows them;
    // the preferences open unless started in the background; the sound comes from the loop.
    void launchSequence_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("preferences");
        QTest::addColumn<bool>("sound");
        const QString me = u"orvane"_s;
        QTest::newRow("plain start") << QStringList{me} << true << true;
        QTest::newRow("sounds off") << QStringList{me} << true << false;
        QTest::newRow("--background") << QStringList{me, u"--background"_s} << false << true;
        QTest::newRow("-background, not first")
            << QStringList{me, u"-x"_s, u"-background"_s} << false << true;
        QTest::newRow("capital letters") << QStringList{me, u"--Background"_s} << true << true;
        QTest::newRow("no hyphens") << QStringList{me, u"background"_s} << true << true;
        QTest::newRow("with a value") << QStringList{me, u"--background=1"_s} << true << true;
        QTest::newRow("flag as argument 0") << QStringList{u"--background"_s} << false << true;
    }
    void launchSequence()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, preferences);
        QFETCH(bool, sound);
        Launch launch;
        QSettings(launch.platform.settingsFile, QSettings::IniFormat)
            .setValue(QLatin1String(keys::playSound), sound);
        AppDelegate delegate(launch.platform, launch.makeState(), arguments, launch.steps());
        delegate.applicationDidFinishLaunching();
        QStringList expected{u"readLoginEntry"_s,    u"installLoginAgent"_s,
                             u"registerLoginItem"_s, u"isLoginItemEnabled"_s,
                             u"createStatusBar"_s,   u"startWatcher"_s};
        if (preferences) {
            expected << u"showPreferences"_s;
        }
        QCOMPARE(launch.platform.takeCalls(), expected);
        QVERIFY(launch.state->isLaunchAtLoginEnabled());
        QCOMPARE(launch.log.lines(), QStringList{u"[Orvane] Application did finish launching."_s});
        QCoreApplication::processEvents();
        QCOMPARE(launch.platform.takeCalls(),
                 sound ? QStringList{u"playSystemSound:Tink"_s} : QStringList());
    }

    // What the desktop's startup settings did to the entry outranks the choice stored here:
    // a hidden entry, or one deleted after Orvane wrote it, is left as it is and the switch
    // turns off. With no entry and no choice yet, a first launch writes it.
    void desktopStartupSettings_data()
    {
        QTest::addColumn<QVariant>("choice"); // as stored before the launch; invalid for none
        QTest::addColumn<LoginEntry>("entry");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QVariant>("choiceAfter");
        const QVariant none;
        QTest::newRow("first launch") << none << LoginEntry::Absent << true << QVariant(true);
        QTest::newRow("entry in use")
            << QVariant(true) << LoginEntry::Enabled << true << QVariant(true);
        QTest::newRow("hidden by the desktop")
            << QVariant(true) << LoginEntry::SwitchedOff << false << QVariant(false);
        QTest::newRow("hidden before any choice")
            << none << LoginEntry::SwitchedOff << false << QVariant(false);
        QTest::newRow("removed in the startup settings")
            << QVariant(true) << LoginEntry::Absent << false << QVariant(false);
        QTest::newRow("switched off in Orvane")
            << QVariant(false) << LoginEntry::Absent << false << QVariant(false);
        QTest::newRow("login item registered at every launch (macOS)")
            << none << LoginEntry::Unmanaged << true << none;
    }
    void desktopStartupSettings()
    {
        QFETCH(QVariant, choice);
        QFETCH(LoginEntry, entry);
        QFETCH(bool, written);
        QFETCH(QVariant, choiceAfter);
        Launch launch;
        if (choice.isValid()) {
            QSettings(launch.platform.settingsFile, QSettings::IniFormat)
                .setValue(QLatin1String(keys::launchAtLogin), choice);
        }
        launch.platform.loginEntry = entry;
        AppDelegate delegate(launch.platform, launch.makeState(), {u"orvane"_s, u"--background"_s},
                             launch.steps());
        delegate.applicationDidFinishLaunching();

        const QStringList calls = launch.platform.takeCalls();
        QCOMPARE(calls.contains(u"installLoginAgent"_s), written);
        QCOMPARE(calls.contains(u"registerLoginItem"_s), written);
        const std::optional<bool> after =
            AppState::storedLaunchAtLoginChoice(*launch.platform.openSettings());
        QCOMPARE(after, choiceAfter.isValid() ? std::optional(choiceAfter.toBool()) : std::nullopt);
        const bool turnedOff = choice != QVariant(false) && !written;
        QCOMPARE(launch.log.lines().contains(u"[Orvane] Launch at login stays off: it was switched "
                                             u"off in the desktop's startup settings."_s),
                 turnedOff);
    }

    // The override picks the platform in any letter case (its refusal: tst_launch).
    void platformChoiceIgnoresCase()
    {
        const auto restore = qScopeGuard([] { qunsetenv("ORVANE_PLATFORM"); });
        for (const char *value : {"", "LINUX", "macOS"}) {
            qputenv("ORVANE_PLATFORM", value);
            QCOMPARE(unknownPlatformChoice(), std::nullopt);
        }
        QCOMPARE(createPlatform({})->kind(), PlatformKind::MacOS);
    }

    // Every reopen (a click on the Dock icon, a second start) shows the preferences; quitting
    // cleans up once, though a signal during quit asks again.
    void reopenAndQuit()
    {
        Launch launch;
        AppDelegate delegate(launch.platform, launch.makeState(), {u"orvane"_s}, launch.steps());
        QVERIFY(delegate.applicationShouldHandleReopen(true));
        QVERIFY(delegate.applicationShouldHandleReopen(false));
        delegate.applicationWillTerminate();
        delegate.applicationWillTerminate();
        QCOMPARE(launch.platform.takeCalls(),
                 QStringList({u"showPreferences"_s, u"showPreferences"_s, u"stopWatcher"_s,
                              u"resetScreenshotThumbnail"_s}));
        QCOMPARE(launch.log.lines().count(
                     u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s),
                 2);
    }

    // A folder change whose system commands are still running when the user quits ends
    // before the quit's own commands, instead of being cut off or overtaken.
    void quitLetsAFolderChangeFinish()
    {
        test::TestHome home;
        test::FakeTools tools;
        tools.setSlow({u"defaults write"_s});
        MacPlatform mac({});
        const auto state = std::make_unique<AppState>(mac, mac.openSettings());
        AppDelegate delegate(mac, *state, {u"orvane"_s, u"--background"_s}, {});
        delegate.applicationDidFinishLaunching();
        state->setCustomFolderPath(home.file(u"Shots"_s));
        delegate.applicationWillTerminate();

        const QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.size(), 5);
        QCOMPARE(calls.at(1).mid(0, 2), QStringList({u"defaults"_s, u"write"_s}));
        QCOMPARE(calls.at(2), QStringList({u"killall"_s, u"SystemUIServer"_s}));
        QCOMPARE(calls.at(3), QStringList({u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                           u"show-thumbnail"_s}));
    }

    // Without a session runtime folder the lock and the socket go into a folder of the user's
    // own in the temporary folder, never into one that someone else made or can enter.
    void singleInstanceFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("taken");
        QTest::newRow("none there: created") << u""_s << true;
        QTest::newRow("private one from an earlier run") << u"0700"_s << true;
        QTest::newRow("open to all") << u"0777"_s << false;
        QTest::newRow("open to the group") << u"0750"_s << false;
        QTest::newRow("another user's") << u"other"_s << false;
        QTest::newRow("a link to a private folder") << u"link"_s << false;
        QTest::newRow("a file") << u"file"_s << false;
    }
    void singleInstanceFolderIsPrivate()
    {
        QFETCH(QString, planted);
        QFETCH(bool, taken);
        test::TestHome home;
        test::LogCapture log;
        const QByteArray savedTmp = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            if (savedTmp.isNull()) {
                qunsetenv("TMPDIR");
            } else {
                qputenv("TMPDIR", savedTmp);
            }
        });
        QVERIFY(QDir().mkpath(home.file(u"tmp"_s)));
        qputenv("TMPDIR", home.file(u"tmp"_s).toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        const QString ours = home.file(u"tmp/orvane-"_s) + QString::number(::geteuid());
        const QByteArray oursName = QFile::encodeName(ours);
        if (planted == u"other"_s) {
            if (::geteuid() != 0) {
                QSKIP("only root can give a folder to another user");
            }
            QVERIFY(::mkdir(oursName.constData(), 0700) == 0);
            QVERIFY(::chown(oursName.constData(), 65534, 65534) == 0);
        } else if (planted == u"link"_s) {
            QVERIFY(::mkdir(QFile::encodeName(home.file(u"elsewhere"_s)).constData(), 0700) == 0);
            QVERIFY(QFile::link(home.file(u"elsewhere"_s), ours));
        } else if (planted == u"file"_s) {
            QFile file(ours);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (!planted.isEmpty()) {
            QVERIFY(::mkdir(oursName.constData(), 0700) == 0);
            QVERIFY(::chmod(oursName.constData(), planted.toUInt(nullptr, 8)) == 0);
        }

        const mode_t savedMask = ::umask(0);
        const auto restoreMask = qScopeGuard([savedMask] { ::umask(savedMask); });
        SingleInstance first;
        QVERIFY(first.claim());
        const QString folder = first.folder();
        QCOMPARE(folder == ours, taken);
        QVERIFY2(folder.startsWith(home.path() + u'/'), qPrintable(folder));
        QCOMPARE(log.lines().size(), taken ? 0 : 1);
        struct stat info = {};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &info) == 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        QCOMPARE(QFile::permissions(folder + u"/orvane.lock"_s),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(QFile::permissions(first.socketPath()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        if (planted == u"link"_s) {
            QVERIFY(QDir(home.file(u"elsewhere"_s)).isEmpty());
        }

        // A second start finds the same folder, and the first.
        SingleInstance second;
        QVERIFY(!second.claim());
        QCOMPARE(second.folder(), folder);
        QSignalSpy reopened(&first, &SingleInstance::reopenRequested);
        QVERIFY(second.sendReopen(10000));
        QVERIFY(reopened.wait(10000));
    }

    // With no instance, nothing answers. A socket left behind by a crashed run is taken over;
    // a client that never ends its line is cut off, and the next request is still heard.
    void socketOutlastsBadPeers()
    {
        test::TestHome home;
        const QString runtime = home.file(u"runtime"_s);
        QVERIFY(!SingleInstance(runtime).sendReopen(200));
        QFile stale(runtime + u"/orvane.sock"_s);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance instance(runtime);
        QVERIFY(instance.claim());
        QSignalSpy reopened(&instance, &SingleInstance::reopenRequested);

        // A line too long, ended or never, and what follows it never counts.
        const QByteArray tooLong(SingleInstance::maxRequestBytes, 'x');
        for (const QByteArray &junk :
             {QByteArray(1024 * 1024, 'x'), QByteArray(tooLong + "\nreopen\n")}) {
            QLocalSocket flood;
            flood.connectToServer(instance.socketPath());
            QVERIFY(flood.waitForConnected(10000));
            QSignalSpy dropped(&flood, &QLocalSocket::disconnected);
            flood.write(junk);
            QTRY_COMPARE_WITH_TIMEOUT(dropped.count(), 1, 10000);
        }
        QCOMPARE(reopened.count(), 0);

        SingleInstance later(runtime);
        QVERIFY(later.sendReopen(10000));
        QVERIFY(reopened.wait(10000));
        QCOMPARE(reopened.count(), 1);

        // Too deep for a socket's address: cut short, it would name another file. The lock
        // still keeps one copy; nothing listens, and that is logged.
        const QString deep = runtime + u'/' + QString(120, u'd');
        QVERIFY(QDir().mkpath(deep));
        test::LogCapture log;
        SingleInstance deepFirst(deep);
        QVERIFY(deepFirst.claim());
        QVERIFY(!SingleInstance(deep).claim());
        QVERIFY(!SingleInstance(deep).sendReopen(200));
        QCOMPARE(log.lines().size(), 1);
    }
};

QTEST_GUILESS_MAIN(AppDelegateTest)
#include "tst_appdelegate.moc"
