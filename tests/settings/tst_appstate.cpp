#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
};

} // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private slots:
    // the file | the system's answer ("-": none) | folder stored | shown | copy sound seconds;
    // "@": the home, with Shots and Custom; @/Tool the capture tool's. Damage gives defaults; shown
    // is the first that exists of the user's, the system's, the tool's folder.
    void loading_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("fresh user: trimmed system location")
            << u"|  @/Shots\n|@/Shots|@/Shots|0 1 7"_s;
        QTest::newRow("no system answer") << u"|-|-|@/Tool|0 1 7"_s;
        QTest::newRow("system folder missing; tilde not expanded") << u"|~|-|@/Tool|0 1 7"_s;
        QTest::newRow("stored folder wins; values as written, zero too")
            << u"orvane_customFolderPath=@/Custom\norvane_autoCopyOnCapture=true\n"
               u"orvane_playSound=false\norvane_autoDismissSeconds=0|@/Shots|@/Custom|@/Custom|"
               u"1 0 0"_s;
        QTest::newRow("stored folder unchecked, tilde kept")
            << u"orvane_customFolderPath=~/Custom|@/Shots|~/Custom|@/Shots|0 1 7"_s;
        QTest::newRow("stored empty folder counts as absent; fraction or text for values")
            << u"orvane_customFolderPath=\norvane_autoDismissSeconds=12.5\norvane_playSound=yes\n"
               u"orvane_autoCopyOnCapture=1|@/Shots|@/Shots|@/Shots|0 1 7"_s;
        QTest::newRow("reset away from this system folder: not taken on again")
            << u"orvane_declinedSystemLocation=@/Shots|@/Shots|-|@/Shots|0 1 7"_s;
        QTest::newRow("reset away from another: this one taken on")
            << u"orvane_declinedSystemLocation=@/Other|@/Shots|@/Shots|@/Shots|0 1 7"_s;
    }
    void loading()
    {
        QFETCH(QString, row);
        Fixture f;
        const QStringList c = row.replace(u'@', f.home.path()).split(u'|');
        QVERIFY(QDir().mkpath(f.home.file(u"Shots"_s)) && QDir().mkpath(f.home.file(u"Custom"_s)));
        if (!c[0].isEmpty()) {
            f.writeFile("[General]\n" + c[0].toUtf8() + '\n');
        }
        f.platform.systemLocation = c[1] == u"-"_s ? std::nullopt : std::optional(c[1]);
        f.platform.toolFolders = {f.home.file(u"Tool"_s)};
        auto state = f.make();
        QCOMPARE(state->customFolderPath().value_or(u"-"_s), c[2]);
        QCOMPARE(state->resolvedScreenshotDirectory(), c[3]);
        QCOMPARE(u"%1 %2 %3"_s.arg(int(state->autoCopyOnCapture()))
                     .arg(int(state->playSound()))
                     .arg(state->autoDismissSeconds()),
                 c[4]);
        QVERIFY2(!c[0].isEmpty() || !QFile::exists(f.platform.settingsFile), "loading wrote");
    }

    // Markup's application is kept as a desktop entry's id; anything else is none, never used.
    void markupApplication_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("an id") << QByteArray("org.kde.kolourpaint.desktop")
                               << u"org.kde.kolourpaint.desktop"_s;
        for (const char *bad :
             {"../../usr/share/applications/gimp.desktop", "gimp", "-x.desktop",
              "\"$(id).desktop\"", "a.desktop, b.desktop", "@Variant(\\0\\0\\0\\x2)"}) {
            QTest::newRow(bad) << QByteArray(bad) << QString();
        }
        QTest::newRow("too long") << QByteArray(300, 'a') + ".desktop" << QString();
    }
    void markupApplication()
    {
        QFETCH(QByteArray, stored);
        Fixture f;
        f.writeFile("[General]\norvane_markupApplication=" + stored + '\n');
        auto state = f.make();
        QTEST(state->markupApplication(), "loaded");
        state->setMarkupApplication(u"pinta.desktop"_s);
        QCOMPARE(f.stored(keys::markupApplication), QVariant(u"pinta.desktop"_s));
        state->setMarkupApplication(u"../pinta.desktop"_s);
        QCOMPARE(state->markupApplication(), QString());
        QVERIFY(!f.stored(keys::markupApplication).isValid());
    }

    // Resuming restarts, even when not paused. The login choice is stored even when refused.
    // Sounds play a turn later, fallbacks in order, if on at the call.
    void assignments()
    {
        Fixture f;
        auto state = f.make();
        test::LogCapture log;
        QSignalSpy restarts(state.get(), &AppState::watcherRestartRequested);
        state->setIsPaused(true);
        QCOMPARE(restarts.count(), 0);
        state->setIsPaused(false);
        state->setIsPaused(false);
        QCOMPARE(restarts.count(), 2); // inside the assignment, not later

        for (const auto &[value, error] :
             {std::pair(false, QString()), std::pair(true, u"Operation not permitted"_s)}) {
            f.platform.loginItemError = error.isEmpty() ? std::nullopt : std::optional(error);
            state->setIsLaunchAtLoginEnabled(value);
            QCOMPARE(state->isLaunchAtLoginEnabled(), value);
            QCOMPARE(f.platform.takeCalls(),
                     value ? QStringList({u"registerLoginItem"_s, u"installLoginAgent"_s})
                           : QStringList({u"unregisterLoginItem"_s, u"removeLoginAgent"_s}));
            QCOMPARE(AppState::storedLaunchAtLoginChoice(*f.platform.openSettings()), value);
        }

        f.platform.availableSounds = {u"Tink"_s, u"Basso"_s};
        state->playFeedbackSound(u"Sosumi"_s);
        state->playFeedbackSound(u"Basso"_s);
        state->setPlaySound(false);
        state->playFeedbackSound(u"Tink"_s);
        QCOMPARE(f.platform.takeCalls(), QStringList());
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"playSystemSound:Sosumi"_s, u"playSystemSound:Pop"_s,
                              u"playSystemSound:Tink"_s, u"playSystemSound:Basso"_s}));

        QCOMPARE(log.lines().filter(u"toggle"_s),
                 QStringList{u"[Orvane] Launch at login toggle error: Operation not permitted"_s});
    }

    // A write the system refuses is reported and kept, in memory and for the next write.
    void writesThatCannotLand()
    {
        Fixture f;
        auto state = f.make();
        QFile::remove(f.platform.settingsFile);
        QVERIFY(QDir().mkpath(f.platform.settingsFile)); // a folder where the file belongs
        test::LogCapture log;
        state->setPlaySound(false);
        QCOMPARE(state->playSound(), false);
        QCOMPARE(log.lines(), QStringList{u"[Orvane] Could not save orvane_playSound to "_s +
                                          f.platform.settingsFile +
                                          u"; the change lasts until Orvane quits."_s});
        QVERIFY(state->settingsNotice().contains(f.platform.settingsFile));
        QVERIFY(QDir().rmdir(f.platform.settingsFile));
        state->setAutoDismissSeconds(4);
        QCOMPARE(state->settingsNotice(), QString());
        QCOMPARE(f.stored(keys::playSound).toString(), u"false"_s);
        QCOMPARE(f.stored(keys::autoDismissSeconds).toLongLong(), 4);
    }

    // A file Orvane cannot read as it is is never written, by a change or the launch's note,
    // and the preferences say so; one too large or not a regular file is not even parsed.
    void filesLeftAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "FIFO": a named pipe in its place
        QTest::addColumn<bool>("soundStored"); // the file's "playSound=false" was read
        QTest::newRow("hand-edited: broken section")
            << QByteArray("; café\n[General]\norvane_playSound=false\n[Broken\n") << true;
        QTest::newRow("valid except one byte that is not UTF-8")
            << QByteArray("[General]\norvane_playSound=false\n; na\xefve\n") << true;
        QTest::newRow("over 1 MB, valid")
            << QByteArray("[General]\norvane_playSound=false\n") + QByteArray(1024 * 1024, ';')
            << false;
        QTest::newRow("a FIFO") << QByteArray("FIFO") << false;
    }
    void filesLeftAsTheyAre()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, soundStored);
        Fixture f;
        QVERIFY(bytes == "FIFO" ? QProcess::execute(u"mkfifo"_s, {f.platform.settingsFile}) == 0
                                : (f.writeFile(bytes), true));
        test::LogCapture log;
        auto state = f.make();
        QCOMPARE(state->playSound(), !soundStored);
        QVERIFY2(log.lines().value(0).startsWith(u"[Orvane] The settings in "_s +
                                                 f.platform.settingsFile +
                                                 u" could not be read ("_s),
                 qPrintable(log.lines().join(u'\n')));
        QVERIFY(state->settingsNotice().contains(f.platform.settingsFile));
        state->setPlaySound(true);
        state->setAutoDismissSeconds(12);
        state->storeLaunchAtLoginChoice(true);
        state->forgetLaunchAtLoginChoice();
        QCOMPARE(state->autoDismissSeconds(), 12);
        QCOMPARE(state->storedLaunchAtLoginChoice(), std::nullopt);
        state.reset();
        QFile file(f.platform.settingsFile); // still there, whatever it is
        const QFileInfo info(file);
        QCOMPARE(info.exists() && !info.isFile() ? QByteArray("FIFO")
                                                 : (file.open(QIODevice::ReadOnly), file.readAll()),
                 bytes);
    }

    // The store changes at once, the system's location in order in the background (the last
    // stays), then the watcher restarts; the folder shown holds until the next assignment. A
    // folder taken on at launch and reset is noted, so that the next launch leaves it.
    void folderReaction()
    {
        Fixture f;
        const QString custom = f.home.file(u"Custom"_s);
        QDir().mkpath(custom);
        f.platform.systemLocation = custom; // taken on at launch
        auto state = f.make();
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
        QCOMPARE(f.stored(keys::declinedSystemLocation), QVariant(custom));
        state->setCustomFolderPath(std::nullopt);
        QCOMPARE(f.stored(keys::customFolderPath), QVariant());
        QCOMPARE(restarts.count(), 0);
        QStringList written{custom, custom, u""_s, u"<none>"_s};
        for (int i = 0; i < 25; ++i) {
            state->setCustomFolderPath(u"/shots/%1"_s.arg(i));
            written << u"/shots/%1"_s.arg(i);
        }
        QVERIFY(state->waitForBackgroundWork(10000));
        QCOMPARE(
            f.platform.takeCalls().replaceInStrings(u"writeSystemScreenshotLocation:"_s, QString()),
            written);
        QTRY_COMPARE(restarts.count(), 29);
    }

    void displayPaths()
    {
        QCOMPARE(displayPath(u"/home/ann/Desktop"_s, u"/home/ann/"_s), u"~/Desktop"_s);
        QCOMPARE(displayPath(u"/home/ann"_s, u"/home/ann"_s), u"~"_s);
        QCOMPARE(displayPath(u"/home/anna/Shots"_s, u"/home/ann"_s), u"/home/anna/Shots"_s);
        QCOMPARE(displayPath(u"/srv/shots"_s, u"/"_s), u"/srv/shots"_s); // no tildes everywhere
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "tst_appstate.moc"
