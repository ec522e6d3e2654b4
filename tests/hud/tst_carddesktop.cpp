#include "ManualTime.h"
#include "TestHome.h"

#include "hud/FloatingHUDView.h"
#include "hud/HUDWindowController.h"
#include "platform/ProcessContext.h"
#include "platform/linux/LinuxPlatform.h"
#include "settings/AppState.h"

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_HudPlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// GLib reads the XDG folders once per process, so the whole run shares one home.
test::TestHome *home = nullptr;

QString screenshot(const QString &name)
{
    const QString path = home->file(u"Desktop/"_s + name);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(400, 250, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    image.save(path, "PNG");
    return path;
}

// Another program's output; the event loop runs meanwhile, so this one can serve the clipboard.
QByteArray outside(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
    }
    return process.readAllStandardOutput();
}

// Where the X server has the window, as other programs see it.
QRect placeOnScreen(WId window)
{
    const QString info =
        QString::fromUtf8(outside(u"xwininfo"_s, {u"-id"_s, QString::number(window)}));
    const auto value = [&info](const char *label) {
        return QRegularExpression(QLatin1String(label) + u":\\s*(-?\\d+)"_s)
            .match(info)
            .captured(1)
            .toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

} // namespace

// The card on a real X display, with the real desktop services.
class CardDesktopTest : public QObject {
    Q_OBJECT

    LinuxPlatform platform{ProcessContext{}};
    std::unique_ptr<AppState> state;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X display");
        }
        state = std::make_unique<AppState>(platform, platform.openSettings());
        // A window manager that starts after the card would place it anew.
        QVERIFY(QTest::qWaitFor(
            [] {
                return outside(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s})
                    .contains("window id");
            },
            10000));
    }

    // Bottom-right, 20 in from the usable area; on top; never focused; two quick screenshots
    // leave one card. Copy Only puts the picture on the clipboard for other programs and the
    // file in the Trash.
    void placedOnTopThenCopied()
    {
        // No countdown: on a busy machine the window manager may take longer than the card's
        // seven seconds to frame it.
        test::ManualTime time;
        HUDWindowController controller(platform, *state, {time.ticks(), time.later(), 200});
        const QString path = screenshot(u"Shot \"3\" $HOME.png"_s);
        controller.showHUD(screenshot(u"one.png"_s), QImage(screenshot(u"one.png"_s)));
        controller.showHUD(path, QImage(path));
        QTRY_COMPARE(controller.currentCard() ? controller.currentCard()->fileName() : QString(),
                     u"Shot \"3\" $HOME.png"_s);
        const QPointer<QQuickWindow> window = controller.hudWindow();
        QTRY_VERIFY(window && window->isExposed());
        const QRect available = HUDWindowController::currentActiveScreen()->availableGeometry();
        // Asked of the X server once the window manager has framed the window (Qt's own idea
        // of its position can be wrong after a reparenting window manager moved it).
        QTRY_COMPARE(window ? placeOnScreen(window->winId()) : QRect(),
                     QRect(available.right() - 20 - 299, available.bottom() - 20 - 384, 300, 385));
        QVERIFY(window &&
                window->flags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint |
                                          Qt::WindowDoesNotAcceptFocus | Qt::FramelessWindowHint));
        QVERIFY(window && !window->isActive());
        QCOMPARE(controller.cardWindowCount(), 1); // the first was superseded: never a window
        QTRY_COMPARE(window ? window->opacity() : 0.0, 1.0);

        controller.currentCard()->handleCopyOnly();
        QTRY_COMPARE(time.pending.size(), 1); // the file is read again first
        // The whole picture, read from the file: the card itself holds only a thumbnail.
        const QImage pasted =
            QImage::fromData(outside(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-t"_s,
                                                  u"image/png"_s, u"-o"_s}),
                             "PNG");
        QCOMPARE(pasted.size(), QSize(400, 250));
        QCOMPARE(pasted.pixelColor(10, 10), QColor(200, 40, 90));
        QTRY_VERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(home->file(u".local/share/Trash/files/Shot \"3\" $HOME.png"_s)));
        time.runPending();
        QVERIFY(!controller.hudWindow());
        QTRY_COMPARE(controller.cardWindowCount(), 0);
    }

    // Dragged out of the card, the screenshot goes as its file and, read from the file, its
    // whole picture. Meanwhile the card waits, however long the user looks for where to drop
    // it; afterwards it counts on from where it was.
    void dragHoldsTheCountdown()
    {
        test::ManualTime time;
        state->setAutoDismissSeconds(4);
        HUDWindowController controller(platform, *state, {time.ticks(), time.later(), 200});
        const QString path = screenshot(u"dragged.png"_s);
        controller.showHUD(path, QImage(path));
        QTRY_VERIFY(controller.currentCard() && controller.hudWindow()->isExposed());
        FloatingHUDView *card = controller.currentCard();
        double leftDuringDrag = -1;
        bool shownDuringDrag = false;
        QList<QUrl> urls;
        QImage dragged;
        // Runs inside the drag's own event loop, then ends the drag as Escape would.
        QTimer::singleShot(0, card, [&] {
            time.fire(100);
            leftDuringDrag = card->timeRemaining();
            shownDuringDrag = controller.currentCard() == card;
            const QMimeData *data = card->findChild<QDrag *>()->mimeData();
            urls = data->urls();
            dragged = qvariant_cast<QImage>(data->imageData());
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(controller.hudWindow(), &escape);
        });
        card->startDrag();
        QCOMPARE(leftDuringDrag, 4.0);
        QVERIFY(shownDuringDrag);
        QCOMPARE(urls, QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(dragged.size(), QSize(400, 250));
        time.fire();
        QVERIFY(card->timeRemaining() < 4.0);
    }
};

int main(int argc, char *argv[])
{
    test::TestHome testHome;
    home = &testHome;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    CardDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_carddesktop.moc"
