#include "hud/FloatingHUDView.h"

#include "hud/CardTexts.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>

namespace orvane {

FloatingHUDView::FloatingHUDView(QString filePath, QImage image, CardServices services,
                                 std::function<void()> onDismiss, QObject *parent)
    : QObject(parent), m_filePath(std::move(filePath)), m_image(std::move(image)),
      m_services(std::move(services)), m_onDismiss(std::move(onDismiss))
{
    Q_ASSERT(m_services.platform && m_services.state);
    if (!m_services.makeTicks) {
        m_services.makeTicks = timerTicks();
    }
    if (!m_services.later) {
        m_services.later = timerDelayedCall();
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
    const QSizeF points = m_image.deviceIndependentSize();
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
    if (m_isHovering) {
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

void FloatingHUDView::showFeedback(const QString &icon, const QString &text)
{
    m_feedbackIcon = icon;
    m_actionFeedback = text;
    emit actionFeedbackChanged();
}

void FloatingHUDView::dismissLater()
{
    // Holds the dismiss action itself, not the card: it runs even if the card is gone by then.
    m_services.later(copyDismissDelayMs, m_onDismiss);
}

void FloatingHUDView::trashFile(bool correctBanner)
{
    QPointer<FloatingHUDView> card(this);
    const QString name = fileName();
    m_services.platform->moveToTrash(m_filePath, [card, name, correctBanner](bool trashed) {
        if (trashed) {
            return;
        }
        // The answer comes from a worker; the card may be gone by the time it is read.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [card, name, correctBanner] {
                logLine(QStringLiteral("Could not move to the Trash: ") + name);
                if (correctBanner && card) {
                    card->showFeedback(QStringLiteral("doc.on.doc.fill"),
                                       QStringLiteral("Copied — File Not Trashed"));
                }
            },
            Qt::QueuedConnection);
    });
}

} // namespace orvane
