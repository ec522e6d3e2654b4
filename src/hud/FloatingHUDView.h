#pragma once

#include "hud/Countdown.h"
#include "hud/TickSource.h"
#include "platform/Files.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace orvane {

class AppState;
class Platform;

// What a copy action puts on the clipboard: the picture, and its file's bytes where it is a PNG.
struct CopiedPicture {
    QImage image;
    QByteArray png;
};

// Runs `read` off the main thread, then `done` with its result on the main thread.
using BackgroundRead = std::function<void(std::function<CopiedPicture()> read,
                                          std::function<void(const CopiedPicture &)> done)>;

// What a card needs from the rest of the program.
struct CardServices {
    Platform *platform = nullptr;
    AppState *state = nullptr;
    TickSourceFactory makeTicks;
    DelayedCall later;
    // Where the copy actions read the file; on the calling thread when empty.
    BackgroundRead inBackground;
};

// What a card shows of its screenshot, and what its copy actions copy: the file's bytes as
// they were decoded (a fraction of the picture's memory, kept on disk where they can be), so
// that a file renamed, moved, deleted or edited since still copies what the card shows.
struct CardPicture {
    QImage thumbnail; // the part shown, with no more pixels than the screen shows of it
    QSizeF shownSize; // the proportions the thumbnail takes on the card
    QSizeF imageSize; // the whole screenshot, in points
    files::KeptBytes encoded;
    QImage image; // kept only where there are no bytes (a picture drawn, not read)
};

// The card shown for one screenshot: its countdown, its confirmation and its actions. Its
// look is CardLayout.qml; this is the part the look binds to and calls.
class FloatingHUDView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A card is made for a screenshot by HUDWindowController.")
    Q_PROPERTY(QString fileName READ fileName CONSTANT)
    Q_PROPERTY(QString fileType READ fileType CONSTANT)
    Q_PROPERTY(QString sizeText READ sizeText CONSTANT)
    Q_PROPERTY(QImage thumbnail READ thumbnail CONSTANT)
    Q_PROPERTY(QSizeF shownSize READ shownSize CONSTANT)
    Q_PROPERTY(QString monospaceFamily READ monospaceFamily CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)
    // The action buttons, in order (actions/CardActions.h).
    Q_PROPERTY(QVariantList actions READ actions CONSTANT)
    Q_PROPERTY(double timeRemaining READ timeRemaining NOTIFY timeRemainingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(bool isHovering READ isHovering WRITE setIsHovering NOTIFY isHoveringChanged)
    Q_PROPERTY(QString actionFeedback READ actionFeedback NOTIFY actionFeedbackChanged)
    Q_PROPERTY(QString feedbackIcon READ feedbackIcon NOTIFY actionFeedbackChanged)
    // The banner says that something did not happen: drawn as a warning, not a success.
    Q_PROPERTY(bool feedbackIsFailure READ feedbackIsFailure NOTIFY actionFeedbackChanged)
    // The compositor blurs what lies behind the card: its ground may let more of it through.
    Q_PROPERTY(bool blurredBehind READ blurredBehind NOTIFY blurredBehindChanged)
    // Device pixels per point of the card's window.
    Q_PROPERTY(qreal pixelRatio READ pixelRatio NOTIFY pixelRatioChanged)

public:
    static constexpr int copyDismissDelayMs = 800;
    // A failure stays on the card 1.5 s longer than a confirmation, to be read.
    static constexpr int failureDismissDelayMs = copyDismissDelayMs + 1500;

    FloatingHUDView(QString filePath, CardPicture picture, CardServices services,
                    std::function<void()> onDismiss, QObject *parent = nullptr);
    ~FloatingHUDView() override;

    const QString &filePath() const { return m_filePath; }
    QString fileName() const;
    QString fileType() const;
    QString sizeText() const;
    const QImage &thumbnail() const { return m_picture.thumbnail; }
    QSizeF shownSize() const { return m_picture.shownSize; }
    static QString monospaceFamily();
    QVariantMap texts() const;
    QVariantList actions() const;
    double timeRemaining() const { return m_countdown.timeRemaining(); }
    double progress() const;
    bool isHovering() const { return m_isHovering; }
    void setIsHovering(bool hovering);
    QString actionFeedback() const { return m_actionFeedback; }
    QString feedbackIcon() const { return m_feedbackIcon; }
    bool feedbackIsFailure() const { return m_feedbackIsFailure; }
    bool blurredBehind() const { return m_blurredBehind; }
    void setBlurredBehind(bool blurred);
    qreal pixelRatio() const { return m_pixelRatio; }
    void setPixelRatio(qreal ratio);

    // On screen: the countdown starts from the setting as it is now.
    void appear();
    // Off screen: the countdown stops.
    void disappear();

    // Runs the action `id` of the list, pressed in `window` at `anchor`; false when the card is
    // to show its own menu instead.
    Q_INVOKABLE bool runAction(const QString &id, QWindow *window, const QRectF &anchor);
    Q_INVOKABLE void handleCopyAndSave();
    Q_INVOKABLE void handleCopyOnly();
    Q_INVOKABLE void handleMarkup();
    Q_INVOKABLE void handleRevealInFinder();
    Q_INVOKABLE void handleDelete();
    Q_INVOKABLE void close();
    // The system's share picker; false where there is none and the card's own menu is shown.
    Q_INVOKABLE bool handleShare(QWindow *window, const QRectF &anchor);
    Q_INVOKABLE void shareCopyFile();
    Q_INVOKABLE bool shareByEmail();
    // [{id, name}] of the applications that open the file, the default first.
    Q_INVOKABLE QVariantList openWithApplications();
    Q_INVOKABLE bool shareOpenWith(const QString &applicationId);
    // Hands the file, and its picture, to wherever the user drops it; returns after the drop.
    // The countdown waits meanwhile.
    Q_INVOKABLE void startDrag();

signals:
    void timeRemainingChanged();
    void progressChanged();
    void isHoveringChanged();
    void actionFeedbackChanged();
    void blurredBehindChanged();
    void pixelRatioChanged();

private:
    void startTimer();
    void onTick();
    void showFeedback(const QString &icon, const QString &text, bool failure = false);
    QString text(const char *key) const;
    void dismissLater(int milliseconds = copyDismissDelayMs);
    // Logs why an action did not do its work and, while the card lives, says so on it: the
    // banner replaces the buttons and the card ends a little later than after a success.
    static void reportFailure(FloatingHUDView *card, const char *key, const QString &logText);
    // Wraps `then` for an answer that may come on any thread: it runs on the main thread,
    // with the card, or null once the card has gone.
    std::function<void(bool)> answerOnMainThread(std::function<void(FloatingHUDView *, bool)> then);
    // Moves `path` to the Trash. Its answer comes on the main thread: Undo is offered for a
    // file it took, when the user wants that, whether or not the card is still there; then
    // `then` runs with the card (null once gone) and whether the file went.
    static void moveToTrash(const CardServices &services, QPointer<FloatingHUDView> card,
                            const QString &path, std::function<void(FloatingHUDView *, bool)> then);
    // The answer of an action handed to another program: the card ends when it took the file,
    // else reports the failure with `key` and `logText`.
    std::function<void(bool)> dismissOrReport(const char *key, QString logText);
    // Puts the whole picture the card was made from on the clipboard, then runs `copied` with
    // the card (null once the card has gone: the copy is done all the same). A picture that
    // cannot be decoded is reported on the card instead.
    void copyPicture(std::function<void(FloatingHUDView *card)> copied);
    // Whether the file is still there to act on; when not, the card says so with `key`.
    bool fileStillThere(const char *key, const QString &action);

    QString m_filePath;
    CardPicture m_picture;
    CardServices m_services;
    std::function<void()> m_onDismiss;
    Countdown m_countdown;
    std::unique_ptr<TickSource> m_timer;
    bool m_isHovering = false;
    QString m_actionFeedback;
    QString m_feedbackIcon = QStringLiteral("checkmark.circle.fill");
    bool m_feedbackIsFailure = false;
    bool m_blurredBehind = false;
    bool m_copying = false;
    qreal m_pixelRatio = 1.0;
    bool m_trashing = false;
    bool m_dragging = false;
    // Bumped by each scheduled dismissal: only the latest one ends the card.
    int m_dismissGeneration = 0;
};

} // namespace orvane
