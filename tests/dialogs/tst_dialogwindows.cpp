#include "TestHome.h"

#include "dialogs/DialogWindows.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_DialogsPlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// The shown window of that name, looked up afresh: an answered one is gone.
QQuickWindow *shownWindow(const QString &name)
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == name && window->isVisible()) {
            return qobject_cast<QQuickWindow *>(window);
        }
    }
    return nullptr;
}

QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = child->objectName() == name ? child : findItem(child, name)) {
            return found;
        }
    }
    return nullptr;
}

// A window shown meanwhile, as a card is, counting the clicks it gets.
class Card : public QWindow {
public:
    int clicks = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++clicks; }
};

} // namespace

class DialogWindowsTest : public QObject {
    Q_OBJECT

public:
    explicit DialogWindowsTest(test::TestHome &home) : m_home(home) {}

private:
    test::TestHome &m_home;

private slots:
    // Return is the default button, Escape and the close button the cancel button, a click or
    // Space (after Tab) the button pressed, and each answers once. Texts
    // show "&" as written, and a screen reader finds each button by its text. A card shown
    // meanwhile still takes its clicks.
    void alertAnswers_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("expected");
        QTest::newRow("Return") << u"Return"_s << 2;
        QTest::newRow("Enter") << u"Enter"_s << 2;
        QTest::newRow("Escape") << u"Escape"_s << 0;
        QTest::newRow("close button") << u"close"_s << 0;
        QTest::newRow("click") << u"click Keep & Go"_s << 1;
        QTest::newRow("Tab, Space") << u"Tab Space"_s << 0;
        QTest::newRow("screen reader") << u"press Keep & Go"_s << 1;
        // Held since before it opened (the key that chose it in the menu): no answer.
        QTest::newRow("held Return, held Space, Escape") << u"held Return Space"_s << 0;
    }
    void alertAnswers()
    {
        QFETCH(QString, gesture);
        QFETCH(int, expected);
        const Alert alert{.icon = Alert::Icon::Warning,
                          .title = u"Save & Quit"_s,
                          .message = u"Copy & Save?"_s,
                          .informative = u"Tom & Jerry's files."_s,
                          .buttons = {u"Cancel"_s, u"Keep & Go"_s, u"Move & Trash"_s},
                          .defaultButton = 2,
                          .cancelButton = 0};
        Card card;
        card.resize(100, 100);
        card.show();
        QList<int> answers;
        dialogwindows::ask(alert, nullptr, [&answers](int button) { answers << button; });
        QQuickWindow *window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((window = shownWindow(u"alertWindow"_s)), 5000);
        QVERIFY(QTest::qWaitForWindowExposed(window, 5000));
        QCOMPARE(window->title(), u"Save & Quit"_s);
        // Asked over no window, it blocks none.
        QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(card.clicks, 1);
        QCOMPARE(findItem(window->contentItem(), u"alertMessage"_s)->property("text").toString(),
                 u"Copy & Save?"_s);
        QQuickItem *keep = findItem(window->contentItem(), u"alertButton:Keep & Go"_s);
        QVERIFY(keep);
        QCOMPARE(keep->property("contentItem").value<QQuickItem *>()->property("text").toString(),
                 u"Keep & Go"_s);
        // The default button has the focus when the window opens.
        QTRY_COMPARE_WITH_TIMEOUT(window->activeFocusItem(),
                                  findItem(window->contentItem(), u"alertButton:Move & Trash"_s),
                                  5000);

        if (gesture == u"close"_s) {
            window->close();
        } else if (gesture.startsWith(u"click "_s)) {
            QTest::mouseClick(
                window, Qt::LeftButton, {},
                keep->mapToScene(QPointF(keep->width() / 2, keep->height() / 2)).toPoint());
        } else if (gesture.startsWith(u"press "_s)) {
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(keep);
            QVERIFY(node && node->actionInterface());
            QCOMPARE(node->text(QAccessible::Name), u"Keep & Go"_s);
            node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else if (gesture.startsWith(u"held "_s)) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
                for (const QEvent::Type type :
                     {QEvent::KeyPress, QEvent::KeyRelease, QEvent::KeyPress, QEvent::KeyRelease}) {
                    QKeyEvent repeated(type, key, Qt::NoModifier, QString(), true);
                    QCoreApplication::sendEvent(window, &repeated);
                }
            }
            QCoreApplication::processEvents();
            QCOMPARE(answers, QList<int>());
            QTest::keyClick(window, Qt::Key_Escape);
        } else {
            for (const QString &key : gesture.split(u' ')) {
                const QKeySequence sequence(key);
                QTest::keyClick(window, Qt::Key(sequence[0].key()));
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(answers, QList<int>{expected}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!shownWindow(u"alertWindow"_s), 5000);
        QCoreApplication::processEvents();
        QCOMPARE(answers, QList<int>{expected});
    }

    // The window the alert asks over going away is no "yes".
    void alertGoneWithItsParent()
    {
        auto parent = std::make_unique<QQuickWindow>();
        parent->show();
        QList<int> answers;
        Alert alert;
        alert.buttons = {u"Delete"_s, u"Cancel"_s};
        alert.cancelButton = 1;
        dialogwindows::ask(alert, parent.get(), [&answers](int button) { answers << button; });
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow(u"alertWindow"_s), 5000);
        QCOMPARE(shownWindow(u"alertWindow"_s)->transientParent(), parent.get());
        parent.reset();
        QCOMPARE(answers, QList<int>{1});
        QTRY_VERIFY_WITH_TIMEOUT(!shownWindow(u"alertWindow"_s), 5000);
    }

    // Qt Quick's own chooser opens at the start folder in a window of its own, also when asked
    // over another window (which is too small for it), modal to that one; cancelling answers
    // nothing, accepting the folder picked.
    void folderChooser_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("overWindow");
        QTest::newRow("cancel") << false << false;
        QTest::newRow("accept") << true << false;
        QTest::newRow("over a window, cancel") << false << true;
        QTest::newRow("over a window, accept") << true << true;
    }
    void folderChooser()
    {
        QFETCH(bool, accept);
        QFETCH(bool, overWindow);
        QQuickWindow owner;
        owner.resize(300, 300);
        if (overWindow) {
            owner.show();
        }
        const QString start = m_home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(start + u"/Inner"_s));
        QList<std::optional<QString>> answers;
        dialogwindows::chooseFolder(
            {.title = u"Where & when"_s, .startFolder = start, .acceptLabel = u"Select Folder"_s},
            overWindow ? &owner : nullptr,
            [&answers](std::optional<QString> folder) { answers << folder; });
        QQuickWindow *window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((window = shownWindow(u"folderChooserWindow"_s)), 5000);
        if (overWindow) {
            QCOMPARE(window->transientParent(), &owner);
            QCOMPARE(window->modality(), Qt::WindowModal);
            // Nothing of the chooser drawn in the owner, where popups would be.
            for (QQuickItem *layer : owner.contentItem()->childItems()) {
                for (QQuickItem *popup : layer->childItems()) {
                    QVERIFY(!popup->isVisible());
                }
            }
        }
        QVERIFY(QTest::qWaitForWindowExposed(window, 5000));
        QCOMPARE(window->title(), u"Where & when"_s);
        QObject *dialog = window->findChild<QObject *>(u"folderDialog"_s);
        QCOMPARE(dialog->property("currentFolder").toUrl(), QUrl::fromLocalFile(start));
        if (accept) {
            // As the chooser does when its user picked a folder.
            dialog->setProperty("selectedFolder", QUrl::fromLocalFile(start + u"/Inner"_s));
            QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));
        } else {
            QTest::keyClick(window, Qt::Key_Escape);
        }
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, 5000);
        QCOMPARE(answers.first(), accept ? std::optional(start + u"/Inner"_s) : std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!shownWindow(u"folderChooserWindow"_s), 5000);
    }
};

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    orvane::test::TestHome home;
    QGuiApplication app(argc, argv);
    DialogWindowsTest test(home);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogwindows.moc"
