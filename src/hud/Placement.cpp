#include "hud/Placement.h"

namespace orvane::placement {

int screenIndexFor(const QPoint &pointer, const QList<QRect> &frames, int primaryIndex)
{
    for (int i = 0; i < frames.size(); ++i) {
        if (frames[i].contains(pointer)) {
            return i;
        }
    }
    if (primaryIndex >= 0 && primaryIndex < frames.size()) {
        return primaryIndex;
    }
    return frames.isEmpty() ? -1 : 0;
}

QPoint panelPosition(const QRect &available)
{
    return {available.x() + available.width() - panelSize.width() - edgeGap,
            available.y() + available.height() - panelSize.height() - edgeGap};
}

QPoint loggedOrigin(const QPoint &panelTopLeft, const QRect &primaryFrame)
{
    return {panelTopLeft.x(),
            primaryFrame.y() + primaryFrame.height() - (panelTopLeft.y() + panelSize.height())};
}

} // namespace orvane::placement
