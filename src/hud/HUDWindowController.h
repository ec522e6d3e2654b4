#pragma once

#include "hud/TickSource.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>

class QPropertyAnimation;
class QQmlComponent;
class QQmlEngine;
class QScreen;

namespace orvane {

class AppState;
class FloatingHUDView;
class Platform;
struct CardPicture;

// Owns the floating window of the one current card: places it in the bottom-right corner
// of the screen under the pointer, fades it in, and fades it out when the card is done or a
// newer card replaces it.
class HUDWindowController : public QObject {
    Q_OBJECT
public:
    // What drives time; empty members take the real timers.
    struct Options {
        TickSourceFactory makeTicks;
        DelayedCall later;
        int fadeMilliseconds = 200;
    };

    // Cards are drawn in `engine`, which outlives the controller.
    HUDWindowController(Platform &platform, AppState &state, QQmlEngine &engine, Options options,
                        QObject *parent = nullptr);
    ~HUDWindowController() override;

    // Shows a card for the screenshot. Callable from any thread: returns at once; the thumbnail
    // is made on the hud's own worker and the window on the main thread. Only the newest
    // screenshot gets a card: one superseded before its card is built gets none.
    // `points`: the screenshot's size in points (none: its pixels). `encoded`: the file's bytes
    // it was decoded from, which the card keeps to copy (none: the card keeps `image`).
    void showHUD(const QString &filePath, const QImage &image, const QSize &points = {},
                 const QByteArray &encoded = {});
    // Loads what every card needs (its QML, the fonts) ahead of one. Main thread.
    void prepare();
    // Fades the current card out. Main thread; nothing happens when no card is showing.
    void dismissHUD();

    // The screen under the pointer, else the primary screen, else the first; null only when
    // the system reports no screen at all.
    static QScreen *currentActiveScreen();

    // The current card and its window; null when none is showing.
    FloatingHUDView *currentCard() const;
    QQuickWindow *hudWindow() const { return m_hudWindow; }
    // Card windows not yet destroyed: the current one and at most one fading out.
    int cardWindowCount() const;
    // Whether a card's window is being built, a few objects at a time, and not yet shown.
    bool buildingCard() const { return m_incubator != nullptr; }

signals:
    // A card has been put on screen.
    void hudShown();
    // The first card window came, or the last one went: the tray keeps its tooltip off the
    // card meanwhile.
    void cardsShowingChanged(bool showing);

private:
    class CardIncubator;
    // A card's window, with the card and the window's fade, which go with it.
    struct CardWindow {
        QPointer<QQuickWindow> window;
        QPointer<FloatingHUDView> card;
        QPointer<QPropertyAnimation> fade;
    };
    struct Waiting {
        quint64 request = 0;
        QString filePath;
        std::shared_ptr<CardPicture> picture;
    };

    void present(quint64 request, const QString &filePath, const CardPicture &picture);
    // Puts a card whose window has been built on screen, in place of the one showing.
    void reveal(FloatingHUDView *card, QQuickWindow *window, const QString &filePath);
    void cancelIncubation();
    // Destroys at once every card window but the current one and `leaving`.
    void destroyOlderWindows(QQuickWindow *leaving);
    void dismissCard(quint64 serial);
    // Starts building the card's component on the QML loader thread; true once it is ready.
    bool ensureComponent();
    void componentStatusChanged();
    void fade(CardWindow &shown, qreal to, bool thenClose);
    CardWindow *find(const QQuickWindow *window);

    Platform &m_platform;
    AppState &m_state;
    Options m_options;
    QQmlEngine &m_engine;
    std::unique_ptr<QQmlComponent> m_component;
    // The card waiting for the component, and the one whose window is being built.
    std::optional<Waiting> m_waiting;
    std::unique_ptr<CardIncubator> m_incubator;
    QPointer<QQuickWindow> m_hudWindow;
    quint64 m_cardSerial = 0;
    QList<CardWindow> m_windows;
    // The newest showHUD call; any older one still on its way is dropped.
    std::atomic<quint64> m_latestRequest{0};
    // Of the screen that showed the last card; thumbnails are made for it.
    std::atomic<double> m_pixelRatio{1.0};
    // Where the cards' copies of their files' bytes wait, each in a file without a name.
    QString m_keptFolder;
    // Thumbnails and the copy actions' reads, one at a time in the order asked; declared last,
    // so it is finished first.
    QThreadPool m_worker;
};

} // namespace orvane
