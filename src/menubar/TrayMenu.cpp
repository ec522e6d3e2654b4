#include "menubar/TrayMenu.h"

#include <QAction>
#include <QMenu>

namespace orvane::traymenu {

namespace {

// Menus read "&" as the mark of a mnemonic: a title shows it as written.
QString literalAmpersands(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

// Marks the submenus fill() made, which it deletes on the next fill.
constexpr char builtSubmenu[] = "orvaneBuiltSubmenu";

void discardBuiltItems(QMenu &menu)
{
    // Deleted later: a rebuild may run while the menu is handling one of them.
    for (QAction *action : menu.actions()) {
        menu.removeAction(action);
        if (action->parent() == &menu) {
            action->deleteLater();
        }
    }
    for (QMenu *submenu : menu.findChildren<QMenu *>(Qt::FindDirectChildrenOnly)) {
        if (submenu->property(builtSubmenu).toBool()) {
            submenu->setProperty(builtSubmenu, false);
            submenu->deleteLater();
        }
    }
}

void addEntries(QMenu &menu, QMenu &top, const QList<MenuEntry> &entries,
                const std::function<void(const MenuEntry &)> &chosen)
{
    for (const MenuEntry &entry : entries) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        if (!entry.submenu.isEmpty()) {
            auto *submenu = new QMenu(literalAmpersands(entry.title), &menu);
            submenu->setProperty(builtSubmenu, true);
            addEntries(*submenu, top, entry.submenu, chosen);
            menu.addMenu(submenu)->setEnabled(entry.enabled);
            continue;
        }
        auto *action = new QAction(literalAmpersands(entry.title), &menu);
        action->setEnabled(entry.enabled);
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        action->setShortcut(entry.shortcut);
        if (entry.action != MenuAction::None) {
            QObject::connect(action, &QAction::triggered, &top, [&top, entry, chosen] {
                QMetaObject::invokeMethod(
                    &top, [entry, chosen] { chosen(entry); }, Qt::QueuedConnection);
            });
        }
        menu.addAction(action);
    }
}

} // namespace

void fill(QMenu &menu, const QList<MenuEntry> &entries,
          const std::function<void(const MenuEntry &)> &chosen)
{
    discardBuiltItems(menu);
    addEntries(menu, menu, entries, chosen);
}

} // namespace orvane::traymenu
