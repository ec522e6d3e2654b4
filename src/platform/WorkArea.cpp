#include "platform/WorkArea.h"

#include <algorithm>

namespace orvane::workarea {

QList<Strut> strutsFrom(const QList<quint32> &values, QSize root)
{
    using Edge = Strut::Edge;
    if (values.size() != 12 && values.size() != 4) {
        return {};
    }
    const bool partial = values.size() == 12;
    // A thickness or range past the screen is a broken property, not a bigger screen.
    const auto clamp = [](quint32 value, int limit) {
        return int(std::min<quint32>(value, quint32(std::max(limit, 0))));
    };
    QList<Strut> struts;
    const auto add = [&](Edge edge, int index, int length, int thicknessLimit) {
        const int thickness = clamp(values[index], thicknessLimit);
        if (thickness <= 0) {
            return;
        }
        const int from = partial ? clamp(values[4 + 2 * index], length - 1) : 0;
        const int to = partial ? clamp(values[5 + 2 * index], length - 1) : length - 1;
        struts.append({edge, thickness, std::min(from, to), std::max(from, to)});
    };
    add(Edge::Left, 0, root.height(), root.width());
    add(Edge::Right, 1, root.height(), root.width());
    add(Edge::Top, 2, root.width(), root.height());
    add(Edge::Bottom, 3, root.width(), root.height());
    return struts;
}

QRect freeArea(const QRect &monitor, QSize root, const QList<Strut> &struts)
{
    using Edge = Strut::Edge;
    int left = monitor.left();
    int right = monitor.right();
    int top = monitor.top();
    int bottom = monitor.bottom();
    for (const Strut &strut : struts) {
        // The reserved strip, in root coordinates: only one that reaches into this monitor
        // moves its edge (a bar on another monitor leaves this one alone).
        QRect strip;
        switch (strut.edge) {
        case Edge::Left:
            strip = QRect(0, strut.from, strut.thickness, strut.to - strut.from + 1);
            break;
        case Edge::Right:
            strip = QRect(root.width() - strut.thickness, strut.from, strut.thickness,
                          strut.to - strut.from + 1);
            break;
        case Edge::Top:
            strip = QRect(strut.from, 0, strut.to - strut.from + 1, strut.thickness);
            break;
        case Edge::Bottom:
            strip = QRect(strut.from, root.height() - strut.thickness, strut.to - strut.from + 1,
                          strut.thickness);
            break;
        }
        if (!strip.intersects(monitor)) {
            continue;
        }
        switch (strut.edge) {
        case Edge::Left:
            left = std::max(left, strip.right() + 1);
            break;
        case Edge::Right:
            right = std::min(right, strip.left() - 1);
            break;
        case Edge::Top:
            top = std::max(top, strip.bottom() + 1);
            break;
        case Edge::Bottom:
            bottom = std::min(bottom, strip.top() - 1);
            break;
        }
    }
    // Struts that would leave nothing are ignored rather than hide the card.
    if (right < left || bottom < top) {
        return monitor;
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace orvane::workarea
