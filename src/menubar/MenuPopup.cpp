#include "menubar/MenuPopup.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

namespace orvane::menupopup {

namespace {

const QUrl menuUrl(QStringLiteral("qrc:/qt/qml/Orvane/Menubar/qml/MenuPopup.qml"));

QVariantList asRows(const QList<MenuEntry> &entries)
{
    QVariantList rows;
    for (const MenuEntry &entry : entries) {
        rows << QVariantMap{
            {QStringLiteral("title"), entry.title},
            {QStringLiteral("separator"), entry.separator},
            {QStringLiteral("enabled"), entry.enabled},
            {QStringLiteral("checkable"), entry.checkable},
            {QStringLiteral("checked"), entry.checked},
            {QStringLiteral("shortcut"), entry.shortcut.toString(QKeySequence::NativeText)},
            {QStringLiteral("submenu"), !entry.submenu.isEmpty()},
        };
    }
    return rows;
}

// The engine and the compiled menu, made on the first menu and kept: a tray menu opens often,
// and an idle Orvane that never opens it carries none.
class Engine {
public:
    QQuickWindow *create(const QList<MenuEntry> &entries, bool isSubmenu)
    {
        if (!m_component) {
            m_engine = std::make_unique<QQmlEngine>();
            m_component = std::make_unique<QQmlComponent>(m_engine.get(), menuUrl,
                                                          QQmlComponent::PreferSynchronous);
            // Gone while the application still is (its windows belong to the engine), not
            // with the program's statics after it.
            qAddPostRoutine(&shutDown);
        }
        if (!m_component->isReady()) {
            qWarning().noquote() << "[Orvane] Could not load the menu:"
                                 << m_component->errorString();
            return nullptr;
        }
        QObject *made =
            m_component->createWithInitialProperties({{QStringLiteral("entries"), asRows(entries)},
                                                      {QStringLiteral("isSubmenu"), isSubmenu}});
        auto *window = qobject_cast<QQuickWindow *>(made);
        if (!window) {
            delete made;
        }
        return window;
    }

private:
    static void shutDown();

    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQmlComponent> m_component;
};

Engine &engine()
{
    static Engine shared;
    return shared;
}

// The screen's area a menu at `at` must stay inside: where windows go, unless `at` lies
// outside it (on a panel), then the whole screen.
QRect areaAround(const QPoint &at)
{
    QScreen *screen = QGuiApplication::screenAt(at);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return {};
    }
    const QRect available = screen->availableGeometry();
    return available.contains(at) ? available : screen->geometry();
}

// Keeps a frame inside the area, its top-left corner preferred where it is.
QPoint clamped(QPoint topLeft, const QSize &size, const QRect &area)
{
    if (area.isEmpty()) {
        return topLeft;
    }
    topLeft.setX(qMax(area.left(), qMin(topLeft.x(), area.right() + 1 - size.width())));
    topLeft.setY(qMax(area.top(), qMin(topLeft.y(), area.bottom() + 1 - size.height())));
    return topLeft;
}

// Opens down and right of `at`; where that would leave the screen, up or left of it instead.
QPoint menuPosition(const QSize &size, const QPoint &at, const QRect &area)
{
    QPoint topLeft = at;
    if (at.x() + size.width() > area.right() + 1) {
        topLeft.setX(at.x() - size.width());
    }
    if (at.y() + size.height() > area.bottom() + 1) {
        topLeft.setY(at.y() - size.height());
    }
    return clamped(topLeft, size, area);
}

// Beside the row that opened it, on the right where it fits, else on the left; its first row
// level with that row.
QPoint submenuPosition(const QSize &size, const QRect &row, const QRect &parent, int padding,
                       const QRect &area)
{
    QPoint topLeft(parent.right() + 1, row.top() - padding);
    if (topLeft.x() + size.width() > area.right() + 1) {
        topLeft.setX(parent.left() - size.width());
    }
    if (topLeft.y() + size.height() > area.bottom() + 1) {
        topLeft.setY(row.bottom() + 1 + padding - size.height());
    }
    return clamped(topLeft, size, area);
}

// One open menu: its window, the submenu beside it, and the one call of `chosen`.
class OpenMenu : public QObject {
    Q_OBJECT

public:
    OpenMenu(QList<MenuEntry> entries, std::function<void(const MenuEntry &)> chosen)
        : m_entries(std::move(entries)), m_chosen(std::move(chosen))
    {}

    ~OpenMenu() override
    {
        delete m_sub.data();
        delete m_main.data();
    }

    bool open(const QPoint &at)
    {
        m_main = engine().create(m_entries, false);
        if (!m_main) {
            return false;
        }
        watch(m_main);
        const QRect area = areaAround(at);
        m_main->setPosition(menuPosition(m_main->size(), at, area));
        // While it is open, every key and click of the program is the menu's (see eventFilter).
        qApp->installEventFilter(this);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &OpenMenu::focusMoved);
        m_main->show();
        m_main->requestActivate();
        return true;
    }

    bool isOpen() const { return m_main && m_main->isVisible(); }

    // Closes without a choice.
    void dismiss() { finish(nullptr); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (!window || !m_main) {
            return false;
        }
        switch (event->type()) {
        case QEvent::Expose:
            // A pointer grab needs a window on the screen.
            if (window == m_main && m_main->isExposed() && !m_grabbed) {
                m_grabbed = true;
                m_main->setKeyboardGrabEnabled(true);
                m_main->setMouseGrabEnabled(true);
            }
            return false;
        case QEvent::KeyPress:
            return routeKey(static_cast<QKeyEvent *>(event));
        case QEvent::ShortcutOverride:
            // The menu's keys are not another window's shortcuts.
            event->accept();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return routeMouse(window, static_cast<QMouseEvent *>(event));
        case QEvent::Hide:
            // Hidden by anyone but us (the window system): closed without a choice.
            if (window == m_main && !m_finishing) {
                QMetaObject::invokeMethod(this, &OpenMenu::dismiss, Qt::QueuedConnection);
            }
            return false;
        default:
            return false;
        }
    }

private slots:
    void mainActivated(int index)
    {
        if (index >= 0 && index < m_entries.size()) {
            finish(&m_entries.at(index));
        }
    }
    void subActivated(int index)
    {
        // Not a submenu closed a moment ago, whose rows were others.
        if (m_submenuRow < 0 || sender() != m_sub) {
            return;
        }
        const QList<MenuEntry> &rows = m_entries.at(m_submenuRow).submenu;
        if (index >= 0 && index < rows.size()) {
            finish(&rows.at(index));
        }
    }
    void submenuRequested(int index, bool byKeyboard) { openSubmenu(index, byKeyboard); }
    // As a Qt menu does, the row the keys or the pointer moved to is told to a screen reader
    // as the one focused: the rows never take Qt Quick's focus (the menu routes the keys), and
    // their "selected" state reaches no screen reader through Qt 6.4.
    void currentRowChanged()
    {
        auto *level = qobject_cast<QQuickWindow *>(sender());
        if (!level || !QAccessible::isActive()) {
            return;
        }
        if (QQuickItem *row = rowItem(level->contentItem(), level->property("currentIndex"))) {
            QAccessibleEvent event(row, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    }
    void submenuDismissed() { closeSubmenu(); }
    void mainCloseRequested() { dismiss(); }
    void subCloseRequested() { closeSubmenu(); }

private:
    void watch(QQuickWindow *window)
    {
        const bool sub = window != m_main;
        connect(window, SIGNAL(activated(int)), this,
                sub ? SLOT(subActivated(int)) : SLOT(mainActivated(int)));
        connect(window, SIGNAL(closeRequested()), this,
                sub ? SLOT(subCloseRequested()) : SLOT(mainCloseRequested()));
        if (!sub) {
            connect(window, SIGNAL(submenuRequested(int, bool)), this,
                    SLOT(submenuRequested(int, bool)));
            connect(window, SIGNAL(submenuDismissed()), this, SLOT(submenuDismissed()));
        }
        connect(window, SIGNAL(currentIndexChanged()), this, SLOT(currentRowChanged()));
    }

    // The row of that index among the level's rows (the items made for its entries).
    static QQuickItem *rowItem(QQuickItem *item, const QVariant &index)
    {
        if (index.toInt() < 0) {
            return nullptr;
        }
        for (QQuickItem *child : item->childItems()) {
            if (child->property("modelData").isValid() && child->property("index") == index) {
                return child;
            }
            if (QQuickItem *row = rowItem(child, index)) {
                return row;
            }
        }
        return nullptr;
    }

    void openSubmenu(int row, bool byKeyboard)
    {
        if (row < 0 || row >= m_entries.size() || m_entries.at(row).submenu.isEmpty()) {
            return;
        }
        if (!m_sub || m_submenuRow != row) {
            closeSubmenu();
            m_sub = engine().create(m_entries.at(row).submenu, true);
            if (!m_sub) {
                return;
            }
            m_submenuRow = row;
            watch(m_sub);
            QVariant rowRect;
            QMetaObject::invokeMethod(m_main, "rowRect", Q_RETURN_ARG(QVariant, rowRect),
                                      Q_ARG(QVariant, row));
            const QRect inMain = rowRect.toRectF().toAlignedRect();
            const QRect rowOnScreen(m_main->mapToGlobal(inMain.topLeft()), inMain.size());
            m_sub->setPosition(submenuPosition(m_sub->size(), rowOnScreen, m_main->frameGeometry(),
                                               m_sub->property("padding").toInt(),
                                               areaAround(rowOnScreen.center())));
            m_main->setProperty("submenuIndex", row);
            m_sub->show();
        }
        if (byKeyboard && m_sub->property("currentIndex").toInt() < 0) {
            QMetaObject::invokeMethod(m_sub, "selectFirst");
        }
    }

    void closeSubmenu()
    {
        if (m_main) {
            m_main->setProperty("submenuIndex", -1);
        }
        m_submenuRow = -1;
        if (m_sub) {
            m_sub->hide();
            m_sub->deleteLater();
            // Gone for the keys that follow at once, before it is deleted.
            m_sub.clear();
        }
    }

    // Keys go to the deepest level open, whichever window they were sent to.
    bool routeKey(QKeyEvent *event)
    {
        event->accept();
        // A line's shortcut, shown beside it, chooses it while the menu is open too.
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
            const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(event->key())));
            for (const MenuEntry &entry : std::as_const(m_entries)) {
                if (!entry.separator && entry.enabled && entry.submenu.isEmpty() &&
                    !entry.shortcut.isEmpty() && entry.shortcut == pressed) {
                    finish(&entry);
                    return true;
                }
            }
        }
        QQuickWindow *target = m_sub ? m_sub.data() : m_main.data();
        QVariant used;
        QMetaObject::invokeMethod(target, "handleKey", Q_RETURN_ARG(QVariant, used),
                                  Q_ARG(QVariant, event->key()));
        return true; // no other window of the program gets keys while a menu is open
    }

    QQuickWindow *levelAt(const QPoint &global) const
    {
        for (QQuickWindow *level : {m_sub.data(), m_main.data()}) {
            if (level && level->isVisible() && level->geometry().contains(global)) {
                return level;
            }
        }
        return nullptr;
    }

    // The pointer is grabbed by the menu, so its events arrive at the menu wherever they
    // happen: a press or release goes to the level under the pointer, or, outside, closes the
    // menu; a move goes to every level, so that one the pointer left lights no row.
    bool routeMouse(QWindow *receiver, QMouseEvent *event)
    {
        const bool ours = receiver == m_main || receiver == m_sub;
        if (m_forwarding) {
            return false; // one handed on just now
        }
        if (event->type() == QEvent::MouseMove) {
            for (QQuickWindow *level : {m_sub.data(), m_main.data()}) {
                if (level && level != receiver && level->isVisible()) {
                    forward(level, event);
                }
            }
            return !ours;
        }
        QQuickWindow *level = levelAt(event->globalPosition().toPoint());
        if (level == receiver) {
            return false;
        }
        if (!level) {
            if (event->type() == QEvent::MouseButtonPress ||
                event->type() == QEvent::MouseButtonDblClick) {
                dismiss();
                return true;
            }
            return !ours;
        }
        forward(level, event);
        return true;
    }
    void forward(QQuickWindow *level, QMouseEvent *event)
    {
        const QScopedValueRollback forwarding(m_forwarding, true);
        QMouseEvent moved(event->type(), level->mapFromGlobal(event->globalPosition()),
                          event->globalPosition(), event->button(), event->buttons(),
                          event->modifiers(), event->pointingDevice());
        QCoreApplication::sendEvent(level, &moved);
    }

    // The program's focus left the menu for another window or program.
    void focusMoved(QWindow *window)
    {
        if (window && (window == m_main || window == m_sub)) {
            m_wasActive = true;
        } else if (window || m_wasActive) {
            QMetaObject::invokeMethod(this, &OpenMenu::closeIfInactive, Qt::QueuedConnection);
        }
    }
    void closeIfInactive()
    {
        QWindow *focus = QGuiApplication::focusWindow();
        if (!focus || (focus != m_main && focus != m_sub)) {
            dismiss();
        }
    }

    void finish(const MenuEntry *entry);

    QList<MenuEntry> m_entries;
    std::function<void(const MenuEntry &)> m_chosen;
    QPointer<QQuickWindow> m_main;
    QPointer<QQuickWindow> m_sub;
    int m_submenuRow = -1;
    bool m_grabbed = false;
    bool m_wasActive = false;
    bool m_finishing = false;
    bool m_forwarding = false;
};

// The menu open now; replaced by the next one, gone once it closes.
QPointer<OpenMenu> current;

void OpenMenu::finish(const MenuEntry *entry)
{
    if (m_finishing) {
        return;
    }
    m_finishing = true;
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    std::function<void(const MenuEntry &)> chosen = std::exchange(m_chosen, {});
    const std::optional<MenuEntry> choice =
        entry ? std::optional<MenuEntry>(*entry) : std::optional<MenuEntry>();
    for (QQuickWindow *level : {m_sub.data(), m_main.data()}) {
        if (level) {
            level->setMouseGrabEnabled(false);
            level->setKeyboardGrabEnabled(false);
            level->hide();
        }
    }
    if (current == this) {
        current = nullptr;
    }
    // Later, out of the window's own signal: the windows go with it.
    deleteLater();
    if (choice && chosen) {
        // After the menu is gone from the screen: the action may open a dialog, or quit.
        QTimer::singleShot(0, qApp,
                           [chosen = std::move(chosen), choice = *choice] { chosen(choice); });
    }
}

void Engine::shutDown()
{
    delete current.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // menus just closed
    Engine &shared = engine();
    shared.m_component.reset();
    shared.m_engine.reset();
}

} // namespace

void popUp(const QList<MenuEntry> &entries, const QPoint &at,
           std::function<void(const MenuEntry &)> chosen)
{
    close();
    auto *menu = new OpenMenu(entries, std::move(chosen));
    if (!menu->open(at)) {
        delete menu;
        return;
    }
    current = menu;
}

bool isOpen()
{
    return current && current->isOpen();
}

void close()
{
    if (current) {
        current->dismiss();
    }
}

} // namespace orvane::menupopup

#include "MenuPopup.moc"
