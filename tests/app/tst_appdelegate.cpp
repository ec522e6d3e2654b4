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

// A launch: its arguments, whether the preferences open and the sound plays, the choice stored
// before and after it (none: unset), the desktop's entry and whether Orvane writes one; the
// settings file's own bytes, when it is one the settings leave as it is.
struct Launch {
    const char *tag;
    QString arguments;
    bool preferences, sound;
    std::optional<bool> choice;
    LoginEntry entry;
    bool written;
    std::optional<bool> after;
    QByteArray bytes = {};
};
const std::optional<bool> none;
const Launch launches[] = {
    {"first launch", u""_s, true, true, none, LoginEntry::Absent, true, true},
    {"entry in use, sounds off", u""_s, true, false, true, LoginEntry::Enabled, true, true},
    {"--background; hidden by the desktop", u"--background"_s, false, true, true,
     LoginEntry::SwitchedOff, false, false},
    {"-background, not first; hidden before any choice", u"--simulate-capture -background"_s, false,
     true, none, LoginEntry::SwitchedOff, false, false},
    {"a word 'background'; removed in the startup settings", u"background"_s, true, true, true,
     LoginEntry::Absent, false, false},
    {"switched off in Orvane", u""_s, true, true, false, LoginEntry::Absent, false, false},
    {"login item registered at every launch (macOS)", u""_s, true, true, none,
     LoginEntry::Unmanaged, true, none},
    // No entry and no first-launch mark that a later installed copy would misread.
    {"a build in a build folder", u"--refused"_s, true, true, none, LoginEntry::Absent, false,
     none},
    {"first launch, a file the settings leave as it is", u"--background"_s, false, false, none,
     LoginEntry::Absent, true, true, "# mine\n[General]\norvane_playSound=false\n[Broken\n\xfc\n"},
};

} // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private slots:
    // What a start answers by itself, before anything runs.
    void commandLine()
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
            // The help is checked by one of its lines; every other answer in full.
            QVERIFY2(answer.text == says || (code == 0 && answer.text.contains(says)),
                     qPrintable(arguments + u": "_s + answer.text));
        }
    }

    // The login entry is read back before anything shows the settings; the preferences open
    // unless in the background; the sound plays from the loop. The desktop's startup settings
    // outrank the stored choice: an entry hidden or deleted there is left so, the switch off.
    // A first launch writes it, through the settings loaded: a file they leave as it is stays
    // byte for byte. Every reopen shows the preferences; quitting cleans up once.
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
        const auto &[tag, arguments, preferences, sound, choice, entry, written, after, bytes] =
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

        QStringList expected;
        if (choice != false && !refused) {
            expected << u"readLoginEntry"_s;
        }
        if (written) {
            expected << u"installLoginAgent"_s << u"registerLoginItem"_s << u"isLoginItemEnabled"_s;
        }
        expected << u"createStatusBar"_s << u"startWatcher"_s;
        if (preferences) {
            expected << u"showPreferences"_s;
        }
        QCOMPARE(platform.takeCalls(), expected);
        QCOMPARE(state.isLaunchAtLoginEnabled(), written);
        QCOMPARE(state.storedLaunchAtLoginChoice(), after);
        QStringList lines{u"[Orvane] Application did finish launching."_s};
        if (refused) {
            lines << u"[Orvane] No login entry is written: a build"_s;
        } else if (choice != false && !written) {
            lines << u"[Orvane] Launch at login stays off: it was switched off in the desktop's "
                     u"startup settings."_s;
        }
        QCOMPARE(log.lines(), lines);
        QCoreApplication::processEvents();
        QCOMPARE(platform.takeCalls(),
                 sound ? QStringList{u"playSystemSound:Tink"_s} : QStringList());

        QVERIFY(delegate.applicationShouldHandleReopen(true));
        QVERIFY(delegate.applicationShouldHandleReopen(false));
        delegate.applicationWillTerminate();
        delegate.applicationWillTerminate();
        QCOMPARE(platform.takeCalls(),
                 QStringList({u"showPreferences"_s, u"showPreferences"_s, u"stopWatcher"_s,
                              u"resetScreenshotThumbnail"_s}));
        QCOMPARE(log.lines().count(
                     u"[Orvane] applicationShouldHandleReopen called -> opening Preferences."_s),
                 2);
        if (bytes.isEmpty()) {
            QCOMPARE(AppState::storedLaunchAtLoginChoice(*platform.openSettings()), after);
        } else {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
    }

    // The override picks the platform in any letter case (its refusal: card_on_desktops.py).
    void platformChoiceIgnoresCase()
    {
        TestHome home;
        for (const QString &value : {u""_s, u"LINUX"_s, u"macOS"_s}) {
            home.set("ORVANE_PLATFORM", value);
            QCOMPARE(unknownPlatformChoice(), std::nullopt);
        }
        QCOMPARE(createPlatform({})->kind(), PlatformKind::MacOS);
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
        const QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.size(), 5);
        QCOMPARE(calls.at(1).mid(0, 2), QStringList({u"defaults"_s, u"write"_s}));
        QCOMPARE(calls.at(2), QStringList({u"killall"_s, u"SystemUIServer"_s}));
        QCOMPARE(calls.at(3), QStringList({u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                           u"show-thumbnail"_s}));
    }

    // Without a runtime folder the lock and socket go into a private folder of the user's own in
    // the temporary folder, else the cache folder; both refused, Orvane runs unguarded and says
    // so once.
    void singleInstanceFolderIsPrivate_data()
    {
        QTest::addColumn<QString>("planted"); // at the temporary folder's place
        QTest::addColumn<QString>("taken");   // none: neither
        QTest::newRow("none there: created") << u""_s << u"tmp"_s;
        QTest::newRow("private one from an earlier run") << u"0700"_s << u"tmp"_s;
        QTest::newRow("open to the group") << u"0750"_s << u".cache"_s;
        QTest::newRow("another user's") << u"other"_s << u".cache"_s;
        QTest::newRow("a link to a private folder") << u"link"_s << u".cache"_s;
        QTest::newRow("open to all, the cache's too") << u"0777"_s << QString();
    }
    void singleInstanceFolderIsPrivate()
    {
        QFETCH(QString, planted);
        QFETCH(QString, taken);
        TestHome home;
        LogCapture log;
        QVERIFY(QDir().mkpath(home.file(u"tmp"_s)));
        home.set("TMPDIR", home.file(u"tmp"_s));
        home.set("XDG_RUNTIME_DIR", std::nullopt);
        const QString user = QString::number(::geteuid());
        const QString ours = home.file(u"tmp/orvane-"_s + user);
        const QString cache = home.file(u".cache/orvane-runtime-"_s + user);
        const QStringList made = planted.isEmpty() || planted == u"link"_s ? QStringList()
                                 : planted == u"0777"_s ? QStringList{ours, cache}
                                                        : QStringList{ours};
        if (planted == u"link"_s) {
            QVERIFY(::mkdir(QFile::encodeName(home.file(u"elsewhere"_s)).constData(), 0700) == 0);
            QVERIFY(QFile::link(home.file(u"elsewhere"_s), ours));
        }
        for (const QString &folder : made) {
            QVERIFY(::mkdir(QFile::encodeName(folder).constData(), 0700) == 0);
            const uint mode = planted.toUInt(nullptr, 8); // another user's: private
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode ? mode : 0700) == 0);
        }
        if (planted == u"other"_s) {
            if (::geteuid() != 0) {
                QSKIP("only root can give a folder to another user");
            }
            QVERIFY(::chown(QFile::encodeName(ours).constData(), 65534, 65534) == 0);
        }

        const mode_t savedMask = ::umask(0);
        SingleInstance first;
        QVERIFY(first.claim());
        ::umask(savedMask);
        const QString folder = first.folder();
        QCOMPARE(folder, taken.isEmpty() ? QString() : taken == u"tmp"_s ? ours : cache);
        QCOMPARE(first.folder(), folder);
        QCOMPARE(log.lines().size(), taken == u"tmp"_s ? 0 : 1);
        if (taken.isEmpty()) {
            QVERIFY(!first.sendReopen(100));
            QVERIFY2(log.lines().first().endsWith(u"instead."_s) &&
                         log.lines().first().contains(u"using none ("_s),
                     qPrintable(log.lines().first()));
            return;
        }
        struct stat info = {};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &info) == 0);
        QCOMPARE(info.st_mode & (S_IFMT | 0777), mode_t(S_IFDIR | 0700));
        const auto privateFile =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(folder + u"/orvane.lock"_s), privateFile);
        QCOMPARE(QFile::permissions(first.socketPath()), privateFile);
        QVERIFY(QDir(home.file(u"elsewhere"_s)).isEmpty());

        // A second start finds the same folder, and the first.
        SingleInstance second;
        QVERIFY(!second.claim());
        QCOMPARE(second.folder(), folder);
        QSignalSpy reopened(&first, &SingleInstance::reopenRequested);
        QVERIFY(second.sendReopen(10000));
        QVERIFY(reopened.wait(10000));
    }

    // A crashed run's socket is taken over. Idle connections are capped and dropped (the
    // descriptors are kept for watches and decodes), a line never ended is cut off, and a real
    // request still gets through.
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
            return QDir(u"/proc/self/fd"_s)
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                .size();
        };
        const qsizetype before = descriptors();
        constexpr int flooding = 100;
        std::vector<std::unique_ptr<QLocalSocket>> flood;
        for (int i = 0; i < flooding; ++i) {
            flood.push_back(std::make_unique<QLocalSocket>());
            flood.back()->connectToServer(instance.socketPath());
            QVERIFY(flood.back()->waitForConnected(10000));
        }
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(); // every one accepted
        }
        QVERIFY2(descriptors() - before <= flooding + SingleInstance::maxClients + 4,
                 qPrintable(QString::number(descriptors() - before)));
        QVERIFY(reopen());
        for (const auto &socket : flood) {
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 10000);
        }

        // A line too long, ended or never, and what follows it never counts.
        const QByteArray tooLong(SingleInstance::maxRequestBytes, 'x');
        for (const QByteArray &junk :
             {QByteArray(1024 * 1024, 'x'), QByteArray(tooLong + "\nreopen\n")}) {
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
