#include "RecordingPlatform.h"
#include "TestHome.h"

#include "menubar/MenuDialogs.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "settings/AppState.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// Stands in for the tray menu: its item acts on a fresh Return, as a menu's does.
class MenuStandIn : public QWidget {
public:
    std::function<void()> chosen;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return && !event->isAutoRepeat()) {
            chosen();
        }
    }
};

QMessageBox *shownBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// Counts the repeated key presses the alert's window is sent by the X server.
class RepeatCounter : public QObject {
public:
    int repeats = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->isAutoRepeat() &&
            qobject_cast<QWindow *>(watched) && shownBox() &&
            watched == shownBox()->windowHandle()) {
            ++repeats;
        }
        return false;
    }
};

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

// The tray's uninstall question on a real X server, whose keyboard repeats a held key: Return
// held on the menu's item (the key that asked) never answers it, even with both cores busy;
// the alert stays open. A click on its destructive button does uninstall.
class TrayKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!run(u"xset"_s, {u"r"_s, u"on"_s}) ||
            !run(u"xset"_s, {u"r"_s, u"rate"_s, u"660"_s, u"25"_s})) {
            QSKIP("xset is missing (x11-xserver-utils)");
        }
    }

    void heldReturnNeverUninstalls_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("quiet") << false;
        QTest::newRow("both cores busy") << true;
    }
    void heldReturnNeverUninstalls()
    {
        QFETCH(bool, busy);
        test::TestHome home;
        test::RecordingPlatform platform(home.file(u"settings.ini"_s));
        AppState state(platform, platform.openSettings());
        QStringList requests;
        StatusBarController::Callbacks callbacks;
        callbacks.quit = [&requests] { requests << u"quit"_s; };
        StatusBarController controller(state, platform, std::move(callbacks), {});
        controller.setDialogs(MenuDialogs::standard(MenuTexts::forPlatform(PlatformKind::Linux),
                                                    [] { return QString(); }));
        platform.takeCalls();

        std::vector<std::unique_ptr<QProcess>> load;
        for (int i = 0; busy && i < 2; ++i) {
            auto &yes = load.emplace_back(std::make_unique<QProcess>());
            yes->setStandardOutputFile(QProcess::nullDevice());
            yes->start(u"yes"_s, {});
            QVERIFY(yes->waitForStarted());
        }
        MenuStandIn menu;
        menu.chosen = [&controller] { controller.restoreAndQuit(); };
        menu.resize(200, 100);
        menu.show();
        menu.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&menu, 10000));
        RepeatCounter counter;
        qApp->installEventFilter(&counter);

        QVERIFY(run(u"xdotool"_s, {u"keydown"_s, u"Return"_s}));
        QMessageBox *alert = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((alert = shownBox()), 10000);
        QVERIFY(QTest::qWaitForWindowActive(alert, 10000));
        QTest::qWait(2000); // held, as a user leaning on the key would
        QVERIFY(run(u"xdotool"_s, {u"keyup"_s, u"Return"_s}));
        QTest::qWait(300);
        load.clear();
        QCOMPARE(platform.takeCalls(), QStringList());
        QCOMPARE(requests, QStringList());
        QCOMPARE(shownBox(), alert);
        // The key did repeat, into the alert.
        QVERIFY2(counter.repeats > 5,
                 qPrintable(u"only %1 repeats reached the alert"_s.arg(counter.repeats)));

        // A deliberate click on the destructive button, with the pointer.
        auto *uninstall = alert->findChild<QPushButton *>(u"uninstall"_s);
        QVERIFY(uninstall);
        const QPoint at = uninstall->mapToGlobal(uninstall->rect().center());
        QVERIFY(run(u"xdotool"_s, {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                   u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(requests, QStringList{u"quit"_s}, 10000);
        QVERIFY(platform.takeCalls().contains(u"removeProgram"_s));
        qApp->removeEventFilter(&counter);
    }
};

int main(int argc, char *argv[])
{
    orvane::test::TestHome home;
    QApplication app(argc, argv);
    TrayKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_traykeys.moc"
