#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>
#include <memory>

namespace orvane {

namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The mean colour of an image: for a panel, whose few icons hardly move it.
QColor meanColor(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    qint64 red = 0;
    qint64 green = 0;
    qint64 blue = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            red += qRed(line[x]);
            green += qGreen(line[x]);
            blue += qBlue(line[x]);
        }
    }
    const qint64 count = qint64(rgb.width()) * rgb.height();
    if (count == 0) {
        return {};
    }
    return QColor(int(red / count), int(green / count), int(blue / count));
}

} // namespace

TrayLooks LinuxWindowServices::trayLooks()
{
    TrayLooks looks;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        return looks; // Wayland without XWayland: StatusNotifierItem hosts draw by name
    }
    xcb_connection_t *connection = x11->connection();
    // The system tray of the first screen: the one X screen of every desktop in use today.
    const xcb_atom_t selection = internAtom(connection, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t colors = internAtom(connection, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colors == XCB_ATOM_NONE) {
        return looks;
    }
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        return looks;
    }
    // Four colours of 16-bit red, green and blue: the normal foreground first, then those
    // for errors, warnings and success.
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, owner->owner, colors, XCB_ATOM_CARDINAL, 0, 12),
        nullptr));
    if (property && property->format == 32 &&
        xcb_get_property_value_length(property.get()) >= 3 * 4) {
        const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(property.get()));
        looks.iconColor =
            QColor::fromRgba64(static_cast<quint16>(values[0]), static_cast<quint16>(values[1]),
                               static_cast<quint16>(values[2]));
    }
    // Some trays hold the selection with the panel itself; others with a hidden window,
    // which shows nothing of the panel.
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, owner->owner), nullptr));
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, owner->owner), nullptr));
    QScreen *screen = QGuiApplication::primaryScreen();
    if (attributes && geometry && screen && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
        geometry->width > 10 && geometry->height > 10) {
        looks.panelColor = meanColor(screen->grabWindow(owner->owner).toImage());
    }
    return looks;
}

Result LinuxWindowServices::showNotification(const QString &title, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return Result::failed(QStringLiteral("no session bus"));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Orvane") << 0u << QStringLiteral("com.tarnwell.orvane") << title << text
         << QStringList() << QVariantMap() << -1;
    // Answered later: a missing or hung service must not hold the main thread. What it could
    // not show goes to the log.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [title, text](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         if (finished->isError()) {
                             logLine(title + u' ' + text + QStringLiteral(" (no notification: ") +
                                     finished->error().message() + u')');
                         }
                     });
    return Result::done();
}

} // namespace orvane
