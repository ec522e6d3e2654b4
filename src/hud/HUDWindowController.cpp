#include "hud/HUDWindowController.h"

#include "hud/FloatingHUDView.h"
#include "hud/Placement.h"
#include "hud/Thumbnail.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QCursor>
#include <QDir>
#include <QEasingCurve>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlIncubator>
#include <QQuickWindow>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <atomic>
#include <mutex>

namespace orvane {

namespace {

const QUrl cardWindowUrl(QStringLiteral("qrc:/qt/qml/Orvane/Hud/qml/CardWindow.qml"));

// The standard ease-out and ease-in curves of Core Animation.
QEasingCurve bezier(qreal x1, qreal y1, qreal x2, qreal y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

// The font database is read in (fontconfig's files parsed, the fonts listed) on the worker,
// while the card's QML loads, rather than on the main thread in the card's first frame.
void readFontsOnce()
{
    static std::once_flag fonts;
    std::call_once(fonts, [] { QFontDatabase::families(); });
}

} // namespace

class HUDWindowController::CardIncubator : public QQmlIncubator {
public:
    explicit CardIncubator(std::function<void(CardIncubator &)> onDone)
        : QQmlIncubator(Asynchronous), m_onDone(std::move(onDone))
    {}
    FloatingHUDView *card = nullptr;
    QString filePath;
    quint64 request = 0;

protected:
    void statusChanged(Status status) override
    {
        if (status == Ready || status == Error) {
            m_onDone(*this);
        }
    }

private:
    std::function<void(CardIncubator &)> m_onDone;
};

HUDWindowController::HUDWindowController(Platform &platform, AppState &state, QQmlEngine &engine,
                                         Options options, QObject *parent)
    : QObject(parent), m_platform(platform), m_state(state), m_options(std::move(options)),
      m_engine(engine), m_worker(this)
{
    if (!m_options.makeTicks) {
        m_options.makeTicks = timerTicks();
    }
    if (!m_options.later) {
        m_options.later = timerDelayedCall();
    }
    // Qt's Wayland plugin sets no window's opacity, and warns at every step of a fade.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        m_options.fadeMilliseconds = 0;
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        m_pixelRatio = app->devicePixelRatio();
    }
    // One thread: pictures are taken in the order they came, and a burst of them takes one
    // core at most.
    m_worker.setMaxThreadCount(1);
    m_keptFolder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

HUDWindowController::~HUDWindowController()
{
    m_worker.clear();
    m_worker.waitForDone();
    cancelIncubation();
    // Windows first: their QML belongs to the engine.
    for (const CardWindow &shown : std::as_const(m_windows)) {
        delete shown.window.data();
    }
}

void HUDWindowController::showHUD(const QString &filePath, const QImage &image, const QSize &points,
                                  const QByteArray &encoded)
{
    const quint64 request = ++m_latestRequest;
    // The component loads while the thumbnail is made, unless it was prepared before.
    QMetaObject::invokeMethod(this, &HUDWindowController::prepare, Qt::QueuedConnection);
    const qreal pixelRatio = m_pixelRatio;
    // Never on the main thread, so callers never wait for a picture to be scaled or a window
    // to be built. The worker finishes before the controller goes.
    m_worker.start([this, request, pixelRatio, filePath, image = image, points, encoded = encoded,
                    keptFolder = m_keptFolder]() mutable {
        readFontsOnce();
        if (request != m_latestRequest) {
            return; // a newer screenshot came first: this one gets no card
        }
        // The size badge says what the detection's line says: points, not pixels (a Retina
        // capture at 144 dpi is half its pixels).
        const files::KeptBytes kept(encoded);
        const CardPicture picture{thumbnail::make(image, pixelRatio),
                                  thumbnail::plan(image.size()).display,
                                  points.isValid() ? QSizeF(points) : image.deviceIndependentSize(),
                                  kept, encoded.isEmpty() ? image : QImage()};
        QMetaObject::invokeMethod(
            this, [this, request, filePath, picture] { present(request, filePath, picture); },
            Qt::QueuedConnection);
        // While the card is built: its bytes to the disk's cache, out of the heap.
        if (!kept.isEmpty() && QDir().mkpath(keptFolder)) {
            kept.moveToFile(keptFolder);
        }
        // Let go before the card is even built: nothing of this task holds the picture or the
        // bytes while the decodes' memory is given back (ScreenshotWatcher).
        image = QImage();
        encoded = QByteArray();
    });
}

QScreen *HUDWindowController::currentActiveScreen()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> frames;
    for (const QScreen *screen : screens) {
        frames << screen->geometry();
    }
    const int index = placement::screenIndexFor(
        QCursor::pos(), frames,
        static_cast<int>(screens.indexOf(QGuiApplication::primaryScreen())));
    return index < 0 ? nullptr : screens.at(index);
}

FloatingHUDView *HUDWindowController::currentCard() const
{
    for (const CardWindow &shown : m_windows) {
        if (shown.window && shown.window == m_hudWindow) {
            return shown.card;
        }
    }
    return nullptr;
}

HUDWindowController::CardWindow *HUDWindowController::find(const QQuickWindow *window)
{
    for (CardWindow &shown : m_windows) {
        if (shown.window && shown.window == window) {
            return &shown;
        }
    }
    return nullptr;
}

int HUDWindowController::cardWindowCount() const
{
    int count = 0;
    for (const CardWindow &shown : m_windows) {
        count += shown.window ? 1 : 0;
    }
    return count;
}

void HUDWindowController::prepare()
{
    if (m_component) {
        return;
    }
    ensureComponent();
    m_worker.start(readFontsOnce);
}

bool HUDWindowController::ensureComponent()
{
    if (m_component) {
        return m_component->isReady();
    }
    m_component = std::make_unique<QQmlComponent>(&m_engine);
    connect(m_component.get(), &QQmlComponent::statusChanged, this,
            &HUDWindowController::componentStatusChanged);
    m_component->loadUrl(cardWindowUrl, QQmlComponent::Asynchronous);
    return m_component->isReady();
}

void HUDWindowController::componentStatusChanged()
{
    if (m_component->isLoading()) {
        return;
    }
    if (m_component->isError()) {
        logLine(QStringLiteral("Could not load the HUD card: ") + m_component->errorString());
        m_waiting.reset();
        return;
    }
    if (m_waiting) {
        const Waiting waiting = *std::exchange(m_waiting, std::nullopt);
        present(waiting.request, waiting.filePath, *waiting.picture);
    }
}

void HUDWindowController::cancelIncubation()
{
    if (!m_incubator) {
        return;
    }
    const std::unique_ptr<CardIncubator> incubator = std::move(m_incubator);
    // Clearing destroys what was built of a window still incubating, not a finished one.
    QObject *finished = incubator->isReady() ? incubator->object() : nullptr;
    incubator->clear();
    delete finished;
    delete incubator->card;
}

void HUDWindowController::present(quint64 request, const QString &filePath,
                                  const CardPicture &picture)
{
    if (request != m_latestRequest) {
        return; // superseded while its thumbnail was made
    }
    if (!ensureComponent()) {
        if (m_component->isLoading()) {
            m_waiting = Waiting{request, filePath, std::make_shared<CardPicture>(picture)};
        }
        return;
    }
    // A newer screenshot replaces a card still being built.
    cancelIncubation();

    const quint64 serial = ++m_cardSerial;
    QPointer<HUDWindowController> controller(this);
    // A card may only end itself: once replaced, its late dismissals leave the newer card be.
    auto onDismiss = [controller, serial] {
        if (controller) {
            controller->dismissCard(serial);
        }
    };
    // The copy actions read the file on the worker; the answer is dropped if the controller
    // has gone meanwhile.
    BackgroundRead inBackground = [this](std::function<CopiedPicture()> read,
                                         std::function<void(const CopiedPicture &)> done) {
        m_worker.start([this, read, done] {
            const CopiedPicture copied = read();
            QMetaObject::invokeMethod(
                this, [done, copied] { done(copied); }, Qt::QueuedConnection);
        });
    };
    QScreen *screen = currentActiveScreen();
    auto *card = new FloatingHUDView(
        filePath, picture,
        {&m_platform, &m_state, m_options.makeTicks, m_options.later, std::move(inBackground)},
        onDismiss);
    QQmlEngine::setObjectOwnership(card, QQmlEngine::CppOwnership);
    // Known before the first frame, so that nothing is drawn twice.
    if (screen) {
        card->setPixelRatio(screen->devicePixelRatio());
    }

    m_incubator = std::make_unique<CardIncubator>([this](CardIncubator &incubator) {
        // Called from within the incubator: it is let go in a later turn.
        QMetaObject::invokeMethod(
            this,
            [this, done = &incubator] {
                if (m_incubator.get() != done) {
                    return; // cancelled meanwhile
                }
                const std::unique_ptr<CardIncubator> finished = std::move(m_incubator);
                auto *window = qobject_cast<QQuickWindow *>(finished->object());
                if (!window) {
                    QStringList errors;
                    for (const QQmlError &error : finished->errors()) {
                        errors << error.toString();
                    }
                    delete finished->object();
                    delete finished->card;
                    logLine(QStringLiteral("Could not create the HUD window: ") +
                            errors.join(u'\n'));
                    return;
                }
                if (finished->request != m_latestRequest) {
                    // A newer screenshot came while this window was built: its card is on the
                    // way, and this one must not flash up before it.
                    delete window;
                    delete finished->card;
                    return;
                }
                reveal(finished->card, window, finished->filePath);
            },
            Qt::QueuedConnection);
    });
    m_incubator->card = card;
    m_incubator->filePath = filePath;
    m_incubator->request = request;
    m_incubator->setInitialProperties({{QStringLiteral("card"), QVariant::fromValue(card)}});
    m_component->create(*m_incubator);
}

void HUDWindowController::reveal(FloatingHUDView *card, QQuickWindow *window,
                                 const QString &filePath)
{
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    card->setParent(window);
    // The window's own ratio, followed when it moves to another screen: asking each item's
    // Screen instead makes every card walk every other card's items when one closes.
    connect(window, &QWindow::screenChanged, card,
            [card, window] { card->setPixelRatio(window->devicePixelRatio()); });

    QQuickWindow *leaving = m_hudWindow;
    dismissHUD();
    destroyOlderWindows(leaving);

    QScreen *screen = currentActiveScreen();
    const QRect available =
        screen ? m_platform.card().workArea(*screen)
               : QRect(QPoint(0, 0), placement::panelSize + QSize(2, 2) * placement::edgeGap);
    const QPoint position = placement::panelPosition(available);
    if (screen) {
        window->setScreen(screen);
        m_pixelRatio = screen->devicePixelRatio();
    }
    m_platform.card().prepareFloatingWindow(*window);
    card->setBlurredBehind(m_platform.card().blurBehind(*window));
    window->setGeometry(QRect(position, placement::panelSize));
    card->setPixelRatio(window->devicePixelRatio());
    if (m_options.fadeMilliseconds > 0) {
        window->setOpacity(0.0);
    }
    m_platform.card().showFloatingWindow(*window);
    card->appear();
    m_hudWindow = window;
    const bool first = cardWindowCount() == 0;
    m_windows.append({window, card, {}});
    if (first) {
        emit cardsShowingChanged(true);
    }
    fade(m_windows.last(), 1.0, false);
    // What a card leaves behind goes back to the system once the last window is gone: the
    // scene graph's buffers and the decoded pictures are too large for the allocator to
    // return on its own, and each card would raise the line a little.
    connect(window, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (cardWindowCount() == 0) {
                emit cardsShowingChanged(false);
            }
            if (cardWindowCount() == 0 && !m_incubator) {
                m_engine.collectGarbage();
                files::releaseFreedMemory();
            }
        });
    });

    const QScreen *primary = QGuiApplication::primaryScreen();
    const QPoint origin =
        placement::loggedOrigin(position, primary ? primary->geometry() : available);
    const QString display =
        screen ? placement::displayName(screen->manufacturer(), screen->model(), screen->name())
               : QString();
    logLine(placement::displayedLine(display, origin, QFileInfo(filePath).fileName()));
    emit hudShown();
}

void HUDWindowController::dismissHUD()
{
    if (!m_hudWindow) {
        return;
    }
    CardWindow *shown = find(m_hudWindow);
    m_hudWindow.clear();
    if (shown) {
        fade(*shown, 0.0, true);
    }
}

void HUDWindowController::destroyOlderWindows(QQuickWindow *leaving)
{
    const QList<CardWindow> windows = std::exchange(m_windows, {});
    for (const CardWindow &shown : windows) {
        if (!shown.window) {
            continue;
        }
        if (shown.window == leaving || shown.window == m_hudWindow) {
            m_windows.append(shown);
            continue;
        }
        // Its fade-out is cut short: a burst of screenshots must not pile windows up.
        shown.window->hide();
        delete shown.window.data();
    }
}

void HUDWindowController::dismissCard(quint64 serial)
{
    if (serial == m_cardSerial) {
        dismissHUD();
    }
}

void HUDWindowController::fade(CardWindow &shown, qreal to, bool thenClose)
{
    QQuickWindow *window = shown.window;
    auto finish = [window, card = shown.card, thenClose] {
        if (!thenClose) {
            return;
        }
        if (card) {
            card->disappear();
        }
        window->hide();
        window->deleteLater();
    };
    // A fade-out takes over from a fade-in still running.
    if (shown.fade) {
        shown.fade->stop();
    }
    if (m_options.fadeMilliseconds <= 0) {
        finish();
        return;
    }
    auto *animation = new QPropertyAnimation(window, "opacity", window);
    animation->setDuration(m_options.fadeMilliseconds);
    animation->setEndValue(to);
    animation->setEasingCurve(thenClose ? bezier(0.42, 0.0, 1.0, 1.0)
                                        : bezier(0.0, 0.0, 0.58, 1.0));
    connect(animation, &QPropertyAnimation::finished, window, finish);
    shown.fade = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace orvane
