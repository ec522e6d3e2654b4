#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/ScreenshotWatcher.h"
#include "dialogs/Dialogs.h"

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

// The menu as the user reads it, one line per item: "[x]" for a checkmark, "(off)" for a
// disabled item, the shortcut after a tab, "> " before the items of a submenu.
QStringList describe(const QMenu *menu, const QString &indent = {})
{
    QStringList lines;
    for (const QAction *action : menu->actions()) {
        QString line = indent + (action->isChecked() ? u"[x] "_s : QString()) +
                       (action->isSeparator() ? u"---"_s : shown(action->text()));
        if (!action->isEnabled() && !action->isSeparator()) {
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
        QAction *inner = action->menu() ? findItem(action->menu(), title) : nullptr;
        if (shown(action->text()) == title || inner) {
            return inner ? inner : action;
        }
    }
    return nullptr;
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
    bool confirmAnswer = false;

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
    QString stored(const char *key) const
    {
        return QSettings(platform.settingsFile, QSettings::IniFormat)
            .value(QLatin1String(key))
            .toString();
    }
};

} // namespace

class MenuBarTest : public QObject {
    Q_OBJECT

private slots:
    // Where trays show its pixels as they are, the icon is light on dark panels and dark on
    // light ones, drawn all in that colour.
    void trayIconStandsOut_data()
    {
        QTest::addColumn<QColor>("panel");
        QTest::addColumn<QColor>("expected");
        const QColor dark(0x2e, 0x34, 0x36);
        const QColor light(0xee, 0xee, 0xec);
        QTest::newRow("mid grey, darker side") << QColor(0x70, 0x70, 0x70) << light;
        QTest::newRow("mid grey, lighter side") << QColor(0x90, 0x90, 0x90) << dark;
        QTest::newRow("yellow") << QColor(0xfc, 0xe9, 0x4f) << dark;
        QTest::newRow("unknown") << QColor() << dark;
    }
    void trayIconStandsOut()
    {
        QFETCH(QColor, panel);
        QFETCH(QColor, expected);
        QCOMPARE(tray::contrastingIconColor(panel), expected);
        const QImage drawn = tray::symbolicIcon(expected).pixmap(QSize(22, 22)).toImage();
        int opaque = 0;
        for (int i = 0; i < 22 * 22; ++i) {
            const QColor pixel = drawn.pixelColor(i % 22, i / 22);
            opaque += pixel.alpha() == 255 && pixel.rgb() == expected.rgb() ? 1 : 0;
            QVERIFY(pixel.alpha() < 255 || pixel.rgb() == expected.rgb());
        }
        QVERIFY(opaque > 22 * 22 / 5);
    }

    // The whole menu as the user reads it: current without being opened (a tray host may read
    // it over D-Bus), the same at every opening, and nothing piles up behind it.
    void menu_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("checkedTimer"); // -1: none
        QTest::newRow("active, 7") << false << qint64(7) << 1;
        QTest::newRow("paused, auto-copy, 4") << true << qint64(4) << 0;
        QTest::newRow("stored 5 marks none") << false << qint64(5) << -1;
    }
    void menu()
    {
        QFETCH(bool, paused);
        QFETCH(qint64, seconds);
        QFETCH(int, checkedTimer);
        Fixture f;
        f.state->setIsPaused(paused);
        f.state->setAutoCopyOnCapture(paused);
        f.state->setAutoDismissSeconds(seconds);
        QStringList timers{u"> 4 Seconds"_s, u"> 7 Seconds (Default)"_s, u"> 12 Seconds"_s};
        if (checkedTimer >= 0) {
            timers[checkedTimer].insert(2, u"[x] "_s);
        }
        const QStringList expected =
            QStringList{u"Orvane v1.0 (off)"_s,
                        paused ? u"⚠️ Monitoring Paused (off)"_s
                               : u"● Active & Monitoring (off)"_s,
                        u"---"_s,
                        u"Preferences & Settings...\tCtrl+,"_s,
                        u"---"_s,
                        (paused ? u"[x] "_s : QString()) + u"Auto-Copy on Capture (Zero-Click)"_s,
                        u"[x] Play Sound Effects"_s,
                        u"Launch at Login"_s,
                        u"---"_s,
                        u"Screenshot Folder"_s,
                        u"> Current: ~/Desktop (off)"_s,
                        u"> ---"_s,
                        u"> Choose Custom Folder..."_s,
                        u"> Reset to Desktop Default"_s,
                        u"HUD Auto-Dismiss Timer"_s} +
            timers +
            QStringList{u"---"_s,
                        paused ? u"Resume Monitoring\tCtrl+P"_s : u"Pause Monitoring\tCtrl+P"_s,
                        u"---"_s,
                        u"About Orvane..."_s,
                        u"Uninstall Orvane & Restore Defaults..."_s,
                        u"Quit Orvane\tCtrl+Q"_s};
        QTRY_COMPARE(describe(f.menu()), expected);
        const auto objectsBehindTheMenu = [&f] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return f.menu()->findChildren<QObject *>().size();
        };
        QCOMPARE(f.open(), expected);
        const qsizetype objects = objectsBehindTheMenu();
        QCOMPARE(f.open(), expected);
        QCOMPARE(objectsBehindTheMenu(), objects);
    }

    // Each choice changes its setting, stores it, and the menu shows it at once; a timer's
    // checkmark moves rather than being added.
    void toggles_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("storedAfter");
        QTest::addColumn<int>("checkmarksAdded");
        QTest::newRow("auto-copy")
            << u"Auto-Copy on Capture (Zero-Click)"_s << u"[x] Auto-Copy on Capture (Zero-Click)"_s
            << QByteArray(keys::autoCopyOnCapture) << u"true"_s << 1;
        QTest::newRow("sound") << u"Play Sound Effects"_s << u"Play Sound Effects"_s
                               << QByteArray(keys::playSound) << u"false"_s << -1;
        QTest::newRow("launch at login") << u"Launch at Login"_s << u"[x] Launch at Login"_s
                                         << QByteArray(keys::launchAtLogin) << u"true"_s << 1;
        QTest::newRow("12 seconds") << u"12 Seconds"_s << u"> [x] 12 Seconds"_s
                                    << QByteArray(keys::autoDismissSeconds) << u"12"_s << 0;
        QTest::newRow("pause") << u"Pause Monitoring"_s << u"⚠️ Monitoring Paused (off)"_s
                               << QByteArray() << QString() << 0;
    }
    void toggles()
    {
        QFETCH(QString, item);
        QFETCH(QString, shownAfter);
        QFETCH(QByteArray, key);
        QFETCH(QString, storedAfter);
        QFETCH(int, checkmarksAdded);
        Fixture f;
        const QStringList before = f.open();
        f.choose(item);
        const QStringList after = describe(f.menu()); // before any new opening
        QVERIFY2(after.contains(shownAfter), qPrintable(after.join(u'\n')));
        QCOMPARE(after.filter(u"[x]"_s).size(), before.filter(u"[x]"_s).size() + checkmarksAdded);
        if (!key.isEmpty()) {
            QCOMPARE(f.stored(key.constData()), storedAfter);
        } else {
            QVERIFY(f.state->isPaused());
            f.choose(u"Resume Monitoring"_s);
            QVERIFY(!f.state->isPaused());
        }
        QVERIFY(f.requests.isEmpty());
    }

    // Items that ask another room for something. A folder answer "~/x" lies in the home, any
    // other is made elsewhere; none is a cancel. The watcher restarts once the system has the
    // new folder, and only then.
    void requests_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("restarts");
        const QString choose = u"Choose Custom Folder..."_s;
        QTest::newRow("preferences")
            << u"Preferences & Settings..."_s << QString() << u"showPreferences"_s << 0;
        QTest::newRow("about") << u"About Orvane..."_s << QString() << u"showAbout"_s << 0;
        QTest::newRow("quit") << u"Quit Orvane"_s << QString() << u"quit"_s << 0;
        QTest::newRow("chosen in the home")
            << choose << u"~/New \"Shots\""_s << u"chooseFolder"_s << 1;
        QTest::newRow("chosen elsewhere") << choose << u"Shots"_s << u"chooseFolder"_s << 1;
        QTest::newRow("cancelled") << choose << QString() << u"chooseFolder"_s << 0;
        QTest::newRow("reset restarts even without a custom folder")
            << u"Reset to Desktop Default"_s << QString() << QString() << 1;
    }
    void requests()
    {
        QFETCH(QString, item);
        QFETCH(QString, answer);
        QFETCH(QString, request);
        QFETCH(int, restarts);
        Fixture f;
        ScreenshotWatcher watcher(*f.state, f.platform, f.platform);
        watcher.start();
        QTemporaryDir elsewhere;
        if (!answer.isEmpty()) {
            f.folderAnswer = answer.startsWith(u"~/"_s) ? f.home.file(answer.mid(2))
                                                        : elsewhere.filePath(answer);
            QDir().mkpath(*f.folderAnswer);
        }
        f.open();
        f.choose(item);
        const QString asked =
            request == u"chooseFolder"_s ? request + u':' + f.home.file(u"Desktop"_s) : request;
        QCOMPARE(f.requests, asked.isEmpty() ? QStringList() : QStringList{asked});
        f.state->waitForBackgroundWork();
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.takeCalls().filter(u"createStream:"_s).size(), restarts);
        QCOMPARE(f.state->customFolderPath(), f.folderAnswer);
        QCOMPARE(f.stored(keys::customFolderPath), f.folderAnswer.value_or(QString()));
        const QString current = !f.folderAnswer              ? u"~/Desktop"_s
                                : answer.startsWith(u"~/"_s) ? answer
                                                             : *f.folderAnswer;
        QVERIFY2(findItem(f.menu(), u"Current: "_s + current), qPrintable(current));
    }

    // --- The uninstall ---

    // Only its own button confirms; Escape and Cancel refuse. What becomes of the program
    // (a packaged copy stays) is said before the user confirms.
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
        const QString note = u"/usr/bin/orvane stays: remove it with \"sudo apt remove orvane\"."_s;
        const auto box =
            menudialogs::uninstallConfirmation(MenuTexts::forPlatform(PlatformKind::Linux), note);
        QVERIFY(box->informativeText().endsWith(u"\n\n"_s + note));
        QStringList order;
        for (const QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
            order << shown(button->text());
        }
        QCOMPARE(order, QStringList({u"Uninstall & Move to Trash"_s, u"Cancel"_s}));
        box->show();
        if (press == u"Escape"_s) {
            QTest::keyClick(box.get(), Qt::Key_Escape);
        } else {
            box->buttons().at(order.indexOf(press))->click();
        }
        QCOMPARE(dialogs::uninstallConfirmed(*box), confirmed);
    }

    // While the menu waits for an answer, other windows (a card shown meanwhile) still take
    // their clicks, whichever of its dialogs is open.
    void dialogsBlockNoOtherWindow_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::newRow("about") << 0;
        QTest::newRow("uninstall") << 1;
        QTest::newRow("folder") << 2;
    }
    void dialogsBlockNoOtherWindow()
    {
        QFETCH(int, dialog);
        const MenuDialogs dialogs = MenuDialogs::modal(MenuTexts::forPlatform(PlatformKind::Linux));
        QPushButton card(u"Copy & Save"_s);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        bool clicked = false;
        connect(&card, &QPushButton::clicked, this, [&clicked] { clicked = true; });
        QTimer::singleShot(0, this, [&] {
            // Through the window system, where a modal window would stop it.
            QTest::mouseClick(card.windowHandle(), Qt::LeftButton, {}, card.rect().center());
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *open = qobject_cast<QDialog *>(window); open && open->isVisible()) {
                    open->reject();
                }
            }
        });
        if (dialog == 0) {
            dialogs.showAbout();
        } else if (dialog == 1) {
            QVERIFY(!dialogs.confirmUninstall());
        } else {
            QCOMPARE(dialogs.chooseFolder(QDir::tempPath()), std::nullopt);
        }
        QVERIFY(clicked);
    }

    // Nothing is undone unless confirmed; once confirmed, every step runs and Orvane quits.
    void uninstallAsksFirst()
    {
        Fixture f;
        f.open();
        const QString uninstall = u"Uninstall Orvane & Restore Defaults..."_s;
        f.choose(uninstall);
        QCOMPARE(f.platform.takeCalls(), QStringList());
        QCOMPARE(f.requests, QStringList{u"confirmUninstall"_s});
        f.confirmAnswer = true;
        f.requests.clear();
        f.choose(uninstall);
        QVERIFY(f.platform.takeCalls().contains(u"removeProgram"_s));
        QCOMPARE(f.requests, QStringList({u"confirmUninstall"_s, u"quit"_s}));
    }
};

QTEST_MAIN(MenuBarTest)
#include "tst_menubar.moc"
