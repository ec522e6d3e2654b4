#include "RecordingPlatform.h"
#include "ShownWindows.h"
#include "TestHome.h"

#include "platform/Translations.h"
#include "preferences/PreferencesDialogs.h"
#include "preferences/PreferencesTexts.h"
#include "preferences/SettingsWindowController.h"
#include "settings/AppState.h"

#include "hud/symbols/QmlEngine.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickView>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_PreferencesPlugin)

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

// One window controller per test over one store; the folder chooser answers as the test chose.
class PreferencesTest : public QObject {
    Q_OBJECT

public:
    explicit PreferencesTest(TestHome &home) : m_home(home) {}

private:
    TestHome &m_home;
    RecordingPlatform m_platform{m_home.file(u"settings.ini"_s)};
    AppState m_state{m_platform, m_platform.openSettings()}; // loaded once, from an empty store
    QmlEngine m_engine;
    std::unique_ptr<SettingsWindowController> m_controller;
    std::optional<QString> m_folderAnswer;
    QList<bool> m_uninstalled; // each uninstall: whether the program went to the Trash

    QQuickItem *open()
    {
        m_controller->showPreferences();
        (void)QTest::qWaitFor([this] { return m_controller->window() != nullptr; });
        const auto *view = static_cast<QQuickView *>(m_controller->window());
        return view ? view->rootObject() : nullptr;
    }
    // Found among the visual children, where a Repeater's items are.
    QQuickItem *item(const QString &name, QQuickItem *root = nullptr)
    {
        root = root ? root : m_controller->window()->contentItem();
        for (QQuickItem *child : root->childItems()) {
            if (QQuickItem *found = child->objectName() == name ? child : item(name, child)) {
                return found;
            }
        }
        return nullptr;
    }
    QString text(const QString &name) { return item(name)->property("text").toString(); }
    // Presses a control the way a keyboard user does.
    void press(const QString &name)
    {
        QVERIFY2(item(name), qPrintable(name));
        item(name)->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_controller->window(), Qt::Key_Space);
    }
    // Toggles a control the way a screen reader does, without a click.
    void toggle(const QString &name)
    {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(item(name));
        QVERIFY2(node && node->actionInterface(), qPrintable(name));
        node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    }
    QStringList markedSegments()
    {
        QStringList marked{u"4s"_s, u"7s (Default)"_s, u"12s"_s};
        marked.removeIf([this](const QString &segment) {
            return !item(u"segment:"_s + segment)->property("checked").toBool();
        });
        return marked;
    }

private slots:
    void initTestCase() { AppState::setQmlInstance(&m_state); }

    void init()
    {
        m_folderAnswer.reset();
        m_uninstalled.clear();
        m_platform.removalNote.clear();
        m_platform.removalToTrash = true;
        m_platform.markup = {};
        m_platform.toolFolders.clear();
        m_state.setIsPaused(false);
        m_state.setPlaySound(true);
        m_state.setAutoDismissSeconds(7);
        m_state.setCustomFolderPath(std::nullopt);
        m_state.waitForBackgroundWork();
        QCoreApplication::processEvents();
        m_controller = std::make_unique<SettingsWindowController>(m_platform, m_state, m_engine);
        m_controller->setDialogs({.chooseFolder = [this](QWindow *, const QString &,
                                                         auto done) { done(m_folderAnswer); },
                                  .confirmUninstall = {}});
        m_controller->setActions({.simulateCapture = [] {},
                                  .uninstall = [this](bool toTrash) { m_uninstalled << toTrash; }});
        m_platform.takeCalls();
    }

    void cleanup()
    {
        m_controller.reset();
        m_state.waitForBackgroundWork();
        QCoreApplication::processEvents();
        // The answered dialogs, let go once answered.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Keys, a screen reader and the tray menu change settings, shown at once (a stored 5 marks no
    // segment; toggling the marked one keeps it); the folder's buttons act.
    void controlsChangeSettings()
    {
        m_state.setAutoDismissSeconds(5);
        QVERIFY(open());
        QCOMPARE(markedSegments(), QStringList());
        press(u"segment:12s"_s);
        toggle(u"segment:12s"_s);
        QCOMPARE(m_state.autoDismissSeconds(), 12);
        QCOMPARE(markedSegments(), QStringList{u"12s"_s});
        toggle(u"switch:Enable Orvane Screenshot HUD"_s);
        QVERIFY(m_state.isPaused());
        QCOMPARE(text(u"statusText"_s), u"Monitoring Paused"_s);
        m_state.setAutoDismissSeconds(4); // from the tray menu
        QCOMPARE(markedSegments(), QStringList{u"4s"_s});
        const QString folder = m_home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        press(u"changeFolderButton"_s); // cancelled: nothing changes
        QCOMPARE(m_state.customFolderPath(), std::nullopt);
        m_folderAnswer = folder;
        press(u"changeFolderButton"_s);
        QCOMPARE(m_state.customFolderPath(), std::optional(folder));
        press(u"openFolderButton"_s);
        // Reset to a fresh account's folder, not made before its first capture: made when shown.
        const QString fresh = m_home.file(u"Pictures/Screenshots"_s);
        m_platform.toolFolders = {fresh};
        press(u"resetFolderButton"_s);
        QCOMPARE(m_state.customFolderPath(), std::nullopt);
        QTRY_COMPARE(text(u"displayPath"_s), u"~/Pictures/Screenshots"_s);
        press(u"openFolderButton"_s);
        QVERIFY(QFileInfo(fresh).isDir());
        QCOMPARE(m_platform.takeCalls().filter(u"openFolder:"_s),
                 QStringList({u"openFolder:"_s + folder, u"openFolder:"_s + fresh}));

        // Changes that will not be kept are said in the window.
        QQuickItem *notice = item(u"settingsNotice"_s);
        QVERIFY(notice && !notice->isVisible());
        QFile::remove(m_platform.settingsFile);
        QVERIFY(QDir().mkpath(m_platform.settingsFile)); // a folder where the file belongs
        m_state.setPlaySound(false);
        QTRY_VERIFY(notice->isVisible());
        QVERIFY(QDir().rmdir(m_platform.settingsFile));
        m_state.setPlaySound(true);
        QTRY_VERIFY(!notice->isVisible());
    }

    // Markup's picker: the automatic choice, named, then the installed applications; a vanished
    // one's place taken by the automatic, said so. macOS: Preview, no picker.
    void markupChoice()
    {
        m_platform.markup = {.choices = {{u"org.kde.kolourpaint.desktop"_s, u"KolourPaint"_s},
                                         {u"viewer.desktop"_s, u"Image Viewer"_s}},
                             .automatic = {u"org.ksnip.ksnip.desktop"_s, u"ksnip"_s}};
        m_state.setMarkupApplication(u"gimp.desktop"_s);
        QVERIFY(open());
        QQuickItem *picker = item(u"markupPicker"_s);
        QVERIFY(picker && picker->isVisible());
        QCOMPARE(picker->property("displayText").toString(), u"Automatic (ksnip)"_s);
        QVERIFY(item(u"markupNotice"_s)->isVisible());
        QCOMPARE(text(u"markupNotice"_s),
                 u"gimp.desktop is no longer installed: Markup uses ksnip instead."_s);
        picker->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_controller->window(), Qt::Key_Down);
        QCOMPARE(m_state.markupApplication(), u"org.kde.kolourpaint.desktop"_s);
        QVERIFY(!item(u"markupNotice"_s)->isVisible());
        QTest::keyClick(m_controller->window(), Qt::Key_Up);
        QCOMPARE(m_state.markupApplication(), QString());
        m_platform.markup = {.choices = {}, .automatic = {{}, u"Preview"_s}}; // as on macOS
        m_controller->window()->close();
        QTRY_VERIFY(open() && !item(u"markupPicker"_s)->isVisible());
        QVERIFY(item(u"markupFixed"_s)->isVisible());
        QCOMPARE(text(u"markupFixed"_s), u"Preview"_s);
    }

    // Both questions ask over the window, modal to it alone. The uninstall's carries a packaged
    // copy's note; Escape changes nothing, and its button uninstalls, leaving the program as the
    // note said (end to end: uninstall_end_to_end.py; its other answers: tst_menubar's). The
    // chooser opens at the current folder and "Select Folder" takes the folder shown, even an
    // empty one.
    void questionsOverTheWindow()
    {
        const QString empty = m_home.file(u"Empty Shots"_s);
        QVERIFY(QDir().mkpath(empty));
        m_state.setCustomFolderPath(empty);
        m_state.waitForBackgroundWork();
        m_controller->setDialogs(PreferencesDialogs::standard());
        QVERIFY(open());
        QVERIFY(QTest::qWaitForWindowExposed(m_controller->window()));
        const auto settingsBytes = [this] {
            QFile file(m_platform.settingsFile);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray settingsBefore = settingsBytes();
        m_platform.takeCalls(); // the window's own
        const QString note = u"/usr/bin/orvane stays: remove it with \"sudo apt remove\"."_s;
        m_platform.removalNote = note;
        m_platform.removalToTrash = false;
        press(u"uninstallButton"_s);
        QMessageBox *alert = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((alert = shown<QMessageBox>()), 5000);
        QVERIFY(QTest::qWaitForWindowExposed(alert));
        QCOMPARE(alert->windowHandle()->transientParent(), m_controller->window());
        QCOMPARE(alert->windowHandle()->modality(), Qt::WindowModal);
        QVERIFY(alert->informativeText().endsWith(u"\n\n"_s + note));
        QVERIFY(aCardTakesClicks());
        QTest::keyClick(alert->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!shown<QMessageBox>(), 5000);
        QCoreApplication::processEvents();
        QVERIFY(m_uninstalled.isEmpty());
        QCOMPARE(m_platform.takeCalls(), QStringList());
        QCOMPARE(settingsBytes(), settingsBefore);
        QVERIFY(m_controller->window()->isVisible());
        // Its button keeps to what it said, the program staying, even once the platform would
        // say otherwise.
        press(u"uninstallButton"_s);
        QTRY_VERIFY_WITH_TIMEOUT((alert = shown<QMessageBox>()), 5000);
        m_platform.removalToTrash = true;
        auto *uninstall = alert->findChild<QPushButton *>(u"uninstall"_s);
        QCOMPARE(uninstall->text(), u"&Uninstall"_s);
        QTest::mouseClick(uninstall, Qt::LeftButton);
        QTRY_COMPARE(m_uninstalled, QList<bool>{false});

        press(u"changeFolderButton"_s);
        QFileDialog *chooser = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((chooser = shown<QFileDialog>()), 5000);
        QCOMPARE(chooser->windowHandle()->transientParent(), m_controller->window());
        QCOMPARE(chooser->windowHandle()->modality(), Qt::WindowModal);
        QCOMPARE(chooser->directory().absolutePath(), empty);
        m_state.setCustomFolderPath(std::nullopt); // so that the choice shows
        m_state.waitForBackgroundWork();
        QPushButton *accept =
            chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open);
        QTRY_VERIFY(accept->isEnabled());
        QTest::mouseClick(accept, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!shown<QFileDialog>(), 5000);
        QCOMPARE(m_state.customFolderPath(), std::optional(empty));
    }

    // A held Space asks once, on its press, not again at each repeat; the next press asks again.
    void heldSpaceAsksOnce()
    {
        int asked = 0;
        PreferencesDialogs dialogs;
        dialogs.confirmUninstall = [&asked](QWindow *, const PreferencesTexts &, auto done) {
            ++asked;
            done(false);
        };
        m_controller->setDialogs(dialogs);
        QVERIFY(open());
        item(u"uninstallButton"_s)->forceActiveFocus(Qt::TabFocusReason);
        const auto space = [this](bool press, bool repeat) {
            QTest::simulateEvent(m_controller->window(), press, Qt::Key_Space, {}, u" "_s, repeat);
        };
        space(true, false);
        QCOMPARE(asked, 1);
        for (int i = 0; i < 50; ++i) {
            space(i % 2, true); // the X server's repeats: a release, then a press
        }
        space(false, false);
        QCOMPARE(asked, 1);
        // Answered: the next press asks again.
        QTest::keyClick(m_controller->window(), Qt::Key_Space);
        QCOMPARE(asked, 2);
        QVERIFY(m_uninstalled.isEmpty());
    }

    // One window however often asked, from any thread; Esc and Ctrl+W close it; the next is fresh.
    void oneWindowThenAFreshOneAfterClose()
    {
        QQuickItem *first = open();
        QVERIFY(first);
        const QPointer<QQuickWindow> window = m_controller->window();
        m_controller->showPreferences();
        std::unique_ptr<QThread> caller(
            QThread::create([this] { m_controller->showPreferences(); }));
        caller->start();
        QVERIFY(caller->wait(5000));
        int activations = 0;
        QTRY_COMPARE(activations += int(m_platform.takeCalls().count(u"activateApplication"_s)), 3);
        QCOMPARE(m_controller->window(), window.get());

        first->setProperty("opacity", 0.5); // view state, which a fresh view must not carry over
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(m_controller->window(), nullptr);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(open()->opacity(), 1.0);
        QTest::keySequence(m_controller->window(), QKeySequence(Qt::ControlModifier | Qt::Key_W));
        QCOMPARE(m_controller->window(), nullptr);
    }

    // Tab visits every control once, in reading order, and each has a name to be read out.
    void tabReachesEveryNamedControl()
    {
        m_state.setCustomFolderPath(m_home.path());
        m_platform.markup.choices = {{u"viewer.desktop"_s, u"Image Viewer"_s}};
        QVERIFY(open());
        QQuickWindow *window = m_controller->window();
        const auto accessibleName = [](QObject *object) {
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(object);
            return node ? node->text(QAccessible::Name) : QString();
        };
        QStringList names;
        for (int i = 0; i < 30; ++i) {
            QTest::keyClick(window, Qt::Key_Tab);
            const QString name = accessibleName(window->activeFocusItem());
            if (!names.isEmpty() && name == names.first()) {
                break;
            }
            names << name;
        }
        QCOMPARE(names,
                 QStringList({u"Enable Orvane Screenshot HUD"_s, u"Launch at Login"_s,
                              u"Auto-Copy on Capture (Zero-Click)"_s, u"Play Sound Effects"_s,
                              u"Offer Undo after trashing"_s, u"4s"_s, u"7s (Default)"_s, u"12s"_s,
                              u"Change..."_s, u"Reset"_s, u"Open in File Manager"_s,
                              u"Markup Application"_s, u"Simulate Screenshot HUD (Preview)"_s,
                              u"Uninstall & Restore Defaults..."_s}));
        QCOMPARE(accessibleName(item(u"timerPicker"_s)), u"Auto-Dismiss Timer"_s);
    }

    // The first language Orvane speaks wins (de-AT: German), in C++, QML and its dialogs alike;
    // English first stays.
    void languages_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("texts"); // title, status, uninstall question, chooser button
        QTest::newRow("fr, then de-AT")
            << QStringList{u"fr-FR"_s, u"fr"_s, u"de-AT"_s}
            << QStringList{
                   u"Orvane-Einstellungen"_s, u"Aktiv"_s,
                   u"Orvane deinstallieren & Vorgaben der Arbeitsumgebung wiederherstellen?"_s,
                   u"Ordner wählen"_s};
        QTest::newRow("en-GB, then de")
            << QStringList{u"en-GB"_s, u"de"_s}
            << QStringList{u"Orvane Preferences"_s, u"Active"_s,
                           u"Uninstall Orvane & Restore Desktop Defaults?"_s, u"Select Folder"_s};
    }
    void languages()
    {
        QFETCH(QStringList, languages);
        const Translations translations(languages);
        QVERIFY(open());
        QTEST(QStringList({m_controller->window()->title(), text(u"statusText"_s),
                           preferencesTexts(PlatformKind::Linux, {}).uninstallAlertMessage,
                           makeFolderChooser(m_home.path())->labelText(QFileDialog::Accept)}),
              "texts");
    }
};

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    orvane::test::TestHome home;
    QApplication app(argc, argv);
    PreferencesTest test(home);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_preferences.moc"
