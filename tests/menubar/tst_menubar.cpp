#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/ScreenshotWatcher.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "menubar/SystemTray.h"
#include "menubar/TrayIcon.h"
#include "settings/AppState.h"

#include <QGuiApplication>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// The menu as the user reads it, one line per item: "[x]" for a checkmark, "(off)" for a
// disabled item, the shortcut after a tab, "> " before the items of a submenu.
QStringList describe(const QList<MenuEntry> &menu, const QString &indent = {})
{
    QStringList lines;
    for (const MenuEntry &entry : menu) {
        lines << indent + (entry.checked ? u"[x] "_s : QString()) +
                     (entry.separator ? u"---"_s : entry.title) +
                     (entry.enabled || entry.separator ? QString() : u" (off)"_s) +
                     (entry.shortcut.isEmpty() ? QString() : u"\t"_s + entry.shortcut.toString());
        lines << describe(entry.submenu, indent + u"> "_s);
    }
    return lines;
}

const MenuEntry *findItem(const QList<MenuEntry> &menu, const QString &title)
{
    for (const MenuEntry &entry : menu) {
        if (entry.title == title) {
            return &entry;
        }
        if (const MenuEntry *inner = findItem(entry.submenu, title)) {
            return inner;
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
    std::function<void()> aboutClosed;
    std::pair<QList<MenuEntry>, std::function<void(const MenuEntry &)>> popped;

    Fixture()
    {
        QDir().mkpath(home.file(u"Desktop"_s));
        state = std::make_unique<AppState>(platform, platform.openSettings());
        controller = std::make_unique<StatusBarController>(
            *state, platform,
            StatusBarController::Callbacks{[this] { requests << u"showPreferences"_s; },
                                           [this] { requests << u"quit"_s; },
                                           [this](const QList<MenuEntry> &entries, const QPoint &,
                                                  std::function<void(const MenuEntry &)> chosen) {
                                               requests << u"popUpMenu"_s;
                                               popped = {entries, std::move(chosen)};
                                           }});
        MenuDialogs dialogs;
        dialogs.chooseFolder = [this](const QString &start,
                                      std::function<void(std::optional<QString>)> done) {
            requests << u"chooseFolder:"_s + start;
            done(folderAnswer);
        };
        dialogs.showAbout = [this](std::function<void()> done) {
            requests << u"showAbout"_s;
            aboutClosed = std::move(done);
        };
        controller->setDialogs(dialogs);
        QCoreApplication::sendPostedEvents(); // the no-tray request queued at creation
        requests.clear();
        platform.takeCalls();
    }
    const QList<MenuEntry> &menu() const { return controller->menu(); }
    QStringList open()
    {
        emit controller->statusItem()->menuAboutToShow();
        platform.takeCalls(); // the screenshot folder, looked up for "Current: "
        return describe(menu());
    }
    void choose(const QString &title)
    {
        const MenuEntry *item = findItem(menu(), title);
        QVERIFY2(item, qPrintable(u"no item "_s + title));
        controller->choose(MenuEntry(*item));
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
            if (key) {
                QCOMPARE(f.stored(key), value);
            }
        }
        QCOMPARE(f.open(), expected);
        // A tray that shows no menu itself: a click opens the program's own, as it stands,
        // whose choice acts like the tray's.
        emit f.controller->statusItem()->activated(SystemTray::Click::Context, QPoint(5, 5));
        QCOMPARE(f.requests, QStringList{u"popUpMenu"_s});
        QCOMPARE(describe(f.popped.first), expected);
        const bool sound = f.state->playSound();
        f.popped.second(*findItem(f.popped.first, u"Play Sound Effects"_s));
        QCOMPARE(f.state->playSound(), !sound);
        f.requests.clear();
        f.state->setIsPaused(false); // in the preferences window: shown without a new opening
        QTRY_VERIFY(describe(f.menu()).contains(u"Pause Monitoring\tCtrl+P"_s));
        QVERIFY(f.requests.isEmpty());
    }

    // Items that ask another room for something, each question one at a time. The watcher
    // restarts once the system has a new folder, and only then: not after a cancel, and after a
    // reset even without a custom one.
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
        // One About box at a time: another only once it is closed.
        f.requests.clear();
        f.choose(u"About Orvane..."_s);
        QCOMPARE(f.requests, QStringList());
        f.aboutClosed();
        f.choose(u"About Orvane..."_s);
        QCOMPARE(f.requests, QStringList{u"showAbout"_s});
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

    // The menu's windows, as they are asked: the uninstall's says what becomes of a packaged
    // copy, and only its own button confirms: then every step runs and Orvane quits; before an
    // answer, and after Cancel (Escape answers Cancel), nothing is undone. A cancelled folder
    // chooser stores nothing.
    void dialogs_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("answer"); // the button chosen
        QTest::newRow("folder, cancel") << u"Choose Custom Folder..."_s << -1;
        QTest::newRow("uninstall") << u"Uninstall Orvane & Restore Defaults..."_s << 0;
        QTest::newRow("uninstall, cancel") << u"Uninstall Orvane & Restore Defaults..."_s << 1;
    }
    void dialogs()
    {
        QFETCH(QString, item);
        QFETCH(int, answer);
        Fixture f;
        QList<Alert> asked;
        QList<FolderRequest> folders;
        std::function<void(int)> answerAlert;
        std::function<void(std::optional<QString>)> answerFolder;
        MenuDialogs::Asker asker;
        asker.ask = [&](const Alert &alert, std::function<void(int)> done) {
            asked << alert;
            answerAlert = std::move(done);
        };
        asker.chooseFolder = [&](const FolderRequest &request,
                                 std::function<void(std::optional<QString>)> done) {
            folders << request;
            answerFolder = std::move(done);
        };
        f.platform.removalNote = u"/usr/bin/orvane stays: remove it with \"sudo apt remove\"."_s;
        f.controller->setDialogs(MenuDialogs::standard(
            MenuTexts::forPlatform(PlatformKind::Linux), [&f] { return f.platform.removalNote; },
            asker));
        f.state->storeLaunchAtLoginChoice(true); // noted at the first launch
        f.choose(item);
        f.choose(item); // one question of a kind at a time
        QCOMPARE(asked.size() + folders.size(), 1);
        QCOMPARE(f.platform.takeCalls(), QStringList()); // asked, not answered yet
        QCOMPARE(f.requests, QStringList());
        if (!answerAlert) {
            QCOMPARE(folders.size(), 1);
            QCOMPARE(folders.first().startFolder, f.home.file(u"Desktop"_s));
            answerFolder(std::nullopt);
            QCOMPARE(f.state->customFolderPath(), std::nullopt);
            QCOMPARE(f.requests, QStringList());
            return;
        }
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().informative.endsWith(u"\n\n"_s + f.platform.removalNote));
        QCOMPARE(asked.first().buttons.at(asked.first().cancelButton), u"Cancel"_s);
        answerAlert(answer);
        const bool confirmed = answer == 0;
        QCOMPARE(f.requests, confirmed ? QStringList{u"quit"_s} : QStringList());
        const QStringList calls = f.platform.takeCalls();
        QVERIFY2(confirmed ? calls.contains(u"removeProgram"_s) : calls.isEmpty(),
                 qPrintable(calls.join(u' ')));
        // Left behind, the note would make a later install's first launch take the missing
        // login entry for one switched off.
        QCOMPARE(f.stored(keys::launchAtLogin), confirmed ? QString() : u"true"_s);
    }
};

QTEST_MAIN(MenuBarTest)
#include "tst_menubar.moc"
