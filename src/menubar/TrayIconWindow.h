#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRasterWindow>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QScreen;

namespace orvane {

class ToolTipWindow;

// The icon as an XEmbed client window, docked into the tray by the xcb plugin when it is
// created (the plugin knows such windows by their object name, the one QSystemTrayIcon's
// own has). It paints the icon to its size and shows a tooltip on hover.
class TrayIconWindow : public QRasterWindow {
    Q_OBJECT
public:
    TrayIconWindow();
    ~TrayIconWindow() override;

    void setIcon(const QIcon &icon);
    void setToolTip(const QString &text);
    // Where the tray shows it, in global device-independent pixels.
    QRect globalGeometry() const;

signals:
    void clicked(Qt::MouseButton button, QPoint at);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void hideToolTip();

    QIcon m_icon;
    QString m_toolTip;
    QTimer m_hover;
    std::unique_ptr<ToolTipWindow> m_toolTipWindow;
};

// A tooltip without Qt Widgets: the text on the palette's tooltip colours, near the pointer.
class ToolTipWindow : public QRasterWindow {
    Q_OBJECT
public:
    ToolTipWindow();

    // Shown below `pointer` where it fits on its screen, else above it.
    void showText(const QString &text, QPoint pointer);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QTimer m_expiry;
};

// Calls back when the xcb plugin tells that the X11 tray manager changed: one came up (also
// the first, after the program) or went away.
class XembedTrayWatcher : public QObject {
    Q_OBJECT
public:
    explicit XembedTrayWatcher(std::function<void()> changed);

private slots:
    void trayWindowChanged(QScreen *screen);

private:
    std::function<void()> m_changed;
};

} // namespace orvane
