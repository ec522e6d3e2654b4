#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

namespace orvane::tray {

// The name of Orvane's one-colour tray icon in the icon theme.
inline constexpr char16_t symbolicIconName[] = u"com.tarnwell.orvane-symbolic";

// The colour to draw a one-colour icon in on a panel of `panel` colour: the theme's dark
// symbolic grey on light panels, its light one on dark panels.
QColor contrastingIconColor(const QColor &panel);

// The colour most of `area` shows, leaving out pixels close to `ignored` (the icon drawn on
// it); invalid when nothing is left.
QColor dominantColor(const QImage &area, const QColor &ignored);

// The symbolic icon under its theme name, so that a StatusNotifierItem host can draw it to
// suit its panel, with pixels in `color` for trays that show the pixels as they are.
QIcon symbolicIcon(const QColor &color);

} // namespace orvane::tray
