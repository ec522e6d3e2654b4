#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace orvane::workarea {

// What a panel or dock reserves along one edge of the X screen (_NET_WM_STRUT_PARTIAL): its
// thickness, and the stretch of the edge it covers, in root-window pixels.
struct Strut {
    enum class Edge { Left, Right, Top, Bottom };
    Edge edge = Edge::Bottom;
    int thickness = 0;
    int from = 0;
    int to = 0;

    bool operator==(const Strut &) const = default;
};

// The struts a window declares: the twelve values of _NET_WM_STRUT_PARTIAL, or the four of
// the older _NET_WM_STRUT (the whole edge); none for any other count.
QList<Strut> strutsFrom(const QList<quint32> &values, QSize root);

// `monitor` (root-window pixels) less the struts that reach into it: where a window manager
// publishes no work area (i3), what its bars and docks leave free.
QRect freeArea(const QRect &monitor, QSize root, const QList<Strut> &struts);

} // namespace orvane::workarea
