#include "hud/Countdown.h"
#include "hud/Placement.h"

#include <QTest>

#include <array>
#include <limits>
#include <tuple>

using namespace orvane;
using namespace Qt::StringLiterals;

class CountdownTest : public QObject {
    Q_OBJECT

private slots:
    // Adding -0.1 leaves a tiny positive rest after 70 and 120 ticks: the card goes one
    // tick later there, as the user has always seen it.
    void ticksUntilDismissal()
    {
        for (const auto &[seconds, ticks] :
             {std::pair{4.0, 40}, {7.0, 71}, {12.0, 121}, {0.0, 1}, {-3.0, 1}}) {
            Countdown countdown;
            countdown.start(seconds);
            int count = 0;
            while (countdown.isRunning() && count < 1000) {
                ++count;
                const bool ranOut = countdown.tick(false);
                QCOMPARE(ranOut, !countdown.isRunning());
            }
            QVERIFY2(count == ticks, qPrintable(u"%1 s: %2 ticks"_s.arg(seconds).arg(count)));
            QVERIFY(!countdown.tick(false)); // spent: never a second end
        }
    }

    // Nonsense in (not a number, zero or negative totals) gives a fraction within 0..1.
    void progress()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        // remaining, total, fraction
        for (const auto &row : {std::array{3.5, 7.0, 0.5},
                                {0.0, 0.0, 0.0},
                                {nan, 7.0, 0.0},
                                {-1e-16, 7.0, 0.0},
                                {0.5, -3.0, 0.0},
                                {6.0, 4.0, 1.0},
                                {3.0, 0.0, 1.0},
                                {inf, 7.0, 1.0}}) {
            QCOMPARE(progressFraction(row[0], row[1]), row[2]);
        }
    }

    // Two screens side by side, 0..1919 and 1920..3199: the pointer's, else the primary,
    // else the first; none without screens.
    void screenChoice()
    {
        const QList<QRect> frames{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        // pointer, primary, expected
        for (const auto &[pointer, primary, expected] : {std::tuple{QPoint(2000, 100), 0, 1},
                                                         {QPoint(1920, 0), 0, 1},
                                                         {QPoint(3200, 10), 0, 0},
                                                         {QPoint(10, 1080), 1, 1},
                                                         {QPoint(-50, -50), 1, 1},
                                                         {QPoint(-50, -50), -1, 0}}) {
            QCOMPARE(placement::screenIndexFor(pointer, frames, primary), expected);
        }
        QCOMPARE(placement::screenIndexFor(QPoint(1, 1), {}, 0), -1);
    }

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
            << u"Apple Computer Inc Color LCD (origin: 1120, 45)"_s;
        // A panel along the top of a second screen to the right of the primary.
        QTest::newRow("second screen, no EDID")
            << QRect(1920, 32, 1280, 992) << QRect(0, 0, 1920, 1080)
            << QStringList{u""_s, u" "_s, u"HDMI-1"_s} << QPoint(2880, 619)
            << u"HDMI-1 (origin: 2880, 76)"_s;
        QTest::newRow("model names its maker")
            << QRect(0, 0, 2560, 1440) << QRect(0, 0, 2560, 1440)
            << QStringList{u"Dell"_s, u"DELL U2720Q"_s, u"DP-2"_s} << QPoint(2240, 1035)
            << u"DELL U2720Q (origin: 2240, 20)"_s;
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
                 u"HUD displayed on screen: "_s + line + u" for: Shot %1.png"_s);
    }
};

QTEST_APPLESS_MAIN(CountdownTest)
#include "tst_countdown.moc"
