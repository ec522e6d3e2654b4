#include "hud/FloatingHUDView.h"

#include "detection/ImageFormat.h"

#include "hud/CardTexts.h"
#include "hud/FullImage.h"
#include "hud/actions/CardActions.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>

namespace orvane {

FloatingHUDView::FloatingHUDView(QString filePath, CardPicture picture, CardServices services,
                                 std::function<void()> onDismiss, QObject *parent)
    : QObject(parent), m_filePath(std::move(filePath)), m_picture(std::move(picture)),
      m_services(std::move(services)), m_onDismiss(std::move(onDismiss))
{
    Q_ASSERT(m_services.platform && m_services.state);
    if (!m_services.makeTicks) {
        m_services.makeTicks = timerTicks();
    }
    if (!m_services.later) {
        m_services.later = timerDelayedCall();
    }
    if (!m_services.inBackground) {
        m_services.inBackground = [](std::function<CopiedPicture()> read,
                                     std::function<void(const CopiedPicture &)> done) {
            done(read());
        };
    }
    // A new dismiss time changes only the bar's scale; the time left keeps counting.
    connect(m_services.state, &AppState::autoDismissSecondsChanged, this,
            &FloatingHUDView::progressChanged);
}

FloatingHUDView::~FloatingHUDView() = default;

QString FloatingHUDView::fileName() const
{
    return QFileInfo(m_filePath).fileName();
}

QString FloatingHUDView::fileType() const
{
    return QFileInfo(m_filePath).suffix().toUpper();
}

QString FloatingHUDView::sizeText() const
{
    // The size in points, each side cut to a whole number.
    const QSizeF points = m_picture.imageSize;
    return QStringLiteral("%1 × %2")
        .arg(static_cast<qint64>(points.width()))
        .arg(static_cast<qint64>(points.height()));
}

QString FloatingHUDView::monospaceFamily()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QVariantMap FloatingHUDView::texts() const
{
    return cardTexts(m_services.platform->kind());
}

QVariantList FloatingHUDView::actions() const
{
    return cardActionList(m_services.platform->kind());
}

bool FloatingHUDView::runAction(const QString &id, QWindow *window, const QRectF &anchor)
{
    for (const CardAction *action : cardActions()) {
        if (id == QLatin1StringView(action->id)) {
            return action->run(*this, window, anchor);
        }
    }
    return true;
}

double FloatingHUDView::progress() const
{
    return progressFraction(m_countdown.timeRemaining(),
                            static_cast<double>(m_services.state->autoDismissSeconds()));
}

void FloatingHUDView::setIsHovering(bool hovering)
{
    if (hovering == m_isHovering) {
        return;
    }
    m_isHovering = hovering;
    emit isHoveringChanged();
}

void FloatingHUDView::setPixelRatio(qreal ratio)
{
    if (ratio <= 0 || qFuzzyCompare(ratio, m_pixelRatio)) {
        return;
    }
    m_pixelRatio = ratio;
    emit pixelRatioChanged();
}

void FloatingHUDView::appear()
{
    m_countdown.start(static_cast<double>(m_services.state->autoDismissSeconds()));
    emit timeRemainingChanged();
    emit progressChanged();
    startTimer();
}

void FloatingHUDView::disappear()
{
    if (m_timer) {
        m_timer->stop();
    }
}

void FloatingHUDView::startTimer()
{
    if (m_timer) {
        m_timer->stop();
    }
    m_timer = m_services.makeTicks();
    m_timer->start([this] { onTick(); });
}

void FloatingHUDView::onTick()
{
    // Paused while the pointer is on the card, and while the screenshot is being dragged out.
    if (m_isHovering || m_dragging) {
        return;
    }
    const bool ranOut = m_countdown.tick(false);
    emit timeRemainingChanged();
    emit progressChanged();
    if (ranOut) {
        m_timer->stop();
        m_onDismiss();
    }
}

void FloatingHUDView::close()
{
    m_onDismiss();
}

void FloatingHUDView::showFeedback(const QString &icon, const QString &text, bool failure)
{
    m_feedbackIcon = icon;
    m_feedbackIsFailure = failure;
    m_actionFeedback = text;
    emit actionFeedbackChanged();
}

void FloatingHUDView::setBlurredBehind(bool blurred)
{
    if (m_blurredBehind != blurred) {
        m_blurredBehind = blurred;
        emit blurredBehindChanged();
    }
}

QString FloatingHUDView::text(const char *key) const
{
    return cardText(m_services.platform->kind(), QLatin1StringView(key));
}

void FloatingHUDView::dismissLater(int milliseconds)
{
    // Holds the dismiss action itself, not the card: it runs even if the card is gone by then,
    // unless the card, still there, has been given a later end since.
    const int generation = ++m_dismissGeneration;
    m_services.later(milliseconds,
                     [card = QPointer<FloatingHUDView>(this), generation, onDismiss = m_onDismiss] {
                         if (!card || card->m_dismissGeneration == generation) {
                             onDismiss();
                         }
                     });
}

void FloatingHUDView::reportFailure(FloatingHUDView *card, const char *key, const QString &logText)
{
    logLine(logText);
    if (!card) {
        return;
    }
    card->showFeedback(QStringLiteral("exclamationmark.triangle.fill"), card->text(key), true);
    // Read in peace: the countdown no longer ends the card, the failure's own delay does.
    if (card->m_timer) {
        card->m_timer->stop();
    }
    card->dismissLater(failureDismissDelayMs);
}

std::function<void(bool)>
FloatingHUDView::answerOnMainThread(std::function<void(FloatingHUDView *, bool)> then)
{
    return [card = QPointer<FloatingHUDView>(this), then = std::move(then)](bool ok) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [card, then, ok] { then(card.data(), ok); },
            Qt::QueuedConnection);
    };
}

void FloatingHUDView::moveToTrash(const CardServices &services, QPointer<FloatingHUDView> card,
                                  const QString &path,
                                  std::function<void(FloatingHUDView *, bool)> then)
{
    services.platform->card().moveToTrash(
        path, [platform = services.platform, state = services.state, card,
               then = std::move(then)](const std::optional<TrashedFile> &trashed) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [platform, state, card, then, trashed] {
                    if (trashed && state->offerUndoAfterTrash()) {
                        platform->card().offerUndo(*trashed);
                    }
                    then(card.data(), trashed.has_value());
                },
                Qt::QueuedConnection);
        });
}

std::function<void(bool)> FloatingHUDView::dismissOrReport(const char *key, QString logText)
{
    return answerOnMainThread([onDismiss = m_onDismiss, key,
                               logText = std::move(logText)](FloatingHUDView *card, bool done) {
        if (done) {
            onDismiss();
        } else {
            reportFailure(card, key, logText);
        }
    });
}

bool FloatingHUDView::fileStillThere(const char *key, const QString &action)
{
    if (QFileInfo::exists(m_filePath)) {
        return true;
    }
    reportFailure(this, key,
                  QStringLiteral("Could not %1, the file is gone: %2").arg(action, fileName()));
    return false;
}

void FloatingHUDView::copyPicture(std::function<void(FloatingHUDView *card)> copied)
{
    if (m_copying) {
        return; // a second press while the file is being read
    }
    m_copying = true;
    Platform *platform = m_services.platform;
    auto read = [platform, encoded = m_picture.encoded, image = m_picture.image] {
        if (encoded.isEmpty()) {
            return CopiedPicture{image, {}};
        }
        const QByteArray bytes = encoded.read();
        return CopiedPicture{decodeFullImage(bytes, platform->detection()),
                             imageformat::pngBytes(bytes)};
    };
    auto done = [platform, card = QPointer<FloatingHUDView>(this), name = fileName(),
                 copied = std::move(copied)](const CopiedPicture &picture) {
        if (!picture.image.isNull()) {
            platform->card().copyImageToClipboard(picture.image, picture.png);
            copied(card.data());
            return;
        }
        reportFailure(card.data(), "notCopiedUnreadable",
                      QStringLiteral("Could not copy, the file cannot be read: ") + name);
    };
    m_services.inBackground(std::move(read), std::move(done));
}

} // namespace orvane
