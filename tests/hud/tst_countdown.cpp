#include "hud/Countdown.h"
#include "hud/Placement.h"

#include <QTest>

#include <limits>

using namespace orvane;
using namespace Qt::StringLiterals;

class CountdownTest : public QObject {
    Q_OBJECT

private slots:
    // Adding -0.1 leaves a tiny positive rest after 70 and 120 ticks: the card goes one
    // tick later there, as the user has always seen it.
    void ticksUntilDismissal_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("ticks");
        QTest::newRow("4 s") << 4.0 << 40;
        QTest::newRow("7 s") << 7.0 << 71;
        QTest::newRow("12 s") << 12.0 << 121;
        QTest::newRow("0 s: first tick") << 0.0 << 1;
        QTest::newRow("negative: first tick") << -3.0 << 1;
    }
    void ticksUntilDismissal()
    {
        QFETCH(double, seconds);
        QFETCH(int, ticks);
        Countdown countdown;
        countdown.start(seconds);
        int count = 0;
        while (countdown.isRunning() && count < 1000) {
            ++count;
            const bool ranOut = countdown.tick(false);
            QCOMPARE(ranOut, !countdown.isRunning());
        }
        QCOMPARE(count, ticks);
        // Spent: later ticks never report a second end.
        QVERIFY(!countdown.tick(false));
    }

    void progress_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::addColumn<double>("remaining");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("fraction");
        QTest::newRow("half") << 3.5 << 7.0 << 0.5;
        QTest::newRow("0 over 0 is not a number") << 0.0 << 0.0 << 0.0;
        QTest::newRow("not a number") << nan << 7.0 << 0.0;
        QTest::newRow("ran below zero") << -1e-16 << 7.0 << 0.0;
        QTest::newRow("negative total") << 0.5 << -3.0 << 0.0;
        QTest::newRow("setting lowered mid-count") << 6.0 << 4.0 << 1.0;
        QTest::newRow("setting stored as 0") << 3.0 << 0.0 << 1.0;
        QTest::newRow("infinite rest") << inf << 7.0 << 1.0;
    }
    void progress()
    {
        QFETCH(double, remaining);
        QFETCH(double, total);
        QFETCH(double, fraction);
        QCOMPARE(progressFraction(remaining, total), fraction);
    }

    void screenChoice_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<int>("primary");
        QTest::addColumn<int>("expected");
        // Two screens side by side: 0..1919 and 1920..3199.
        QTest::newRow("on the second") << QPoint(2000, 100) << 0 << 1;
        QTest::newRow("left edge is inside") << QPoint(1920, 0) << 0 << 1;
        QTest::newRow("right edge is outside") << QPoint(3200, 10) << 0 << 0;
        QTest::newRow("bottom edge is outside") << QPoint(10, 1080) << 1 << 1;
        QTest::newRow("nowhere: the primary") << QPoint(-50, -50) << 1 << 1;
        QTest::newRow("nowhere, no primary: the first") << QPoint(-50, -50) << -1 << 0;
    }
    void screenChoice()
    {
        QFETCH(QPoint, pointer);
        QFETCH(int, primary);
        QFETCH(int, expected);
        const QList<QRect> frames{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QCOMPARE(placement::screenIndexFor(pointer, frames, primary), expected);
    }
    void noScreenAtAll() { QCOMPARE(placement::screenIndexFor(QPoint(1, 1), {}, 0), -1); }

    // Where the card goes, and how the log names the display and the card's origin.
    void panelPlacement_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("primary");
        QTest::addColumn<QStringList>("display"); // manufacturer, model, connector
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QString>("line");
        // A 1440 x 900 display with 25 points of Dock at the bottom.
        QTest::newRow("dock below")
            << QRect(0, 0, 1440, 875) << QRect(0, 0, 1440, 900)
            << QStringList{u"Apple Computer Inc"_s, u"Color LCD"_s, u"eDP-1"_s} << QPoint(1120, 470)
            << u"HUD displayed on screen: Apple Computer Inc Color LCD (origin: 1120, 45) for: "
               "Shot %1.png"_s;
        // A panel along the top of a second screen to the right of the primary.
        QTest::newRow("second screen, no EDID")
            << QRect(1920, 32, 1280, 992) << QRect(0, 0, 1920, 1080)
            << QStringList{u""_s, u" "_s, u"HDMI-1"_s} << QPoint(2880, 619)
            << u"HUD displayed on screen: HDMI-1 (origin: 2880, 76) for: Shot %1.png"_s;
        QTest::newRow("model names its maker")
            << QRect(0, 0, 2560, 1440) << QRect(0, 0, 2560, 1440)
            << QStringList{u"Dell"_s, u"DELL U2720Q"_s, u"DP-2"_s} << QPoint(2240, 1035)
            << u"HUD displayed on screen: DELL U2720Q (origin: 2240, 20) for: Shot %1.png"_s;
    }
    void panelPlacement()
    {
        QFETCH(QRect, available);
        QFETCH(QRect, primary);
        QFETCH(QStringList, display);
        QFETCH(QPoint, position);
        QFETCH(QString, line);
        QCOMPARE(placement::panelPosition(available), position);
        const QString name = placement::displayName(display[0], display[1], display[2]);
        QCOMPARE(placement::displayedLine(name, placement::loggedOrigin(position, primary),
                                          u"Shot %1.png"_s),
                 line);
    }
};

QTEST_APPLESS_MAIN(CountdownTest)
#include "tst_countdown.moc"
