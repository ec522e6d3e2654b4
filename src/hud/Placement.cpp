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

QString displayName(const QString &manufacturer, const QString &model, const QString &connector)
{
    const QString maker = manufacturer.trimmed();
    const QString product = model.trimmed();
    if (product.isEmpty()) {
        return maker.isEmpty() ? connector : maker;
    }
    // Some monitors repeat their maker in the model's name ("Dell" and "DELL U2720Q").
    if (maker.isEmpty() || product.startsWith(maker, Qt::CaseInsensitive)) {
        return product;
    }
    return maker + u' ' + product;
}

QString displayedLine(const QString &display, const QPoint &origin, const QString &fileName)
{
    return QStringLiteral("HUD displayed on screen: %1 (origin: %2, %3) for: %4")
        .arg(display, QString::number(origin.x()), QString::number(origin.y()), fileName);
}

} // namespace orvane::placement
