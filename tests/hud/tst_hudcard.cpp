#include "LogCapture.h"
#include "ManualTime.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "hud/FloatingHUDView.h"
#include "hud/HUDWindowController.h"
#include "hud/SimulatedCapture.h"
#include "hud/Thumbnail.h"
#include "settings/AppState.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <thread>

Q_IMPORT_QML_PLUGIN(Orvane_HudPlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QImage picture(int width = 640, int height = 400)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(20, 120, 200));
    return image;
}

// One controller over the recording platform, with time in the test's hands and fades
// that end at once unless asked otherwise.
struct Fixture {
    explicit Fixture(int fadeMilliseconds = 0)
        : platform(home.file(u"settings.ini"_s)), state(platform, platform.openSettings()),
          controller(platform, state, {time.ticks(), time.later(), fadeMilliseconds})
    {}

    // Saves the screenshot's file, shows its card and waits until it is on screen.
    FloatingHUDView *show(const QString &name, const QImage &image = picture())
    {
        image.save(home.file(name), "PNG");
        QSignalSpy shown(&controller, &HUDWindowController::hudShown);
        controller.showHUD(home.file(name), image);
        return shown.wait() ? controller.currentCard() : nullptr;
    }
    // Lets the windows that were dismissed go.
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    QStringList cardCalls()
    {
        QStringList calls;
        for (const QString &call : platform.takeCalls()) {
            if (!call.startsWith(u"prepareFloatingWindow"_s) &&
                !call.startsWith(u"showFloatingWindow"_s)) {
                calls << call;
            }
        }
        return calls;
    }

    test::TestHome home;
    test::RecordingPlatform platform;
    AppState state;
    test::ManualTime time;
    HUDWindowController controller;
};

QQuickItem *findItem(QQuickItem *root, const std::function<bool(QQuickItem *)> &match)
{
    if (match(root)) {
        return root;
    }
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findItem(child, match)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

class HudCardTest : public QObject {
    Q_OBJECT

private slots:
    // A card may be asked for from any thread; it appears from the main loop, without taking
    // the focus from what the user is typing into, and names the file's type and size.
    void showCard_data()
    {
        QTest::addColumn<bool>("fromWorker");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("size");
        QTest::newRow("lower-case extension")
            << false << u"Screenshot.png"_s << picture(1280, 800) << u"PNG"_s << u"1280 × 800"_s;
        QTest::newRow("mixed case, two dots")
            << false << u"shot.final.JpEg"_s << picture(31, 7) << u"JPEG"_s << u"31 × 7"_s;
        QImage retina = picture(2880, 1800);
        retina.setDevicePixelRatio(2.0);
        QTest::newRow("another thread, size in points")
            << true << u"r.heic"_s << retina << u"HEIC"_s << u"1440 × 900"_s;
    }
    void showCard()
    {
        QFETCH(bool, fromWorker);
        QFETCH(QString, name);
        QFETCH(QImage, image);
        QFETCH(QString, type);
        QFETCH(QString, size);
        Fixture f;
        const auto show = [&] { f.controller.showHUD(f.home.file(name), image); };
        if (fromWorker) {
            std::thread(show).join();
        } else {
            show();
        }
        QVERIFY(!f.controller.currentCard()); // nothing until the main loop runs
        QTRY_VERIFY(f.controller.currentCard());
        FloatingHUDView *card = f.controller.currentCard();
        QCOMPARE(card->fileName(), name);
        QCOMPARE(card->fileType(), type);
        QCOMPARE(card->sizeText(), size);
        QQuickWindow *window = f.controller.hudWindow();
        QVERIFY(window->isVisible());
        QVERIFY(window->flags() & Qt::WindowDoesNotAcceptFocus);
    }

    // The last tick ends the card and its ticks; hovering holds the count where it was and
    // is not made up afterwards. The tick arithmetic is checked on Countdown alone.
    void countdownDismisses_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("hovered");
        QTest::newRow("4 s") << qint64(4) << 40 << 0;
        QTest::newRow("4 s, hovered 100 ticks") << qint64(4) << 40 << 100;
        QTest::newRow("-5 s") << qint64(-5) << 1 << 0;
    }
    void countdownDismisses()
    {
        QFETCH(qint64, seconds);
        QFETCH(int, ticks);
        QFETCH(int, hovered);
        Fixture f;
        f.state.setAutoDismissSeconds(seconds);
        FloatingHUDView *card = f.show(u"a.png"_s);
        QVERIFY(card);
        const int before = (ticks - 1) / 2;
        f.time.fire(0, before);
        card->setIsHovering(true);
        const double remaining = card->timeRemaining();
        f.time.fire(0, hovered);
        QCOMPARE(card->timeRemaining(), remaining);
        card->setIsHovering(false);
        f.time.fire(0, ticks - 1 - before);
        QCOMPARE(f.controller.currentCard(), card);
        QVERIFY(card->progress() >= 0.0 && card->progress() <= 1.0);
        f.time.fire(0);
        QVERIFY(!f.controller.hudWindow());
        QVERIFY(!f.time.source(0)->running);
        f.settle();
        QCOMPARE(f.controller.cardWindowCount(), 0);
    }

    // A card may end only itself: dismissals that come from a replaced card leave the newer
    // one on screen.
    void dismissalOwnership_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("delayed dismissal of Copy & Save") << u"copy"_s;
        QTest::newRow("close button of the old card") << u"close"_s;
        QTest::newRow("last tick of the old countdown") << u"tick"_s;
        QTest::newRow("simply replaced") << QString();
    }
    void dismissalOwnership()
    {
        QFETCH(QString, how);
        Fixture f;
        f.state.setAutoDismissSeconds(4);
        FloatingHUDView *first = f.show(u"a.png"_s);
        QPointer<QQuickWindow> firstWindow = f.controller.hudWindow();
        f.time.fire(0, 39);
        if (how == u"copy"_s) {
            first->handleCopyAndSave();
            QTRY_COMPARE(first->actionFeedback(), u"Copied & Saved!"_s);
        }
        std::function<void()> closeFirst = [first] { first->close(); };
        FloatingHUDView *second = f.show(u"b.png"_s);
        QVERIFY(second);
        if (how == u"copy"_s) {
            QCOMPARE(f.time.pending.size(), 1);
            QCOMPARE(f.time.pending.first().milliseconds, 800);
            f.time.runPending();
        } else if (how == u"close"_s) {
            closeFirst(); // still alive: the fade-out has not been collected yet
        } else if (how == u"tick"_s) {
            f.time.fire(0); // a countdown that a platform failed to stop
        }
        QCOMPARE(f.controller.currentCard(), second);
        f.settle();
        QVERIFY(!firstWindow); // faded out and gone
        QCOMPARE(f.controller.cardWindowCount(), 1);
        // And the newer card still ends itself, once: countdown and action in the same moment.
        second->close();
        second->close();
        QVERIFY(!f.controller.currentCard());
        QVERIFY(!f.controller.hudWindow());
        f.controller.dismissHUD(); // nothing left to dismiss
    }

    // Only the newest screenshot gets a card: one superseded before its card was built gets
    // no window at all, whether or not its thumbnail was already made.
    void newestScreenshotWins_data()
    {
        QTest::addColumn<int>("olderGot");
        QTest::newRow("both asked before the event loop runs") << 0;
        QTest::newRow("the older's thumbnail made, its window not yet") << 1;
        QTest::newRow("the older's window half built") << 2;
        QTest::newRow("the older's window finished while the newer's picture is made") << 3;
    }
    void newestScreenshotWins()
    {
        QFETCH(int, olderGot);
        Fixture f;
        QSignalSpy shown(&f.controller, &HUDWindowController::hudShown);
        f.controller.showHUD(f.home.file(u"older.png"_s), picture());
        if (olderGot == 1) {
            // Blocks without running the event loop: the older picture is made, its window
            // not yet built.
            auto *worker = f.controller.findChild<QThreadPool *>();
            QVERIFY(worker && worker->waitForDone(5000));
        } else if (olderGot >= 2) {
            // One pass of the loop at a time, so as to stop while the window is incubating.
            QDeadlineTimer deadline(10000);
            while (!f.controller.buildingCard() && shown.isEmpty() && !deadline.hasExpired()) {
                QCoreApplication::processEvents();
            }
            QVERIFY(f.controller.buildingCard());
        }
        QSemaphore hold;
        if (olderGot == 3) {
            // The newer picture waits behind this on the one worker thread.
            f.controller.findChild<QThreadPool *>()->start([&hold] { hold.acquire(); });
        }
        f.controller.showHUD(f.home.file(u"newer.png"_s), picture(300, 200));
        if (olderGot == 3) {
            const bool built = QTest::qWaitFor([&] { return !f.controller.buildingCard(); }, 10000);
            hold.release();
            QVERIFY(built);
        }
        QVERIFY(shown.wait());
        // The worker takes one picture at a time, in order: the older one is settled by now.
        f.settle();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(f.controller.currentCard()->fileName(), u"newer.png"_s);
        QCOMPARE(f.controller.cardWindowCount(), 1);
        // Nothing is left of the older card's window, shown or not.
        int windows = 0;
        for (QWindow *window : QGuiApplication::allWindows()) {
            windows += qobject_cast<QQuickWindow *>(window) ? 1 : 0;
        }
        QCOMPARE(windows, 1);
    }

    // However many screenshots replace each other, at most two card windows live: the one
    // fading out and the new one. Those before are destroyed at once, not merely hidden.
    void atMostTwoWindows()
    {
        Fixture f(/*fadeMilliseconds=*/60000);
        QList<QPointer<QQuickWindow>> windows;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(f.show(u"shot %1.png"_s.arg(i)));
            windows << f.controller.hudWindow();
            QVERIFY(f.controller.cardWindowCount() <= 2);
            for (int older = 0; older + 1 < i; ++older) {
                QVERIFY2(!windows.at(older), qPrintable(u"window %1 still alive"_s.arg(older)));
            }
        }
        QVERIFY(windows.last() && windows.last()->isVisible());
    }

    // A copy needs the file, since the card holds only a thumbnail: when it can no longer be
    // read, nothing is copied or trashed, and the card says so and stays to be read.
    void copyFailsHonestly_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("content"); // empty: the file is gone
        QTest::newRow("Copy & Save, file gone") << u"handleCopyAndSave"_s << QByteArray();
        QTest::newRow("Copy Only, file gone") << u"handleCopyOnly"_s << QByteArray();
        QTest::newRow("Copy Only, no longer an image") << u"handleCopyOnly"_s << QByteArray("x");
    }
    void copyFailsHonestly()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, content);
        test::LogCapture log;
        Fixture f;
        FloatingHUDView *card = f.show(u"shot.png"_s);
        QFile file(f.home.file(u"shot.png"_s));
        QVERIFY(content.isEmpty() ? file.remove()
                                  : file.open(QIODevice::WriteOnly) && file.write(content) > 0);
        file.close();
        f.platform.takeCalls();
        QVERIFY(QMetaObject::invokeMethod(card, qPrintable(action)));
        QTRY_COMPARE(card->actionFeedback(), u"Not Copied — File Unreadable"_s);
        QCoreApplication::processEvents();
        QCOMPARE(f.cardCalls(), QStringList());
        QCOMPARE(f.time.pending.size(), 1); // the card's later end, not a success's
        QCOMPARE(f.time.pending.first().milliseconds, 2300);
        QVERIFY(
            log.lines().contains(u"[Orvane] Could not copy, the file cannot be read: shot.png"_s));
    }

    // The thumbnail area shows what the user recognises: a tall capture's top across the whole
    // width, a very wide one's start at a readable height, anything else whole. The card keeps
    // only those pixels, and still names the whole picture's size.
    void thumbnailShowsTheRightPart_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("shown"); // in the picture's pixels
        QTest::addColumn<int>("frameHeight");
        QTest::newRow("full-page capture") << QSize(1000, 17000) << QRect(0, 0, 1000, 515) << 140;
        QTest::newRow("tiny tall one") << QSize(10, 200) << QRect(0, 0, 10, 5) << 140;
        QTest::newRow("phone screen, whole") << QSize(1170, 2532) << QRect(0, 0, 1170, 2532) << 140;
        QTest::newRow("wide panorama") << QSize(17000, 1000) << QRect(0, 0, 5667, 1000) << 48;
        QTest::newRow("banner, whole") << QSize(1920, 400) << QRect(0, 0, 1920, 400) << 57;
    }
    void thumbnailShowsTheRightPart()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, shown);
        QFETCH(int, frameHeight);
        // Red where the card should look, blue elsewhere.
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::blue);
        for (int y = shown.top(); y <= shown.bottom(); ++y) {
            std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)) + shown.left(), shown.width(),
                        qRgb(255, 0, 0));
        }
        Fixture f;
        f.controller.showHUD(f.home.file(u"a.png"_s), image);
        QTRY_VERIFY(f.controller.currentCard());
        FloatingHUDView *card = f.controller.currentCard();
        QCOMPARE(card->sizeText(), u"%1 × %2"_s.arg(size.width()).arg(size.height()));
        const QImage thumbnail = card->thumbnail().convertToFormat(QImage::Format_RGB32);
        QVERIFY(thumbnail.width() <= 272 && thumbnail.height() <= 140);
        QImage red(thumbnail.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        QCOMPARE(thumbnail, red);
        QQuickItem *frame = findItem(f.controller.hudWindow()->contentItem(), [](QQuickItem *item) {
            return item->inherits("orvane::ThumbnailItem");
        });
        QCOMPARE(qRound(frame->height()), frameHeight);
    }

    void actions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<bool>("delayed");
        QTest::addColumn<bool>("soundOn");
        const QString path = u"%1/Shot \"1\" $HOME `id`.png"_s;
        QTest::newRow("Copy & Save")
            << u"handleCopyAndSave"_s << QStringList{u"copyImageToClipboard:1200x750"_s}
            << u"Tink"_s << u"Copied & Saved!"_s << true << true;
        QTest::newRow("Copy Only")
            << u"handleCopyOnly"_s
            << QStringList{u"copyImageToClipboard:1200x750"_s, u"moveToTrash:"_s + path}
            << u"Tink"_s << u"Copied & Discarded!"_s << true << true;
        QTest::newRow("Markup") << u"handleMarkup"_s << QStringList{u"openForMarkup:"_s + path}
                                << QString() << QString() << false << true;
        QTest::newRow("Finder") << u"handleRevealInFinder"_s
                                << QStringList{u"revealInFileManager:"_s + path} << QString()
                                << QString() << false << true;
        QTest::newRow("Delete") << u"handleDelete"_s << QStringList{u"moveToTrash:"_s + path}
                                << u"Basso"_s << QString() << false << true;
        QTest::newRow("Delete, sounds off")
            << u"handleDelete"_s << QStringList{u"moveToTrash:"_s + path} << u"Basso"_s << QString()
            << false << false;
        QTest::newRow("Close") << u"close"_s << QStringList() << QString() << QString() << false
                               << true;
    }
    void actions()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, calls);
        QFETCH(QString, sound);
        QFETCH(QString, banner);
        QFETCH(bool, delayed);
        QFETCH(bool, soundOn);
        Fixture f;
        f.state.setPlaySound(soundOn);
        const QString name = u"Shot \"1\" $HOME `id`.png"_s;
        FloatingHUDView *card = f.show(name);
        // What is copied is read from the file, not the picture the card was given.
        QVERIFY(picture(1200, 750).save(f.home.file(name), "PNG"));
        f.platform.takeCalls();
        QVERIFY(QMetaObject::invokeMethod(card, qPrintable(action)));
        QTRY_COMPARE(card->actionFeedback(), banner); // copies wait for the file to be read
        QStringList expected;
        for (const QString &call : calls) {
            expected << (call.contains(u"%1"_s) ? call.arg(f.home.path()) : call);
        }
        if (!sound.isEmpty() && soundOn) {
            expected << u"playSystemSound:"_s + sound;
        }
        // Answers and sounds come through the event loop.
        QStringList made;
        QTRY_COMPARE((made << f.cardCalls(), made), expected);
        QTRY_COMPARE(bool(f.controller.currentCard()), delayed);
        QCOMPARE(f.time.pending.size(), delayed ? 1 : 0);
        if (delayed) {
            QCOMPARE(f.time.pending.first().milliseconds, 800);
            f.time.runPending();
            QVERIFY(!f.controller.currentCard());
        }
    }

    // An action that did not do its work says so on the card and in one log line, with no
    // sound of success, and the card stays to be read: past its countdown, until its own
    // later end. A file the Trash refuses is left where it was.
    void failuresSaySo_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("refusal"); // trash, open, gone (file), folder (gone too)
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QStringList>("calls");
        const QString path = u"%1/shot.png"_s;
        QTest::newRow("Copy Only, Trash refused")
            << u"handleCopyOnly"_s << u"trash"_s << u"Copied — File Not Trashed"_s
            << u"Could not move to the Trash: shot.png"_s
            << QStringList{u"copyImageToClipboard:640x400"_s, u"moveToTrash:"_s + path,
                           u"playSystemSound:Tink"_s};
        QTest::newRow("Delete, Trash refused")
            << u"handleDelete"_s << u"trash"_s << u"Not Trashed — File Kept"_s
            << u"Could not move to the Trash: shot.png"_s << QStringList{u"moveToTrash:"_s + path};
        QTest::newRow("Delete, file gone")
            << u"handleDelete"_s << u"gone"_s << u"Not Trashed — File Missing"_s
            << u"Could not move to the Trash: shot.png"_s << QStringList{u"moveToTrash:"_s + path};
        QTest::newRow("Markup, no application")
            << u"handleMarkup"_s << u"open"_s << u"Not Opened — No Image Viewer"_s
            << u"Could not open for markup, no application took it: shot.png"_s
            << QStringList{u"openForMarkup:"_s + path};
        QTest::newRow("Markup, file gone")
            << u"handleMarkup"_s << u"gone"_s << u"Not Opened — File Missing"_s
            << u"Could not open for markup, the file is gone: shot.png"_s << QStringList();
        QTest::newRow("Finder, no file manager")
            << u"handleRevealInFinder"_s << u"open"_s << u"Not Shown — No File Manager"_s
            << u"Could not show in the file manager: shot.png"_s
            << QStringList{u"revealInFileManager:"_s + path};
        QTest::newRow("Finder, folder gone too")
            << u"handleRevealInFinder"_s << u"folder"_s << u"Not Shown — Folder Missing"_s
            << u"Could not show in the file manager, the folder is gone: %1"_s << QStringList();
        QTest::newRow("Copy File, file gone")
            << u"shareCopyFile"_s << u"gone"_s << u"Not Shared — File Missing"_s
            << u"Could not copy the file, the file is gone: shot.png"_s << QStringList();
        QTest::newRow("Email, no mail program")
            << u"shareByEmail"_s << u"open"_s << u"Not Shared — No Mail Program"_s
            << u"Could not start an e-mail, no mail program: shot.png"_s
            << QStringList{u"emailFile:"_s + path};
    }
    void failuresSaySo()
    {
        QFETCH(QString, action);
        QFETCH(QString, refusal);
        QFETCH(QString, banner);
        QFETCH(QString, log);
        QFETCH(QStringList, calls);
        test::LogCapture log_;
        Fixture f;
        f.state.setAutoDismissSeconds(4);
        f.platform.trashSucceeds = refusal != u"trash"_s && refusal != u"gone"_s;
        f.platform.opensSucceed = refusal != u"open"_s;
        FloatingHUDView *card = f.show(u"shot.png"_s);
        if (refusal == u"gone"_s) {
            QVERIFY(QFile::remove(f.home.file(u"shot.png"_s)));
        } else if (refusal == u"folder"_s) {
            // The card's file in a folder that is gone as well.
            card = nullptr;
            const QString folder = f.home.file(u"gone"_s);
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(picture().save(folder + u"/shot.png"_s, "PNG"));
            QSignalSpy shown(&f.controller, &HUDWindowController::hudShown);
            f.controller.showHUD(folder + u"/shot.png"_s, picture());
            QVERIFY(shown.wait());
            card = f.controller.currentCard();
            QVERIFY(QDir(folder).removeRecursively());
            log = log.arg(folder);
        }
        f.time.fire(f.time.source(1) ? 1 : 0, 10);
        f.platform.takeCalls();
        QVERIFY(QMetaObject::invokeMethod(card, qPrintable(action)));
        QTRY_COMPARE(card->actionFeedback(), banner);
        QCoreApplication::processEvents();
        QStringList expected;
        for (const QString &call : calls) {
            expected << (call.contains(u"%1"_s) ? call.arg(f.home.path()) : call);
        }
        QCOMPARE(f.cardCalls(), expected); // no Basso: nothing was deleted
        QCOMPARE(log_.lines().filter(u"Could not"_s), QStringList{u"[Orvane] "_s + log});
        if (refusal == u"trash"_s) {
            QVERIFY(QFile::exists(f.home.file(u"shot.png"_s)));
        }
        // The countdown would have ended it by now; the failure keeps it on screen.
        f.time.fire(f.time.source(1) ? 1 : 0, 40);
        QCOMPARE(f.controller.currentCard(), card);
        // Copy Only's own end, scheduled with its confirmation, gives way to the later one.
        QCOMPARE(f.time.pending.last().milliseconds, 2300);
        const auto pending = f.time.pending;
        for (int i = 0; i + 1 < pending.size(); ++i) {
            pending.at(i).action();
        }
        QCOMPARE(f.controller.currentCard(), card);
        pending.last().action();
        QVERIFY(!f.controller.currentCard());
    }

    void shareKeepsTheCard_data()
    {
        QTest::addColumn<bool>("systemPicker");
        QTest::newRow("system picker") << true;
        QTest::newRow("own menu") << false;
    }
    void shareKeepsTheCard()
    {
        QFETCH(bool, systemPicker);
        Fixture f;
        f.platform.hasSharePicker = systemPicker;
        f.platform.fileApplications = {{u"viewer.desktop"_s, u"Viewer"_s}};
        FloatingHUDView *card = f.show(u"a b.png"_s);
        f.platform.takeCalls();
        QCOMPARE(card->handleShare(f.controller.hudWindow(), QRectF(10, 10, 50, 20)), systemPicker);
        if (!systemPicker) {
            card->shareCopyFile();
            QVERIFY(card->shareByEmail());
            const QVariantList apps = card->openWithApplications();
            QCOMPARE(apps.size(), 1);
            QVERIFY(card->shareOpenWith(apps.first().toMap().value(u"id"_s).toString()));
        }
        const QString path = f.home.file(u"a b.png"_s);
        QStringList expected{u"showSharePicker:"_s + path};
        if (!systemPicker) {
            expected << u"copyFileToClipboard:"_s + path << u"emailFile:"_s + path
                     << u"applicationsForFile:"_s + path
                     << u"openFileWith:viewer.desktop:"_s + path;
        }
        QCOMPARE(f.cardCalls(), expected);
        QCOMPARE(f.controller.currentCard(), card);
        QVERIFY(f.time.lastSource()->running);
    }

    // Nothing of the card is cut off at the screen's scale (the test runs again at 1.5x and
    // 2x): the card's ground, rounded corners and bottom padding lie inside its window, the
    // bar keeps its distance from the bottom edge, and every button holds its symbol and text.
    void cardFitsItsWindow()
    {
        Fixture f;
        QVERIFY(f.show(u"a.png"_s));
        QQuickWindow *window = f.controller.hudWindow();
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s).toDouble();
        QCOMPARE(window->devicePixelRatio(), scale);
        QCOMPARE(f.controller.currentCard()->pixelRatio(), scale);
        const auto named = [window](const QString &name) {
            QQuickItem *item = findItem(window->contentItem(), [&name](QQuickItem *candidate) {
                return candidate->objectName() == name;
            });
            return item ? item->mapRectToScene(item->boundingRect()) : QRectF();
        };
        const QRectF ground = named(u"cardBackground"_s);
        const QRectF track = named(u"progressTrack"_s);
        QVERIFY(QRectF(0, 0, window->width(), window->height()).contains(ground));
        QCOMPARE(ground.bottom() - track.bottom(), 10.0);
        QCOMPARE(window->height() - track.bottom(), 10.0 + window->height() - ground.bottom());

        // What is on screen (the grab has no alpha: the window's transparent parts are black):
        // a rounded corner, and card material under the bar.
        const QImage shot = window->grabWindow();
        QCOMPARE(shot.size(), (window->size() * scale));
        const auto pixel = [&shot, scale](qreal x, qreal y) {
            return shot.pixelColor(int(x * scale), int(y * scale));
        };
        QCOMPARE(pixel(ground.left() + 1, ground.bottom() - 1).rgb(), qRgb(0, 0, 0));
        QVERIFY(qGray(pixel(ground.center().x(), ground.bottom() - 3).rgb()) > 15);

        QStringList outside;
        int checked = 0;
        findItem(window->contentItem(), [&](QQuickItem *button) {
            if (!button->inherits("QQuickAbstractButton") || !button->isVisible()) {
                return false;
            }
            const QRectF inside =
                button->mapRectToScene(button->boundingRect()).adjusted(2, 2, -2, -2);
            findItem(button, [&](QQuickItem *part) {
                if (part->isVisible() &&
                    (part->inherits("orvane::SymbolItem") || part->inherits("QQuickText"))) {
                    ++checked;
                    if (!inside.contains(part->mapRectToScene(part->boundingRect()))) {
                        outside << button->property("text").toString() + u" / "_s +
                                       QString::fromLatin1(part->metaObject()->className());
                    }
                }
                return false;
            });
            return false;
        });
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u", "_s)));
        QVERIFY(checked >= 14); // close, two wide buttons, four small ones
    }

    // A card's whole life, frame by frame, draws without a painter's complaint: the bar never
    // asks for a fill thinner than a pixel, not when the time left shrinks to a sliver of a
    // longer scale, nor while the card fades out.
    void quietCountdown()
    {
        Fixture f(200);
        f.state.setAutoDismissSeconds(4);
        test::LogCapture log;
        QVERIFY(f.show(u"a.png"_s));
        const QPointer<QQuickWindow> window = f.controller.hudWindow();
        QQuickItem *fill = findItem(window->contentItem(), [](QQuickItem *item) {
            return item->objectName() == u"progressFill"_s;
        });
        QVERIFY(fill);
        for (int tick = 0; tick < 39; ++tick) {
            QSignalSpy frame(window.data(), &QQuickWindow::frameSwapped);
            f.time.fire(0);
            QVERIFY(frame.wait(5000));
        }
        f.state.setAutoDismissSeconds(100000); // 0.1 s left of it: far under a pixel
        QTRY_VERIFY_WITH_TIMEOUT(fill->width() < 0.05, 5000);
        window->grabWindow();
        f.time.fire(0);
        QTRY_COMPARE_WITH_TIMEOUT(f.controller.cardWindowCount(), 0, 5000);
        QCOMPARE(log.otherMessages().filter(u"paint"_s, Qt::CaseInsensitive), QStringList());
    }

    // Every control can be found by name, and pressing it through accessibility works.
    void controlsHaveAccessibleNames()
    {
        QAccessible::setActive(true); // as when a screen reader is listening
        Fixture f;
        f.show(u"a.png"_s);
        QQuickWindow *window = f.controller.hudWindow();
        QStringList names;
        QList<QQuickItem *> buttons;
        findItem(window->contentItem(), [&](QQuickItem *item) {
            if (item->inherits("QQuickAbstractButton") && item->isVisible()) {
                QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
                names << (face ? face->text(QAccessible::Name) : QString());
                buttons << item;
            }
            return false;
        });
        QCOMPARE(names, (QStringList{u"Close"_s, u"Copy & Save"_s, u"Copy Only"_s, u"Share"_s,
                                     u"Markup"_s, u"Files"_s, u"Move to Trash"_s}));
        QAccessibleInterface *copyOnly = QAccessible::queryAccessibleInterface(buttons.at(2));
        copyOnly->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(f.controller.currentCard()->actionFeedback(), u"Copied & Discarded!"_s);
    }

    void samplePicture_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("color");
        auto background = [](QPoint p) {
            const double t = (p.x() + p.y()) / 820.0;
            return QColor::fromRgbF(float(0.08 + (0.05 - 0.08) * t),
                                    float(0.12 + (0.35 - 0.12) * t),
                                    float(0.22 + (0.40 - 0.22) * t));
        };
        auto onPanel = [&](QPoint p) {
            const QColor c = background(p);
            return QColor::fromRgbF(float(c.redF() * 0.88 + 0.12), float(c.greenF() * 0.88 + 0.12),
                                    float(c.blueF() * 0.88 + 0.12));
        };
        QTest::newRow("top-left corner: start colour") << QPoint(0, 0) << background({0, 0});
        QTest::newRow("bottom-right corner: end colour")
            << QPoint(499, 319) << background({499, 319});
        QTest::newRow("top-right corner") << QPoint(499, 0) << background({499, 0});
        QTest::newRow("between panel and edge") << QPoint(20, 300) << background({20, 300});
        QTest::newRow("on the panel") << QPoint(440, 260) << onPanel({440, 260});
        QTest::newRow("panel, top-left inside the rounding") << QPoint(52, 52) << onPanel({52, 52});
        QTest::newRow("panel corner is rounded off") << QPoint(40, 40) << background({40, 40});
    }
    void samplePicture()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, color);
        const QImage image = drawSampleScreenshot();
        QCOMPARE(image.size(), QSize(500, 320));
        const QColor actual = image.pixelColor(point);
        const int tolerance = 3;
        QVERIFY2(qAbs(actual.red() - color.red()) <= tolerance &&
                     qAbs(actual.green() - color.green()) <= tolerance &&
                     qAbs(actual.blue() - color.blue()) <= tolerance,
                 qPrintable(u"%1 instead of %2"_s.arg(actual.name(), color.name())));
    }

    void simulatedCapture_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("written") << true;
        QTest::newRow("folder missing: card all the same") << false;
    }
    void simulatedCapture()
    {
        QFETCH(bool, writable);
        Fixture f;
        const QString path = writable ? f.home.file(u"Orvane_Sample_Simulation.png"_s)
                                      : f.home.file(u"missing/Orvane_Sample_Simulation.png"_s);
        auto show = [&f](const QString &file, const QImage &image) {
            f.controller.showHUD(file, image);
        };
        testHUD(path, show);
        testHUD(path, show); // the second write replaces the first
        QTRY_VERIFY(f.controller.currentCard());
        QCOMPARE(f.controller.cardWindowCount(), 1);
        FloatingHUDView *card = f.controller.currentCard();
        QCOMPARE(card->fileName(), u"Orvane_Sample_Simulation.png"_s);
        QCOMPARE(card->sizeText(), u"500 × 320"_s);
        QCOMPARE(QFile::exists(path), writable);
        if (writable) {
            const QImage saved(path, "PNG");
            QCOMPARE(saved.size(), QSize(500, 320));
            QCOMPARE(saved.pixelColor(440, 260), drawSampleScreenshot().pixelColor(440, 260));
        }
    }
};

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    HudCardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hudcard.moc"
