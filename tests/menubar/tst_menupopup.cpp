#include "menubar/MenuPopup.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

#include <QtQml/qqmlextensionplugin.h>
#include <algorithm>
#include <memory>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <utility>

Q_IMPORT_QML_PLUGIN(Orvane_MenubarPlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

MenuEntry line(const QString &title, bool enabled = true)
{
    MenuEntry entry;
    entry.title = title;
    entry.enabled = enabled;
    return entry;
}

MenuEntry separator()
{
    MenuEntry entry;
    entry.separator = true;
    return entry;
}

MenuEntry checkable(const QString &title, bool checked)
{
    MenuEntry entry = line(title);
    entry.checkable = true;
    entry.checked = checked;
    return entry;
}

// The tray's menu in small: a heading, separators, a disabled line, a submenu with a disabled
// line of its own.
QList<MenuEntry> trayMenu()
{
    MenuEntry preferences = line(u"Preferences & Settings..."_s);
    preferences.shortcut = QKeySequence(Qt::CTRL | Qt::Key_Comma);
    MenuEntry folder = line(u"Screenshot Folder"_s);
    folder.submenu = {line(u"Current: ~/Pictures"_s, false), separator(),
                      line(u"Choose Custom Folder..."_s), line(u"Reset to Desktop Default"_s)};
    MenuEntry timer = line(u"HUD Auto-Dismiss Timer"_s);
    timer.submenu = {line(u"Current: ~/Pictures"_s, false), separator(),
                     checkable(u"4 Seconds"_s, false), checkable(u"7 Seconds (Default)"_s, true)};
    MenuEntry quit = line(u"Quit Orvane"_s);
    quit.shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q);
    return {line(u"Orvane v1.0"_s, false),
            separator(),
            preferences,
            separator(),
            checkable(u"Play Sound Effects"_s, true),
            line(u"Launch at Login"_s, false),
            separator(),
            folder,
            timer,
            quit};
}

// The menu's windows on the screen, the menu first, then its submenu.
QList<QQuickWindow *> shownLevels()
{
    QList<QQuickWindow *> levels;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        auto *level = qobject_cast<QQuickWindow *>(window);
        if (level && level->isVisible() && level->property("isSubmenu").isValid()) {
            level->property("isSubmenu").toBool() ? levels.append(level) : levels.prepend(level);
        }
    }
    return levels;
}

// Where a row of that title is on the screen, in the deepest level showing one.
std::pair<QQuickWindow *, QPoint> rowOnScreen(const QString &title)
{
    QList<QQuickWindow *> levels = shownLevels();
    std::reverse(levels.begin(), levels.end());
    for (QQuickWindow *level : levels) {
        const QVariantList rows = level->property("entries").toList();
        for (qsizetype index = 0; index < rows.size(); ++index) {
            if (rows.at(index).toMap().value(u"title"_s) == title) {
                QVariant rect;
                QMetaObject::invokeMethod(level, "rowRect", Q_RETURN_ARG(QVariant, rect),
                                          Q_ARG(QVariant, index));
                return {level, rect.toRectF().center().toPoint()};
            }
        }
    }
    return {nullptr, {}};
}

// The line a screen reader finds by its name, from the application down, as AT-SPI walks.
QAccessibleInterface *readerFinds(const QString &name, QAccessibleInterface *node = nullptr)
{
    node = node ? node : QAccessible::queryAccessibleInterface(qApp);
    if (node->role() == QAccessible::MenuItem && node->text(QAccessible::Name) == name) {
        return node;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *found = readerFinds(name, node->child(i))) {
            return found;
        }
    }
    return nullptr;
}

// The rows a screen reader was told the focus moved to, latest last.
QStringList focusedRows;

void noteFocus(QAccessibleEvent *event)
{
    QAccessibleInterface *row = event->accessibleInterface();
    if (event->type() == QAccessible::Focus && row && row->role() == QAccessible::MenuItem) {
        focusedRows << row->text(QAccessible::Name);
    }
}

} // namespace

class MenuPopupTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        menupopup::close();
        QTRY_VERIFY(shownLevels().isEmpty());
    }

    // Steps are keys ("Down", "Ctrl+,"); "at once KEY KEY...": keys typed faster than the
    // event loop turns; "click outside"; "focus elsewhere"; "hover TITLE" or
    // "click TITLE" on a row of the deepest level showing it; "press TITLE" as a screen reader
    // does; "rest": the pointer stays on its row long enough for a submenu to give way
    // (otherwise it never does).
    void choosing_data()
    {
        QTest::addColumn<bool>("inCorner");
        QTest::addColumn<QString>("steps");  // one step after another, split by |
        QTest::addColumn<QString>("chosen"); // empty: nothing

        QTest::newRow("down skips the heading")
            << false << u"Down|Return"_s << u"Preferences & Settings..."_s;
        QTest::newRow("separators and disabled lines skipped, both ways")
            << false << u"Down|Down|Down|Up|Space"_s << u"Play Sound Effects"_s;
        QTest::newRow("up wraps to the last line") << true << u"Up|Return"_s << u"Quit Orvane"_s;
        QTest::newRow("submenu by keyboard, in the corner")
            << true << u"Up|Up|Right|Down|Return"_s << u"7 Seconds (Default)"_s;
        QTest::newRow("escape closes the submenu first")
            << false << u"Up|Up|Return|Escape|Down|Return"_s << u"Quit Orvane"_s;
        QTest::newRow("left back from the submenu")
            << false << u"Up|Up|Right|Left|Up|Up|Return"_s << u"Play Sound Effects"_s;
        QTest::newRow("a line's shortcut, from the submenu")
            << false << u"Up|Up|Right|Ctrl+,"_s << u"Preferences & Settings..."_s;
        QTest::newRow("losing the focus chooses nothing")
            << false << u"Down|focus elsewhere"_s << QString();
        QTest::newRow("keys right after leaving the submenu go to the menu")
            << false << u"Up|Up|Right|at once Left Down Return"_s << u"Quit Orvane"_s;
        QTest::newRow("escape chooses nothing") << false << u"Down|Down|Escape"_s << QString();
        QTest::newRow("a click outside chooses nothing")
            << true << u"Up|Up|Right|click outside"_s << QString();
        QTest::newRow("a disabled line is not chosen by a click")
            << false << u"click Launch at Login|Escape"_s << QString();
        QTest::newRow("submenu line clicked")
            << true << u"click HUD Auto-Dismiss Timer|click 4 Seconds"_s << u"4 Seconds"_s;
        QTest::newRow("a pointer crossing a row keeps the submenu")
            << false
            << u"hover Screenshot Folder|hover HUD Auto-Dismiss Timer|click Reset to Desktop Default"_s
            << u"Reset to Desktop Default"_s;
        QTest::newRow("a pointer resting on a row opens its submenu")
            << true
            << u"hover Screenshot Folder|hover HUD Auto-Dismiss Timer|rest|click 4 Seconds"_s
            << u"4 Seconds"_s;
        QTest::newRow("pressed by a screen reader")
            << false << u"press Orvane v1.0|press HUD Auto-Dismiss Timer|press 4 Seconds"_s
            << u"4 Seconds"_s;
    }
    void choosing()
    {
        QFETCH(bool, inCorner);
        QFETCH(QString, steps);
        QFETCH(QString, chosen);

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // Replaced before it is used: its callback must never run.
        QStringList stale;
        menupopup::popUp({line(u"Stale"_s)}, screen.center(),
                         [&stale](const MenuEntry &entry) { stale << entry.title; });
        QStringList choices;
        int levelsShownAtChoice = -1;
        focusedRows.clear();
        const QPoint at = inCorner ? screen.bottomRight() : QPoint(100, 100);
        menupopup::popUp(trayMenu(), at, [&](const MenuEntry &entry) {
            choices << entry.title;
            levelsShownAtChoice = static_cast<int>(shownLevels().size());
        });
        QTRY_COMPARE(shownLevels().size(), 1);
        QQuickWindow *menu = shownLevels().constFirst();
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setProperty("hoverDelay", 3600 * 1000);
        QCOMPARE(menu->property("entries").toList().size(), trayMenu().size());
        if (!inCorner) {
            QCOMPARE(menu->position(), at);
        }
        // What a screen reader says of the lines: titles as written, check marks. (Qt 6.4
        // tells it nothing of a disabled line; pressing one does nothing.)
        const QAccessibleInterface *sound = readerFinds(u"Play Sound Effects"_s);
        QVERIFY(sound && sound->state().checkable && sound->state().checked);
        QVERIFY(readerFinds(u"Preferences & Settings..."_s));

        std::unique_ptr<QWindow> other;
        for (const QString &step : steps.split(u'|')) {
            QVERIFY2(menupopup::isOpen(), qPrintable(step));
            // Every level open stays whole on the screen.
            for (QQuickWindow *level : shownLevels()) {
                QVERIFY2(screen.contains(level->geometry()), qPrintable(step));
            }
            if (step.startsWith("press "_L1)) {
                QAccessibleInterface *line = readerFinds(step.mid(6));
                QVERIFY2(line && line->actionInterface(), qPrintable(step));
                line->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            } else if (step == "click outside"_L1) {
                QTest::mouseClick(menu, Qt::LeftButton, {},
                                  menu->mapFromGlobal(screen.topLeft() + QPoint(5, 5)));
            } else if (step == "focus elsewhere"_L1) {
                // Another window of the program takes the focus, as a dialog would.
                other = std::make_unique<QWindow>();
                other->setGeometry(20, 20, 50, 50);
                other->show();
                QVERIFY(QTest::qWaitForWindowExposed(other.get()));
                other->requestActivate();
            } else if (step == "rest"_L1) {
                menu->setProperty("hoverDelay", 0); // the pointer stays where it is
            } else if (step.startsWith("click "_L1) || step.startsWith("hover "_L1)) {
                std::pair<QQuickWindow *, QPoint> row;
                QTRY_VERIFY2((row = rowOnScreen(step.mid(6))).first, qPrintable(step));
                QTest::mouseMove(row.first, row.second);
                if (step.startsWith("click "_L1)) {
                    QTest::mouseClick(row.first, Qt::LeftButton, {}, row.second);
                }
            } else if (step.startsWith("at once "_L1)) {
                // No deferred work runs between these keys, as when the window system hands
                // over several at once.
                for (const QString &key : step.mid(8).split(u' ')) {
                    const int code = QKeySequence::fromString(key)[0].key();
                    qt_handleKeyEvent(menu, QEvent::KeyPress, code, {});
                    qt_handleKeyEvent(menu, QEvent::KeyRelease, code, {});
                }
            } else {
                // Keys go to the menu's own window; the menu routes them to an open submenu.
                const QKeyCombination key = QKeySequence::fromString(step)[0];
                QTest::keyClick(menu, key.key(), key.keyboardModifiers());
            }
            if (step == "Right"_L1) {
                QTRY_COMPARE(shownLevels().size(), 2);
                QVERIFY(QTest::qWaitForWindowExposed(shownLevels().constLast()));
            }
        }

        if (chosen.isEmpty()) {
            QTRY_VERIFY(!menupopup::isOpen());
            QTRY_VERIFY(shownLevels().isEmpty());
            QCoreApplication::processEvents();
            QCOMPARE(choices, QStringList());
        } else {
            QTRY_COMPARE(choices, QStringList{chosen});
            // A screen reader heard of the line the user moved to before choosing it (a
            // shortcut moves nowhere).
            if (!steps.contains("Ctrl+"_L1)) {
                QVERIFY(!focusedRows.isEmpty());
                QCOMPARE(focusedRows.constLast(), chosen);
            }
            QCOMPARE(levelsShownAtChoice, 0); // it ran once the menu was off the screen
            QVERIFY(!menupopup::isOpen());
            QCoreApplication::processEvents();
            QCOMPARE(choices.size(), 1);
        }
        QCOMPARE(stale, QStringList());
    }
};

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QAccessible::setActive(true);
    // As when a screen reader runs: Qt then sends accessibility events, here to noteFocus.
    if (QPlatformAccessibility *accessibility =
            QGuiApplicationPrivate::platformIntegration()->accessibility()) {
        accessibility->setActive(true);
    }
    QAccessible::installUpdateHandler(&noteFocus);
    MenuPopupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_menupopup.moc"
