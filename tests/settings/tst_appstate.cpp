#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

struct Fixture {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};

    std::unique_ptr<AppState> make()
    {
        auto state = std::make_unique<AppState>(platform, platform.openSettings());
        platform.takeCalls();
        return state;
    }
    QVariant stored(const char *key) const
    {
        return QSettings(platform.settingsFile, QSettings::IniFormat).value(QLatin1String(key));
    }
    void writeFile(const QByteArray &bytes) const
    {
        QFile file(platform.settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

} // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private slots:
    // "@" stands for the test's home, which holds the folders Shots and Custom, and whose
    // capture tool saves to @/Tool; "-" for none. A hand-edited or damaged file never breaks
    // loading: the default is used. The folder shown is the first of these that exists: the
    // user's, the system's, the tool's (made at its first capture).
    void loading_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("values"); // autoCopyOnCapture playSound autoDismissSeconds
        const auto row = [](const char *name, const char *ini, const char *system,
                            const char *folder, const char *shown, const char *values = "0 1 7") {
            QTest::newRow(name) << QByteArray(ini) << QString::fromUtf8(system)
                                << QString::fromUtf8(folder) << QString::fromUtf8(shown)
                                << QString::fromUtf8(values);
        };
        row("fresh user: trimmed system location", "", "  @/Shots\n", "@/Shots", "@/Shots");
        row("no system answer", "", "-", "-", "@/Tool");
        row("system folder missing", "", "/nonexistent/Shots\n", "-", "@/Tool");
        row("tilde not expanded", "", "~", "-", "@/Tool");
        row("defaults complaint", "", "The domain/default pair of (x, location) does not exist",
            "-", "@/Tool");
        row("stored folder wins", "orvane_customFolderPath=@/Custom\n", "@/Shots", "@/Custom",
            "@/Custom");
        row("stored folder unchecked", "orvane_customFolderPath=/gone\n", "@/Shots", "/gone",
            "@/Shots");
        row("stored tilde", "orvane_customFolderPath=~/Custom\n", "@/Shots", "~/Custom", "@/Shots");
        row("stored empty folder counts as absent", "orvane_customFolderPath=\n", "@/Shots",
            "@/Shots", "@/Shots");
        row("as written",
            "orvane_autoCopyOnCapture=true\norvane_playSound=false\norvane_autoDismissSeconds=12\n",
            "-", "-", "@/Tool", "1 0 12");
        row("zero taken unchanged", "orvane_autoDismissSeconds=0\n", "-", "-", "@/Tool", "0 1 0");
        row("text where values belong",
            "orvane_autoDismissSeconds=soon\norvane_playSound=yes\norvane_autoCopyOnCapture=1\n",
            "-", "-", "@/Tool");
        row("fraction or list is no integer",
            "orvane_autoDismissSeconds=7.5\norvane_autoCopyOnCapture=a, b\n", "-", "-", "@/Tool");
    }
    void loading()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, system);
        Fixture f;
        QVERIFY(QDir().mkpath(f.home.file(u"Shots"_s)) && QDir().mkpath(f.home.file(u"Custom"_s)));
        if (!ini.isEmpty()) {
            f.writeFile("[General]\n" + ini.replace("@", f.home.path().toUtf8()));
        }
        if (system != u"-"_s) {
            f.platform.systemLocation = system.replace(u"@"_s, f.home.path());
        }
        f.platform.toolFolders = {f.home.file(u"Tool"_s)};
        auto state = f.make();
        QTEST(state->customFolderPath().value_or(u"-"_s).replace(f.home.path(), u"@"_s), "folder");
        QTEST(state->resolvedScreenshotDirectory().replace(f.home.path(), u"@"_s), "shown");
        QTEST(u"%1 %2 %3"_s.arg(int(state->autoCopyOnCapture()))
                  .arg(int(state->playSound()))
                  .arg(state->autoDismissSeconds()),
              "values");
        QVERIFY(!state->isPaused());
        QVERIFY2(!ini.isEmpty() || !QFile::exists(f.platform.settingsFile), "loading wrote");
    }

    // Observers hear of an assignment before the value is stored and the property's own
    // signal once it is stored; equal values count too, and resuming always restarts.
    void reactions()
    {
        Fixture f;
        auto state = f.make();
        test::LogCapture log;
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        QStringList seen;
        connect(state.get(), &AppState::objectWillChange, this,
                [&] { seen << u"will:%1"_s.arg(state->autoDismissSeconds()); });
        connect(state.get(), &AppState::autoDismissSecondsChanged, this, [&] {
            seen << u"did:%1:%2"_s.arg(state->autoDismissSeconds())
                        .arg(f.stored(keys::autoDismissSeconds).toString());
        });
        state->setAutoDismissSeconds(4);
        state->setAutoDismissSeconds(4);
        QCOMPARE(seen, QStringList({u"will:7"_s, u"did:4:4"_s, u"will:4"_s, u"did:4:4"_s}));
        state->setAutoCopyOnCapture(true);
        state->setPlaySound(false);
        QCOMPARE(f.stored(keys::autoCopyOnCapture).toString(), u"true"_s);
        QCOMPARE(f.stored(keys::playSound).toString(), u"false"_s);
        state->setIsPaused(true);
        QCOMPARE(restarts.count(), 0);
        state->setIsPaused(false);
        state->setIsPaused(false);
        QCOMPARE(restarts.count(), 2); // inside the assignment, not later
        const QString timer = u"[Orvane] Timer changed to 4 seconds"_s;
        QCOMPARE(log.lines(), QStringList({timer, timer, u"[Orvane] isPaused changed to: 1"_s,
                                           u"[Orvane] isPaused changed to: 0"_s,
                                           u"[Orvane] isPaused changed to: 0"_s}));
    }

    // A write the system refuses is reported and kept, in memory and for the next write.
    void refusedWriteIsReportedAndKept()
    {
        Fixture f;
        auto state = f.make();
        QFile::remove(f.platform.settingsFile);
        QVERIFY(QDir().mkpath(f.platform.settingsFile)); // a folder where the file belongs
        test::LogCapture log;
        state->setPlaySound(false);
        state->setCustomFolderPath(std::nullopt);
        QVERIFY(state->waitForBackgroundWork(10000));
        QCOMPARE(state->playSound(), false);
        const QString tail =
            u" to "_s + f.platform.settingsFile + u"; the change lasts until Orvane quits."_s;
        QCOMPARE(log.lines().filter(u"Could not save"_s),
                 QStringList({u"[Orvane] Could not save orvane_playSound"_s + tail,
                              u"[Orvane] Could not save orvane_customFolderPath"_s + tail}));

        QVERIFY(QDir().rmdir(f.platform.settingsFile));
        state->setAutoDismissSeconds(4);
        QCOMPARE(f.stored(keys::playSound).toString(), u"false"_s);
        QCOMPARE(f.stored(keys::autoDismissSeconds).toLongLong(), 4);
    }

    // A settings file that cannot be read is left as it is, whatever the user changes.
    void unreadableFileIsNotOverwritten()
    {
        Fixture f;
        const QByteArray unreadable = "[x\nfoo=\"unterminated\n\xff\xfe=\n";
        f.writeFile(unreadable);
        test::LogCapture log;
        auto state = f.make();
        QCOMPARE(log.lines(),
                 QStringList({u"[Orvane] The settings in "_s + f.platform.settingsFile +
                              u" could not be read; defaults are used and changes are not "
                              u"saved, so that the file stays as it is."_s}));
        state->setPlaySound(false);
        state->setAutoDismissSeconds(12);
        QCOMPARE(state->autoDismissSeconds(), 12);
        QFile file(f.platform.settingsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), unreadable);
    }

    void launchAtLoginSwitch_data()
    {
        QTest::addColumn<bool>("value");
        QTest::addColumn<std::optional<QString>>("error");
        QTest::newRow("on") << true << std::optional<QString>();
        QTest::newRow("off") << false << std::optional<QString>();
        QTest::newRow("refused") << true << std::optional(u"Operation not permitted"_s);
    }
    void launchAtLoginSwitch()
    {
        QFETCH(bool, value);
        QFETCH(std::optional<QString>, error);
        Fixture f;
        f.platform.loginItemError = error;
        auto state = f.make();
        test::LogCapture log;
        state->setIsLaunchAtLoginEnabled(value);
        QCOMPARE(state->isLaunchAtLoginEnabled(), value); // kept even when refused
        QCOMPARE(f.platform.takeCalls(),
                 value ? QStringList({u"registerLoginItem"_s, u"installLoginAgent"_s})
                       : QStringList({u"unregisterLoginItem"_s, u"removeLoginAgent"_s}));
        QCOMPARE(log.lines(),
                 error ? QStringList{u"[Orvane] Launch at login toggle error: "_s + *error}
                       : QStringList{});
        // The choice outlives the run, so the next launch leaves the agent alone.
        QCOMPARE(AppState::storedLaunchAtLoginChoice(*f.platform.openSettings()),
                 std::optional(value));
    }

    // The store changes at once; the system location is rewritten in the background, one
    // change after another so that the last one stays, and the watcher restarts after each.
    // The folder shown is kept until the folder is assigned again, even the same folder.
    void folderReaction()
    {
        Fixture f;
        const QString custom = f.home.file(u"Custom"_s);
        QDir().mkpath(custom);
        auto state = f.make();
        test::LogCapture log;
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        state->setCustomFolderPath(custom);
        QCOMPARE(state->resolvedScreenshotDirectory(), custom);
        QVERIFY(QDir(custom).removeRecursively());
        QCOMPARE(state->resolvedScreenshotDirectory(), custom);
        state->setCustomFolderPath(custom);
        QCOMPARE(f.stored(keys::customFolderPath), QVariant(custom));
        QCOMPARE(state->resolvedScreenshotDirectory(),
                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
        state->setCustomFolderPath(u""_s);
        QCOMPARE(f.stored(keys::customFolderPath), QVariant(u""_s));
        state->setCustomFolderPath(std::nullopt);
        QCOMPARE(f.stored(keys::customFolderPath), QVariant());
        QCOMPARE(restarts.count(), 0);
        QStringList written{custom, custom, u""_s, u"<none>"_s};
        for (int i = 0; i < 25; ++i) {
            state->setCustomFolderPath(u"/shots/%1"_s.arg(i));
            written << u"/shots/%1"_s.arg(i);
        }
        QVERIFY(state->waitForBackgroundWork(10000));
        QCOMPARE(f.platform.takeCalls(),
                 written.replaceInStrings(QRegularExpression(u"^"_s),
                                          u"writeSystemScreenshotLocation:"_s));
        QTRY_COMPARE(restarts.count(), 29);
        const QString updated = u"[Orvane] Updated macOS screenshot save location to: "_s + custom;
        const QString reset = u"[Orvane] Reset macOS screenshot save location to default."_s;
        QCOMPARE(log.lines().mid(0, 4), QStringList({updated, updated, reset, reset}));
    }

    // Played in a later turn, never inside the call, with the fallbacks in order; the setting
    // counts as it is at the call.
    void sounds()
    {
        Fixture f;
        auto state = f.make();
        state->playFeedbackSound(u"Sosumi"_s);
        QCOMPARE(f.platform.takeCalls(), QStringList());
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"playSystemSound:Sosumi"_s, u"playSystemSound:Pop"_s}));

        f.platform.availableSounds = {};
        state->playFeedbackSound(u"Basso"_s);
        state->setPlaySound(false);
        state->playFeedbackSound(u"Tink"_s);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"playSystemSound:Basso"_s, u"playSystemSound:Pop"_s,
                              u"playSystemSound:Tink"_s}));
    }

    void displayPaths()
    {
        QCOMPARE(displayPath(u"/home/ann/Desktop"_s, u"/home/ann/"_s), u"~/Desktop"_s);
        QCOMPARE(displayPath(u"/home/ann"_s, u"/home/ann"_s), u"~"_s);
        QCOMPARE(displayPath(u"/home/anna/Shots"_s, u"/home/ann"_s), u"/home/anna/Shots"_s);
        QCOMPARE(displayPath(u"/home/ann/x/home/ann"_s, u"/home/ann"_s), u"~/x/home/ann"_s);
        QCOMPARE(displayPath(u"/srv/shots"_s, u"/"_s), u"/srv/shots"_s); // no tildes everywhere
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "tst_appstate.moc"
