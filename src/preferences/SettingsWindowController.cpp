#include "SettingsWindowController.h"

#include "AppIcon.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>
#include <QTimer>

namespace orvane {

namespace {

const QUrl viewSource(QStringLiteral("qrc:/qt/qml/Orvane/Preferences/PreferencesView.qml"));

} // namespace

SettingsWindowController::SettingsWindowController(Platform &platform, AppState &state,
                                                   QQmlEngine &engine, QObject *parent)
    : QObject(parent), m_platform(platform), m_state(state), m_engine(engine),
      m_dialogs(PreferencesDialogs::standard())
{
    if (!m_engine.imageProvider(QStringLiteral("appicon"))) {
        m_engine.addImageProvider(QStringLiteral("appicon"), new AppIconProvider);
    }
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::setActions(PreferencesActions actions)
{
    m_actions = std::move(actions);
}

void SettingsWindowController::setDialogs(PreferencesDialogs dialogs)
{
    m_dialogs = std::move(dialogs);
}

QQuickWindow *SettingsWindowController::window() const
{
    return m_window.get();
}

void SettingsWindowController::showPreferences()
{
    // Always a hop through the event loop, also from the main thread; dropped if the
    // controller is gone by then.
    QMetaObject::invokeMethod(this, &SettingsWindowController::present, Qt::QueuedConnection);
}

void SettingsWindowController::present()
{
    m_platform.windows().setActivationPolicyRegular();
    if (!m_window) {
        createWindow();
        return;
    }
    centre(*m_window);
    if (m_window->windowStates() & Qt::WindowMinimized) {
        m_window->showNormal();
    } else {
        m_window->show();
    }
    m_window->raise();
    m_window->requestActivate();
    m_platform.windows().activateApplication();
}

void SettingsWindowController::createWindow()
{
    auto view = std::make_unique<QQuickView>(&m_engine, nullptr);

    auto *backend = new PreferencesBackend(m_platform, m_state, m_actions, m_dialogs, view.get());
    backend->setDialogParent(view.get());

    view->setTitle(QCoreApplication::translate("PreferencesTexts", "Orvane Preferences"));
    // Titled, closable, minimisable; neither resizable nor maximisable.
    view->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    view->setMinimumSize(windowSize);
    view->setMaximumSize(windowSize);
    view->resize(windowSize);
    view->setResizeMode(QQuickView::SizeRootObjectToView);
    view->setInitialProperties({{QStringLiteral("backend"), QVariant::fromValue(backend)}});
    view->setSource(viewSource);
    if (view->status() != QQuickView::Ready) {
        for (const QQmlError &error : view->errors()) {
            qWarning("%s", qPrintable(error.toString()));
        }
    }
    view->installEventFilter(this);

    m_platform.windows().stylePreferencesWindow(*view);
    centre(*view);
    m_window = std::move(view);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
    m_platform.windows().activateApplication();
    logLine(QStringLiteral("Preferences & Control Center window displayed."));
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && m_window && watched == m_window.get()) {
        windowWillClose();
    }
    return QObject::eventFilter(watched, event);
}

void SettingsWindowController::windowWillClose()
{
    if (!m_window) {
        return;
    }
    // Still inside the window's own close handling: it goes once that is over. Then what it
    // held goes back to the system: the allocator keeps freed memory until told.
    QQuickView *closing = m_window.release();
    connect(closing, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            m_engine.collectGarbage();
            m_engine.trimComponentCache();
            files::releaseFreedMemory();
        });
    });
    closing->deleteLater();
    m_platform.windows().setActivationPolicyAccessory();
    logLine(QStringLiteral("Window closed; switched to accessory mode."));
}

void SettingsWindowController::centre(QWindow &window) const
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame is known once the window has been shown; until then the content is centred.
    const QMargins frame = window.frameMargins();
    const QSize outer = window.size().grownBy(frame);
    QPoint topLeft(area.x() + (area.width() - outer.width()) / 2,
                   area.y() + (area.height() - outer.height()) / 2);
    // A screen too small for the window keeps its title bar reachable.
    topLeft.setY(std::max(topLeft.y(), area.y()));
    topLeft.setX(std::max(topLeft.x(), area.x()));
    window.setFramePosition(topLeft);
}

} // namespace orvane
