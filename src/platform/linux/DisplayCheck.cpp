#include "platform/linux/DisplayCheck.h"

#include <QByteArray>

#include <xcb/xcb.h>

namespace orvane::linuxdisplay {

std::optional<QString> unreachableX11Display()
{
    const QByteArray display = qgetenv("DISPLAY");
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0) {
        return std::nullopt;
    }
    return QStringLiteral("cannot connect to the display %1 (DISPLAY=%1): no X server answers "
                          "there, or it refused the connection")
        .arg(QString::fromLocal8Bit(display));
}

} // namespace orvane::linuxdisplay
