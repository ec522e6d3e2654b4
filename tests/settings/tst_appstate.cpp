#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "FakeTools.h"

#include "platform/macos/MacPlatform.h"
#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)

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
    void store(const char *key, const QVariant &value)
    {
        QSettings(platform.settingsFile, QSettings::IniFormat).setValue(QLatin1String(key), value);
    }
};

} // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private slots:
    void freshUserAdoptsTheSystemLocationWithoutWriting()
    {
        Fixture f;
        QVERIFY(QDir().mkpath(f.home.file(u"Shots"_s)));
        f.platform.systemLocation = u"  "_s + f.home.file(u"Shots"_s) + u"\n"_s;
        auto state = f.make();
        QCOMPARE(state->customFolderPath(), std::optional(f.home.file(u"Shots"_s)));
        QCOMPARE(state->autoCopyOnCapture(), false);
        QCOMPARE(state->playSound(), true);
        QCOMPARE(state->autoDismissSeconds(), 7);
        QCOMPARE(state->isPaused(), false);
        QVERIFY2(!QFile::exists(f.platform.settingsFile), "loading wrote the settings");
    }

    void systemLocationNotTaken_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("no answer") << std::optional<QString>();
        QTest::newRow("empty") << std::optional(u"\n"_s);
        QTest::newRow("missing folder") << std::optional(u"/nonexistent/Shots\n"_s);
        QTest::newRow("tilde not expanded") << std::optional(u"~"_s);
        QTest::newRow("defaults complaint")
            << std::optional(u"The domain/default pair of (x, location) does not exist"_s);
    }
    void systemLocationNotTaken()
    {
        QFETCH(std::optional<QString>, answer);
        Fixture f;
        f.platform.systemLocation = answer;
        QCOMPARE(f.make()->customFolderPath(), std::nullopt);
    }

    void storedFolderWinsAndIsNotChecked()
    {
        Fixture f;
        f.store(keys::customFolderPath, u"/gone/folder"_s);
        f.platform.systemLocation = QDir::tempPath();
        auto state = f.make();
        QCOMPARE(state->customFolderPath(), std::optional(u"/gone/folder"_s));
    }

    void storedEmptyFolderCountsAsAbsent()
    {
        Fixture f;
        f.store(keys::customFolderPath, u""_s);
        f.platform.systemLocation = QDir::tempPath();
        QCOMPARE(f.make()->customFolderPath(), std::optional(QDir::tempPath()));
    }

    // A hand-edited or damaged settings file never breaks loading: the default is used.
    void storedTypes_data()
    {
        QTest::addColumn<QByteArray>("iniLines");
        QTest::addColumn<bool>("autoCopy");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("as written")
            << QByteArray("orvane_autoCopyOnCapture=true\norvane_playSound=false\n"
                          "orvane_autoDismissSeconds=12\n")
            << true << false << qint64(12);
        // Only the times the menu and the preferences offer: 0 would close every card at once.
        QTest::newRow("zero") << QByteArray("orvane_autoDismissSeconds=0\n") << false << true
                              << qint64(7);
        QTest::newRow("negative") << QByteArray("orvane_autoDismissSeconds=-3\n") << false << true
                                  << qint64(7);
        QTest::newRow("a time not on offer")
            << QByteArray("orvane_autoDismissSeconds=60\n") << false << true << qint64(7);
        QTest::newRow("the shortest on offer")
            << QByteArray("orvane_autoDismissSeconds=4\n") << false << true << qint64(4);
        QTest::newRow("text where numbers belong")
            << QByteArray("orvane_autoDismissSeconds=soon\norvane_playSound=yes\n"
                          "orvane_autoCopyOnCapture=1\n")
            << false << true << qint64(7);
        QTest::newRow("fraction is no integer")
            << QByteArray("orvane_autoDismissSeconds=7.5\n") << false << true << qint64(7);
        QTest::newRow("list is no boolean")
            << QByteArray("orvane_autoCopyOnCapture=a, b\norvane_autoDismissSeconds=4, 7\n")
            << false << true << qint64(7);
    }
    void storedTypes()
    {
        QFETCH(QByteArray, iniLines);
        QFETCH(bool, autoCopy);
        QFETCH(bool, sound);
        QFETCH(qint64, seconds);
        Fixture f;
        QFile file(f.platform.settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\n" + iniLines);
        file.close();
        auto state = f.make();
        QCOMPARE(state->autoCopyOnCapture(), autoCopy);
        QCOMPARE(state->playSound(), sound);
        QCOMPARE(state->autoDismissSeconds(), seconds);
    }

    // The user defaults keep types: there text never stands for a switch or a number, while
    // what the program stored itself reads back unchanged.
    void macStoreIsTyped_data()
    {
        QTest::addColumn<QVariant>("sound");
        QTest::addColumn<QVariant>("seconds");
        QTest::addColumn<bool>("expectedSound");
        QTest::addColumn<qint64>("expectedSeconds");
        QTest::newRow("typed") << QVariant(false) << QVariant(12) << false << qint64(12);
        QTest::newRow("text that spells the value")
            << QVariant(u"false"_s) << QVariant(u"12"_s) << true << qint64(7);
        QTest::newRow("a number where a switch belongs")
            << QVariant(0) << QVariant(12.5) << true << qint64(7);
    }
    void macStoreIsTyped()
    {
        QFETCH(QVariant, sound);
        QFETCH(QVariant, seconds);
        QFETCH(bool, expectedSound);
        QFETCH(qint64, expectedSeconds);
        Fixture f;
        test::FakeTools tools;
        MacPlatform mac({});
        {
            const auto store = mac.openSettings();
            store->setValue(QLatin1String(keys::playSound), sound);
            store->setValue(QLatin1String(keys::autoDismissSeconds), seconds);
        }
        {
            AppState state(mac, mac.openSettings());
            QCOMPARE(state.playSound(), expectedSound);
            QCOMPARE(state.autoDismissSeconds(), expectedSeconds);
            state.setAutoCopyOnCapture(true);
        }
        AppState reloaded(mac, mac.openSettings());
        QCOMPARE(reloaded.autoCopyOnCapture(), true);
        QCOMPARE(AppState::storedLaunchAtLoginChoice(*mac.openSettings()), std::nullopt);
    }

    void launchAtLoginMirrorsTheService()
    {
        Fixture f;
        f.platform.loginItemEnabled = true;
        QVERIFY(f.make()->isLaunchAtLoginEnabled());
        f.platform.loginItemEnabled = false;
        QVERIFY(!f.make()->isLaunchAtLoginEnabled());
    }

    // Observers hear of an assignment before the value is stored, reactions get the new value,
    // and the property's own signal follows once it is stored; equal values count too.
    void notificationOrder()
    {
        Fixture f;
        auto state = f.make();
        QStringList seen;
        connect(state.get(), &AppState::objectWillChange, this,
                [&] { seen << u"will:%1"_s.arg(state->autoDismissSeconds()); });
        connect(state.get(), &AppState::autoDismissSecondsChanged, this, [&] {
            seen << u"did:%1:stored=%2"_s.arg(state->autoDismissSeconds())
                        .arg(f.stored(keys::autoDismissSeconds).toString());
        });
        state->setAutoDismissSeconds(12);
        state->setAutoDismissSeconds(12);
        QCOMPARE(seen, QStringList({u"will:7"_s, u"did:12:stored=12"_s, u"will:12"_s,
                                    u"did:12:stored=12"_s}));
    }

    void simpleReactions()
    {
        Fixture f;
        auto state = f.make();
        test::LogCapture log;
        state->setAutoCopyOnCapture(true);
        state->setPlaySound(false);
        QCOMPARE(log.lines(), QStringList());
        state->setAutoDismissSeconds(4);
        QCOMPARE(log.lines(), QStringList({u"[Orvane] Timer changed to 4 seconds"_s}));
        QCOMPARE(f.stored(keys::autoCopyOnCapture).toString(), u"true"_s);
        QCOMPARE(f.stored(keys::playSound).toString(), u"false"_s);
        QCOMPARE(f.stored(keys::autoDismissSeconds).toLongLong(), 4);
        // And the next run reads them back.
        auto next = f.make();
        QCOMPARE(next->autoCopyOnCapture(), true);
        QCOMPARE(next->playSound(), false);
        QCOMPARE(next->autoDismissSeconds(), 4);
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
        log.clear();
        state->setAutoDismissSeconds(4);
        QCOMPARE(log.lines(), QStringList({u"[Orvane] Timer changed to 4 seconds"_s}));
        QCOMPARE(f.stored(keys::playSound).toString(), u"false"_s);
        QCOMPARE(f.stored(keys::autoDismissSeconds).toLongLong(), 4);
    }

    // A settings file that cannot be read is left as it is, whatever the user changes.
    void unreadableFileIsNotOverwritten()
    {
        Fixture f;
        const QByteArray unreadable = "[x\nfoo=\"unterminated\n\xff\xfe=\n";
        QFile file(f.platform.settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(unreadable);
        file.close();
        test::LogCapture log;
        auto state = f.make();
        QCOMPARE(log.lines(),
                 QStringList({u"[Orvane] The settings in "_s + f.platform.settingsFile +
                              u" could not be read; defaults are used and changes are not "
                              u"saved, so that the file stays as it is."_s}));
        state->setPlaySound(false);
        state->setAutoDismissSeconds(12);
        QCOMPARE(state->playSound(), false);
        QCOMPARE(state->autoDismissSeconds(), 12);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), unreadable);
    }

    void pauseAndResume()
    {
        Fixture f;
        auto state = f.make();
        test::LogCapture log;
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        state->setIsPaused(true);
        QCOMPARE(restarts.count(), 0);
        state->setIsPaused(false);
        QCOMPARE(restarts.count(), 1); // inside the assignment, not later
        state->setIsPaused(false);
        QCOMPARE(restarts.count(), 2);
        QCOMPARE(log.lines(), QStringList({u"[Orvane] isPaused changed to: 1"_s,
                                           u"[Orvane] isPaused changed to: 0"_s,
                                           u"[Orvane] isPaused changed to: 0"_s}));
        QVERIFY(!QFile::exists(f.platform.settingsFile));
    }

    void launchAtLoginSwitch_data()
    {
        QTest::addColumn<bool>("value");
        QTest::addColumn<std::optional<QString>>("error");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("on") << true << std::optional<QString>()
                            << QStringList{u"registerLoginItem"_s, u"installLoginAgent"_s};
        QTest::newRow("off") << false << std::optional<QString>()
                             << QStringList{u"unregisterLoginItem"_s, u"removeLoginAgent"_s};
        QTest::newRow("refused") << true << std::optional(u"Operation not permitted"_s)
                                 << QStringList{u"registerLoginItem"_s, u"installLoginAgent"_s};
    }
    void launchAtLoginSwitch()
    {
        QFETCH(bool, value);
        QFETCH(std::optional<QString>, error);
        QFETCH(QStringList, calls);
        Fixture f;
        f.platform.loginItemError = error;
        auto state = f.make();
        test::LogCapture log;
        state->setIsLaunchAtLoginEnabled(value);
        QCOMPARE(state->isLaunchAtLoginEnabled(), value); // kept even when refused
        QCOMPARE(f.platform.takeCalls(), calls);
        QCOMPARE(log.lines(),
                 error ? QStringList{u"[Orvane] Launch at login toggle error: "_s + *error}
                       : QStringList{});
        // The choice outlives the run, so the next launch leaves the agent alone.
        QCOMPARE(AppState::storedLaunchAtLoginChoice(*f.platform.openSettings()),
                 std::optional(value));
    }

    void launchAtLoginChoiceUnset()
    {
        Fixture f;
        QCOMPARE(AppState::storedLaunchAtLoginChoice(*f.platform.openSettings()), std::nullopt);
        f.store(keys::launchAtLogin, u"maybe"_s);
        QCOMPARE(AppState::storedLaunchAtLoginChoice(*f.platform.openSettings()), std::nullopt);
    }

    void folderReaction_data()
    {
        QTest::addColumn<std::optional<QString>>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("logLine");
        const QString reset = u"[Orvane] Reset macOS screenshot save location to default."_s;
        QTest::newRow("folder")
            << std::optional(u"/Users/ann/Shots"_s) << QVariant(u"/Users/ann/Shots"_s)
            << u"writeSystemScreenshotLocation:/Users/ann/Shots"_s
            << u"[Orvane] Updated macOS screenshot save location to: /Users/ann/Shots"_s;
        QTest::newRow("empty string is stored, location reset")
            << std::optional(u""_s) << QVariant(u""_s) << u"writeSystemScreenshotLocation:"_s
            << reset;
        QTest::newRow("none removes the key") << std::optional<QString>() << QVariant()
                                              << u"writeSystemScreenshotLocation:<none>"_s << reset;
    }
    void folderReaction()
    {
        QFETCH(std::optional<QString>, value);
        QFETCH(QVariant, stored);
        QFETCH(QString, written);
        QFETCH(QString, logLine);
        Fixture f;
        f.store(keys::customFolderPath, u"/old"_s);
        auto state = f.make();
        test::LogCapture log;
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        state->setCustomFolderPath(value);
        QCOMPARE(f.stored(keys::customFolderPath), stored);
        QCOMPARE(restarts.count(), 0); // the restart comes back later, on the main thread
        QVERIFY(restarts.wait(5000));
        QCOMPARE(f.platform.takeCalls(), QStringList{written});
        QCOMPARE(log.lines(), QStringList{logLine});
    }

    // Folder changes reach the system one after another, so the last one is what stays.
    void lastFolderAssignmentWins()
    {
        Fixture f;
        auto state = f.make();
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        QStringList expected;
        for (int i = 0; i < 25; ++i) {
            const QString path = u"/shots/%1"_s.arg(i);
            state->setCustomFolderPath(path);
            expected << u"writeSystemScreenshotLocation:"_s + path;
        }
        state->waitForBackgroundWork();
        QCOMPARE(f.platform.takeCalls(), expected);
        QTRY_COMPARE(restarts.count(), 25);
        QCOMPARE(f.stored(keys::customFolderPath).toString(), u"/shots/24"_s);
    }

    void sounds()
    {
        Fixture f;
        auto state = f.make();
        state->playFeedbackSound(u"Tink"_s);
        QCOMPARE(f.platform.takeCalls(), QStringList()); // never inside the call
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(), QStringList{u"playSystemSound:Tink"_s});

        state->playFeedbackSound(u"Sosumi"_s);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"playSystemSound:Sosumi"_s, u"playSystemSound:Pop"_s}));

        f.platform.availableSounds = {};
        state->playFeedbackSound(u"Sosumi"_s);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"playSystemSound:Sosumi"_s, u"playSystemSound:Pop"_s,
                              u"playSystemSound:Tink"_s}));
    }

    void soundSettingIsReadAtTheCall()
    {
        Fixture f;
        auto state = f.make();
        state->setPlaySound(false);
        state->playFeedbackSound(u"Tink"_s);
        state->setPlaySound(true);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(), QStringList()); // nothing queued, nothing replayed

        state->playFeedbackSound(u"Basso"_s);
        state->setPlaySound(false);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(), QStringList{u"playSystemSound:Basso"_s});
    }

    void resolvedFolder_data()
    {
        QTest::addColumn<QString>("custom");    // relative to home; "-" for none
        QTest::addColumn<QString>("system");    // what the system says, relative to home
        QTest::addColumn<QStringList>("tools"); // where the capture tools save, relative to home
        QTest::addColumn<QString>("expected");  // relative to home
        const QStringList none;
        const QStringList tools = {u"Pictures/Screenshots"_s, u"Pictures"_s};
        QTest::newRow("existing custom folder wins")
            << u"Custom"_s << u"System"_s << tools << u"Custom"_s;
        QTest::newRow("missing custom folder") << u"Gone"_s << u"System"_s << tools << u"System"_s;
        QTest::newRow("tilde is not expanded")
            << u"~/Custom"_s << u"System"_s << none << u"System"_s;
        QTest::newRow("no custom folder") << u"-"_s << u"System"_s << tools << u"System"_s;
        QTest::newRow("system path with a line end")
            << u"-"_s << u"System\n"_s << none << u"System"_s;
        QTest::newRow("the tools' first folder, not there yet")
            << u"-"_s << u"Gone"_s << tools << u"Pictures/Screenshots"_s;
        QTest::newRow("nothing usable: the desktop")
            << u"Gone"_s << u"Gone too"_s << none << u"Desktop"_s;
        QTest::newRow("a file is accepted as it stands")
            << u"file.txt"_s << u"System"_s << none << u"file.txt"_s;
    }
    void resolvedFolder()
    {
        QFETCH(QString, custom);
        QFETCH(QString, system);
        QFETCH(QStringList, tools);
        QFETCH(QString, expected);
        Fixture f;
        QDir home(f.home.path());
        home.mkpath(u"Custom"_s);
        home.mkpath(u"System"_s);
        home.mkpath(u"Pictures"_s);
        QFile(home.filePath(u"file.txt"_s)).open(QIODevice::WriteOnly);
        if (custom != u"-"_s) {
            f.store(keys::customFolderPath,
                    custom.startsWith(u'~') ? custom : home.filePath(custom));
        }
        f.platform.systemLocation = home.filePath(system).replace(u"\\n"_s, u"\n"_s);
        for (const QString &folder : tools) {
            f.platform.toolFolders << home.filePath(folder);
        }
        auto state = f.make();
        QCOMPARE(state->resolvedScreenshotDirectory(),
                 expected == u"Desktop"_s
                     ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                     : home.filePath(expected));
        // Whatever the answer, the tools' folders stay watched, and are never the user's own.
        QCOMPARE(state->screenshotToolFolders(), f.platform.toolFolders);
        if (custom == u"-"_s && system.startsWith(u"Gone"_s)) {
            QCOMPARE(state->customFolderPath(), std::nullopt);
        }
    }

    void displayPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("shown");
        QTest::newRow("inside home")
            << u"/Users/ann/Desktop"_s << u"/Users/ann"_s << u"~/Desktop"_s;
        QTest::newRow("home itself") << u"/Users/ann"_s << u"/Users/ann"_s << u"~"_s;
        QTest::newRow("other volume")
            << u"/Volumes/Shots/2024"_s << u"/Users/ann"_s << u"/Volumes/Shots/2024"_s;
        QTest::newRow("neighbour sharing the prefix")
            << u"/Users/anna/Shots"_s << u"/Users/ann"_s << u"/Users/anna/Shots"_s;
        QTest::newRow("home named again inside")
            << u"/Users/ann/copy/Users/ann"_s << u"/Users/ann"_s << u"~/copy/Users/ann"_s;
        QTest::newRow("home with trailing slash")
            << u"/home/ann/Pictures"_s << u"/home/ann/"_s << u"~/Pictures"_s;
        QTest::newRow("root as home") << u"/srv/shots"_s << u"/"_s << u"/srv/shots"_s;
    }
    void displayPaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, home);
        QFETCH(QString, shown);
        QCOMPARE(displayPath(folder, home), shown);
    }

    // The answer is kept until the folder is assigned again, even the same folder.
    void resolvedFolderIsCached()
    {
        Fixture f;
        const QString custom = f.home.file(u"Custom"_s);
        QDir().mkpath(custom);
        f.store(keys::customFolderPath, custom);
        auto state = f.make();
        QCOMPARE(state->resolvedScreenshotDirectory(), custom);
        QVERIFY(QDir(custom).removeRecursively());
        QCOMPARE(state->resolvedScreenshotDirectory(), custom);
        QCOMPARE(f.platform.takeCalls(), QStringList()); // no second look

        QString seenByObservers;
        connect(state.get(), &AppState::resolvedScreenshotDirectoryChanged, this,
                [&] { seenByObservers = state->resolvedScreenshotDirectory(); });
        state->setCustomFolderPath(custom);
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(seenByObservers, desktop); // computed afresh, from the stored value
        state->waitForBackgroundWork();
    }

    // The macOS behaviour against stand-ins for its tools: the system location is read at
    // start-up and written (and reset) with the exact path, whatever it holds.
    void macSystemLocation()
    {
        Fixture f;
        test::FakeTools tools;
        const QString adopted = f.home.file(u"Shots \"$x\""_s);
        QDir().mkpath(adopted);
        tools.setReadOutput(adopted.toUtf8() + "\n");
        MacPlatform mac({});
        AppState state(mac, f.platform.openSettings());
        QCOMPARE(state.customFolderPath(), std::optional(adopted));

        const QString hostile = u"/Users/ann/My `Shots` $HOME \"q\" \\ é"_s;
        state.setCustomFolderPath(hostile);
        state.setCustomFolderPath(std::nullopt);
        state.waitForBackgroundWork();
        const QList<QStringList> expected = {
            {u"defaults"_s, u"read"_s, u"com.apple.screencapture"_s, u"location"_s},
            {u"defaults"_s, u"write"_s, u"com.apple.screencapture"_s, u"location"_s, hostile},
            {u"killall"_s, u"SystemUIServer"_s},
            {u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s, u"location"_s},
            {u"killall"_s, u"SystemUIServer"_s},
        };
        QCOMPARE(tools.calls(), expected);
    }

    // QML sees the instance main gave it, both ways: a change made in C++ updates bindings, and
    // an assignment from QML runs the reaction like any other.
    void sharedInstanceInQml()
    {
        Fixture f;
        AppState state(f.platform, f.platform.openSettings());
        AppState::setQmlInstance(&state);
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQml\nimport Orvane.Settings\nQtObject {\n"
                          "  property var seconds: AppState.autoDismissSeconds\n"
                          "  property bool custom: AppState.customFolderPath !== null\n"
                          "  function pause() { AppState.isPaused = true }\n}",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("seconds").toLongLong(), 7);
        QCOMPARE(object->property("custom").toBool(), false);

        state.setAutoDismissSeconds(12);
        QCOMPARE(object->property("seconds").toLongLong(), 12);
        QMetaObject::invokeMethod(object.get(), "pause");
        QVERIFY(state.isPaused());
        state.setCustomFolderPath(u""_s);
        QCOMPARE(object->property("custom").toBool(), true);
        state.waitForBackgroundWork();
        AppState::setQmlInstance(nullptr);
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "tst_appstate.moc"
