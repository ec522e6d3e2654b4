#include "menubar/StatusBarController.h"

#include "dialogs/Dialogs.h"
#include "hud/symbols/Symbols.h"
#include "menubar/SystemTray.h"
#include "menubar/TrayIcon.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QTimer>

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

} // namespace

StatusBarController::StatusBarController(AppState &state, Platform &platform, Callbacks callbacks,
                                         QObject *parent)
    : QObject(parent), m_state(state), m_platform(platform), m_callbacks(std::move(callbacks)),
      m_texts(MenuTexts::forPlatform(platform.kind()))
{
    setupStatusBar();
    // A StatusNotifierItem host reads the menu over D-Bus and may not announce each opening:
    // the menu is kept filled and follows every settings change, wherever it was made.
    populateMenu();
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
}

StatusBarController::~StatusBarController() = default;

void StatusBarController::setupStatusBar()
{
    m_statusItem = new SystemTray(this);
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
    m_statusItem->setToolTip(m_texts.trayToolTip);
    connect(m_statusItem, &SystemTray::menuAboutToShow, this, [this] { populateMenu(); });
    // Either click opens the menu, as on the macOS menu bar, where the tray shows none itself;
    // a StatusNotifierItem host shows its copy on a right click, and the program's own opens
    // on its activation (a left click).
    connect(m_statusItem, &SystemTray::activated, this, [this](SystemTray::Click click, QPoint at) {
        if (!m_statusItem->showsMenuItself() ||
            (click == SystemTray::Click::Primary && m_platform.kind() != PlatformKind::MacOS)) {
            openOwnMenu(at);
        }
    });
    m_statusItem->show();

    if (!m_statusItem->isSystemTrayAvailable()) {
        // Plain GNOME has no tray: without the preferences window nothing could control
        // Orvane. Asked once the launch has finished.
        logLine(QStringLiteral("No system tray is available; opening Preferences so that Orvane "
                               "can still be controlled."));
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_callbacks.showPreferences) {
                    m_callbacks.showPreferences();
                }
            },
            Qt::QueuedConnection);
    }
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

void StatusBarController::openOwnMenu(const QPoint &at)
{
    if (!m_callbacks.popUpMenu) {
        return;
    }
    populateMenu();
    // The menu may answer after this controller has gone (Orvane quitting meanwhile).
    m_callbacks.popUpMenu(m_menu, at, [self = QPointer(this)](const MenuEntry &entry) {
        if (self) {
            self->choose(entry);
        }
    });
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
    m_menu = buildMenuEntries(inputs, m_texts);
    m_statusItem->setMenu(m_menu, [self = QPointer(this)](const MenuEntry &entry) {
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
    m_dialogs.confirmUninstall([self = QPointer(this)](bool confirmed) {
        if (!self) {
            return;
        }
        self->m_confirmingUninstall = false;
        if (confirmed) {
            performCleanUninstall(self->m_platform, self->m_state, self->m_callbacks.quit);
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
    if (const Result removed = platform.login().removeProgram(); !removed.ok()) {
        logLine(QStringLiteral("Uninstall: ") + removed.reason());
    }
    if (terminate) {
        terminate();
    } else {
        QCoreApplication::quit();
    }
}

} // namespace orvane
