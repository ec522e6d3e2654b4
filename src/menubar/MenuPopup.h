#pragma once

#include "menubar/MenuModel.h"

#include <QList>
#include <QPoint>

#include <functional>

namespace orvane::menupopup {

// The tray's menu as a window of the program's own, for trays that show no menu themselves
// (XEmbed): opens with its top-left corner at `at` (global), kept on the screen; a second
// call while one is open replaces it. `chosen` runs with the entry chosen, once, after the menu
// has left the screen; not at all when the menu is dismissed (Escape, a click elsewhere, losing
// focus) or replaced. While it is open, the program's keys and clicks are the menu's.
void popUp(const QList<MenuEntry> &entries, const QPoint &at,
           std::function<void(const MenuEntry &)> chosen);

// Whether one is open (tests, and a second click on the icon closes it).
bool isOpen();
void close();

} // namespace orvane::menupopup
