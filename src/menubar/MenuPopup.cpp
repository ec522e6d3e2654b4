#include "menubar/MenuPopup.h"

namespace orvane::menupopup {

void popUp(const QList<MenuEntry> &, const QPoint &, std::function<void(const MenuEntry &)>) {}

bool isOpen()
{
    return false;
}

void close() {}

} // namespace orvane::menupopup
