#include "menubar/StatusBarController.h"

#include "hud/symbols/Symbols.h"
#include "menubar/TrayIcon.h"
#include "menubar/TrayMenu.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/TrayHostWatch.h"
#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <chrono>

namespace orvane {

namespace {

// A monochrome mask, so that the menu bar tints it like its neighbours (a template image on
// macOS).
QIcon templateIcon(const MenuTexts &texts)
{
    QIcon icon = symbols::icon(QStringLiteral("camera.viewfinder"));
    if (icon.isNull()) {
        QPixmap pixmap(64, 64);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QFont font = painter.font();
        font.setPixelSize(48);
        painter.setFont(font);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, texts.fallbackIconText);
        painter.end();
        return QIcon(pixmap);
    }
    icon.setIsMask(true);
    return icon;
}

std::optional<qint64> wholeSeconds(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return value.toLongLong();
    default:
        return std::nullopt;
    }
}

bool sameEntries(const QList<MenuEntry> &a, const QList<MenuEntry> &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const MenuEntry &x, const MenuEntry &y) {
            return x.separator == y.separator && x.title == y.title && x.action == y.action &&
                   x.enabled == y.enabled && x.checkable == y.checkable && x.checked == y.checked &&
                   x.shortcut == y.shortcut && x.represented == y.represented &&
                   sameEntries(x.submenu, y.submenu);
        });
}

} // namespace

StatusBarController::StatusBarController(AppState &state, Platform &platform, Callbacks callbacks,
                                         Launch launch, QObject *parent)
    : QObject(parent), m_state(state), m_platform(platform), m_callbacks(std::move(callbacks)),
      m_launch(std::move(launch)), m_texts(MenuTexts::forPlatform(platform.kind())),
      m_trayMenu(std::make_unique<QMenu>()), m_popupMenu(std::make_unique<QMenu>())
{
    // Named for screen readers, which announce a menu by its name.
    m_trayMenu->setAccessibleName(m_texts.trayToolTip);
    m_popupMenu->setAccessibleName(m_texts.trayToolTip);
    // A StatusNotifierItem host reads the menu over D-Bus and may not announce each opening:
    // the menu is kept filled and follows every settings change, wherever it was made.
    populateMenu();
    // The menu offers the uninstall: what it would do is found out as the menu opens, in time
    // for its question.
    const auto opening = [this] {
        m_platform.login().prepareProgramRemoval();
        populateMenu();
    };
    connect(m_trayMenu.get(), &QMenu::aboutToShow, this, opening);
    connect(m_popupMenu.get(), &QMenu::aboutToShow, this, opening);
    connect(&m_state, &AppState::objectWillChange, this, [this] {
        if (m_rebuildQueued) {
            return;
        }
        m_rebuildQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                // Already rebuilt meanwhile (the menu's own items rebuild at once).
                if (m_rebuildQueued) {
                    populateMenu();
                }
            },
            Qt::QueuedConnection);
    });
    setupStatusBar();
}

StatusBarController::~StatusBarController() = default;

void StatusBarController::setupStatusBar()
{
    if (!m_launch.afterGracePeriod) {
        m_launch.afterGracePeriod = [](QObject *context, std::function<void()> then) {
            QTimer::singleShot(std::chrono::seconds(10), context, std::move(then));
        };
    }
    m_trayHosts =
        m_launch.watchTrayHosts ? m_launch.watchTrayHosts() : std::make_unique<PresentTrayHost>();
    connect(m_trayHosts.get(), &TrayHostWatch::hostFound, this, [this] {
        if (m_noTrayAtLaunch) {
            logLine(QStringLiteral("A system tray is available now; Orvane's icon is in it."));
        }
        createStatusItem();
    });
    connect(m_trayHosts.get(), &TrayHostWatch::noHostYet, this, [this] {
        m_noTrayAtLaunch = true;
        // At login the panel may still be on its way.
        if (!m_launch.background) {
            openPreferencesForLackOfTray();
        }
    });
    if (m_launch.background) {
        m_launch.afterGracePeriod(this, [this] {
            if (!m_statusItem) {
                m_noTrayAtLaunch = true;
                openPreferencesForLackOfTray();
            }
        });
    }
    m_trayHosts->start();
}

void StatusBarController::openPreferencesForLackOfTray()
{
    if (m_preferencesStoodIn) {
        return;
    }
    m_preferencesStoodIn = true;
    // Plain GNOME has no tray: without the preferences window nothing could control Orvane.
    logLine(QStringLiteral("No system tray is available; opening Preferences so that Orvane "
                           "can still be controlled."));
    // Asked once the launch has finished.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_callbacks.showPreferences) {
                m_callbacks.showPreferences();
            }
        },
        Qt::QueuedConnection);
}

void StatusBarController::createStatusItem()
{
    if (m_statusItem) {
        return;
    }
    // Qt picks the kind of tray here, once for the whole process: a StatusNotifierItem over
    // D-Bus where a host is registered, else an XEmbed icon, which docks again whenever the
    // tray restarts. The D-Bus item registers again with a watcher that restarts.
    m_statusItem = new QSystemTrayIcon(this);
    if (m_platform.kind() == PlatformKind::MacOS) {
        m_statusItem->setIcon(templateIcon(m_texts));
    } else {
        // Linux trays do not tint icons: it is drawn in a colour that stands out on the panel,
        // as far as the tray lets it be known.
        const TrayLooks looks = m_platform.windows().trayLooks();
        m_iconColor = looks.iconColor.isValid()
                          ? looks.iconColor
                          : tray::contrastingIconColor(
                                looks.panelColor.isValid()
                                    ? looks.panelColor
                                    : QGuiApplication::palette().color(QPalette::Window));
        m_statusItem->setIcon(tray::symbolicIcon(m_iconColor));
        if (!looks.iconColor.isValid()) {
            // An XEmbed tray shows the pixels as they are, and tells nothing of its colour:
            // once the icon sits in it, the panel around it is looked at.
            QTimer::singleShot(1500, this, [this] { matchPanelUnderIcon(); });
        }
    }
    m_statusItem->setToolTip(m_cardShowing ? QString() : m_texts.trayToolTip);
    m_statusItem->setContextMenu(m_trayMenu.get());
    // A left click opens the menu too, as on the macOS menu bar. An XEmbed tray opens the
    // context menu on a right click by itself; a StatusNotifierItem host shows its own copy,
    // and only asks for one when it has none to show.
    connect(m_statusItem, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (m_platform.kind() == PlatformKind::MacOS || m_trayMenu->isVisible()) {
                    return; // the status bar opens the menu on any click
                }
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context) {
                    popUpMenu();
                }
            });
    m_statusItem->show();
}

void StatusBarController::matchPanelUnderIcon()
{
    const QRect area = m_statusItem->geometry();
    QScreen *screen = QGuiApplication::screenAt(area.center());
    if (area.isEmpty() || !screen) {
        return; // a StatusNotifierItem host, which draws the icon by its name
    }
    const QPixmap shown =
        screen->grabWindow(0, area.x() - screen->geometry().x(), area.y() - screen->geometry().y(),
                           area.width(), area.height());
    const QColor panel = tray::dominantColor(shown.toImage(), m_iconColor);
    const QColor color = tray::contrastingIconColor(panel);
    if (panel.isValid() && color != m_iconColor) {
        m_iconColor = color;
        m_statusItem->setIcon(tray::symbolicIcon(color));
    }
}

void StatusBarController::popUpMenu()
{
    if (m_popupMenu->isVisible()) {
        return;
    }
    // Brought up to date as it opens (aboutToShow), as the tray's menu is.
    if (m_popupMenu->isEmpty()) {
        fill(*m_popupMenu);
    }
    m_popupMenu->popup(QCursor::pos());
}

void StatusBarController::setCardShowing(bool showing)
{
    m_cardShowing = showing;
    if (m_statusItem) {
        m_statusItem->setToolTip(showing ? QString() : m_texts.trayToolTip);
    }
    if (showing) {
        QToolTip::hideText();
    }
}

void StatusBarController::populateMenu()
{
    m_rebuildQueued = false;
    MenuInputs inputs;
    inputs.isPaused = m_state.isPaused();
    inputs.autoCopyOnCapture = m_state.autoCopyOnCapture();
    inputs.playSound = m_state.playSound();
    inputs.isLaunchAtLoginEnabled = m_state.isLaunchAtLoginEnabled();
    inputs.autoDismissSeconds = m_state.autoDismissSeconds();
    inputs.displayPath = displayPath(m_state.resolvedScreenshotDirectory(), QDir::homePath());
    QList<MenuEntry> entries = buildMenuEntries(inputs, m_texts);
    // Unchanged: left as it is, so that a host reading it over D-Bus is not told of a new
    // layout at every opening.
    if (sameEntries(entries, m_menu) && !m_trayMenu->isEmpty()) {
        return;
    }
    m_menu = std::move(entries);
    fill(*m_trayMenu);
    // The pop-up menu is made the first time a click asks for it, and kept in step from then on:
    // a user who only ever right-clicks, or a host that shows its own menu, never needs its
    // items, which would stay in memory for as long as Orvane runs.
    if (!m_popupMenu->isEmpty()) {
        fill(*m_popupMenu);
    }
}

void StatusBarController::fill(QMenu &menu)
{
    traymenu::fill(menu, m_menu, [self = QPointer(this)](const MenuEntry &entry) {
        if (self) {
            self->choose(entry);
        }
    });
}

void StatusBarController::choose(const MenuEntry &entry)
{
    if (!entry.enabled) {
        return;
    }
    switch (entry.action) {
    case MenuAction::None:
        break;
    case MenuAction::OpenPreferences:
        openPreferences();
        break;
    case MenuAction::ToggleAutoCopy:
        toggleAutoCopy();
        break;
    case MenuAction::ToggleSound:
        toggleSound();
        break;
    case MenuAction::ToggleLaunchAtLogin:
        toggleLaunchAtLogin();
        break;
    case MenuAction::TogglePause:
        togglePause();
        break;
    case MenuAction::SetDuration:
        setDuration(entry);
        break;
    case MenuAction::ChooseFolder:
        chooseFolder();
        break;
    case MenuAction::ResetFolder:
        resetFolder();
        break;
    case MenuAction::ShowAbout:
        showAbout();
        break;
    case MenuAction::RestoreAndQuit:
        restoreAndQuit();
        break;
    case MenuAction::QuitApp:
        quitApp();
        break;
    }
}

void StatusBarController::openPreferences()
{
    if (m_callbacks.showPreferences) {
        m_callbacks.showPreferences();
    }
}

void StatusBarController::toggleAutoCopy()
{
    m_state.setAutoCopyOnCapture(!m_state.autoCopyOnCapture());
    populateMenu();
}

void StatusBarController::toggleSound()
{
    m_state.setPlaySound(!m_state.playSound());
    populateMenu();
}

void StatusBarController::toggleLaunchAtLogin()
{
    m_state.setIsLaunchAtLoginEnabled(!m_state.isLaunchAtLoginEnabled());
    populateMenu();
}

void StatusBarController::togglePause()
{
    m_state.setIsPaused(!m_state.isPaused());
    populateMenu();
}

void StatusBarController::setDuration(const MenuEntry &item)
{
    const std::optional<qint64> seconds = wholeSeconds(item.represented);
    if (!seconds) {
        return;
    }
    m_state.setAutoDismissSeconds(*seconds);
    populateMenu();
}

void StatusBarController::chooseFolder()
{
    // One question of a kind at a time: the menu stays usable while it is open.
    if (!m_dialogs.chooseFolder || m_choosingFolder) {
        return;
    }
    m_choosingFolder = true;
    m_dialogs.chooseFolder(m_state.resolvedScreenshotDirectory(),
                           [self = QPointer(this)](const std::optional<QString> &folder) {
                               if (!self) {
                                   return;
                               }
                               self->m_choosingFolder = false;
                               if (!folder) {
                                   return;
                               }
                               // The settings ask the watcher for its restart once the system
                               // has the new folder.
                               self->m_state.setCustomFolderPath(*folder);
                               self->populateMenu();
                           });
}

void StatusBarController::resetFolder()
{
    m_state.setCustomFolderPath(std::nullopt);
    populateMenu();
}

void StatusBarController::showAbout()
{
    if (!m_dialogs.showAbout || m_showingAbout) {
        return;
    }
    m_showingAbout = true;
    m_dialogs.showAbout([self = QPointer(this)] {
        if (self) {
            self->m_showingAbout = false;
        }
    });
}

void StatusBarController::restoreAndQuit()
{
    if (!m_dialogs.confirmUninstall || m_confirmingUninstall) {
        return;
    }
    m_confirmingUninstall = true;
    const ProgramRemovalPlan plan = m_platform.login().programRemovalPlan();
    m_dialogs.confirmUninstall(plan, [self = QPointer(this),
                                      toTrash = plan.toTrash](bool confirmed) {
        if (!self) {
            return;
        }
        self->m_confirmingUninstall = false;
        if (confirmed) {
            performCleanUninstall(self->m_platform, self->m_state, toTrash, self->m_callbacks.quit);
        }
    });
}

void StatusBarController::quitApp()
{
    if (m_callbacks.quit) {
        m_callbacks.quit();
    } else {
        QCoreApplication::quit();
    }
}

void StatusBarController::performCleanUninstall(Platform &platform, AppState &state,
                                                bool programToTrash,
                                                const std::function<void()> &terminate)
{
    // In this order, each step whatever became of the one before.
    platform.login().unloadLoginAgent();
    platform.login().removeLoginAgent();
    // With the entry gone, a remembered choice would read as "switched off in the desktop's
    // startup settings" at the next install's first launch, which would then never start at
    // login.
    state.forgetLaunchAtLoginChoice();
    platform.detection().resetScreenshotThumbnail();
    if (const Result unregistered = platform.login().unregisterLoginItem(); !unregistered.ok()) {
        logLine(QStringLiteral("Uninstall: ") + unregistered.reason());
    }
    if (const Result removed = platform.login().removeProgram(programToTrash); !removed.ok()) {
        logLine(QStringLiteral("Uninstall: ") + removed.reason());
    }
    if (terminate) {
        terminate();
    } else {
        QCoreApplication::quit();
    }
}

} // namespace orvane
