#pragma once

#include "menubar/MenuModel.h"

#include <QList>

#include <functional>

class QMenu;

namespace orvane::traymenu {

// Replaces what `menu` holds with `entries`: titles as written, check marks, disabled lines,
// shortcuts and submenus. `chosen` runs with the entry chosen once the menu's own handling of
// the choice is over, so that it may rebuild the menu.
void fill(QMenu &menu, const QList<MenuEntry> &entries,
          const std::function<void(const MenuEntry &)> &chosen);

} // namespace orvane::traymenu
