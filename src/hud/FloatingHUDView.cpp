#include "hud/FloatingHUDView.h"

#include "hud/CardTexts.h"
#include "hud/FullImage.h"
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
        m_services.inBackground = [](std::function<QImage()> read,
                                     std::function<void(const QImage &)> done) { done(read()); };
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

void FloatingHUDView::copyFromFile(std::function<void(FloatingHUDView *card)> copied)
{
    if (m_copying) {
        return; // a second press while the file is being read
    }
    m_copying = true;
    Platform *platform = m_services.platform;
    const QString path = m_filePath;
    auto read = [platform, path] { return readFullImage(path, *platform); };
    auto done = [platform, card = QPointer<FloatingHUDView>(this), name = fileName(),
                 copied = std::move(copied)](const QImage &image) {
        if (!image.isNull()) {
            platform->copyImageToClipboard(image);
            copied(card.data());
            return;
        }
        logLine(QStringLiteral("Could not copy, the file cannot be read: ") + name);
        if (card) {
            card->showFeedback(
                QStringLiteral("xmark"),
                QCoreApplication::translate("CardTexts", "Not Copied — File Unreadable"));
        }
    };
    m_services.inBackground(std::move(read), std::move(done));
}

void FloatingHUDView::trashFile(Platform &platform, const QString &path,
                                QPointer<FloatingHUDView> card, bool correctBanner)
{
    const QString name = QFileInfo(path).fileName();
    platform.moveToTrash(path, [card, name, correctBanner](bool trashed) {
        if (trashed) {
            return;
        }
        // The answer comes from a worker; the card may be gone by the time it is read.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [card, name, correctBanner] {
                logLine(QStringLiteral("Could not move to the Trash: ") + name);
                if (correctBanner && card) {
                    card->showFeedback(
                        QStringLiteral("doc.on.doc.fill"),
                        QCoreApplication::translate("CardTexts", "Copied — File Not Trashed"));
                }
            },
            Qt::QueuedConnection);
    });
}

} // namespace orvane
