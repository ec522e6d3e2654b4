#pragma once

#include <QPalette>

namespace orvane::colorscheme {

// Whether a palette is a dark one: light text on a dark window.
bool isDark(const QPalette &palette);

// The palette for the desktop's choice: the desktop's own where it already is of that kind
// (its accent kept either way), else a plain light or dark one.
QPalette paletteFor(bool dark, const QPalette &desktop);

} // namespace orvane::colorscheme
