#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "hud/CardPaint.h"
#include "hud/Countdown.h"
#include "hud/FloatingHUDView.h"
#include "hud/HUDWindowController.h"
#include "hud/Placement.h"
#include "hud/SimulatedCapture.h"
#include "hud/TickSource.h"
#include "hud/symbols/QmlEngine.h"
#include "hud/symbols/Symbols.h"
#include "settings/AppState.h"

#include <QAccessible>
#include <QBitmap>
#include <QDeadlineTimer>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

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

// Ticks and delayed calls that happen only when the test says so.
struct ManualTime {
    struct Ticks : TickSource {
        void start(std::function<void()> tick) override { onTick = tick, running = true; }
        void stop() override { running = false; }
        bool running = false;
        std::function<void()> onTick;
    };
    struct Pending {
        int milliseconds;
        std::function<void()> action;
    };
    TickSourceFactory ticks()
    {
        return [this] { return std::unique_ptr<Ticks>(sources.emplace_back(new Ticks)); };
    }
    DelayedCall later()
    {
        return [this](int ms, std::function<void()> action) { pending.append({ms, action}); };
    }
    // Ticks of the first card's countdown, while it runs.
    void fire(int count = 1)
    {
        for (int i = 0; i < count && sources.at(0)->running; ++i) {
            sources.at(0)->onTick();
        }
    }
    void runPending()
    {
        for (const auto &call : std::exchange(pending, {})) {
            call.action();
        }
    }
    QList<Pending> pending;
    QList<Ticks *> sources; // owned by their cards
};

// One controller over the recording platform, time in the test's hands, cards of 4 s.
struct Fixture {
    explicit Fixture(int fadeMilliseconds = 0)
        : platform(home.file(u"settings.ini"_s)), state(platform, platform.openSettings()),
          controller(platform, state, engine, {time.ticks(), time.later(), fadeMilliseconds})
    {
        state.setAutoDismissSeconds(4);
    }

    // Saves the file and shows its card with the file's bytes, as the detection does.
    FloatingHUDView *show(const QString &path, const QImage &image = picture())
    {
        const QString file = QDir::isAbsolutePath(path) ? path : home.file(path);
        image.save(file, "PNG");
        QFile saved(file);
        QSignalSpy shown(&controller, &HUDWindowController::hudShown);
        controller.showHUD(file, image, {},
                           saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray());
        return shown.wait() ? controller.currentCard() : nullptr;
    }
    QQuickWindow *window() const { return controller.hudWindow(); }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    // The platform calls of the card's actions, not of its window; the home as %1.
    QStringList cardCalls()
    {
        QStringList calls =
            platform.takeCalls().filter(QRegularExpression(u"^(?!\\w+FloatingWindow)"_s));
        return calls.replaceInStrings(home.path(), u"%1"_s);
    }

    test::TestHome home;
    test::RecordingPlatform platform;
    AppState state;
    ManualTime time;
    QmlEngine engine;
    HUDWindowController controller;
};

// The visible items under root of that type, depth first.
QList<QQuickItem *> items(QQuickItem *root, const char *type = "QQuickItem")
{
    QList<QQuickItem *> found;
    if (root->isVisible() && root->inherits(type)) {
        found << root;
    }
    for (QQuickItem *child : root->childItems()) {
        found << items(child, type);
    }
    return found;
}

QRectF inScene(QQuickItem *item)
{
    return item ? item->mapRectToScene(item->boundingRect()) : QRectF();
}

QString accessibleName(QQuickItem *item)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
    return face ? face->text(QAccessible::Name) : QString();
}

// The window's visible items of that role (and name), as assistive technology finds them.
QList<QQuickItem *> withRole(QQuickWindow *window, QAccessible::Role role = QAccessible::Button,
                             const QString &name = {})
{
    QList<QQuickItem *> found = items(window->contentItem());
    found.removeIf([&](QQuickItem *item) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
        return !face || face->role() != role || (!name.isNull() && accessibleName(item) != name);
    });
    return found;
}

// Presses the card's visible button or menu item of that name, as a screen reader would.
bool pressButton(QQuickWindow *window, const QString &name)
{
    for (QQuickItem *item : withRole(window, QAccessible::Button, name) +
                                withRole(window, QAccessible::MenuItem, name)) {
        if (auto *action = QAccessible::queryAccessibleInterface(item)->actionInterface()) {
            action->doAction(QAccessibleActionInterface::pressAction());
            return true;
        }
    }
    return false;
}

// Rows named by the tags alone; the test tells them apart by its row's index.
void rows(std::initializer_list<const char *> tags)
{
    QTest::addColumn<int>("row");
    for (int row = 0; const char *tag : tags) {
        QTest::newRow(tag) << row++;
    }
}

} // namespace

class HudCardTest : public QObject {
    Q_OBJECT

private slots:
    // The last tick ends the card and its ticks: the 40th, 71st and 121st for 4, 7 and 12 s, as
    // -0.1 added 70 or 120 times leaves a tiny rest. Hovering holds the count, never made up.
    void countdownDismisses()
    {
        // seconds, ticks, hovered ticks
        for (const auto &[seconds, ticks, hovered] :
             {std::tuple{4, 40, 0}, {7, 71, 100}, {12, 121, 0}, {0, 1, 0}, {-5, 1, 0}}) {
            Fixture f;
            f.state.setAutoDismissSeconds(seconds);
            FloatingHUDView *card = f.show(u"a.png"_s);
            QVERIFY(card);
            const int before = (ticks - 1) / 2;
            f.time.fire(before);
            card->setIsHovering(true);
            const double remaining = card->timeRemaining();
            f.time.fire(hovered);
            QCOMPARE(card->timeRemaining(), remaining);
            card->setIsHovering(false);
            f.time.fire(ticks - 1 - before);
            QVERIFY2(f.controller.currentCard() == card, qPrintable(QString::number(seconds)));
            f.time.fire();
            QVERIFY(!f.window());
            QVERIFY(!f.time.sources.at(0)->running);
        }
    }

    // The bar's fraction stays within 0..1 whatever comes in: not a number, zero or negative
    // totals, more left than the whole.
    void progress()
    {
        const double rows[][3] = {{3.5, 7.0, 0.5},    {0.0, 0.0, 0.0},  {qQNaN(), 7.0, 0.0},
                                  {-1e-16, 7.0, 0.0}, {0.5, -3.0, 0.0}, {6.0, 4.0, 1.0},
                                  {qInf(), 7.0, 1.0}}; // left, whole, fraction
        for (const auto &[left, whole, fraction] : rows) {
            QCOMPARE(progressFraction(left, whole), fraction);
        }
    }

    // Two screens side by side, 0..1919 and 1920..3199: the pointer's, else the primary, else
    // the first; none without screens. The card goes 20 in from the corner of the available
    // area, and the log names the display and the card's origin (y upwards from the bottom).
    void placement()
    {
        const QList<QRect> frames{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        // pointer, primary, expected
        const std::tuple<QPoint, int, int> screens[] = {{{2000, 100}, 0, 1}, {{1920, 0}, 0, 1},
                                                        {{3200, 10}, 0, 0},  {{10, 1080}, 1, 1},
                                                        {{-50, -50}, 1, 1},  {{-50, -50}, -1, 0}};
        for (const auto &[pointer, primary, expected] : screens) {
            QCOMPARE(placement::screenIndexFor(pointer, frames, primary), expected);
        }
        QCOMPARE(placement::screenIndexFor(QPoint(1, 1), {}, 0), -1);
        // The card's corner is where the origin logged says.
        const auto place = [](QRect available, QRect primary, const QStringList &display,
                              const QString &words) {
            const QPoint corner = placement::panelPosition(available);
            const QString name = placement::displayName(display[0], display[1], display[2]);
            QCOMPARE(placement::displayedLine(name, placement::loggedOrigin(corner, primary),
                                              u"Shot %1.png"_s),
                     u"HUD displayed on screen: "_s + words + u" for: Shot %1.png"_s);
        };
        // 1440 x 900 with 25 points of Dock below; a panel along the top of a second screen
        // right of the primary, without EDID; a model that names its maker.
        place({0, 0, 1440, 875}, {0, 0, 1440, 900},
              {u"Apple Computer Inc"_s, u"Color LCD"_s, u"eDP-1"_s},
              u"Apple Computer Inc Color LCD (origin: 1120, 45)"_s);
        place({1920, 32, 1280, 992}, {0, 0, 1920, 1080}, {u""_s, u" "_s, u"HDMI-1"_s},
              u"HDMI-1 (origin: 2880, 76)"_s);
        place({0, 0, 2560, 1440}, {0, 0, 2560, 1440}, {u"Dell"_s, u"DELL U2720Q"_s, u"DP-2"_s},
              u"DELL U2720Q (origin: 2240, 20)"_s);
    }

    // A card may end only itself: dismissals from a replaced card (the delayed end of its Copy &
    // Save, its close button, a last tick a platform failed to stop) leave the newer one.
    void dismissalOwnership_data() { rows({"copy", "close", "tick", "simply replaced"}); }
    void dismissalOwnership()
    {
        QFETCH(int, row);
        Fixture f;
        FloatingHUDView *first = f.show(u"a.png"_s);
        QPointer<QQuickWindow> firstWindow = f.window();
        f.time.fire(39);
        if (row == 0) {
            first->handleCopyAndSave();
            QTRY_COMPARE(first->actionFeedback(), u"Copied & Saved!"_s);
        }
        FloatingHUDView *second = f.show(u"b.png"_s);
        QVERIFY(second);
        if (row == 0) {
            QCOMPARE(f.time.pending.size(), 1);
            f.time.runPending();
        } else if (row == 1) {
            first->close(); // still alive: the fade-out has not been collected yet
        } else if (row == 2) {
            f.time.sources.at(0)->onTick(); // fire() would skip a stopped source
        }
        QCOMPARE(f.controller.currentCard(), second);
        f.settle();
        QVERIFY(!firstWindow); // faded out and gone
        QCOMPARE(f.controller.cardWindowCount(), 1);
        // And the newer card still ends itself, once: countdown and action in the same moment.
        second->close();
        second->close();
        QVERIFY(!f.window());
        f.controller.dismissHUD(); // nothing left to dismiss
    }

    // Only the newest screenshot gets a card: one superseded before its card was built gets
    // no window at all, whether or not its thumbnail was already made.
    void newestScreenshotWins_data()
    {
        rows({"both asked before the event loop runs", "older thumbnail made",
              "older window half built",
              "older window finished while the newer's picture is made"});
    }
    void newestScreenshotWins()
    {
        QFETCH(int, row); // how far the older card got
        Fixture f;
        QSignalSpy shown(&f.controller, &HUDWindowController::hudShown);
        f.controller.showHUD(f.home.file(u"older.png"_s), picture());
        auto *worker = f.controller.findChild<QThreadPool *>();
        if (row == 1) { // the older picture made, its window not yet built
            QVERIFY(worker->waitForDone(5000));
        } else if (row >= 2) {
            // One pass of the loop at a time, so as to stop while the window is incubating.
            QDeadlineTimer deadline(10000);
            while (!f.controller.buildingCard() && shown.isEmpty() && !deadline.hasExpired()) {
                QCoreApplication::processEvents();
            }
            QVERIFY(f.controller.buildingCard());
        }
        QSemaphore hold;
        if (row == 3) { // the newer picture waits behind this on the one worker thread
            worker->start([&hold] { hold.acquire(); });
        }
        f.controller.showHUD(f.home.file(u"newer.png"_s), picture(300, 200));
        if (row == 3) {
            const bool built = QTest::qWaitFor([&] { return !f.controller.buildingCard(); }, 10000);
            hold.release();
            QVERIFY(built);
        }
        QVERIFY(shown.wait());
        // The worker takes one picture at a time, in order: the older one is settled by now.
        f.settle();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(f.controller.currentCard()->fileName(), u"newer.png"_s);
        // Nothing is left of the older card's window, shown or not.
        QCOMPARE(std::ranges::count_if(
                     QGuiApplication::allWindows(),
                     [](QWindow *w) { return qobject_cast<QQuickWindow *>(w) != nullptr; }),
                 1);
    }

    // However many screenshots replace each other, at most two card windows live: the one
    // fading out and the new one. Those before are destroyed at once, not merely hidden.
    void atMostTwoWindows()
    {
        Fixture f(/*fadeMilliseconds=*/60000);
        QList<QPointer<QQuickWindow>> windows;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(f.show(u"shot %1.png"_s.arg(i)));
            windows << f.window();
            QVERIFY(f.controller.cardWindowCount() <= 2);
            QVERIFY(i < 2 || !windows.at(i - 2));
        }
        QVERIFY(windows.last() && windows.last()->isVisible());
    }

    // A card may be asked for from any thread; it appears from the main loop with the file's type
    // and its size in points. The thumbnail shows a tall capture's top across the whole width, a
    // very wide one's start at a readable height, anything else whole, and keeps only those.
    void showCard_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QRect>("shown"); // in the picture's pixels
        QTest::addColumn<int>("frameHeight");
        // As decoded: one bit a pixel with a palette, sixteen bits a channel
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("points"); // as the detection hands it over
        const auto row = [](const char *tag, const QString &name, QSize size, qreal ratio,
                            QRect shown, int frameHeight,
                            QImage::Format format = QImage::Format_RGB32, QSize points = {}) {
            QTest::newRow(tag) << name << size << ratio << shown << frameHeight << int(format)
                               << points;
        };
        row("full-page capture", u"Screenshot.png"_s, {1000, 17000}, 1.0, {0, 0, 1000, 515}, 140);
        row("phone screen, whole; size in points", u"r.heic"_s, {1170, 2532}, 3.0,
            {0, 0, 1170, 2532}, 140);
        row("wide panorama; mixed case, two dots", u"shot.final.JpEg"_s, {17000, 1000}, 1.0,
            {0, 0, 5667, 1000}, 48);
        row("banner, whole", u"b.png"_s, {1920, 400}, 1.0, {0, 0, 1920, 400}, 57);
        row("two-colour palette, scaled down", u"p.png"_s, {800, 500}, 1.0, {0, 0, 800, 500}, 140,
            QImage::Format_Mono);
        // At 144 dpi the detection reads 1920 x 1080 as 960 x 540, and so does the badge.
        row("sixteen bits a channel, scaled down; size in points from the detection", u"d.png"_s,
            {1920, 1080}, 1.0, {0, 0, 1920, 1080}, 140, QImage::Format_RGBX64, {960, 540});
    }
    void showCard()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        QFETCH(QRect, shown);
        QFETCH(int, format);
        QFETCH(QSize, points);
        // Red where the card should look, blue elsewhere.
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter(&image).fillRect(shown, Qt::red);
        image = image.convertToFormat(QImage::Format(format), {qRgb(0, 0, 255), qRgb(255, 0, 0)});
        image.setDevicePixelRatio(ratio);
        Fixture f;
        std::thread([&] { f.controller.showHUD(f.home.file(name), image, points); }).join();
        QVERIFY(!f.controller.currentCard()); // nothing until the main loop runs
        QTRY_VERIFY(f.controller.currentCard());
        FloatingHUDView *card = f.controller.currentCard();
        QCOMPARE(card->fileType(), name.section(u'.', -1).toUpper());
        const QSize badge = points.isValid() ? points : (QSizeF(size) / ratio).toSize();
        QCOMPARE(card->sizeText(), u"%1 × %2"_s.arg(badge.width()).arg(badge.height()));
        // Kept and painted at four bytes a pixel, whatever the file's depth.
        QCOMPARE(card->thumbnail().depth(), 32);
        QImage thumbnail = card->thumbnail().convertToFormat(QImage::Format_RGB32);
        QVERIFY(thumbnail.width() <= 272 && thumbnail.height() <= 140);
        QImage red(thumbnail.size(), QImage::Format_RGB32);
        red.fill(Qt::red);
        thumbnail.setDevicePixelRatio(1);
        QCOMPARE(thumbnail, red);
        const auto frames = items(f.window()->contentItem(), "orvane::ThumbnailItem");
        QCOMPARE(frames.size(), 1);
        QTEST(qRound(frames.first()->height()), "frameHeight");
    }

    // Each action's platform calls and sounds, with an awkward name; a copy is of the card's own
    // picture, whatever became of the file since (rewritten, renamed, garbled). A confirmation
    // stays 0.8 s; sharing keeps the card, counting; the rest end it at once. An action that failed
    // says so on the card and in one log line, with no sound of success, and the card stays past
    // its countdown, until its own later end. A file the Trash refuses is left where it was.
    void actions_data()
    {
        QTest::addColumn<QString>("action"); // the buttons' names, the share menu's after "/"
        // quiet (sounds off), picker (the system's), chosen (a Markup application); refused:
        // trash, open; gone, garbled (the file); folder (gone too)
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("log"); // empty: no failure
        QTest::addColumn<QStringList>("calls");
        const QString path = u"%1/Shot \"1\" $HOME `id`.png"_s, name = path.mid(3);
        const QString copy = u"copyImageToClipboard:640x400+png"_s,
                      tink = u"playSystemSound:Tink"_s;
        const QString trash = u"moveToTrash:"_s + path, markup = u"openForMarkup:"_s + path;
        const QString undo = u"offerUndo:"_s + path + u"~trashed"_s, email = u"emailFile:"_s + path;
        const QString reveal = u"revealInFileManager:"_s + path,
                      apps = u"applicationsForFile:"_s + path;
        const QString notTrashed = u"Could not move to the Trash: "_s + name,
                      picker = u"showSharePicker:"_s + path;
        const auto row = [](const char *tag, const QString &action, const QString &situation,
                            const QString &banner, const QString &log, const QStringList &calls) {
            QTest::newRow(tag) << action << situation << banner << log << calls;
        };
        row("Copy & Save", u"Copy & Save"_s, {}, u"Copied & Saved!"_s, {}, {copy, tink});
        row("Copy Only", u"Copy Only"_s, {}, u"Copied & Discarded!"_s, {},
            {copy, trash, undo, tink});
        row("Markup, the user's choice", u"Markup"_s, u"chosen"_s, {}, {},
            {u"openForMarkup:org.kde.kolourpaint.desktop:"_s + path});
        row("Finder", u"Files"_s, {}, {}, {}, {reveal});
        row("Delete", u"Move to Trash"_s, {}, {}, {}, {trash, undo, u"playSystemSound:Basso"_s});
        row("Delete, sounds off, no Undo", u"Move to Trash"_s, u"quiet noundo"_s, {}, {}, {trash});
        row("Share, system picker", u"Share"_s, u"picker"_s, {}, {}, {picker});
        row("Share, Open With", u"Share/Open With Viewer"_s, {}, {}, {},
            {picker, apps, u"openFileWith:viewer.desktop:"_s + path});
        row("Copy Only, no longer an image", u"Copy Only"_s, u"garbled"_s, u"Copied & Discarded!"_s,
            {}, {copy, trash, undo, tink});
        row("Copy Only, file renamed", u"Copy Only"_s, u"gone"_s, u"Copied — File Not Trashed"_s,
            notTrashed, {copy, trash, tink});
        row("Copy Only, Trash refused", u"Copy Only"_s, u"trash"_s, u"Copied — File Not Trashed"_s,
            notTrashed, {copy, trash, tink});
        row("Delete, Trash refused", u"Move to Trash"_s, u"trash"_s, u"Not Trashed — File Kept"_s,
            notTrashed, {trash});
        row("Delete, file gone", u"Move to Trash"_s, u"gone"_s, u"Not Trashed — File Missing"_s,
            notTrashed, {trash});
        row("Markup, no application", u"Markup"_s, u"open"_s, u"Not Opened — No Image Viewer"_s,
            u"Could not open for markup, no application took it: "_s + name, {markup});
        row("Markup, file gone", u"Markup"_s, u"gone"_s, u"Not Opened — File Missing"_s,
            u"Could not open for markup, the file is gone: "_s + name, {});
        row("Finder, no file manager", u"Files"_s, u"open"_s, u"Not Shown — No File Manager"_s,
            u"Could not show in the file manager: "_s + name, {reveal});
        row("Finder, folder gone too", u"Files"_s, u"folder"_s, u"Not Shown — Folder Missing"_s,
            u"Could not show in the file manager, the folder is gone: %1/gone"_s, {});
        row("Copy File, file gone", u"Share/Copy File"_s, u"gone"_s, u"Not Shared — File Missing"_s,
            u"Could not copy the file, the file is gone: "_s + name, {picker, apps});
        row("Email, no mail program", u"Share/Email…"_s, u"open"_s,
            u"Not Shared — No Mail Program"_s,
            u"Could not start an e-mail, no mail program: "_s + name, {picker, apps, email});
    }
    void actions()
    {
        QFETCH(QString, action);
        QFETCH(QString, situation);
        QFETCH(QString, banner);
        QFETCH(QString, log);
        QFETCH(QStringList, calls);
        test::LogCapture lines;
        Fixture f;
        f.state.setPlaySound(!situation.contains(u"quiet"_s));
        f.state.setOfferUndoAfterTrash(!situation.contains(u"noundo"_s));
        f.platform.trashSucceeds = situation != u"trash"_s && situation != u"gone"_s;
        f.platform.opensSucceed = situation != u"open"_s;
        f.platform.hasSharePicker = situation == u"picker"_s;
        f.state.setMarkupApplication(situation == u"chosen"_s ? u"org.kde.kolourpaint.desktop"_s
                                                              : QString());
        f.platform.fileApplications = {{u"viewer.desktop"_s, u"Viewer"_s}};
        const QString folder = situation == u"folder"_s ? f.home.file(u"gone"_s) : f.home.path();
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + u"/Shot \"1\" $HOME `id`.png"_s;
        FloatingHUDView *card = f.show(file);
        QVERIFY(card);
        QFile content(file);
        if (situation == u"garbled"_s) {
            QVERIFY(content.resize(1)); // a PNG's first byte alone
        } else if (situation == u"gone"_s) {
            QVERIFY(content.remove());
        } else if (situation == u"folder"_s) {
            QVERIFY(QDir(folder).removeRecursively());
        } else {
            QVERIFY(picture(1200, 750).save(file, "PNG"));
        }
        f.time.fire(10);
        f.platform.takeCalls();
        for (const QString &button : action.split(u'/')) { // a menu opens as it may, later
            QVERIFY(QTest::qWaitFor([&] { return pressButton(f.window(), button); }));
        }
        QTRY_COMPARE(card->actionFeedback(), banner); // copies wait for the file to be read
        // A failure looks like one: its own ground and symbol, never the success's.
        QCOMPARE(card->feedbackIcon() == u"exclamationmark.triangle.fill"_s, !log.isEmpty());
        QTRY_COMPARE(f.window()->findChild<QQuickItem *>(u"failureGround"_s)->isVisible(),
                     !log.isEmpty());
        QCoreApplication::processEvents();
        // Answers and sounds come through the event loop. No Basso: nothing was deleted.
        QStringList made;
        QTRY_COMPARE((made << f.cardCalls(), made), calls);
        QCOMPARE(lines.lines().filter(u"Could not"_s),
                 log.isEmpty() ? QStringList()
                               : QStringList{u"[Orvane] "_s + log.replace(u"%1"_s, f.home.path())});
        QCOMPARE(QFile::exists(file), situation != u"gone"_s && situation != u"folder"_s);
        if (log.isEmpty()) {
            const bool delayed = !banner.isEmpty(), kept = action.startsWith(u"Share"_s);
            QTRY_COMPARE(bool(f.controller.currentCard()), delayed || kept);
            QVERIFY(!kept || f.time.sources.at(0)->running);
            QCOMPARE(f.time.pending.size(), delayed ? 1 : 0);
            if (delayed) {
                QCOMPARE(f.time.pending.first().milliseconds, 800);
                f.time.runPending();
                QVERIFY(!f.controller.currentCard());
            }
            return;
        }
        f.time.fire(40);
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

    // The pointer on the card, a button included, holds the countdown; leaving lets it run on.
    // From the keyboard, Tab goes through the buttons in order, Space or Return presses one. The
    // share menu opens above its button, a long name shortened by whole words (kept whole for
    // screen readers); Down and Return, or a click, choose an item; Escape, or a press elsewhere
    // on the card, closes it.
    void pointerKeyboardAndShareMenu()
    {
        Fixture f;
        const QString viewer = u"ImageMagick (color depth q16) display utility for X"_s;
        f.platform.fileApplications = {{u"display-im6.q16.desktop"_s, viewer}};
        FloatingHUDView *card = f.show(u"a.png"_s);
        QQuickWindow *window = f.window();
        const auto focused = [window] { return accessibleName(window->activeFocusItem()); };
        const auto menu = [window] { return withRole(window, QAccessible::MenuItem); };
        // What hovering does to the count, countdownDismisses checks.
        QTest::mouseMove(window, QPoint(150, 120));
        QTRY_VERIFY(card->isHovering());
        const QRectF share = inScene(withRole(window, QAccessible::Button, u"Share"_s).at(0));
        QTest::mouseMove(window, share.center().toPoint());
        QVERIFY(card->isHovering());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(window, &leave);
        QTRY_VERIFY(!card->isHovering());

        // The card never takes focus by itself; given it, as a screen reader may:
        QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(window, &focusIn);
        for (const QString &name : {u"Close"_s, u"Copy & Save"_s, u"Copy Only"_s, u"Share"_s}) {
            QTest::keyClick(window, Qt::Key_Tab);
            QCOMPARE(focused(), name);
        }

        QSignalSpy frame(window, &QQuickWindow::frameSwapped); // the menu laid out
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!frame.isEmpty(), 5000);
        QStringList names;
        for (QQuickItem *item : menu()) {
            names << accessibleName(item);
            QVERIFY(inScene(item).bottom() < share.top());
        }
        QCOMPARE(names, (QStringList{u"Copy File"_s, u"Email…"_s, u"Open With "_s + viewer}));
        const QString shown =
            menu().last()->findChild<QQuickItem *>(u"label"_s)->property("text").toString();
        QVERIFY2(shown.endsWith(u"…"_s) && names.last().startsWith(shown.chopped(1) + u' '),
                 qPrintable(shown));
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Tab}) { // Tab leaves no menu open
            QTest::keyClick(window, key);
            QVERIFY(menu().isEmpty());
            QCOMPARE(focused(), u"Share"_s);
            QTest::keyClick(window, Qt::Key_Space);
            QCOMPARE(menu().size(), 3);
        }
        QTest::keyClick(window, Qt::Key_Down);
        QTest::keyClick(window, Qt::Key_Down);
        f.platform.takeCalls();
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(f.cardCalls(), QStringList{u"emailFile:%1/a.png"_s});
        QVERIFY(menu().isEmpty());

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(menu().size(), 3);
        // The menu's edge, over Copy Only: the press stays on the menu, nothing is trashed.
        const QRectF line = inScene(menu().first());
        const QPoint edge(qRound(line.left() - 2), qRound(line.bottom() + 20));
        QVERIFY(
            inScene(withRole(window, QAccessible::Button, u"Copy Only"_s).at(0)).contains(edge));
        f.platform.takeCalls();
        QTest::mouseClick(window, Qt::LeftButton, {}, edge);
        QCOMPARE(f.cardCalls(), QStringList());
        QCOMPARE(menu().size(), 3);
        // A press outside closes the menu and still reaches what it was on: the card's body,
        // which drags the card.
        const QPoint before = window->position();
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(150, 20));
        QVERIFY(menu().isEmpty());
        QTest::mouseMove(window, QPoint(170, 30));
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(170, 30));
        QVERIFY(window->position() != before);
        QCOMPARE(f.controller.currentCard(), card);
        // Its own button closes it again.
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(menu().size(), 3);
        QTest::mouseClick(window, Qt::LeftButton, {}, share.center().toPoint());
        QVERIFY(menu().isEmpty());
        frame.clear();
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!frame.isEmpty(), 5000);
        f.platform.takeCalls();
        QTest::mouseClick(window, Qt::LeftButton, {}, inScene(menu().first()).center().toPoint());
        QCOMPARE(f.cardCalls(), QStringList{u"copyFileToClipboard:%1/a.png"_s});
        QVERIFY(menu().isEmpty());

        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(focused(), u"Markup"_s);
    }

    // Nothing of the card is cut off at the screen's scale (run again at 1.5x and 2x): its ground,
    // rounded corners and bottom padding lie in its window, the bar on the ground, every button
    // holds its symbol and text and has a name. Then its whole life, frame by frame, draws
    // without a painter's complaint: no fill thinner than a pixel, however small the time left.
    void cardFitsItsWindow()
    {
        test::LogCapture log;
        Fixture f(200);
        QVERIFY(f.show(u"a.png"_s));
        QQuickWindow *window = f.window();
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s).toDouble();
        const QRectF ground = inScene(window->findChild<QQuickItem *>(u"cardBackground"_s));
        QVERIFY(QRectF(0, 0, window->width(), window->height()).contains(ground));
        QVERIFY(ground.contains(inScene(window->findChild<QQuickItem *>(u"progressTrack"_s))));

        // What is on screen (the grab has no alpha: the window's transparent parts are black):
        // a rounded corner, and card material under the bar.
        const QImage shot = window->grabWindow();
        QCOMPARE(shot.size(), (window->size() * scale));
        const auto pixel = [&shot, scale](qreal x, qreal y) {
            return shot.pixelColor(int(x * scale), int(y * scale)).rgb();
        };
        QCOMPARE(pixel(ground.left() + 1, ground.bottom() - 1), qRgb(0, 0, 0));
        QVERIFY(qGray(pixel(ground.center().x(), ground.bottom() - 3)) > 15);

        QStringList names, faults;
        QList<QRectF> placed;
        int checked = 0;
        for (QQuickItem *button : withRole(window)) {
            names << accessibleName(button);
            placed << inScene(button);
            // Edges on whole device pixels, where they stay sharp.
            for (const qreal edge : {placed.last().left() * scale, placed.last().right() * scale}) {
                if (names.size() > 3 && qAbs(edge - qRound(edge)) > 0.01) {
                    faults << names.last() + u" blurred"_s;
                }
            }
            for (QQuickItem *part : items(button)) {
                if (part->inherits("orvane::SymbolItem") || part->inherits("QQuickText")) {
                    ++checked;
                    if (!placed.last().adjusted(2, 2, -2, -2).contains(inScene(part))) {
                        faults << names.last() + u" cut off"_s;
                    }
                }
            }
        }
        QCOMPARE(names, (QStringList{u"Close"_s, u"Copy & Save"_s, u"Copy Only"_s, u"Share"_s,
                                     u"Markup"_s, u"Files"_s, u"Move to Trash"_s}));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u", "_s)));
        QVERIFY(checked >= 14); // close, two wide buttons, four small ones
        // The bottom row ends with the card's.
        QCOMPARE(placed.last().right(), placed.at(1).right());

        QQuickItem *fill = window->findChild<QQuickItem *>(u"progressFill"_s);
        for (int tick = 0; tick < 39; ++tick) {
            QSignalSpy frame(window, &QQuickWindow::frameSwapped);
            f.time.fire();
            QVERIFY(frame.wait(5000));
        }
        f.state.setAutoDismissSeconds(100000); // 0.1 s left of it: far under a pixel
        QTRY_VERIFY_WITH_TIMEOUT(fill->width() < 0.05, 5000);
        window->grabWindow();
        f.time.fire();
        QTRY_COMPARE_WITH_TIMEOUT(f.controller.cardWindowCount(), 0, 5000);
        QCOMPARE(log.otherMessages().filter(u"paint"_s, Qt::CaseInsensitive), QStringList());
    }

    // The menu's sample capture: written where asked, replacing the one before, and a card
    // all the same where it cannot be written.
    void simulatedCapture()
    {
        for (const bool writable : {true, false}) {
            Fixture f;
            const QString path = f.home.file(writable ? u"Orvane_Sample_Simulation.png"_s
                                                      : u"missing/Orvane_Sample_Simulation.png"_s);
            // Someone else's link under the sample's name is replaced, not written through.
            const QString victim = f.home.file(u"victim.txt"_s);
            QFile(victim).open(QIODevice::WriteOnly);
            QVERIFY(!writable || QFile::link(victim, path));
            testHUD(path, [&f](const QString &file, const QImage &image) {
                f.controller.showHUD(file, image);
            });
            QCOMPARE(QFileInfo(victim).size(), 0);
            QVERIFY(!QFileInfo(path).isSymLink());
            QTRY_VERIFY(f.controller.currentCard());
            QCOMPARE(f.controller.currentCard()->fileName(), u"Orvane_Sample_Simulation.png"_s);
            QCOMPARE(f.controller.currentCard()->sizeText(), u"500 × 320"_s);
            QCOMPARE(QImage(path, "PNG").size(), writable ? QSize(500, 320) : QSize(0, 0));
        }
    }

    // Dragged out of the card, the screenshot goes as its file and its whole picture read from
    // the file. The card waits meanwhile, then counts on. On an X display (tst_carddesktop),
    // whose drag has its own event loop.
    void dragHoldsTheCountdown()
    {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            QSKIP("needs an X display");
        }
        Fixture f;
        FloatingHUDView *card = f.show(u"dragged.png"_s);
        QTRY_VERIFY(card && f.window()->isExposed());
        double leftDuringDrag = -1;
        QList<QUrl> urls;
        QImage dragged;
        // Runs inside the drag's own event loop, then ends the drag as Escape would.
        QTimer::singleShot(0, card, [&] {
            f.time.fire(100);
            leftDuringDrag = f.controller.currentCard() == card ? card->timeRemaining() : 0;
            const QMimeData *data = card->findChild<QDrag *>()->mimeData();
            urls = data->urls();
            dragged = qvariant_cast<QImage>(data->imageData());
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(f.window(), &escape);
        });
        card->startDrag();
        QCOMPARE(leftDuringDrag, 4.0);
        QCOMPARE(urls, QList<QUrl>{QUrl::fromLocalFile(f.home.file(u"dragged.png"_s))});
        QCOMPARE(dragged.size(), QSize(640, 400));
        f.time.fire();
        QVERIFY(card->timeRemaining() < 4.0);
    }

    // Every symbol the card, the tray and the preferences name draws something, tinted through
    // and through (no trace of the drawing's own black); a name without a drawing draws nothing.
    void symbolsDraw()
    {
        const QColor tint(u"#10c28a"_s);
        QImage blank(48, 48, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        QCOMPARE(symbols::render(u"no.such.symbol"_s, QSize(48, 48), tint), blank);
        QVERIFY(symbols::icon(u"no.such.symbol"_s).isNull());
        for (const QString &name :
             u"camera.viewfinder xmark doc.on.doc.fill doc.on.doc checkmark trash trash.fill "
             "square.and.arrow.up pencil.tip.crop.circle folder checkmark.circle.fill "
             "trash.circle.fill power doc.on.clipboard speaker.wave.2 timer "
             "arrow.up.right.square play.circle.fill keyboard exclamationmark.triangle.fill"_s
                 .split(u' ')) {
            QVERIFY2(symbols::names().contains(name) && !symbols::icon(name).isNull(),
                     qPrintable(name));
            const QImage image = symbols::render(name, QSize(48, 48), tint);
            int inked = 0;
            for (int i = 0; i < 48 * 48; ++i) {
                const QColor pixel = image.pixelColor(i % 48, i / 48);
                inked += pixel.alpha() == 255;
                QVERIFY(pixel.alpha() < 255 || pixel.rgb() == tint.rgb());
            }
            QVERIFY2(inked > 40 && inked < 48 * 48 * 3 / 4, qPrintable(name));
            // The recording drawn at another size than it was made at is the drawing itself.
            QImage source(QSize(24, 24), QImage::Format_ARGB32_Premultiplied);
            source.fill(Qt::transparent);
            QPainter painter(&source);
            painter.setRenderHint(QPainter::Antialiasing);
            QSvgRenderer(QStringLiteral(SYMBOL_SOURCES "/") + name + u".svg"_s)
                .render(&painter, QRectF(source.rect()));
            painter.end();
            const QImage replayed = symbols::render(name, QSize(24, 24), tint);
            int worst = 0;
            for (int i = 0; i < 24 * 24; ++i) {
                worst = std::max(worst, std::abs(qAlpha(source.pixel(i % 24, i / 24)) -
                                                 qAlpha(replayed.pixel(i % 24, i / 24))));
            }
            QVERIFY2(worst <= 8, qPrintable(name + u' ' + QString::number(worst)));
        }
        // A painted item draws again in its new colour and at its new size, and never keeps the
        // old picture stretched.
        QQuickWindow window;
        window.resize(64, 64);
        auto *symbol = new SymbolItem(window.contentItem());
        symbol->setProperty("name", u"xmark"_s);
        symbol->setProperty("color", QColor(Qt::red));
        symbol->setSize(QSizeF(16, 16));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Where the drawing is, and in which colours.
        const auto drawn = [&window](QRgb colour) {
            const QImage mask = window.grabWindow().createMaskFromColor(colour, Qt::MaskOutColor);
            return QRegion(QBitmap::fromImage(mask)).boundingRect();
        };
        QTRY_VERIFY(!drawn(qRgb(255, 0, 0)).isEmpty());
        const QRect small = drawn(qRgb(255, 0, 0));
        symbol->setProperty("color", QColor(Qt::blue));
        QTRY_VERIFY(drawn(qRgb(255, 0, 0)).isEmpty());
        QCOMPARE(drawn(qRgb(0, 0, 255)), small);
        symbol->setSize(QSizeF(48, 48));
        QTRY_VERIFY(drawn(qRgb(0, 0, 255)).width() > 2 * small.width());
    }
};

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QAccessible::setActive(true); // buttons name themselves for assistive technology only then
    HudCardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hudcard.moc"
