#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/ScreenshotWatcher.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "menubar/TrayIcon.h"
#include "settings/AppState.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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

// The menu as the user reads it, one line per item: "[x]" for a checkmark, "(off)" for a
// disabled item, the shortcut after a tab, "> " before the items of a submenu.
QStringList describe(const QMenu *menu, const QString &indent = {})
{
    QStringList lines;
    for (const QAction *action : menu->actions()) {
        lines << indent + (action->isChecked() ? u"[x] "_s : QString()) +
                     (action->isSeparator() ? u"---"_s : shown(action->text())) +
                     (action->isEnabled() || action->isSeparator() ? QString() : u" (off)"_s) +
                     (action->shortcut().isEmpty() ? QString()
                                                   : u"\t"_s + action->shortcut().toString());
        lines << (action->menu() ? describe(action->menu(), indent + u"> "_s) : QStringList());
    }
    return lines;
}

QAction *findItem(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        QAction *inner = action->menu() ? findItem(action->menu(), title) : nullptr;
        if (shown(action->text()) == title || inner) {
            return inner ? inner : action;
        }
    }
    return nullptr;
}

// A controller over a fresh home, recording what it asks of the other rooms and answering
// its dialogs as told; it has no uninstall question.
struct Fixture {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    std::unique_ptr<AppState> state;
    std::unique_ptr<StatusBarController> controller;
    QStringList requests;
    std::optional<QString> folderAnswer;

    Fixture()
    {
        QDir().mkpath(home.file(u"Desktop"_s));
        state = std::make_unique<AppState>(platform, platform.openSettings());
        controller = std::make_unique<StatusBarController>(
            *state, platform,
            StatusBarController::Callbacks{[this] { requests << u"showPreferences"_s; },
                                           [this] { requests << u"quit"_s; }});
        MenuDialogs dialogs;
        dialogs.chooseFolder = [this](const QString &start) {
            requests << u"chooseFolder:"_s + start;
            return folderAnswer;
        };
        dialogs.showAbout = [this] { requests << u"showAbout"_s; };
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
    QString stored(const char *key) const
    {
        return platform.openSettings()->value(QLatin1String(key)).toString();
    }
};

} // namespace

class MenuBarTest : public QObject {
    Q_OBJECT

private slots:
    // Where trays show its pixels as they are, the icon is light on dark panels and dark on
    // light ones (mid grey on either side of the middle, yellow, unknown), all in that colour.
    void trayIconStandsOut()
    {
        const QColor dark(0x2e, 0x34, 0x36), light(0xee, 0xee, 0xec);
        QCOMPARE(tray::contrastingIconColor(QColor(0x707070u)), light);
        QCOMPARE(tray::contrastingIconColor(QColor(0x909090u)), dark);
        QCOMPARE(tray::contrastingIconColor(QColor(0xfce94fu)), dark);
        QCOMPARE(tray::contrastingIconColor(QColor()), dark);
        const QImage drawn = tray::symbolicIcon(light).pixmap(QSize(22, 22)).toImage();
        int opaque = 0;
        for (int i = 0; i < 22 * 22; ++i) {
            const QColor pixel = drawn.pixelColor(i % 22, i / 22);
            opaque += pixel.alpha() == 255 && pixel.rgb() == light.rgb() ? 1 : 0;
            QVERIFY(pixel.alpha() < 255 || pixel.rgb() == light.rgb());
        }
        QVERIFY(opaque > 22 * 22 / 5);
    }

    // The whole menu as the user reads it: current without being opened (a tray host may read
    // it over D-Bus), after each choice, which stores its setting and rebuilds the menu once,
    // the same at every opening, and nothing piles up behind it; changes made elsewhere show
    // too. A stored 5 marks no timer.
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
            {u"Auto-Copy on Capture (Zero-Click)"_s,
                {{5, u"[x] Auto-Copy on Capture (Zero-Click)"_s}}, keys::autoCopyOnCapture,
                u"true"_s},
            {u"Play Sound Effects"_s, {{6, u"Play Sound Effects"_s}}, keys::playSound, u"false"_s},
            {u"Launch at Login"_s, {{7, u"[x] Launch at Login"_s}}, keys::launchAtLogin, u"true"_s},
            {u"12 Seconds"_s, {{17, u"> [x] 12 Seconds"_s}}, keys::autoDismissSeconds, u"12"_s},
            {u"4 Seconds"_s, {{15, u"> [x] 4 Seconds"_s}, {17, u"> 12 Seconds"_s}},
                keys::autoDismissSeconds, u"4"_s},
            {u"Pause Monitoring"_s, {{1, u"⚠️ Monitoring Paused (off)"_s},
                {19, u"Resume Monitoring\tCtrl+P"_s}}, nullptr, {}}};
        // clang-format on
        QTRY_COMPARE(describe(f.menu()), expected);
        for (const auto &[item, lines, key, value] : steps) {
            f.open();
            f.choose(item);
            for (const auto &[line, text] : lines) {
                expected[line] = text;
            }
            QCOMPARE(describe(f.menu()), expected);
            const QPointer<QAction> built = f.menu()->actions().first();
            QCoreApplication::processEvents(); // the settings' own announcement of the change
            QCOMPARE(f.menu()->actions().first(), built.get());
            if (key) {
                QCOMPARE(f.stored(key), value);
            }
        }
        f.open();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const qsizetype objects = f.menu()->findChildren<QObject *>().size();
        QCOMPARE(f.open(), expected);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.menu()->findChildren<QObject *>().size(), objects);
        f.state->setIsPaused(false); // in the preferences window: shown without a new opening
        QTRY_VERIFY(describe(f.menu()).contains(u"Pause Monitoring\tCtrl+P"_s));
        QVERIFY(f.requests.isEmpty());
    }

    // Items that ask another room for something. The watcher restarts once the system has a
    // new folder, and only then: not after a cancel, and after a reset even without a custom one.
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
            f.choose(item);
        }
        QCOMPARE(f.requests, QStringList({u"showPreferences"_s, u"showAbout"_s, u"quit"_s,
                                          u"chooseFolder:"_s + f.home.file(u"Desktop"_s)}));
        QCOMPARE(restarts(), 0);
        QVERIFY(QDir().mkpath(*(f.folderAnswer = f.home.file(u"New \"Shots\""_s))));
        f.choose(choose);
        QCOMPARE(restarts(), 1);
        QCOMPARE(f.stored(keys::customFolderPath), *f.folderAnswer);
        QVERIFY(findItem(f.menu(), u"Current: ~/New \"Shots\""_s));
        for (int i = 0; i < 2; ++i) {
            f.choose(u"Reset to Desktop Default"_s);
            QCOMPARE(restarts(), 1);
            QCOMPARE(f.stored(keys::customFolderPath), QString());
            QVERIFY(findItem(f.menu(), u"Current: ~/Desktop"_s));
        }
    }

    // The menu's questions as the user sees them, answered later as a window would: the About
    // box has one button; the uninstall's alert says what becomes of a packaged copy, and only
    // its own button confirms: then every step runs and Orvane quits; after Escape or Cancel
    // (both its cancel button) nothing is undone. A cancelled chooser changes nothing.
    void dialogs_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("press"); // the button's text; "Escape": the cancel button
        QTest::newRow("folder, cancelled") << u"Choose Custom Folder..."_s << QString();
        QTest::newRow("about") << u"About Orvane..."_s << u"OK"_s;
        QTest::newRow("uninstall")
            << u"Uninstall Orvane & Restore Defaults..."_s << u"Uninstall & Move to Trash"_s;
        QTest::newRow("uninstall, cancel")
            << u"Uninstall Orvane & Restore Defaults..."_s << u"Cancel"_s;
        QTest::newRow("uninstall, escape")
            << u"Uninstall Orvane & Restore Defaults..."_s << u"Escape"_s;
    }
    void dialogs()
    {
        QFETCH(QString, item);
        QFETCH(QString, press);
        Fixture f;
        const MenuTexts texts = MenuTexts::forPlatform(PlatformKind::Linux);
        QList<Alert> alerts;
        QList<FolderRequest> folders;
        MenuDialogs::Asker asker;
        asker.ask = [&](const Alert &alert, std::function<void(int)> done) {
            alerts << alert;
            const int button =
                press == u"Escape"_s ? alert.cancelButton : int(alert.buttons.indexOf(press));
            QTimer::singleShot(0, this, [done, button] { done(button); });
        };
        asker.chooseFolder = [&](const FolderRequest &request,
                                 std::function<void(std::optional<QString>)> done) {
            folders << request;
            QTimer::singleShot(0, this, [done] { done(std::nullopt); });
        };
        f.controller->setDialogs(MenuDialogs::standard(
            texts, [&f] { return f.platform.removalNote; }, asker));
        f.platform.removalNote = u"/usr/bin/orvane stays: remove it with \"sudo apt remove\"."_s;
        f.choose(item);
        const bool confirmed = press.startsWith(u"Uninstall"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.requests, confirmed ? QStringList{u"quit"_s} : QStringList(),
                                  5000);
        QCoreApplication::processEvents();
        if (press.isEmpty()) {
            QCOMPARE(folders.size(), 1);
            QCOMPARE(folders.first().title, texts.folderMessage);
            QCOMPARE(f.state->customFolderPath(), std::nullopt);
            return;
        }
        QCOMPARE(alerts.size(), 1);
        const Alert &alert = alerts.first();
        if (item.startsWith(u"About"_s)) {
            QCOMPARE(alert.message, u"Orvane · v1.0"_s);
            QCOMPARE(alert.buttons, QStringList{u"OK"_s});
            return;
        }
        QCOMPARE(alert.buttons, QStringList({u"Uninstall & Move to Trash"_s, u"Cancel"_s}));
        QCOMPARE(alert.defaultButton, 0);
        QVERIFY(alert.informative.endsWith(u"\n\n"_s + f.platform.removalNote));
        const QStringList calls = f.platform.takeCalls();
        QVERIFY2(confirmed ? calls.contains(u"removeProgram"_s) : calls.isEmpty(),
                 qPrintable(calls.join(u' ')));
    }
};

QTEST_MAIN(MenuBarTest)
#include "tst_menubar.moc"
