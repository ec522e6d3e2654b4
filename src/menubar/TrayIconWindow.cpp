#include "menubar/TrayIconWindow.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSurfaceFormat>
#include <QtMath>
#include <qpa/qplatformnativeinterface.h>

#include <chrono>

namespace orvane {

using namespace std::chrono_literals;

namespace {

// As a tooltip of Qt's own: shown after the pointer rests this long, gone after a while.
constexpr auto hoverDelay = 700ms;
constexpr auto toolTipLife = 10s;
// The size XEmbed icons start at, in the screen's pixels (GNOME's); the tray resizes the
// window to suit itself. Asked in device-independent pixels, it would come out wider than
// the tray is high on a scaled screen.
constexpr int startPixels = 22;

QSurfaceFormat withAlpha()
{
    QSurfaceFormat format;
    format.setAlphaBufferSize(8);
    return format;
}

} // namespace

TrayIconWindow::TrayIconWindow()
{
    // The name the xcb plugin docks by, and gives the tray's visual and backing store.
    setObjectName(QStringLiteral("QSystemTrayIconSysWindow"));
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    setFormat(withAlpha());
    const qreal ratio = screen() ? screen()->devicePixelRatio() : 1.0;
    const int side = qMax(1, qCeil(startPixels / ratio));
    setGeometry(QRect(0, 0, side, side));
    setMinimumSize(QSize(side, side));
    m_hover.setSingleShot(true);
    m_hover.setInterval(hoverDelay);
    connect(&m_hover, &QTimer::timeout, this, [this] {
        if (m_toolTip.isEmpty() || !isExposed()) {
            return;
        }
        if (!m_toolTipWindow) {
            m_toolTipWindow = std::make_unique<ToolTipWindow>();
        }
        m_toolTipWindow->showText(m_toolTip, QCursor::pos());
    });
}

TrayIconWindow::~TrayIconWindow() = default;

void TrayIconWindow::setIcon(const QIcon &icon)
{
    m_icon = icon;
    update();
}

void TrayIconWindow::setToolTip(const QString &text)
{
    m_toolTip = text;
    // For whatever reads the window's name (screen readers, xwininfo).
    setTitle(text);
    if (m_toolTipWindow && m_toolTipWindow->isVisible()) {
        if (text.isEmpty()) {
            hideToolTip();
        } else {
            m_toolTipWindow->showText(text, QCursor::pos());
        }
    }
}

QRect TrayIconWindow::globalGeometry() const
{
    // Docked, the window sits inside the tray's: only the X server knows where that is.
    return handle() ? QRect(mapToGlobal(QPoint(0, 0)), size()) : QRect();
}

bool TrayIconWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        m_hover.start();
        break;
    case QEvent::MouseMove:
        // The tooltip waits for the pointer to rest.
        if (!m_toolTipWindow || !m_toolTipWindow->isVisible()) {
            m_hover.start();
        }
        break;
    case QEvent::Leave:
        hideToolTip();
        break;
    default:
        break;
    }
    return QRasterWindow::event(event);
}

void TrayIconWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area(QPoint(0, 0), size());
    // The backing store puts the tray's own background behind transparent pixels (an
    // ARGB tray visual, or the pixels grabbed from the tray where it has none).
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Drawn at the window's device pixel ratio, so sharp on scaled screens.
    m_icon.paint(&painter, area);
}

void TrayIconWindow::mousePressEvent(QMouseEvent *event)
{
    hideToolTip();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        emit clicked(event->button(), event->globalPosition().toPoint());
    }
}

void TrayIconWindow::hideEvent(QHideEvent *event)
{
    hideToolTip();
    QRasterWindow::hideEvent(event);
}

void TrayIconWindow::hideToolTip()
{
    m_hover.stop();
    if (m_toolTipWindow) {
        m_toolTipWindow->hide();
    }
}

ToolTipWindow::ToolTipWindow()
{
    setFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(toolTipLife);
    connect(&m_expiry, &QTimer::timeout, this, &QWindow::hide);
}

void ToolTipWindow::showText(const QString &text, QPoint pointer)
{
    m_text = text;
    const QFontMetrics metrics(QGuiApplication::font());
    const int padding = metrics.height() / 4 + 2;
    const QSize size = metrics.size(0, text) + QSize(2 * padding, 2 * padding);

    // Below the pointer, as a tooltip of Qt's own sits; above it where a panel at the foot
    // of the screen leaves no room; always inside the screen.
    QScreen *screen = QGuiApplication::screenAt(pointer);
    const QRect room = screen ? screen->availableGeometry() : QRect(pointer, size);
    QPoint at = pointer + QPoint(2, 16);
    if (at.y() + size.height() > room.bottom() + 1) {
        at.setY(pointer.y() - 4 - size.height());
    }
    at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - size.width())));
    at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() + 1 - size.height())));
    setGeometry(QRect(at, size));
    update();
    show();
    m_expiry.start();
}

void ToolTipWindow::paintEvent(QPaintEvent *)
{
    const QPalette palette = QGuiApplication::palette();
    QPainter painter(this);
    const QRect area(QPoint(0, 0), size());
    painter.fillRect(area, palette.color(QPalette::ToolTipBase));
    QColor frame = palette.color(QPalette::ToolTipText);
    frame.setAlphaF(0.35F);
    painter.setPen(frame);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(palette.color(QPalette::ToolTipText));
    painter.setFont(QGuiApplication::font());
    painter.drawText(area, Qt::AlignCenter, m_text);
}

XembedTrayWatcher::XembedTrayWatcher(std::function<void()> changed) : m_changed(std::move(changed))
{
    // The signal is the xcb plugin's own, known by name only.
    if (QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface()) {
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen *)), this,
                SLOT(trayWindowChanged(QScreen *)));
    }
}

void XembedTrayWatcher::trayWindowChanged(QScreen *)
{
    m_changed();
}

} // namespace orvane
