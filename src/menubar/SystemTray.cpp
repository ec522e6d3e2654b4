#include "menubar/SystemTray.h"

#include "menubar/TrayIconWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformmenu.h>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformsystemtrayicon.h>
#include <qpa/qplatformtheme.h>

namespace orvane {

namespace {

// Menus read "&" as the mark of a mnemonic: a title shows it as written.
QString literalAmpersands(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

std::unique_ptr<QPlatformSystemTrayIcon> createPlatformTray()
{
    QPlatformTheme *theme = QGuiApplicationPrivate::platformTheme();
    return std::unique_ptr<QPlatformSystemTrayIcon>(theme ? theme->createPlatformSystemTrayIcon()
                                                          : nullptr);
}

bool isXcb()
{
    return QGuiApplication::platformName().compare(u"xcb", Qt::CaseInsensitive) == 0;
}

// The window of the XEmbed tray manager on the primary screen, if one runs. Asking also has
// the xcb plugin watch for a tray that appears or goes away.
bool xembedTrayPresent()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    QScreen *screen = QGuiApplication::primaryScreen();
    return isXcb() && native && screen &&
           native->nativeResourceForScreen(QByteArrayLiteral("traywindow"), screen) != nullptr;
}

} // namespace

struct SystemTray::Private {
    SystemTray *q = nullptr;
    std::unique_ptr<QPlatformSystemTrayIcon> platformTray;
    // The top menu stays for the tray's life; a new menu replaces its items. Hosts keep
    // reading the same menu object, and one asking for a refresh in its aboutToShow gets the
    // new items in the same call.
    std::unique_ptr<QPlatformMenu> topMenu;
    // What the current items are made of (items and submenus), owned here: platform menus
    // do not own their items.
    QList<QPointer<QObject>> built;
    std::function<void(const MenuEntry &)> chosen;
    quintptr nextTag = 1;

    std::unique_ptr<TrayIconWindow> window;
    std::unique_ptr<XembedTrayWatcher> trayWatcher;

    QIcon icon;
    QString toolTip;
    bool shown = false;

    void installPlatformTray();
    void fill(QPlatformMenu *menu, const QList<MenuEntry> &entries);
    void discardBuilt(bool now = false);
    void dockIconWindow();
};

void SystemTray::Private::installPlatformTray()
{
    platformTray->init();
    QObject::connect(platformTray.get(), &QPlatformSystemTrayIcon::activated, q,
                     [this](QPlatformSystemTrayIcon::ActivationReason reason) {
                         if (reason == QPlatformSystemTrayIcon::Trigger) {
                             emit q->activated(Click::Primary, QCursor::pos());
                         }
                     });
    if (topMenu) {
        platformTray->updateMenu(topMenu.get());
    }
    platformTray->updateIcon(icon);
    platformTray->updateToolTip(toolTip);
}

void SystemTray::Private::fill(QPlatformMenu *menu, const QList<MenuEntry> &entries)
{
    for (const MenuEntry &entry : entries) {
        QPlatformMenuItem *item = menu->createMenuItem();
        if (!item) {
            return;
        }
        built << item;
        item->setTag(nextTag++);
        item->setIsSeparator(entry.separator);
        if (!entry.separator) {
            item->setText(literalAmpersands(entry.title));
            item->setEnabled(entry.enabled);
            item->setCheckable(entry.checkable);
            item->setChecked(entry.checked);
            item->setShortcut(entry.shortcut);
            // A menu of the tray's own: no "Preferences…" or "Quit" moved into an
            // application menu (macOS guesses roles from titles otherwise).
            item->setRole(QPlatformMenuItem::NoRole);
            if (!entry.submenu.isEmpty()) {
                if (QPlatformMenu *submenu = menu->createSubMenu()) {
                    built << submenu;
                    submenu->setText(literalAmpersands(entry.title));
                    submenu->setEnabled(entry.enabled);
                    fill(submenu, entry.submenu);
                    item->setMenu(submenu);
                }
            } else {
                // Run after the host's call returns, as QMenu does: the handler may rebuild
                // the menu, or open a dialog with an event loop of its own, while this very
                // item is still signalling.
                QObject::connect(
                    item, &QPlatformMenuItem::activated, q,
                    [this, entry] {
                        if (chosen) {
                            chosen(entry);
                        }
                    },
                    Qt::QueuedConnection);
            }
        }
        // Inserted once set up: the platform reads the item's properties as it takes it.
        menu->insertMenuItem(item, nullptr);
    }
}

void SystemTray::Private::discardBuilt(bool now)
{
    if (topMenu) {
        while (QPlatformMenuItem *item = topMenu->menuItemAt(0)) {
            topMenu->removeMenuItem(item);
        }
    }
    // In the order built: an item, then its submenu, then the submenu's items. Later, unless
    // the tray is going: a rebuild may run inside the host's call that reached one of these.
    for (const QPointer<QObject> &object : std::as_const(built)) {
        if (object && now) {
            delete object.data();
        } else if (object) {
            object->deleteLater();
        }
    }
    built.clear();
}

void SystemTray::Private::dockIconWindow()
{
    // A window docked into a tray that is gone cannot be moved into another: a new one is
    // made for each tray, as QSystemTrayIcon does.
    window.reset();
    if (shown && xembedTrayPresent()) {
        window = std::make_unique<TrayIconWindow>();
        QObject::connect(
            window.get(), &TrayIconWindow::clicked, q, [this](Qt::MouseButton button, QPoint at) {
                emit q->activated(button == Qt::RightButton ? Click::Context : Click::Primary, at);
            });
        window->setIcon(icon);
        window->setToolTip(toolTip);
        window->show();
    }
}

SystemTray::SystemTray(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->platformTray = createPlatformTray();
}

SystemTray::~SystemTray()
{
    d->trayWatcher.reset();
    d->window.reset();
    // The tray goes first: it refers to the menu; then the items leave their menus before
    // any of them is deleted (a menu's items point back at it, and it at them).
    if (d->platformTray && d->shown) {
        d->platformTray->cleanup();
    }
    d->platformTray.reset();
    d->discardBuilt(/*now=*/true);
    d->topMenu.reset();
}

bool SystemTray::isSystemTrayAvailable() const
{
#ifdef Q_OS_MACOS
    return true;
#else
    // Asked of the tray already made: another would ask the session bus again.
    if (d->platformTray && d->platformTray->isSystemTrayAvailable()) {
        return true;
    }
    return xembedTrayPresent();
#endif
}

void SystemTray::setIcon(const QIcon &icon)
{
    d->icon = icon;
    if (d->platformTray && d->shown) {
        d->platformTray->updateIcon(icon);
    }
    if (d->window) {
        d->window->setIcon(icon);
    }
}

void SystemTray::setToolTip(const QString &text)
{
    d->toolTip = text;
    if (d->platformTray && d->shown) {
        d->platformTray->updateToolTip(text);
    }
    if (d->window) {
        d->window->setToolTip(text);
    }
}

void SystemTray::show()
{
    if (d->shown) {
        return;
    }
    d->shown = true;
    if (d->platformTray) {
        d->installPlatformTray();
        return;
    }
    if (!isXcb()) {
        return;
    }
    if (!d->trayWatcher) {
        // A tray that comes up (also the first one, after Orvane) or goes away.
        d->trayWatcher = std::make_unique<XembedTrayWatcher>([this] { d->dockIconWindow(); });
    }
    d->dockIconWindow();
}

QRect SystemTray::geometry() const
{
    if (d->platformTray) {
        return d->platformTray->geometry();
    }
    return d->window ? d->window->globalGeometry() : QRect();
}

bool SystemTray::showsMenuItself() const
{
    return d->platformTray != nullptr;
}

void SystemTray::setMenu(const QList<MenuEntry> &entries,
                         std::function<void(const MenuEntry &)> chosen)
{
    if (!d->platformTray) {
        return;
    }
    d->chosen = std::move(chosen);
    if (!d->topMenu) {
        d->topMenu.reset(d->platformTray->createMenu());
        if (!d->topMenu) {
            return;
        }
        connect(d->topMenu.get(), &QPlatformMenu::aboutToShow, this, &SystemTray::menuAboutToShow);
        if (d->shown) {
            d->platformTray->updateMenu(d->topMenu.get());
        }
    }
    d->discardBuilt();
    d->fill(d->topMenu.get(), entries);
}

} // namespace orvane
