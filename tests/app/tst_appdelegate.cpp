#include "FakeTools.h"
#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "platform/PlatformFactory.h"
#include "platform/macos/MacPlatform.h"
#include "settings/AppState.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

namespace {

// The choice stored before and after (none: unset); bytes: a settings file left as it is.
struct Launch {
    const char *tag;
    QString arguments;
    LoginEntry entry;
    std::optional<bool> choice, after;
    bool preferences, sound, written;
    QByteArray bytes = {};
};
const std::optional<bool> none;
using enum LoginEntry;
const Launch launches[] = {
    {"first launch", u""_s, Absent, none, true, true, true, true},
    {"entry in use, sounds off", u""_s, Enabled, true, true, true, false, true},
    {"--background; desktop hid", u"--background"_s, SwitchedOff, true, false, false, true, false},
    {"-background, not first; hidden before any choice", u"--simulate-capture -background"_s,
     SwitchedOff, none, false, false, true, false},
    {"a word 'background'; removed in the startup settings", u"background"_s, Absent, true, false,
     true, true, false},
    {"switched off in Orvane", u""_s, Absent, false, false, true, true, false},
    {"login item at every launch (macOS)", u""_s, Unmanaged, none, none, true, true, true},
    // No entry and no first-launch mark that a later installed copy would misread.
    {"a build in a build folder", u"--refused"_s, Absent, none, none, true, true, false},
    {"first launch, a file the settings leave as it is", u"--background"_s, Absent, none, true,
     false, false, true, "# mine\n[General]\norvane_playSound=false\n[Broken\n\xfc\n"},
};

} // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private slots:
    // What a start answers by itself, before anything runs.
    void commandLineAndPlatformChoice()
    {
        // arguments, exit code (-1: goes on to run), what it says
        const std::tuple<QString, int, QString> starts[] = {
            // Orvane's, Qt's, the system's and macOS's own, with their values.
            {u"--background -background --simulate-capture -platform offscreen --reverse "
             u"-psn_0_12345 -AppleLanguages (de) -NSDocumentRevisionsDebugMode YES"_s,
             -1, QString()},
            {u"--version"_s, 0, u"Orvane 1.2\n"_s},
            {u"--bogus --help"_s, 0, u"  --background\n"_s},
            // Ignored, in one line: a start with something meant for someone else still starts.
            {u"--bogus --Background --background=1 --background"_s, -1,
             u"orvane: ignoring --bogus --Background --background=1 (orvane --help lists the "
             u"options)\n"_s}};
        for (const auto &[arguments, code, says] : starts) {
            const auto answer = commandline::answer(
                QString(u"/usr/bin/orvane "_s + arguments).split(u' '), u"1.2"_s);
            QCOMPARE(answer.exit ? answer.exitCode : -1, code);
            QCOMPARE(answer.onError, code == -1 && !says.isEmpty());
            // The help by one of its lines.
            QVERIFY2(answer.text == says || (code == 0 && answer.text.contains(says)),
                     qPrintable(arguments + u": "_s + answer.text));
        }
        // The platform's override in any letter case (its refusal: card_on_desktops.py).
        TestHome home;
        for (const QString &value : {u""_s, u"LINUX"_s, u"macOS"_s}) {
            home.set("ORVANE_PLATFORM", value);
            QCOMPARE(unknownPlatformChoice(), std::nullopt);
        }
        QCOMPARE(createPlatform({})->kind(), PlatformKind::MacOS);
    }

    // The desktop's startup settings outrank the stored choice; a first launch writes the entry
    // through the settings loaded. Every reopen shows the preferences; quitting cleans up once.
    void launchReopenAndQuit_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(launches)); ++row) {
            QTest::newRow(launches[row].tag) << row;
        }
    }
    void launchReopenAndQuit()
    {
        QFETCH(int, row);
        const auto &[tag, arguments, entry, choice, after, preferences, sound, written, bytes] =
            launches[row];
        TestHome home;
        RecordingPlatform platform{home.file(u"settings.ini"_s)};
        QFile file(platform.settingsFile);
        if (bytes.isEmpty()) {
            QSettings stored(platform.settingsFile, QSettings::IniFormat);
            stored.setValue(QLatin1String(keys::playSound), sound);
            if (choice) {
                stored.setValue(QLatin1String(keys::launchAtLogin), *choice);
            }
        } else {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
        }
        platform.loginEntry = entry;
        const bool refused = arguments == u"--refused"_s;
        platform.loginRefusal = refused ? std::optional(u"a build"_s) : std::nullopt;
        AppState state(platform, platform.openSettings());
        platform.takeCalls();
        LogCapture log;
        const auto step = [&platform](const QString &name) {
            return [&platform, name] { platform.record(name); };
        };
        AppDelegate delegate(platform, state,
                             QString(u"orvane " + arguments).split(u' ', Qt::SkipEmptyParts),
                             {step(u"createStatusBar"_s), step(u"startWatcher"_s),
                              step(u"stopWatcher"_s), step(u"showPreferences"_s)});
        delegate.applicationDidFinishLaunching();

        const auto when = [](bool yes, const QStringList &calls) {
            return yes ? calls : QStringList();
        };
        QCOMPARE(platform.takeCalls(),
                 when(choice != false && !refused, {u"readLoginEntry"_s}) +
                     when(written, {u"installLoginAgent"_s, u"registerLoginItem"_s,
                                    u"isLoginItemEnabled"_s}) +
                     QStringList({u"createStatusBar"_s, u"startWatcher"_s}) +
                     when(preferences, {u"showPreferences"_s}));
        QCOMPARE(state.isLaunchAtLoginEnabled(), written);
        QCOMPARE(state.storedLaunchAtLoginChoice(), after);
        // A line more, saying why, when no entry is written against the choice.
        QCOMPARE(log.lines().size(), refused || (choice != false && !written) ? 2 : 1);
        QCoreApplication::processEvents();
        QCOMPARE(platform.takeCalls(), when(sound, {u"playSystemSound:Tink"_s}));

        QVERIFY(delegate.applicationShouldHandleReopen(true));
        QVERIFY(delegate.applicationShouldHandleReopen(false));
        delegate.applicationWillTerminate();
        delegate.applicationWillTerminate();
        QCOMPARE(platform.takeCalls(),
                 QStringList({u"showPreferences"_s, u"showPreferences"_s, u"stopWatcher"_s,
                              u"resetScreenshotThumbnail"_s}));
        if (bytes.isEmpty()) {
            QCOMPARE(AppState::storedLaunchAtLoginChoice(*platform.openSettings()), after);
        } else {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
    }

    // A folder change still running at quit ends before the quit's commands, not cut off.
    void quitLetsAFolderChangeFinish()
    {
        TestHome home;
        FakeTools tools;
        tools.setSlow({u"defaults write"_s});
        MacPlatform mac({});
        AppState state(mac, mac.openSettings());
        AppDelegate delegate(mac, state, {u"orvane"_s, u"--background"_s}, {});
        delegate.applicationDidFinishLaunching();
        state.setCustomFolderPath(home.file(u"Shots"_s));
        delegate.applicationWillTerminate();
        // After the folder's write and its killall.
        QCOMPARE(tools.calls().value(3).mid(0, 2), QStringList({u"defaults"_s, u"delete"_s}));
    }

    // Without a runtime folder: a private folder of the user's own in the temporary folder, else
    // in the cache folder; both refused, Orvane runs unguarded and says so once.
    void singleInstanceFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("planted"); // at the temporary folder's place
        QTest::addColumn<QString>("taken");   // none: neither
        QTest::newRow("none there: created") << u""_s << u"tmp"_s;
        QTest::newRow("open to the group") << u"0750"_s << u".cache"_s;
        QTest::newRow("another user's") << u"other"_s << u".cache"_s;
        QTest::newRow("a link to a private folder") << u"link"_s << u".cache"_s;
        QTest::newRow("open to all, the cache's too") << u"0777"_s << QString();
    }
    void singleInstanceFolderIsPrivate()
    {
        QFETCH(QString, planted);
        QFETCH(QString, taken);
        if (planted == u"other"_s && ::geteuid() != 0) {
            QSKIP("only root can give a folder to another user");
        }
        TestHome home;
        LogCapture log;
        home.set("TMPDIR", home.path());
        home.set("XDG_RUNTIME_DIR", std::nullopt);
        const QString user = QString::number(::geteuid());
        const QString ours = home.file(u"orvane-"_s + user);
        const QString cache = home.file(u".cache/orvane-runtime-"_s + user);
        const QString elsewhere = home.file(u"elsewhere"_s);
        const auto make = [](const QString &folder, uint mode) {
            const QByteArray name = QFile::encodeName(folder);
            return ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), mode) == 0;
        };
        if (planted == u"link"_s) {
            QVERIFY(make(elsewhere, 0700) && QFile::link(elsewhere, ours));
        } else if (planted == u"other"_s) {
            QVERIFY(make(ours, 0700) &&
                    ::chown(QFile::encodeName(ours).constData(), 65534, 65534) == 0);
        } else if (!planted.isEmpty()) {
            const uint mode = planted.toUInt(nullptr, 8);
            QVERIFY(make(ours, mode) && (mode != 0777 || make(cache, mode)));
        }

        const mode_t savedMask = ::umask(0);
        SingleInstance first;
        QVERIFY(first.claim());
        ::umask(savedMask);
        const QString folder = first.folder(); // looked for once: said once
        QCOMPARE(folder, taken.isEmpty() ? QString() : taken == u"tmp"_s ? ours : cache);
        QCOMPARE(log.lines().size(), taken == u"tmp"_s ? 0 : 1);
        QCOMPARE(first.sendReopen(100), !taken.isEmpty());
        if (taken.isEmpty()) {
            return;
        }
        const auto owner =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(folder), owner | QFile::ExeOwner | QFile::ExeUser);
        QCOMPARE(QFile::permissions(folder + u"/orvane.lock"_s), owner);
        QCOMPARE(QFile::permissions(first.socketPath()), owner);
        QVERIFY(QDir(elsewhere).isEmpty());
        // A second start takes the same folder, made before, and finds the first there.
        QVERIFY(!SingleInstance().claim());
    }

    // A crashed run's socket is taken over; idle peers are capped (descriptors are kept for
    // watches and decodes) and dropped, an overlong line is cut off, a real request gets through.
    void socketOutlastsBadPeers()
    {
        TestHome home;
        const QString runtime = home.file(u"runtime"_s);
        QVERIFY(!SingleInstance(runtime).sendReopen(200));
        QVERIFY(QFile(runtime + u"/orvane.sock"_s).open(QIODevice::WriteOnly));
        SingleInstance instance(runtime);
        instance.setIdleTimeout(300);
        QVERIFY(instance.claim());
        QSignalSpy reopened(&instance, &SingleInstance::reopenRequested);
        const auto reopen = [&] {
            return SingleInstance(runtime).sendReopen(10000) && reopened.wait(10000);
        };
        const auto descriptors = [] {
            return QDir(u"/proc/self/fd"_s, {}, QDir::NoSort, QDir::AllEntries | QDir::System)
                .count();
        };
        const qsizetype before = descriptors();
        constexpr int flooding = 100;
        QLocalSocket flood[flooding];
        for (QLocalSocket &socket : flood) {
            socket.connectToServer(instance.socketPath());
            QVERIFY(socket.waitForConnected(10000));
        }
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(); // every one accepted
        }
        QVERIFY(descriptors() - before <= flooding + SingleInstance::maxClients + 4);
        QVERIFY(reopen());
        for (const auto &socket : flood) {
            QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
        }

        // A line too long, ended or never, and what follows it never counts.
        for (const QByteArray &junk :
             {QByteArray(1024 * 1024, 'x'),
              QByteArray(SingleInstance::maxRequestBytes, 'x').append("\nreopen\n")}) {
            QLocalSocket peer;
            peer.connectToServer(instance.socketPath());
            QVERIFY(peer.waitForConnected(10000));
            QSignalSpy dropped(&peer, &QLocalSocket::disconnected);
            peer.write(junk);
            QTRY_COMPARE_WITH_TIMEOUT(dropped.count(), 1, 10000);
        }
        QCOMPARE(reopened.count(), 1);
        QVERIFY(reopen());
        QCOMPARE(reopened.count(), 2);

        // Too deep for a socket's address (cut short, it would name another file): the lock still
        // keeps one copy; nothing listens, and that is logged.
        const QString deep = runtime + u'/' + QString(120, u'd');
        QVERIFY(QDir().mkpath(deep));
        LogCapture log;
        SingleInstance deepFirst(deep);
        QVERIFY(deepFirst.claim());
        QVERIFY(!SingleInstance(deep).claim());
        QVERIFY(!SingleInstance(deep).sendReopen(200));
        QCOMPARE(log.lines().size(), 1);
    }
};

QTEST_GUILESS_MAIN(AppDelegateTest)
#include "tst_appdelegate.moc"
