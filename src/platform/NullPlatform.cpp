#include "platform/NullPlatform.h"

#include <QWindow>

namespace orvane {

void NullCardPlatformServices::prepareFloatingWindow(QWindow &window)
{
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus);
}

void NullCardPlatformServices::showFloatingWindow(QWindow &window)
{
    window.show();
}

} // namespace orvane
