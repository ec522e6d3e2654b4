#include "FakeTools.h"
#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuModel.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"
#include "settings/AppState.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// An item's text as shown: "&&" is a literal "&", a lone "&" marks the mnemonic and vanishes.
QString shown(const QString &text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (i + 1 < text.size() && text.at(i + 1) == u'&') {
                result += u'&';
                ++i;
            }
            continue;
        }
        result += text.at(i);
    }
    return result;
}

QString shown(const QAction *action)
{
    return shown(action->text());
}

// The menu as the user reads it, one line per item: "[x]" for a checkmark, "(off)" for a
// disabled item, the shortcut after a tab, "> " before the items of a submenu.
QStringList describe(const QMenu *menu, const QString &indent = {})
{
    QStringList lines;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator()) {
            lines << indent + u"---"_s;
            continue;
        }
        QString line = indent + (action->isChecked() ? u"[x] "_s : QString()) + shown(action);
        if (!action->isEnabled()) {
            line += u" (off)"_s;
        }
        if (!action->shortcut().isEmpty()) {
            line += u'\t' + action->shortcut().toString(QKeySequence::PortableText);
        }
        lines << line;
        if (action->menu()) {
            lines << describe(action->menu(), indent + u"> "_s);
        }
    }
    return lines;
}

QStringList describe(const QList<MenuEntry> &entries, const QString &indent = {})
{
    QStringList lines;
    for (const MenuEntry &e : entries) {
        if (e.separator) {
            lines << indent + u"---"_s;
            continue;
        }
        QString line = indent + (e.checked ? u"[x] "_s : QString()) + e.title;
        if (!e.enabled) {
            line += u" (off)"_s;
        }
        if (!e.shortcut.isEmpty()) {
            line += u'\t' + e.shortcut.toString(QKeySequence::PortableText);
        }
        lines << line << describe(e.submenu, indent + u"> "_s);
    }
    return lines;
}

QAction *findItem(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (shown(action) == title) {
            return action;
        }
        if (action->menu()) {
            if (QAction *inner = findItem(action->menu(), title)) {
                return inner;
            }
        }
    }
    return nullptr;
}

QStringList activeMenu(const QString &current,
                       const QString &checkedTimer = u"7 Seconds (Default)"_s)
{
    const auto timer = [&](const QString &title) -> QString {
        return (title == checkedTimer ? u"> [x] "_s : u"> "_s) + title;
    };
    return {
        u"Orvane v1.0 (off)"_s,
        u"● Active & Monitoring (off)"_s,
        u"---"_s,
        u"Preferences & Settings...\tCtrl+,"_s,
        u"---"_s,
        u"Auto-Copy on Capture (Zero-Click)"_s,
        u"[x] Play Sound Effects"_s,
        u"Launch at Login"_s,
        u"---"_s,
        u"Screenshot Folder"_s,
        u"> Current: "_s + current + u" (off)"_s,
        u"> ---"_s,
        u"> Choose Custom Folder..."_s,
        u"> Reset to Desktop Default"_s,
        u"HUD Auto-Dismiss Timer"_s,
        timer(u"4 Seconds"_s),
        timer(u"7 Seconds (Default)"_s),
        timer(u"12 Seconds"_s),
        u"---"_s,
        u"Pause Monitoring\tCtrl+P"_s,
        u"---"_s,
        u"About Orvane..."_s,
        u"Uninstall Orvane & Restore Defaults..."_s,
        u"Quit Orvane\tCtrl+Q"_s,
    };
}

// A controller over a fresh home, recording what it asks of the other rooms and answering
// its dialogs as told.
struct Fixture {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    std::unique_ptr<AppState> state;
    std::unique_ptr<StatusBarController> controller;
    QStringList requests;
    std::optional<QString> folderAnswer;
    QString folderStart;
    bool confirmAnswer = false;

    Fixture()
    {
        QDir().mkpath(home.file(u"Desktop"_s));
        state = std::make_unique<AppState>(platform, platform.openSettings());
        StatusBarController::Callbacks callbacks;
        callbacks.showPreferences = [this] { requests << u"showPreferences"_s; };
        callbacks.restartWatcher = [this] { requests << u"restartWatcher"_s; };
        callbacks.quit = [this] { requests << u"quit"_s; };
        controller = std::make_unique<StatusBarController>(*state, platform, callbacks);
        MenuDialogs dialogs;
        dialogs.chooseFolder = [this](const QString &startFolder) {
            requests << u"chooseFolder"_s;
            folderStart = startFolder;
            return folderAnswer;
        };
        dialogs.showAbout = [this] { requests << u"showAbout"_s; };
        dialogs.confirmUninstall = [this] {
            requests << u"confirmUninstall"_s;
            return confirmAnswer;
        };
        controller->setDialogs(dialogs);
        QCoreApplication::sendPostedEvents(); // the no-tray request queued at creation
        requests.clear();
        platform.takeCalls();
    }
    QMenu *menu() const { return controller->menu(); }
    QStringList open()
    {
        emit menu()->aboutToShow();
        platform.takeCalls(); // the screenshot folder, looked up for "Current: "
        return describe(menu());
    }
    void choose(const QString &title)
    {
        QAction *item = findItem(menu(), title);
        QVERIFY2(item, qPrintable(u"no item "_s + title));
        item->trigger();
    }
    QVariant stored(const char *key) const
    {
        return QSettings(platform.settingsFile, QSettings::IniFormat).value(QLatin1String(key));
    }
};

} // namespace

class MenuBarTest : public QObject {
    Q_OBJECT

private slots:
    // --- The menu's items ---

    void entries_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("pauseItem");
        QTest::addColumn<QString>("checkedTimer");
        QTest::newRow("active, 7") << false << qint64(7) << u"● Active & Monitoring"_s
                                   << u"Pause Monitoring"_s << u"7 Seconds (Default)"_s;
        QTest::newRow("paused, 4") << true << qint64(4) << u"⚠️ Monitoring Paused"_s
                                   << u"Resume Monitoring"_s << u"4 Seconds"_s;
        QTest::newRow("active, 12") << false << qint64(12) << u"● Active & Monitoring"_s
                                    << u"Pause Monitoring"_s << u"12 Seconds"_s;
        QTest::newRow("stored 5 marks none") << false << qint64(5) << u"● Active & Monitoring"_s
                                             << u"Pause Monitoring"_s << QString();
        QTest::newRow("stored 0 marks none") << true << qint64(0) << u"⚠️ Monitoring Paused"_s
                                             << u"Resume Monitoring"_s << QString();
    }
    void entries()
    {
        QFETCH(bool, paused);
        QFETCH(qint64, seconds);
        QFETCH(QString, status);
        QFETCH(QString, pauseItem);
        QFETCH(QString, checkedTimer);
        MenuInputs in;
        in.isPaused = paused;
        in.autoDismissSeconds = seconds;
        in.displayPath = u"~/Desktop"_s;
        const QList<MenuEntry> entries =
            buildMenuEntries(in, MenuTexts::forPlatform(PlatformKind::Linux));

        QStringList expected = activeMenu(u"~/Desktop"_s, checkedTimer);
        expected[1] = status + u" (off)"_s;
        expected[19] = pauseItem + u"\tCtrl+P"_s;
        QCOMPARE(describe(entries), expected);

        const QList<MenuEntry> &timer = entries.at(10).submenu;
        QCOMPARE(timer.size(), 3);
        for (const MenuEntry &item : timer) {
            QCOMPARE(item.action, MenuAction::SetDuration);
            QCOMPARE(item.checked, item.represented.toLongLong() == seconds);
        }
        QCOMPARE(timer.at(0).represented, QVariant(qint64(4)));
        QCOMPARE(timer.at(1).represented, QVariant(qint64(7)));
        QCOMPARE(timer.at(2).represented, QVariant(qint64(12)));
    }

    void platformTexts_data()
    {
        QTest::addColumn<PlatformKind>("kind");
        QTest::addColumn<QString>("reset");
        QTest::addColumn<QString>("uninstallTitle");
        QTest::newRow("macOS") << PlatformKind::MacOS << u"Reset to macOS Default"_s
                               << u"Uninstall Orvane & Restore macOS Defaults"_s;
        QTest::newRow("Linux") << PlatformKind::Linux << u"Reset to Desktop Default"_s
                               << u"Uninstall Orvane & Restore Desktop Defaults"_s;
    }
    void platformTexts()
    {
        QFETCH(PlatformKind, kind);
        QFETCH(QString, reset);
        QFETCH(QString, uninstallTitle);
        const MenuTexts &texts = MenuTexts::forPlatform(kind);
        const QList<MenuEntry> entries = buildMenuEntries({}, texts);
        QCOMPARE(entries.at(9).submenu.at(3).title, reset);
        QCOMPARE(texts.uninstallTitle, uninstallTitle);
        // The Linux texts never send the user looking for macOS things.
        if (kind == PlatformKind::Linux) {
            for (const QString &text :
                 {texts.resetFolder, texts.aboutText, texts.uninstallTitle, texts.uninstallText}) {
                QVERIFY2(!text.contains(u"macOS"_s) && !text.contains(u"Apple"_s),
                         qPrintable(text));
            }
        }
    }

    // --- The menu built from the settings ---

    void openingTwiceGivesTheSameMenu()
    {
        Fixture f;
        const auto objectsBehindTheMenu = [&f] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return f.menu()->findChildren<QObject *>().size();
        };
        const QStringList first = f.open();
        QCOMPARE(first, activeMenu(u"~/Desktop"_s));
        const qsizetype objects = objectsBehindTheMenu();
        QCOMPARE(f.open(), first);
        QCOMPARE(f.menu()->actions().size(), 17);
        // Old submenus and items go, rather than pile up behind the menu.
        QCOMPARE(objectsBehindTheMenu(), objects);
        QCOMPARE(f.menu()->findChildren<QMenu *>().size(), 2);
    }

    void folderShownAfterCurrent_data()
    {
        QTest::addColumn<bool>("insideHome");
        QTest::newRow("inside home") << true;
        QTest::newRow("outside home") << false;
    }
    void folderShownAfterCurrent()
    {
        QFETCH(bool, insideHome);
        Fixture f;
        QTemporaryDir elsewhere;
        const QString folder =
            insideHome ? f.home.file(u"My Shots"_s) : elsewhere.filePath(u"Shots"_s);
        QDir().mkpath(folder);
        f.state->setCustomFolderPath(folder);
        f.open();
        const QString shown = insideHome ? u"~/My Shots"_s : folder;
        QVERIFY(findItem(f.menu(), u"Current: "_s + shown));
    }

    void changesMadeElsewhereShowAtTheNextOpening()
    {
        Fixture f;
        f.open();
        f.state->setIsPaused(true);
        f.state->setAutoCopyOnCapture(true);
        const QStringList lines = f.open();
        QCOMPARE(f.menu()->actions().size(), 17);
        QVERIFY(lines.contains(u"⚠️ Monitoring Paused (off)"_s));
        QVERIFY(lines.contains(u"[x] Auto-Copy on Capture (Zero-Click)"_s));
        QVERIFY(lines.contains(u"Resume Monitoring\tCtrl+P"_s));
    }

    // A tray host that reads the menu over D-Bus sees it filled and current without opening it.
    void menuFollowsTheSettingsWithoutOpening()
    {
        Fixture f;
        QCOMPARE(describe(f.menu()), activeMenu(u"~/Desktop"_s));
        f.state->setIsPaused(true);
        f.state->setAutoDismissSeconds(12);
        QTRY_VERIFY(describe(f.menu()).contains(u"⚠️ Monitoring Paused (off)"_s));
        QVERIFY(describe(f.menu()).contains(u"> [x] 12 Seconds"_s));
        QCOMPARE(f.menu()->actions().size(), 17);
    }

    // --- The actions ---

    // Each choice changes its setting, stores it, and the menu shows it at once.
    void toggles_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QVariant>("storedAfter");
        QTest::addColumn<int>("checkmarksAdded");
        QTest::newRow("auto-copy")
            << u"Auto-Copy on Capture (Zero-Click)"_s << u"[x] Auto-Copy on Capture (Zero-Click)"_s
            << QByteArray(keys::autoCopyOnCapture) << QVariant(true) << 1;
        QTest::newRow("sound") << u"Play Sound Effects"_s << u"Play Sound Effects"_s
                               << QByteArray(keys::playSound) << QVariant(false) << -1;
        QTest::newRow("12 seconds") << u"12 Seconds"_s << u"> [x] 12 Seconds"_s
                                    << QByteArray(keys::autoDismissSeconds) << QVariant(12) << 0;
        QTest::newRow("4 seconds") << u"4 Seconds"_s << u"> [x] 4 Seconds"_s
                                   << QByteArray(keys::autoDismissSeconds) << QVariant(4) << 0;
        QTest::newRow("pause") << u"Pause Monitoring"_s << u"Resume Monitoring\tCtrl+P"_s
                               << QByteArray() << QVariant() << 0;
    }
    void toggles()
    {
        QFETCH(QString, item);
        QFETCH(QString, shownAfter);
        QFETCH(QByteArray, key);
        QFETCH(QVariant, storedAfter);
        QFETCH(int, checkmarksAdded);
        Fixture f;
        const QStringList before = f.open();
        f.choose(item);
        // Rebuilt by the action itself, before any new opening.
        const QStringList after = describe(f.menu());
        QVERIFY2(after.contains(shownAfter), qPrintable(after.join(u'\n')));
        QCOMPARE(after.size(), before.size());
        // The checkmark moves rather than being added: one timer item carries it.
        QCOMPARE(after.filter(u"[x]"_s).size(), before.filter(u"[x]"_s).size() + checkmarksAdded);
        if (!key.isEmpty()) {
            QCOMPARE(f.stored(key.constData()).toString(), storedAfter.toString());
        }
        QVERIFY(f.requests.isEmpty());
    }

    void pauseAndResume()
    {
        Fixture f;
        f.open();
        f.choose(u"Pause Monitoring"_s);
        QVERIFY(f.state->isPaused());
        QVERIFY(f.open().contains(u"⚠️ Monitoring Paused (off)"_s));
        f.choose(u"Resume Monitoring"_s);
        QVERIFY(!f.state->isPaused());
        QCOMPARE(f.open(), activeMenu(u"~/Desktop"_s));
    }

    void launchAtLoginGoesThroughTheSetting()
    {
        Fixture f;
        f.open();
        f.choose(u"Launch at Login"_s);
        QVERIFY(f.state->isLaunchAtLoginEnabled());
        QVERIFY(f.platform.takeCalls().contains(u"registerLoginItem"_s));
        QVERIFY(describe(f.menu()).contains(u"[x] Launch at Login"_s));
    }

    // Only a whole number of seconds is taken from a timer item.
    void durationGuard_data()
    {
        QTest::addColumn<QVariant>("represented");
        QTest::addColumn<qint64>("after");
        QTest::newRow("none") << QVariant() << qint64(7);
        QTest::newRow("text") << QVariant(u"12"_s) << qint64(7);
        QTest::newRow("fraction") << QVariant(4.5) << qint64(7);
        QTest::newRow("bool") << QVariant(true) << qint64(7);
        QTest::newRow("int") << QVariant(12) << qint64(12);
        QTest::newRow("unusual whole number") << QVariant(qint64(30)) << qint64(30);
    }
    void durationGuard()
    {
        QFETCH(QVariant, represented);
        QFETCH(qint64, after);
        Fixture f;
        f.open();
        QAction *firstItem = f.menu()->actions().first();
        QAction item(u"odd"_s);
        item.setData(represented);
        f.controller->setDuration(&item);
        QCOMPARE(f.state->autoDismissSeconds(), after);
        const bool rebuilt = !f.menu()->actions().contains(firstItem);
        QCOMPARE(rebuilt, after != 7);
    }

    void chooseFolder_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("chosen") << false;
        QTest::newRow("cancelled") << true;
    }
    void chooseFolder()
    {
        QFETCH(bool, cancel);
        Fixture f;
        const QString folder = f.home.file(u"New \"Shots\""_s);
        QDir().mkpath(folder);
        f.folderAnswer = cancel ? std::nullopt : std::optional(folder);
        f.open();
        f.choose(u"Choose Custom Folder..."_s);
        QCOMPARE(f.folderStart, f.home.file(u"Desktop"_s));
        if (cancel) {
            QCOMPARE(f.requests, QStringList{u"chooseFolder"_s});
            QCOMPARE(f.state->customFolderPath(), std::nullopt);
            QVERIFY(findItem(f.menu(), u"Current: ~/Desktop"_s));
        } else {
            QCOMPARE(f.requests, QStringList({u"chooseFolder"_s, u"restartWatcher"_s}));
            QCOMPARE(f.state->customFolderPath(), std::optional(folder));
            QCOMPARE(f.stored(keys::customFolderPath).toString(), folder);
            QVERIFY(findItem(f.menu(), u"Current: ~/New \"Shots\""_s));
        }
    }

    void resetFolderRestartsTheWatcherEvenWithoutACustomFolder()
    {
        Fixture f;
        f.open();
        f.choose(u"Reset to Desktop Default"_s);
        QCOMPARE(f.requests, QStringList{u"restartWatcher"_s});
        QCOMPARE(f.state->customFolderPath(), std::nullopt);
    }

    void plainRequests_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("requests");
        QTest::newRow("preferences")
            << u"Preferences & Settings..."_s << QStringList{u"showPreferences"_s};
        QTest::newRow("about") << u"About Orvane..."_s << QStringList{u"showAbout"_s};
        QTest::newRow("quit") << u"Quit Orvane"_s << QStringList{u"quit"_s};
    }
    void plainRequests()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, requests);
        Fixture f;
        f.open();
        QAction *firstItem = f.menu()->actions().first();
        f.choose(item);
        QCOMPARE(f.requests, requests);
        QVERIFY2(f.menu()->actions().contains(firstItem), "rebuilt without a change");
        QVERIFY(f.platform.takeCalls().isEmpty());
    }

    // --- The dialogs ---

    void dialogs()
    {
        test::TestHome home; // the file dialog remembers its state in the home folder
        const MenuTexts &texts = MenuTexts::forPlatform(PlatformKind::MacOS);
        const auto about = menudialogs::aboutBox(texts);
        QCOMPARE(about->buttons().size(), 1);
        QCOMPARE(shown(about->buttons().first()->text()), u"OK"_s);
        QCOMPARE(about->text(), u"Orvane · v1.0"_s);
        QCOMPARE(about->informativeText(), texts.aboutText);

        const auto folder = menudialogs::folderDialog(texts, QDir::tempPath());
        QCOMPARE(folder->fileMode(), QFileDialog::Directory);
        QVERIFY(folder->testOption(QFileDialog::ShowDirsOnly));
        QCOMPARE(folder->labelText(QFileDialog::Accept), u"Select Folder"_s);
        QCOMPARE(folder->windowTitle(), u"Choose the folder where your screenshots are saved:"_s);
        QCOMPARE(folder->directory(), QDir(QDir::tempPath()));
        QCOMPARE(menudialogs::chosenFolder(*folder, QDialog::Rejected), std::nullopt);
    }

    void uninstallConfirmation_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("uninstall") << u"Uninstall & Move to Trash"_s << true;
        QTest::newRow("cancel") << u"Cancel"_s << false;
        QTest::newRow("escape") << u"Escape"_s << false;
    }
    void uninstallConfirmation()
    {
        QFETCH(QString, press);
        QFETCH(bool, confirmed);
        const auto box =
            menudialogs::uninstallConfirmation(MenuTexts::forPlatform(PlatformKind::MacOS));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), u"Uninstall Orvane & Restore macOS Defaults"_s);
        QStringList order;
        for (const QAbstractButton *button :
             box->findChildren<QAbstractButton *>(Qt::FindChildrenRecursively)) {
            order << shown(button->text());
        }
        QCOMPARE(order, QStringList({u"Uninstall & Move to Trash"_s, u"Cancel"_s}));
        box->show();
        if (press == u"Escape"_s) {
            QTest::keyClick(box.get(), Qt::Key_Escape);
        } else {
            for (QAbstractButton *button : box->buttons()) {
                if (shown(button->text()) == press) {
                    button->click();
                }
            }
        }
        QCOMPARE(menudialogs::uninstallConfirmed(*box), confirmed);
    }

    // --- The uninstall ---

    void restoreAndQuit_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("programStays");
        QTest::newRow("cancelled") << false << false;
        QTest::newRow("confirmed") << true << false;
        QTest::newRow("confirmed, program not removable") << true << true;
    }
    void restoreAndQuit()
    {
        QFETCH(bool, confirm);
        QFETCH(bool, programStays);
        Fixture f;
        test::LogCapture log;
        f.confirmAnswer = confirm;
        if (programStays) {
            f.platform.removeProgramRefusal = u"/usr/bin/orvane is not yours"_s;
        }
        f.open();
        f.choose(u"Uninstall Orvane & Restore Defaults..."_s);
        if (!confirm) {
            QCOMPARE(f.requests, QStringList{u"confirmUninstall"_s});
            QVERIFY(f.platform.takeCalls().isEmpty());
            return;
        }
        QCOMPARE(f.platform.takeCalls(),
                 QStringList({u"unloadLoginAgent"_s, u"removeLoginAgent"_s,
                              u"resetScreenshotThumbnail"_s, u"unregisterLoginItem"_s,
                              u"removeProgram"_s}));
        QCOMPARE(f.requests, QStringList({u"confirmUninstall"_s, u"quit"_s}));
        QCOMPARE(log.lines(),
                 programStays ? QStringList{u"[Orvane] Uninstall: /usr/bin/orvane is not yours"_s}
                              : QStringList());
    }

    // The macOS steps, run for real against stand-ins for the system's tools.
    void macUninstallRunsTheCommandLinesInOrder_data()
    {
        QTest::addColumn<bool>("finderFails");
        QTest::newRow("Finder moves it") << false;
        QTest::newRow("Finder fails, removed outright") << true;
    }
    void macUninstallRunsTheCommandLinesInOrder()
    {
        QFETCH(bool, finderFails);
        test::TestHome home;
        test::FakeTools tools;
        if (finderFails) {
            tools.setFailing({u"osascript"_s});
        }
        const QString bundle = home.file(u"Apps/My \"Orvane\" it's $HOME.app"_s);
        QDir().mkpath(bundle + u"/Contents/MacOS"_s);
        ProcessContext context{bundle + u"/Contents/MacOS/Orvane"_s, bundle,
                               bundle + u"/Contents/MacOS/Orvane"_s};
        MacPlatform platform(context);
        platform.installLoginAgent();
        const QString agent = home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s);
        QVERIFY(QFile::exists(agent));

        int terminated = 0;
        StatusBarController::performCleanUninstall(platform, [&] {
            ++terminated;
            platform.resetScreenshotThumbnail(); // what the termination steps run
        });
        QCOMPARE(terminated, 1);
        QVERIFY(!QFile::exists(agent));

        const QStringList unload{u"launchctl"_s, u"unload"_s, u"-w"_s, agent};
        const QStringList deleteThumbnail{u"defaults"_s, u"delete"_s, u"com.apple.screencapture"_s,
                                          u"show-thumbnail"_s};
        const QStringList restartUi{u"killall"_s, u"SystemUIServer"_s};
        QString escaped = bundle;
        escaped.replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
        const QStringList finder{u"osascript"_s, u"-e"_s,
                                 u"tell application \"Finder\" to delete POSIX file \""_s +
                                     escaped + u"\""_s};
        // The detached script waits until the program has quit.
        QCOMPARE(tools.calls(), QList<QStringList>({unload, deleteThumbnail, restartUi,
                                                    deleteThumbnail, restartUi}));
        QTRY_COMPARE_WITH_TIMEOUT(tools.calls().size(), 6, 5000);
        QCOMPARE(tools.calls().last(), finder);
        QTRY_COMPARE(QFile::exists(bundle), !finderFails);
        QVERIFY(QFile::exists(home.file(u"Apps"_s)));
    }

    // Outside an .app bundle the "bundle" is the folder holding the program: nothing of it
    // may be removed.
    void macUninstallRemovesNothingOutsideABundle()
    {
        test::TestHome home;
        test::FakeTools tools;
        tools.setFailing({u"osascript"_s});
        test::LogCapture log;
        const QStringList folders{home.file(u"build/default/src/app"_s),
                                  home.file(u"usr/local/bin"_s), home.file(u"Fake.app"_s)};
        for (const QString &folder : folders) {
            QDir().mkpath(QFileInfo(folder).path());
        }
        QDir().mkpath(folders[0]);
        QDir().mkpath(folders[1]);
        QFile file(folders[2]); // named like a bundle, but a plain file
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        for (const QString &folder : folders) {
            QFile::copy(QCoreApplication::applicationFilePath(), folder + u"/orvane"_s);
            MacPlatform platform(
                ProcessContext{folder + u"/orvane"_s, folder, folder + u"/orvane"_s});
            StatusBarController::performCleanUninstall(platform, [] {});
        }
        QCOMPARE(log.lines().size(), 3);
        QVERIFY(
            log.lines().first().contains(u"is not an application bundle; nothing was removed."_s));
        // Long enough for a script that was started to have run.
        QTest::qWait(700);
        for (const QString &folder : folders) {
            QVERIFY2(QFile::exists(folder), qPrintable(folder));
        }
        for (const QStringList &call : tools.calls()) {
            QVERIFY(call.first() != u"osascript"_s);
        }
    }

    // On Linux the autostart entry goes, and the program goes to the Trash only where it is
    // the user's own. One home for all cases: GLib keeps the first home it sees.
    void linuxUninstall()
    {
        test::TestHome home;
        test::LogCapture log;
        QTemporaryDir system;
        const QString trash = home.file(u".local/share/Trash/files/"_s);
        const auto place = [](const QString &path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("ELF") == 3;
        };
        struct Case {
            QString program;
            QString appImage;
            bool trashed;
        };
        const QList<Case> cases{
            {home.file(u".local/bin/orvane"_s), {}, true},
            {system.filePath(u"usr/bin/orvane"_s), {}, false},
            {system.filePath(u"Apps/Orvane x86_64.AppImage"_s),
             system.filePath(u"Apps/Orvane x86_64.AppImage"_s), true},
        };
        for (const Case &c : cases) {
            QVERIFY(place(c.program));
            qputenv("APPIMAGE", c.appImage.toUtf8());
            LinuxPlatform platform(
                ProcessContext{c.program, QFileInfo(c.program).path(), c.program});
            platform.installLoginAgent();
            QVERIFY(QFile::exists(LinuxPlatform::autostartEntryPath()));
            int terminated = 0;
            StatusBarController::performCleanUninstall(platform, [&] { ++terminated; });
            QCOMPARE(terminated, 1);
            QVERIFY(!QFile::exists(LinuxPlatform::autostartEntryPath()));
            QCOMPARE(QFile::exists(c.program), !c.trashed);
            QCOMPARE(QFile::exists(trash + QFileInfo(c.program).fileName()), c.trashed);
            if (c.trashed) {
                QFile::remove(trash + QFileInfo(c.program).fileName());
            }
        }
        qunsetenv("APPIMAGE");
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().first().contains(system.filePath(u"usr/bin/orvane"_s)));
    }

    // Without a tray the program must still be reachable.
    void noTrayOpensThePreferences()
    {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            QSKIP("this display has a tray");
        }
        test::TestHome home;
        test::LogCapture log;
        test::RecordingPlatform platform(home.file(u"settings.ini"_s));
        AppState state(platform, platform.openSettings());
        QStringList requests;
        StatusBarController controller(state, platform,
                                       {[&] { requests << u"showPreferences"_s; }, {}, {}});
        QVERIFY(requests.isEmpty()); // not in the middle of the launch
        QTRY_COMPARE(requests, QStringList{u"showPreferences"_s});
        QCOMPARE(log.lines(),
                 QStringList{u"[Orvane] No system tray is available; opening Preferences so that "
                             u"Orvane can still be controlled."_s});
        QCOMPARE(controller.statusItem()->toolTip(), u"Orvane"_s);
    }
};

QTEST_MAIN(MenuBarTest)
#include "tst_menubar.moc"
