#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "ShownWindows.h"
#include "TestHome.h"

#include "detection/ScreenshotWatcher.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "menubar/TrayIcon.h"
#include "menubar/TrayMenu.h"
#include "settings/AppState.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSystemTrayIcon>

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

namespace {

// The menu as read: "[x]" checked, "(off)" disabled, the shortcut after a tab, "> " in a submenu.
QStringList describe(const QMenu &menu, const QString &indent = {})
{
    QStringList lines;
    for (const QAction *action : menu.actions()) {
        // A lone "&" would mark a key, not show.
        const QString text = action->text();
        const bool mnemonic = QString(text).remove(u"&&"_s).contains(u'&');
        lines << indent + (action->isChecked() ? u"[x] "_s : QString()) +
                     (action->isSeparator() ? u"---"_s : QString(text).replace(u"&&"_s, u"&"_s)) +
                     (mnemonic ? u" (mnemonic)"_s : QString()) +
                     (action->isEnabled() || action->isSeparator() ? QString() : u" (off)"_s) +
                     (action->shortcut().isEmpty() ? QString()
                                                   : u"\t"_s + action->shortcut().toString());
        if (action->menu()) {
            lines << describe(*action->menu(), indent + u"> "_s);
        }
    }
    return lines;
}

QAction *findAction(const QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (QString(action->text()).replace(u"&&"_s, u"&"_s) == title) {
            return action;
        }
        if (QAction *inner = action->menu() ? findAction(*action->menu(), title) : nullptr) {
            return inner;
        }
    }
    return nullptr;
}

// A tray, there from the start or not; the test says when one comes.
struct TrayHosts : TrayHostWatch {
    explicit TrayHosts(bool there) : present(there) {}
    void start() override { present ? emit hostFound() : emit noHostYet(); }
    bool present;
};

// A controller over a fresh home, recording what it asks of other rooms; dialogs answer as told.
struct Fixture {
    TestHome home;
    RecordingPlatform platform{home.file(u"settings.ini"_s)};
    std::unique_ptr<AppState> state;
    std::unique_ptr<StatusBarController> controller;
    QStringList requests;
    QStringList created; // the calls made while the tray was made
    std::optional<QString> folderAnswer;
    std::function<void()> aboutClosed;
    std::function<void()> graceOver;
    QPointer<TrayHostWatch> hosts;

    explicit Fixture(bool trayAtStart = true, bool background = false)
    {
        QDir().mkpath(home.file(u"Desktop"_s));
        state = std::make_unique<AppState>(platform, platform.openSettings());
        controller = std::make_unique<StatusBarController>(
            *state, platform,
            StatusBarController::Callbacks{[this] { requests << u"showPreferences"_s; },
                                           [this] { requests << u"quit"_s; }},
            StatusBarController::Launch{
                background, [this](QObject *, auto then) { graceOver = std::move(then); },
                [this, trayAtStart] {
                    return std::unique_ptr<TrayHostWatch>(hosts = new TrayHosts(trayAtStart));
                }});
        controller->setDialogs({.chooseFolder =
                                    [this](const QString &start, auto done) {
                                        requests << u"chooseFolder:"_s + start;
                                        done(folderAnswer);
                                    },
                                .showAbout =
                                    [this](auto done) {
                                        requests << u"showAbout"_s;
                                        aboutClosed = std::move(done);
                                    },
                                .confirmUninstall = {}});
        QCoreApplication::sendPostedEvents(); // the no-tray request queued at creation
        if (trayAtStart) {
            requests.clear();
        }
        created = platform.takeCalls();
    }
    QStringList open()
    {
        emit controller->trayMenu()->aboutToShow();
        platform.takeCalls(); // the screenshot folder, looked up for "Current: "
        return describe(*controller->trayMenu());
    }
    // As the user does: the item of the menu the tray shows, triggered.
    void trigger(const QString &title)
    {
        QAction *action = findAction(*controller->trayMenu(), title);
        QVERIFY2(action, qPrintable(u"no item "_s + title));
        action->trigger();
        QCoreApplication::sendPostedEvents(); // the choice, after the menu's own handling
    }
    QString stored(const char *key) const
    {
        return platform.openSettings()->value(QLatin1String(key)).toString();
    }
};

// Counts the repeated key presses the shown question's window is sent; sees a Shift let go.
struct RepeatCounter : QObject {
    int repeats = 0;
    bool shifted = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
            return false;
        }
        const auto *box = shown<QMessageBox>();
        const auto *key = static_cast<QKeyEvent *>(event);
        repeats += event->type() == QEvent::KeyPress && key->isAutoRepeat() && box &&
                   watched == box->windowHandle();
        shifted |= event->type() == QEvent::KeyRelease && key->key() == Qt::Key_Shift;
        return false;
    }
};

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

class MenuBarTest : public QObject {
    Q_OBJECT

private slots:
    // The answered dialogs, let go once answered.
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The icon is light on dark panels, dark on light ones (yellow, unknown), all in that colour.
    void trayIconStandsOut()
    {
        const QColor dark(0x2e, 0x34, 0x36), light(0xee, 0xee, 0xec);
        QCOMPARE(tray::contrastingIconColor(QColor(0x707070u)), light);
        QCOMPARE(tray::contrastingIconColor(QColor(0x909090u)), dark);
        QCOMPARE(tray::contrastingIconColor(QColor(0xfce94fu)), dark);
        QCOMPARE(tray::contrastingIconColor(QColor()), dark);
        // Drawn whole at a size it has, one between two, and one above the largest.
        for (const int side : {22, 30, 256}) {
            const QImage drawn = tray::symbolicIcon(light).pixmap(QSize(side, side), 1.0).toImage();
            int covered = 0; // in whole pixels
            for (int i = 0; i < side * side; ++i) {
                const QColor pixel = drawn.pixelColor(i % side, i / side);
                covered += pixel.alpha();
                QVERIFY(pixel.alpha() < 255 || pixel.rgb() == light.rgb());
            }
            QVERIFY2(covered / 255 > side * side / 5, qPrintable(QString::number(side)));
            QCOMPARE(drawn.pixelColor(0, 0).alpha(), 0); // a margin, as drawn
        }
    }

    // The menu is current unopened (hosts read it over D-Bus), after each choice (stored) and
    // every opening, with nothing piled up behind it; changes elsewhere show. 5 marks no timer.
    void menu()
    {
        Fixture f;
        f.state->setAutoDismissSeconds(5);
        // clang-format off
        QStringList expected{u"Orvane v1.0 (off)"_s, u"● Active & Monitoring (off)"_s, u"---"_s,
            u"Preferences & Settings...\tCtrl+,"_s, u"---"_s,
            u"Auto-Copy on Capture (Zero-Click)"_s, u"[x] Play Sound Effects"_s,
            u"Launch at Login"_s, u"---"_s, u"Screenshot Folder"_s, u"> Current: ~/Desktop (off)"_s,
            u"> ---"_s, u"> Choose Custom Folder..."_s, u"> Reset to Desktop Default"_s,
            u"HUD Auto-Dismiss Timer"_s, u"> 4 Seconds"_s, u"> 7 Seconds (Default)"_s,
            u"> 12 Seconds"_s, u"---"_s, u"Pause Monitoring\tCtrl+P"_s, u"---"_s,
            u"About Orvane..."_s, u"Uninstall Orvane & Restore Defaults..."_s,
            u"Quit Orvane\tCtrl+Q"_s};
        // The item chosen, the lines it changes, and the setting it stores (none: not stored).
        const std::tuple<QString, QList<std::pair<int, QString>>, const char *, QString> steps[] = {
            {u"Play Sound Effects"_s, {{6, u"Play Sound Effects"_s}}, keys::playSound, u"false"_s},
            {u"12 Seconds"_s, {{17, u"> [x] 12 Seconds"_s}}, keys::autoDismissSeconds, u"12"_s},
            {u"4 Seconds"_s, {{15, u"> [x] 4 Seconds"_s}, {17, u"> 12 Seconds"_s}},
                keys::autoDismissSeconds, u"4"_s},
            {u"Pause Monitoring"_s, {{1, u"⚠️ Monitoring Paused (off)"_s},
                {19, u"Resume Monitoring\tCtrl+P"_s}}, nullptr, {}}};
        // clang-format on
        QTRY_COMPARE(describe(*f.controller->trayMenu()), expected);
        // What the uninstall would do is found out as the menu opens, not at launch.
        QVERIFY(!f.created.contains(u"prepareProgramRemoval"_s));
        emit f.controller->trayMenu()->aboutToShow();
        QVERIFY(f.platform.takeCalls().contains(u"prepareProgramRemoval"_s));
        for (const auto &[item, lines, key, value] : steps) {
            f.open();
            f.trigger(item);
            for (const auto &[line, text] : lines) {
                expected[line] = text;
            }
            QCOMPARE(describe(*f.controller->trayMenu()), expected);
            if (key) {
                QCOMPARE(f.stored(key), value);
            }
        }
        QCOMPARE(f.open(), expected);
        // The submenus of earlier builds are gone, not piled up behind the menu.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.controller->trayMenu()->findChildren<QMenu *>().size(), 2);
        // A left click pops up the same menu; a right click over the tray's own opens no second.
        QMenu &popup = *f.controller->popupMenu();
        emit f.controller->statusItem()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(popup.isVisible());
        QCOMPARE(describe(popup), expected);
        const bool sound = f.state->playSound();
        findAction(popup, u"Play Sound Effects"_s)->trigger();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(f.state->playSound(), !sound);
        popup.close();
        f.controller->trayMenu()->popup(QPoint(5, 5));
        emit f.controller->statusItem()->activated(QSystemTrayIcon::Context);
        QVERIFY(!popup.isVisible());
        f.controller->trayMenu()->close();
        // A host that has no menu to show asks the item for one.
        emit f.controller->statusItem()->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(popup.isVisible());
        popup.close();
        f.requests.clear();
        f.state->setIsPaused(false); // in the preferences window: shown without a new opening
        QTRY_VERIFY(describe(*f.controller->trayMenu()).contains(u"Pause Monitoring\tCtrl+P"_s));
        QVERIFY(f.requests.isEmpty());
        // The pop-up menu, made at the first click, has followed both changes.
        emit f.controller->statusItem()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(popup.isVisible());
        QCOMPARE(describe(popup), describe(*f.controller->trayMenu()));
        popup.close();
    }

    // Without a tray the preferences stand in: at once for a plain start, after a grace period
    // for a login start (its panel may come later); a tray that comes gets the icon. Logged.
    void withoutTray_data()
    {
        QTest::addColumn<bool>("background");
        QTest::addColumn<bool>("trayAtStart");
        QTest::addColumn<bool>("trayLater"); // within the grace period
        QTest::addColumn<QStringList>("logged");
        const QString none = u"[Orvane] No system tray is available; opening Preferences so that "
                             u"Orvane can still be controlled."_s;
        const QString came = u"[Orvane] A system tray is available now; Orvane's icon is in it."_s;
        QTest::newRow("start, tray") << false << true << false << QStringList();
        QTest::newRow("start, no tray") << false << false << false << QStringList{none};
        QTest::newRow("start, tray later") << false << false << true << QStringList{none, came};
        QTest::newRow("login, tray") << true << true << false << QStringList();
        QTest::newRow("login, no tray") << true << false << false << QStringList{none};
        QTest::newRow("login, tray later") << true << false << true << QStringList{came};
    }
    void withoutTray()
    {
        QFETCH(bool, background);
        QFETCH(bool, trayAtStart);
        QFETCH(bool, trayLater);
        QFETCH(QStringList, logged);
        LogCapture log;
        Fixture f(trayAtStart, background);
        QCOMPARE(bool(f.graceOver), background);
        QCOMPARE(f.controller->statusItem() != nullptr, trayAtStart);
        if (background) {
            QCOMPARE(f.requests, QStringList()); // the panel still has time
            QCOMPARE(log.lines(), QStringList());
        }
        if (trayLater) {
            emit f.hosts->hostFound();
            QVERIFY(f.controller->statusItem());
        }
        if (f.graceOver) {
            f.graceOver();
        }
        QCoreApplication::sendPostedEvents();
        QCOMPARE(log.lines(), logged);
        const bool stoodIn = !logged.filter(u"No system tray"_s).isEmpty();
        QCOMPARE(f.requests, stoodIn ? QStringList{u"showPreferences"_s} : QStringList());
        QCOMPARE(f.controller->statusItem() != nullptr, trayAtStart || trayLater);
    }

    // Items that ask another room, one question at a time. The watcher restarts once the system
    // has a new folder: not after a cancel; after a reset even without a custom one.
    void requests()
    {
        Fixture f;
        ScreenshotWatcher watcher(*f.state, f.platform, f.platform);
        watcher.start();
        const auto restarts = [&f] {
            f.state->waitForBackgroundWork();
            QCoreApplication::processEvents();
            return f.platform.takeCalls().filter(u"createStream:"_s).size();
        };
        f.open();
        const QString choose = u"Choose Custom Folder..."_s;
        for (const QString &item :
             {u"Preferences & Settings..."_s, u"About Orvane..."_s, u"Quit Orvane"_s, choose}) {
            f.trigger(item);
        }
        QCOMPARE(f.requests, QStringList({u"showPreferences"_s, u"showAbout"_s, u"quit"_s,
                                          u"chooseFolder:"_s + f.home.file(u"Desktop"_s)}));
        // One About box at a time: another only once it is closed.
        f.requests.clear();
        f.trigger(u"About Orvane..."_s);
        QCOMPARE(f.requests, QStringList());
        f.aboutClosed();
        f.trigger(u"About Orvane..."_s);
        QCOMPARE(f.requests, QStringList{u"showAbout"_s});
        QCOMPARE(restarts(), 0);
        QVERIFY(QDir().mkpath(*(f.folderAnswer = f.home.file(u"New \"Shots\""_s))));
        f.trigger(choose);
        QCOMPARE(restarts(), 1);
        QCOMPARE(f.stored(keys::customFolderPath), *f.folderAnswer);
        QVERIFY(findAction(*f.controller->trayMenu(), u"Current: ~/New \"Shots\""_s));
        for (int i = 0; i < 2; ++i) {
            f.trigger(u"Reset to Desktop Default"_s);
            QCOMPARE(restarts(), 1);
            QCOMPARE(f.stored(keys::customFolderPath), QString());
            QVERIFY(findAction(*f.controller->trayMenu(), u"Current: ~/Desktop"_s));
        }
    }

    // The uninstall question adds a packaged copy's note and says "Move to Trash" only where the
    // program goes there. The folder chooser opens at the nearest folder that exists; Escape
    // chooses nothing ("Select Folder": tst_preferences, the same chooser).
    void questions()
    {
        TestHome home;
        const MenuTexts texts = MenuTexts::forPlatform(PlatformKind::Linux);
        const QString note = u"/usr/bin/orvane stays: remove it with \"sudo apt remove\"."_s;
        for (const auto &[programNote, trashed] : {std::pair{QString(), true}, {note, false}}) {
            const auto alert = menudialogs::uninstallConfirmation(texts, programNote, trashed);
            QCOMPARE(alert->informativeText(), programNote.isEmpty()
                                                   ? texts.uninstallText
                                                   : texts.uninstallText + u"\n\n"_s + note);
            QCOMPARE(alert->findChild<QPushButton *>(u"uninstall"_s)->text(),
                     trashed ? u"&Uninstall && Move to Trash"_s : u"&Uninstall"_s);
        }
        const QString missing = home.file(u"Pictures/Screenshots \"$(rm)\"/deeper"_s);
        QVERIFY(QDir().mkpath(home.file(u"Pictures"_s)));
        for (const auto &[start, opens] :
             {std::pair{missing, home.file(u"Pictures"_s)}, {home.path(), home.path()}}) {
            QCOMPARE(menudialogs::folderDialog(texts, start)->directory().absolutePath(), opens);
        }

        Fixture f;
        f.controller->setDialogs(MenuDialogs::standard(texts));
        f.controller->chooseFolder();
        QFileDialog *chooser = nullptr;
        QTRY_VERIFY((chooser = shown<QFileDialog>()));
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        QTest::keyClick(chooser->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!shown<QFileDialog>());
        QCOMPARE(f.state->customFolderPath(), std::nullopt);
        QCOMPARE(f.stored(keys::customFolderPath), QString());
    }

    // Only a deliberate choice of the uninstall question's own button uninstalls (and quits);
    // Return, Escape, closing, Cancel and keys held since before it opened change nothing. Other
    // windows still take clicks meanwhile.
    void uninstallAnswers_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QKeyCombination>("key"); // with the focus on `gesture`'s button
        QTest::addColumn<bool>("uninstalls");
        const QKeyCombination none, space(Qt::Key_Space), enter(Qt::Key_Return);
        QTest::newRow("Return") << u"key"_s << enter << false;
        QTest::newRow("Escape") << u"key"_s << QKeyCombination(Qt::Key_Escape) << false;
        QTest::newRow("close") << u"close"_s << none << false;
        QTest::newRow("click Cancel") << u"click cancel"_s << none << false;
        QTest::newRow("held Return, then Escape") << u"held"_s << enter << false;
        QTest::newRow("held Space on Uninstall, then Escape")
            << u"held uninstall"_s << space << false;
        QTest::newRow("click Uninstall") << u"click uninstall"_s << none << true;
        QTest::newRow("click Uninstall, the program staying")
            << u"click uninstall, stays"_s << none << true;
        QTest::newRow("Tab to Uninstall, Space") << u"key uninstall"_s << space << true;
        QTest::newRow("Alt+U") << u"key"_s << (Qt::AltModifier | Qt::Key_U) << true;
    }
    void uninstallAnswers()
    {
        QFETCH(QString, gesture);
        QFETCH(QKeyCombination, key);
        QFETCH(bool, uninstalls);
        Fixture f;
        f.controller->setDialogs(
            MenuDialogs::standard(MenuTexts::forPlatform(PlatformKind::Linux)));
        // Where the program stays (a packaged copy), the question says so, and its yes keeps to
        // that even once the platform would say otherwise.
        const bool stays = gesture.endsWith(u"stays"_s);
        f.platform.removalToTrash = !stays;
        f.platform.removalNote = stays ? u"/usr/bin/orvane stays."_s : QString();
        f.state->storeLaunchAtLoginChoice(true); // noted at the first launch
        f.controller->restoreAndQuit();
        f.controller->restoreAndQuit(); // one at a time
        QMessageBox *alert = nullptr;
        QTRY_VERIFY((alert = shown<QMessageBox>()));
        QCOMPARE(shownWidgets<QMessageBox>().size(), 1);
        QVERIFY(aCardTakesClicks());
        alert->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(alert));
        QWindow *window = alert->windowHandle();
        auto *uninstall = alert->findChild<QPushButton *>(u"uninstall"_s);
        auto *cancel = alert->findChild<QPushButton *>(u"cancel"_s);
        QCOMPARE(alert->focusWidget(), cancel);
        QCOMPARE(uninstall->text(), stays ? u"&Uninstall"_s : u"&Uninstall && Move to Trash"_s);
        QCOMPARE(alert->informativeText().endsWith(u"\n\n/usr/bin/orvane stays."_s), stays);
        f.platform.removalToTrash = true;
        if (gesture.endsWith(u"uninstall"_s)) {
            uninstall->setFocus(Qt::TabFocusReason);
        }
        const Qt::Key code = key.key();
        if (gesture.startsWith(u"key"_s)) {
            QTest::keyClick(window, code, key.keyboardModifiers());
        } else if (gesture == u"close"_s) {
            alert->close();
        } else if (gesture.startsWith(u"click "_s)) {
            QTest::mouseClick(gesture.endsWith(u"cancel"_s) ? cancel : uninstall, Qt::LeftButton);
        } else {
            // Held since before it opened, as the X server repeats it: a release and a press of
            // one time each, which Qt marks as repeats only when both have reached it in time.
            const auto send = [&](QEvent::Type type, bool marked, quint64 time) {
                QKeyEvent event(type, code, {}, code == Qt::Key_Space ? u" "_s : QString(), marked);
                event.setTimestamp(time);
                QCoreApplication::sendEvent(window, &event);
            };
            for (int i = 0; i < 50; ++i) {
                send(QEvent::KeyRelease, i % 2, 1000 + 40 * i);
                send(QEvent::KeyPress, i % 2, 1000 + 40 * i);
            }
            send(QEvent::KeyRelease, false, 4000);
            QCoreApplication::processEvents();
            QVERIFY(alert->isVisible());
            QCOMPARE(f.platform.takeCalls(), QStringList());
            QTest::keyClick(window, Qt::Key_Escape);
        }
        QTRY_VERIFY(!shown<QMessageBox>());
        QCoreApplication::processEvents();
        QCOMPARE(f.requests, uninstalls ? QStringList{u"quit"_s} : QStringList());
        const QStringList calls = f.platform.takeCalls();
        QVERIFY2(uninstalls ? calls.contains(stays ? u"removeProgram:stays"_s : u"removeProgram"_s)
                            : calls.isEmpty(),
                 qPrintable(calls.join(u' ')));
        // Asked again, it opens again.
        if (!uninstalls) {
            f.controller->restoreAndQuit();
            QTRY_VERIFY((alert = shown<QMessageBox>()));
            alert->reject();
        }
        // Left behind, the note would make a later install take the missing entry for switched off.
        QCOMPARE(f.stored(keys::launchAtLogin), uninstalls ? QString() : u"true"_s);
    }

    // On a real X server (tst_traykeys), whose keyboard repeats a held key: Return held on the
    // tray menu's item (the key that asked) never answers the question, even with both cores
    // busy. A click on its destructive button does uninstall.
    void heldReturnNeverUninstalls_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("quiet") << false;
        QTest::newRow("both cores busy") << true;
    }
    void heldReturnNeverUninstalls()
    {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X display");
        }
        if (!run(u"xset"_s, {u"r"_s, u"on"_s}) ||
            !run(u"xset"_s, {u"r"_s, u"rate"_s, u"660"_s, u"25"_s})) {
            QSKIP("xset is missing (x11-xserver-utils)");
        }
        QFETCH(bool, busy);
        Fixture f;
        f.controller->setDialogs(
            MenuDialogs::standard(MenuTexts::forPlatform(PlatformKind::Linux)));
        std::vector<std::unique_ptr<QProcess>> load;
        for (int i = 0; busy && i < 2; ++i) {
            auto &yes = *load.emplace_back(std::make_unique<QProcess>());
            yes.setStandardOutputFile(QProcess::nullDevice());
            yes.start(u"yes"_s, {});
            QVERIFY(yes.waitForStarted());
        }
        QMenu &menu = *f.controller->trayMenu();
        menu.popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(&menu, 10000));
        f.platform.takeCalls(); // what opening the menu asked
        menu.setActiveAction(findAction(menu, u"Uninstall Orvane & Restore Defaults..."_s));
        RepeatCounter counter;
        qApp->installEventFilter(&counter);

        QVERIFY(run(u"xdotool"_s, {u"keydown"_s, u"Return"_s}));
        // Never left held on the display the other tests share, whatever fails here.
        auto letGo = qScopeGuard([] { run(u"xdotool"_s, {u"keyup"_s, u"Return"_s}); });
        QMessageBox *alert = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((alert = shown<QMessageBox>()), 10000);
        QVERIFY(QTest::qWaitForWindowActive(alert, 10000));
        QTest::qWait(2000); // held, as a user leaning on the key would
        letGo.dismiss();
        // Then a Shift: the X server sends events in order, so once it is in, every repeat is.
        QVERIFY(run(u"xdotool"_s, {u"keyup"_s, u"Return"_s, u"key"_s, u"Shift_L"_s}));
        // (Not seen if the question was answered and closed: the checks below say so.)
        (void)QTest::qWaitFor([&counter] { return counter.shifted; }, 10000);
        load.clear();
        qApp->removeEventFilter(&counter);
        QCOMPARE(f.platform.takeCalls(), QStringList());
        QCOMPARE(f.requests, QStringList());
        QVERIFY2(shown<QMessageBox>() == alert, "the question was answered");
        QVERIFY2(counter.repeats > 5, qPrintable(u"only %1 repeats"_s.arg(counter.repeats)));

        auto *uninstall = alert->findChild<QPushButton *>(u"uninstall"_s);
        QVERIFY(uninstall);
        const QPoint at = uninstall->mapToGlobal(uninstall->rect().center());
        QVERIFY(run(u"xdotool"_s, {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                   u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(f.requests, QStringList{u"quit"_s}, 10000);
        QVERIFY(f.platform.takeCalls().contains(u"removeProgram"_s));
    }
};

int main(int argc, char *argv[])
{
    TestHome home; // before the application, which reads the desktop's settings
    QApplication app(argc, argv);
    MenuBarTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_menubar.moc"
