#include "FakeTools.h"
#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/ScreenshotWatcher.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuModel.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "menubar/TrayIcon.h"
#include "platform/Translations.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"
#include "settings/AppState.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
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
#include <QTimer>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// An item's text as shown: "&&" is a literal "&", a lone "&" marks the mnemonic and vanishes.
QString shown(QString text)
{
    return text.replace(u"&&"_s, u"\x01"_s).remove(u'&').replace(u'\x01', u'&');
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

// Counts the menu's rebuilds: each one adds all its top-level items afresh.
class RebuildCounter : public QObject {
public:
    explicit RebuildCounter(QMenu *menu) : m_menu(menu) { menu->installEventFilter(this); }
    int rebuilds() const { return m_added / int(m_menu->actions().size()); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_menu && event->type() == QEvent::ActionAdded) {
            ++m_added;
        }
        return false;
    }

private:
    QMenu *m_menu;
    int m_added = 0;
};

} // namespace
class MenuBarTest : public QObject {
    Q_OBJECT

private slots:
    // --- The tray icon ---

    // Drawn where trays show its pixels as they are, the icon stands out on the panel: light
    // on dark panels, dark on light ones; trays that draw by name get the symbolic one.
    void trayIconStandsOut_data()
    {
        QTest::addColumn<QColor>("panel");
        QTest::addColumn<QColor>("expected");
        const QColor dark(0x2e, 0x34, 0x36);
        const QColor light(0xee, 0xee, 0xec);
        QTest::newRow("black") << QColor(Qt::black) << light;
        QTest::newRow("dark grey panel") << QColor(0x20, 0x20, 0x20) << light;
        QTest::newRow("deep blue") << QColor(0x20, 0x4a, 0x87) << light;
        QTest::newRow("mid grey, darker side") << QColor(0x70, 0x70, 0x70) << light;
        QTest::newRow("mid grey, lighter side") << QColor(0x90, 0x90, 0x90) << dark;
        QTest::newRow("yellow") << QColor(0xfc, 0xe9, 0x4f) << dark;
        QTest::newRow("light grey panel") << QColor(0xf6, 0xf5, 0xf4) << dark;
        QTest::newRow("white") << QColor(Qt::white) << dark;
        QTest::newRow("unknown") << QColor() << dark;
    }
    void trayIconStandsOut()
    {
        QFETCH(QColor, panel);
        QFETCH(QColor, expected);
        const QColor chosen = tray::contrastingIconColor(panel);
        QCOMPARE(chosen, expected);
        const QIcon icon = tray::symbolicIcon(chosen);
        QCOMPARE(icon.name(), u"com.tarnwell.orvane-symbolic"_s);
        const QImage drawn = icon.pixmap(QSize(22, 22)).toImage();
        int opaque = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    ++opaque;
                    QCOMPARE(pixel.rgb(), chosen.rgb());
                }
            }
        }
        QVERIFY(opaque > 22 * 22 / 5);
    }

    // --- The menu built from the settings ---

    // The whole menu as the user reads it: current without being opened (a tray host may read
    // it over D-Bus), the same at every opening, and nothing piles up behind it.
    void menu_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<bool>("autoCopy");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("checkedTimer");
        QTest::newRow("active, 7") << false << false << qint64(7) << u"7 Seconds (Default)"_s;
        QTest::newRow("paused, auto-copy, 4") << true << true << qint64(4) << u"4 Seconds"_s;
        QTest::newRow("active, 12") << false << false << qint64(12) << u"12 Seconds"_s;
        QTest::newRow("stored 5 marks none") << false << true << qint64(5) << QString();
        QTest::newRow("paused, stored 0 marks none") << true << false << qint64(0) << QString();
    }
    void menu()
    {
        QFETCH(bool, paused);
        QFETCH(bool, autoCopy);
        QFETCH(qint64, seconds);
        QFETCH(QString, checkedTimer);
        Fixture f;
        f.state->setIsPaused(paused);
        f.state->setAutoCopyOnCapture(autoCopy);
        f.state->setAutoDismissSeconds(seconds);
        QStringList expected = activeMenu(u"~/Desktop"_s, checkedTimer);
        if (paused) {
            expected[1] = u"⚠️ Monitoring Paused (off)"_s;
            expected[19] = u"Resume Monitoring\tCtrl+P"_s;
        }
        if (autoCopy) {
            expected[5] = u"[x] Auto-Copy on Capture (Zero-Click)"_s;
        }
        QTRY_COMPARE(describe(f.menu()), expected);

        const auto objectsBehindTheMenu = [&f] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return f.menu()->findChildren<QObject *>().size();
        };
        QCOMPARE(f.open(), expected);
        const qsizetype objects = objectsBehindTheMenu();
        QCOMPARE(f.open(), expected);
        QCOMPARE(f.menu()->actions().size(), 17);
        QCOMPARE(objectsBehindTheMenu(), objects);
        QCOMPARE(f.menu()->findChildren<QMenu *>().size(), 2);
    }

    // --- The actions ---

    // Each choice changes its setting, stores it, and the menu shows it at once.
    void toggles_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QVariant>("storedAfter");
        QTest::addColumn<int>("checkmarksAdded");
        QTest::addColumn<QString>("platformCall");
        QTest::newRow("auto-copy")
            << false << u"Auto-Copy on Capture (Zero-Click)"_s
            << u"[x] Auto-Copy on Capture (Zero-Click)"_s << QByteArray(keys::autoCopyOnCapture)
            << QVariant(true) << 1 << QString();
        QTest::newRow("sound") << false << u"Play Sound Effects"_s << u"Play Sound Effects"_s
                               << QByteArray(keys::playSound) << QVariant(false) << -1 << QString();
        QTest::newRow("launch at login")
            << false << u"Launch at Login"_s << u"[x] Launch at Login"_s
            << QByteArray(keys::launchAtLogin) << QVariant(true) << 1 << u"registerLoginItem"_s;
        // The checkmark moves rather than being added: one timer item carries it.
        QTest::newRow("12 seconds")
            << false << u"12 Seconds"_s << u"> [x] 12 Seconds"_s
            << QByteArray(keys::autoDismissSeconds) << QVariant(12) << 0 << QString();
        QTest::newRow("4 seconds")
            << false << u"4 Seconds"_s << u"> [x] 4 Seconds"_s
            << QByteArray(keys::autoDismissSeconds) << QVariant(4) << 0 << QString();
        QTest::newRow("pause") << false << u"Pause Monitoring"_s
                               << u"⚠️ Monitoring Paused (off)"_s << QByteArray() << QVariant()
                               << 0 << QString();
        QTest::newRow("resume") << true << u"Resume Monitoring"_s
                                << u"● Active & Monitoring (off)"_s << QByteArray() << QVariant()
                                << 0 << QString();
    }
    void toggles()
    {
        QFETCH(bool, paused);
        QFETCH(QString, item);
        QFETCH(QString, shownAfter);
        QFETCH(QByteArray, key);
        QFETCH(QVariant, storedAfter);
        QFETCH(int, checkmarksAdded);
        QFETCH(QString, platformCall);
        Fixture f;
        f.state->setIsPaused(paused);
        const QStringList before = f.open();
        RebuildCounter counter(f.menu());
        f.choose(item);
        // Rebuilt by the action itself, before any new opening.
        const QStringList after = describe(f.menu());
        // Once: the change the settings announce is not built a second time.
        QCoreApplication::processEvents();
        QCOMPARE(counter.rebuilds(), 1);
        QVERIFY2(after.contains(shownAfter), qPrintable(after.join(u'\n')));
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.filter(u"[x]"_s).size(), before.filter(u"[x]"_s).size() + checkmarksAdded);
        if (!key.isEmpty()) {
            QCOMPARE(f.stored(key.constData()).toString(), storedAfter.toString());
        } else {
            QCOMPARE(f.state->isPaused(), !paused);
        }
        if (!platformCall.isEmpty()) {
            QVERIFY(f.platform.takeCalls().contains(platformCall));
        }
        QVERIFY(f.requests.isEmpty());
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

    // Items that ask another room for something. A folder answer "~/x" lies in the home, any
    // other is made elsewhere; none is a cancel.
    void requests_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("restarts"); // of the watcher
        QTest::newRow("preferences") << u"Preferences & Settings..."_s << QString()
                                     << QStringList{u"showPreferences"_s} << 0;
        QTest::newRow("about") << u"About Orvane..."_s << QString() << QStringList{u"showAbout"_s}
                               << 0;
        QTest::newRow("quit") << u"Quit Orvane"_s << QString() << QStringList{u"quit"_s} << 0;
        const QString choose = u"Choose Custom Folder..."_s;
        const QStringList chosen{u"chooseFolder"_s};
        QTest::newRow("chosen in the home") << choose << u"~/New \"Shots\""_s << chosen << 1;
        QTest::newRow("chosen elsewhere") << choose << u"Shots"_s << chosen << 1;
        QTest::newRow("cancelled") << choose << QString() << chosen << 0;
        QTest::newRow("reset restarts even without a custom folder")
            << u"Reset to Desktop Default"_s << QString() << QStringList() << 1;
    }
    void requests()
    {
        QFETCH(QString, item);
        QFETCH(QString, answer);
        QFETCH(QStringList, requests);
        QFETCH(int, restarts);
        Fixture f;
        ScreenshotWatcher watcher(*f.state, f.platform, f.platform);
        watcher.start();
        QTemporaryDir elsewhere;
        std::optional<QString> chosen;
        if (!answer.isEmpty()) {
            chosen = answer.startsWith(u"~/"_s) ? f.home.file(answer.mid(2))
                                                : elsewhere.filePath(answer);
            QDir().mkpath(*chosen);
        }
        f.folderAnswer = chosen;
        f.open();
        QAction *firstItem = f.menu()->actions().first();
        f.choose(item);
        QCOMPARE(f.requests, requests);
        const bool aboutTheFolder = item.contains(u"Folder"_s) || item.contains(u"Default"_s);
        if (!aboutTheFolder) {
            QVERIFY2(f.menu()->actions().contains(firstItem), "rebuilt without a change");
            QVERIFY(f.platform.takeCalls().isEmpty());
        }
        // The watcher restarts once the system has the new folder, and only then.
        f.state->waitForBackgroundWork();
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls().filter(u"createStream:"_s).size(), restarts);
        if (requests.contains(u"chooseFolder"_s)) {
            QCOMPARE(f.folderStart, f.home.file(u"Desktop"_s));
        }
        QCOMPARE(f.state->customFolderPath(), chosen);
        if (chosen) {
            QCOMPARE(f.stored(keys::customFolderPath).toString(), *chosen);
        }
        const QString current = !chosen                      ? u"~/Desktop"_s
                                : answer.startsWith(u"~/"_s) ? answer
                                                             : *chosen;
        QVERIFY2(findItem(f.menu(), u"Current: "_s + current), qPrintable(current));
    }

    // --- The uninstall ---

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

    // While the menu waits for an answer, other windows (a card shown meanwhile) still take
    // their clicks, whichever of its dialogs is open.
    void dialogsBlockNoOtherWindow_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("about") << u"about"_s;
        QTest::newRow("uninstall") << u"uninstall"_s;
        QTest::newRow("folder") << u"folder"_s;
    }
    void dialogsBlockNoOtherWindow()
    {
        QFETCH(QString, dialog);
        const MenuDialogs dialogs = MenuDialogs::modal(MenuTexts::forPlatform(PlatformKind::Linux));
        QPushButton card(u"Copy & Save"_s);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        bool clicked = false;
        connect(&card, &QPushButton::clicked, this, [&clicked] { clicked = true; });
        QTimer::singleShot(0, this, [&] {
            // Through the window system, where a modal window would stop it.
            QTest::mouseClick(card.windowHandle(), Qt::LeftButton, {}, card.rect().center());
            // Close whichever dialog is open, as the user would.
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *open = qobject_cast<QDialog *>(window); open && open->isVisible()) {
                    open->reject();
                }
            }
        });
        if (dialog == u"about"_s) {
            dialogs.showAbout();
        } else if (dialog == u"uninstall"_s) {
            QVERIFY(!dialogs.confirmUninstall());
        } else {
            QCOMPARE(dialogs.chooseFolder(QDir::tempPath()), std::nullopt);
        }
        QVERIFY(clicked);
    }

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
        ProcessContext context{
            bundle + u"/Contents/MacOS/Orvane"_s, bundle, bundle + u"/Contents/MacOS/Orvane"_s, {}};
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
        // The detached script waits 0.4 s for the program to quit. On a busy machine it may
        // overtake the last termination step, but never the uninstall's own steps.
        QTRY_COMPARE_WITH_TIMEOUT(tools.calls().size(), 6, 10000);
        QList<QStringList> calls = tools.calls();
        QCOMPARE(calls.count(finder), 1);
        QVERIFY(calls.indexOf(finder) >= 3);
        calls.removeAll(finder);
        QCOMPARE(calls, QList<QStringList>(
                            {unload, deleteThumbnail, restartUi, deleteThumbnail, restartUi}));
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
        QDir().mkpath(folders[0]);
        QDir().mkpath(folders[1]);
        QFile file(folders[2]); // named like a bundle, but a plain file
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        for (const QString &folder : folders) {
            QFile::copy(QCoreApplication::applicationFilePath(), folder + u"/orvane"_s);
            MacPlatform platform(
                ProcessContext{folder + u"/orvane"_s, folder, folder + u"/orvane"_s, {}});
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
    // the user's own: an AppImage it runs from, or a copy in the home folder that is not a
    // build. A packaged copy stays, and the confirmation and the log say how to remove it.
    // One home for all cases: GLib keeps the first home it sees.
    void linuxUninstall()
    {
        test::TestHome home;
        test::LogCapture log;
        QTemporaryDir system;
        // dpkg's answer, for the one program "installed from a package".
        QTemporaryDir bin;
        {
            QFile fake(bin.filePath(u"dpkg-query"_s));
            QVERIFY(fake.open(QIODevice::WriteOnly));
            fake.write("#!/bin/sh\n"
                       "case \"$2\" in */packaged/usr/bin/orvane) echo \"orvane: $2\";; "
                       "*) echo \"dpkg-query: no path found matching pattern $2\" >&2; exit 1;; "
                       "esac\n");
            fake.close();
            fake.setPermissions(fake.permissions() | QFileDevice::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8() + ':' + path);
        const QString trash = home.file(u".local/share/Trash/files/"_s);
        const auto place = [](const QString &file) {
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            return out.open(QIODevice::WriteOnly) && out.write("ELF") == 3;
        };
        QVERIFY(place(home.file(u"src/orvane/build/default/CMakeCache.txt"_s)));
        const QString otherAppImage = system.filePath(u"Apps/Terminal.AppImage"_s);
        QVERIFY(place(otherAppImage));
        struct Case {
            QString program;
            ProcessContext context;
            bool trashed;
            QString told; // in the confirmation and the log, when the program stays
        };
        const auto plain = [](const QString &program) {
            return ProcessContext::make(program, {program}, {}, {});
        };
        const QString mount = system.filePath(u"mnt/.mount_Orvane"_s);
        const QString appImage = system.filePath(u"Apps/Orvane x86_64.AppImage"_s);
        const QList<Case> cases{
            {home.file(u".local/bin/orvane"_s), plain(home.file(u".local/bin/orvane"_s)), true, {}},
            {system.filePath(u"usr/bin/orvane"_s), plain(system.filePath(u"usr/bin/orvane"_s)),
             false, u"remove it the way it was installed"_s},
            {system.filePath(u"packaged/usr/bin/orvane"_s),
             plain(system.filePath(u"packaged/usr/bin/orvane"_s)), false,
             u"\"sudo apt remove orvane\""_s},
            {home.file(u"src/orvane/build/default/src/app/orvane"_s),
             plain(home.file(u"src/orvane/build/default/src/app/orvane"_s)), false,
             u"is a build"_s},
            {appImage,
             ProcessContext::make(mount + u"/usr/bin/orvane"_s, {}, appImage, mount),
             true,
             {}},
            // Started from another AppImage's terminal, which passed its variables on.
            {system.filePath(u"usr/local/bin/orvane"_s),
             ProcessContext::make(system.filePath(u"usr/local/bin/orvane"_s), {}, otherAppImage,
                                  system.filePath(u"mnt/.mount_Termin"_s)),
             false, u"remove it the way it was installed"_s},
        };
        QVERIFY(place(mount + u"/usr/bin/orvane"_s));
        for (const Case &c : cases) {
            QVERIFY(place(c.program));
            LinuxPlatform platform(c.context);
            platform.installLoginAgent();
            QVERIFY(QFile::exists(LinuxPlatform::autostartEntryPath()));
            const QString note = platform.programRemovalNote();
            const auto box = menudialogs::uninstallConfirmation(
                MenuTexts::forPlatform(PlatformKind::Linux), note);
            QVERIFY2(box->informativeText().endsWith(note), qPrintable(box->informativeText()));
            QVERIFY2(note.contains(c.trashed ? u"will be moved to the Trash"_s : c.told),
                     qPrintable(note));
            const qsizetype logged = log.lines().size();
            int terminated = 0;
            StatusBarController::performCleanUninstall(platform, [&] { ++terminated; });
            QCOMPARE(terminated, 1);
            QVERIFY(!QFile::exists(LinuxPlatform::autostartEntryPath()));
            QCOMPARE(QFile::exists(c.program), !c.trashed);
            QCOMPARE(QFile::exists(trash + QFileInfo(c.program).fileName()), c.trashed);
            QVERIFY(QFile::exists(otherAppImage));
            if (c.trashed) {
                QFile::remove(trash + QFileInfo(c.program).fileName());
                QCOMPARE(log.lines().size(), logged);
            } else {
                QCOMPARE(log.lines().size(), logged + 1);
                QCOMPARE(log.lines().last(), u"[Orvane] Uninstall: "_s + note);
            }
        }
        qputenv("PATH", path);
    }

    // --- Languages ---

    // The user's first language that Orvane speaks wins, and Qt's own buttons (the file
    // dialog's) follow it; English first stays English even with German further down.
    void languages_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("cancel");
        const QStringList german{u"● Aktiv – Überwachung läuft (off)"_s,
                                 u"> Eigenen Ordner wählen..."_s, u"> [x] 7 Sekunden (Standard)"_s,
                                 u"Orvane beenden\tCtrl+Q"_s};
        const QStringList english{u"● Active & Monitoring (off)"_s, u"> Choose Custom Folder..."_s,
                                  u"> [x] 7 Seconds (Default)"_s, u"Quit Orvane\tCtrl+Q"_s};
        QTest::newRow("de") << QStringList{u"de"_s} << german << u"Abbrechen"_s;
        QTest::newRow("de-AT") << QStringList{u"de-AT"_s} << german << u"Abbrechen"_s;
        QTest::newRow("fr, then de")
            << QStringList{u"fr-FR"_s, u"fr"_s, u"de-DE"_s} << german << u"Abbrechen"_s;
        QTest::newRow("en-GB, then de")
            << QStringList{u"en-GB"_s, u"de"_s} << english << u"Cancel"_s;
        QTest::newRow("C") << QStringList{u"C"_s} << english << u"Cancel"_s;
    }
    void languages()
    {
        QFETCH(QStringList, languages);
        QFETCH(QStringList, items);
        QFETCH(QString, cancel);
        const Translations translations(languages);
        Fixture f;
        const QStringList menu = f.open();
        for (const QString &item : items) {
            QVERIFY2(menu.contains(item), qPrintable(menu.join(u'\n')));
        }
        const auto dialog = menudialogs::folderDialog(MenuTexts::forPlatform(PlatformKind::Linux),
                                                      QDir::tempPath());
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(buttons && buttons->button(QDialogButtonBox::Cancel));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), cancel);
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
                                       {[&] { requests << u"showPreferences"_s; }, {}});
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
