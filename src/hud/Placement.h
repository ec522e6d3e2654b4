#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The card's size in points, known here only: the placement below and the card's QML
// (CardSize.Width, CardSize.Height) read it.
namespace orvane::cardsize {
Q_NAMESPACE
QML_NAMED_ELEMENT(CardSize)
enum Points { Width = 300, Height = 385 };
Q_ENUM_NS(Points)
} // namespace orvane::cardsize

namespace orvane::placement {

inline constexpr QSize panelSize{cardsize::Width, cardsize::Height};
inline constexpr int edgeGap = 20;

// The screen for the card: the first whose whole frame holds the pointer (left and top
// edges inside, right and bottom edges outside), else the primary one, else the first;
// -1 when there is no screen at all.
int screenIndexFor(const QPoint &pointer, const QList<QRect> &frames, int primaryIndex);

// Top-left corner of the panel: 20 in from the right and bottom edges of the screen's
// available area (without panels and docks).
QPoint panelPosition(const QRect &available);

// The panel's origin as the log reports it: its bottom-left corner, measured with y
// growing upwards from the bottom of the primary screen.
QPoint loggedOrigin(const QPoint &panelTopLeft, const QRect &primaryFrame);

// The display as people know it: its maker and model where the system reports them, else
// the name of the connector it hangs on ("DP-1", "eDP-1").
QString displayName(const QString &manufacturer, const QString &model, const QString &connector);

// The log line of a card put on screen, after "[Orvane] ".
QString displayedLine(const QString &display, const QPoint &origin, const QString &fileName);

} // namespace orvane::placement
