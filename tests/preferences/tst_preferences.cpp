#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "platform/Translations.h"
#include "preferences/PreferencesDialogs.h"
#include "preferences/PreferencesTexts.h"
#include "preferences/SettingsWindowController.h"
#include "settings/AppState.h"

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_PreferencesPlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QString displayed = u"[Orvane] Preferences & Control Center window displayed."_s;
const QString closed = u"[Orvane] Window closed; switched to accessory mode."_s;

QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    if (!root || root->objectName() == name) {
        return root;
    }
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findItem(child, name)) {
            return found;
        }
    }
    return nullptr;
}

QString accessibleName(QObject *object)
{
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(object);
    return node ? node->text(QAccessible::Name) : QString();
}

} // namespace

// One window controller per test over one settings store, with dialogs that answer at once
// as the test chose.
class PreferencesTest : public QObject {
    Q_OBJECT

public:
    explicit PreferencesTest(test::TestHome &home) : m_home(home) {}

private:
    test::TestHome &m_home;
    test::RecordingPlatform m_platform{m_home.file(u"settings.ini"_s)};
    std::unique_ptr<AppState> m_state; // loaded once, from an empty store
    std::unique_ptr<SettingsWindowController> m_controller;
    std::optional<test::LogCapture> m_log; // installed once the test runner's own handler is
    std::optional<QString> m_folderAnswer;
    bool m_confirmAnswer = false;
    QStringList m_asked; // the dialogs' questions, the alert's informative text for the uninstall
    int m_uninstalled = 0;

    AppState &state() { return *m_state; }
    QString stored(const char *key) const
    {
        return QSettings(m_platform.settingsFile, QSettings::IniFormat)
            .value(QLatin1String(key))
            .toString();
    }
    // Opens the window and waits for it; returns the view's root item.
    QQuickItem *open()
    {
        m_controller->showPreferences();
        if (!QTest::qWaitFor([this] { return m_controller->window() != nullptr; })) {
            return nullptr;
        }
        return static_cast<QQuickView *>(m_controller->window())->rootObject();
    }
    QQuickItem *item(const QString &name)
    {
        return findItem(m_controller->window()->contentItem(), name);
    }
    // Presses a control the way a keyboard user does.
    void press(const QString &name)
    {
        QVERIFY2(item(name), qPrintable(name));
        item(name)->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_controller->window(), Qt::Key_Space);
    }
    QStringList markedSegments()
    {
        QStringList marked;
        for (const QString &text : {u"4s"_s, u"7s (Default)"_s, u"12s"_s}) {
            if (item(u"segment:"_s + text)->property("checked").toBool()) {
                marked << text;
            }
        }
        return marked;
    }

private slots:
    void initTestCase()
    {
        m_state = std::make_unique<AppState>(m_platform, m_platform.openSettings());
        AppState::setQmlInstance(m_state.get());
    }

    void init()
    {
        m_folderAnswer.reset();
        m_confirmAnswer = false;
        m_asked.clear();
        m_uninstalled = 0;
        m_platform.removalNote.clear();
        state().setIsPaused(false);
        state().setPlaySound(true);
        state().setAutoDismissSeconds(7);
        state().setCustomFolderPath(std::nullopt);
        state().waitForBackgroundWork();
        QCoreApplication::processEvents();
        m_controller = std::make_unique<SettingsWindowController>(m_platform, state());
        PreferencesDialogs dialogs;
        dialogs.chooseFolder = [this](QWindow *, const QString &, auto done) {
            m_asked << u"folder"_s;
            done(m_folderAnswer);
        };
        dialogs.confirmUninstall = [this](QWindow *, const PreferencesTexts &texts, auto done) {
            m_asked << texts.uninstallAlertInformative;
            done(m_confirmAnswer);
        };
        m_controller->setDialogs(dialogs);
        m_controller->setActions(
            {.simulateCapture = [] {}, .uninstall = [this] { ++m_uninstalled; }});
        m_platform.takeCalls();
        m_log.emplace();
    }

    void cleanup()
    {
        m_controller.reset();
        m_log.reset();
        state().waitForBackgroundWork();
        QCoreApplication::processEvents();
    }

    // A screen reader's toggle, without a click, counts as well; toggling the marked segment
    // cannot leave the picker without one.
    void assistiveToolsChangeSettingsToo_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("marked"); // as shown afterwards
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("key"); // empty: not stored
        QTest::newRow("sounds off") << u"switch:Play Sound Effects"_s << false << "playSound"_ba
                                    << u"false"_s << QString::fromLatin1(keys::playSound);
        QTest::newRow("monitoring off") << u"switch:Enable Orvane Screenshot HUD"_s << false
                                        << "isPaused"_ba << u"true"_s << QString();
        QTest::newRow("12s") << u"segment:12s"_s << true << "autoDismissSeconds"_ba << u"12"_s
                             << QString::fromLatin1(keys::autoDismissSeconds);
        QTest::newRow("the marked segment")
            << u"segment:7s (Default)"_s << true << "autoDismissSeconds"_ba << u"7"_s
            << QString::fromLatin1(keys::autoDismissSeconds);
    }
    void assistiveToolsChangeSettingsToo()
    {
        QFETCH(QString, control);
        QFETCH(bool, marked);
        QFETCH(QByteArray, property);
        QFETCH(QString, value);
        QFETCH(QString, key);
        QVERIFY(open());
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(item(control));
        QVERIFY(node && node->actionInterface());
        node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(state().property(property).toString(), value);
        QCOMPARE(item(control)->property("checked").toBool(), marked);
        if (!key.isEmpty()) {
            QCOMPARE(stored(key.toLatin1().constData()), value);
        }
    }

    // A hand-edited store's 5 marks no segment; a press marks exactly one. Picks in the tray
    // menu while the window is open show at once.
    void timerPickerAndChangesFromTheTray()
    {
        state().setAutoDismissSeconds(5);
        QVERIFY(open());
        QCOMPARE(markedSegments(), QStringList());
        press(u"segment:12s"_s);
        QCOMPARE(stored(keys::autoDismissSeconds), u"12"_s);
        QCOMPARE(markedSegments(), QStringList{u"12s"_s});
        state().setAutoDismissSeconds(4);
        state().setIsPaused(true);
        QCOMPARE(markedSegments(), QStringList{u"4s"_s});
        QCOMPARE(item(u"statusText"_s)->property("text").toString(), u"Monitoring Paused"_s);
        QCOMPARE(item(u"monitoringSubtitle"_s)->property("text").toString(),
                 u"Orvane monitoring is currently paused."_s);
        QVERIFY(!item(u"switch:Enable Orvane Screenshot HUD"_s)->property("checked").toBool());
    }

    void resetOnlyWithCustomFolder()
    {
        const QString folder = m_home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(open());
        QQuickItem *reset = item(u"resetFolderButton"_s);
        press(u"changeFolderButton"_s); // cancelled: nothing changes
        QCOMPARE(m_asked, QStringList{u"folder"_s});
        QCOMPARE(state().customFolderPath(), std::nullopt);
        QVERIFY(!reset->isVisible());

        m_folderAnswer = folder;
        press(u"changeFolderButton"_s);
        QCOMPARE(state().customFolderPath(), std::optional(folder));
        QVERIFY(reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Shots"_s);
        state().waitForBackgroundWork();
        QVERIFY(m_platform.takeCalls().contains(u"writeSystemScreenshotLocation:"_s + folder));
        press(u"openFolderButton"_s);
        QCOMPARE(m_platform.takeCalls(), QStringList{u"openFolder:"_s + folder});

        press(u"resetFolderButton"_s);
        QCOMPARE(state().customFolderPath(), std::nullopt);
        QVERIFY(!reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Desktop"_s);
    }

    // Nothing changes unless confirmed; a packaged copy: the alert itself says it stays.
    void uninstallAsksFirst()
    {
        QVERIFY(open());
        const auto settingsBytes = [this] {
            QFile file(m_platform.settingsFile);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray settingsBefore = settingsBytes();
        m_platform.takeCalls(); // the window's own
        const QString note = u"/usr/bin/orvane stays: remove it with \"sudo apt remove\"."_s;
        m_platform.removalNote = note;
        press(u"uninstallButton"_s);
        QCOMPARE(m_asked.size(), 1);
        QVERIFY(m_asked.first().endsWith(u"\n\n"_s + note));
        QCOMPARE(m_uninstalled, 0);
        QCOMPARE(m_platform.takeCalls(), QStringList());
        QCOMPARE(settingsBytes(), settingsBefore);
        QVERIFY(m_controller->window()->isVisible());
        m_confirmAnswer = true;
        press(u"uninstallButton"_s);
        QCOMPARE(m_uninstalled, 1);
    }

    // On Linux Orvane changes nothing in the desktop's screenshot tools and keeps a packaged
    // copy: the uninstall card and its alert promise neither, on any desktop.
    void linuxUninstallPromisesOnlyWhatHappens()
    {
        for (const QString &desktop : {QString(), u"ubuntu:GNOME"_s, u"KDE"_s, u"XFCE"_s}) {
            const PreferencesTexts texts = preferencesTexts(PlatformKind::Linux, desktop);
            for (const QString &text : {texts.uninstallNote, texts.uninstallAlertInformative}) {
                QVERIFY2(!text.contains(u"screenshot behavior"_s), qPrintable(text));
                QVERIFY2(!text.contains(u"move Orvane to the Trash"_s), qPrintable(text));
                QVERIFY2(text.contains(u"autostart entry"_s), qPrintable(text));
            }
            QVERIFY(texts.uninstallNote.contains(u"package manager"_s));
        }
    }

    // The system's alert shows its ampersand as written (not as a mnemonic), puts the
    // confirm button first on every desktop, and only that button confirms.
    void standardAlertAnswers_data()
    {
        QTest::addColumn<bool>("pressUninstall");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Uninstall & Move to Trash") << true;
    }
    void standardAlertAnswers()
    {
        QFETCH(bool, pressUninstall);
        std::optional<bool> answer;
        PreferencesDialogs::standard().confirmUninstall(
            nullptr, preferencesTexts(PlatformKind::Linux, {}), [&](bool yes) { answer = yes; });
        QMessageBox *alert = nullptr;
        QTRY_VERIFY((alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
        QVERIFY(!answer);
        QCOMPARE(alert->defaultButton()->text(), u"Uninstall && Move to Trash"_s);
        QCOMPARE(alert->buttons().first(), alert->defaultButton());
        QCOMPARE(alert->escapeButton(), static_cast<QAbstractButton *>(alert->buttons().last()));
        alert->buttons().at(pressUninstall ? 0 : 1)->click();
        QCOMPARE(answer, std::optional(pressUninstall));
    }

    // One window however often it is asked for, from any thread; Esc and Ctrl+W close it, and
    // the next is a fresh one.
    void oneWindowThenAFreshOneAfterClose()
    {
        QQuickItem *first = open();
        QVERIFY(first);
        QQuickWindow *window = m_controller->window();
        m_controller->showPreferences();
        std::unique_ptr<QThread> caller(
            QThread::create([this] { m_controller->showPreferences(); }));
        caller->start();
        QVERIFY(caller->wait(5000));
        int activations = 0;
        QTRY_COMPARE(activations += int(m_platform.takeCalls().count(u"activateApplication"_s)), 3);
        QCOMPARE(m_controller->window(), window);

        first->setProperty("opacity", 0.5); // view state, which a fresh view must not carry over
        QPointer<QQuickWindow> gone(window);
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(m_controller->window(), nullptr);
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(open()->opacity(), 1.0);
        QTest::keySequence(m_controller->window(), QKeySequence(Qt::ControlModifier | Qt::Key_W));
        QCOMPARE(m_controller->window(), nullptr);
        QCOMPARE(m_log->lines(), QStringList({displayed, closed, displayed, closed}));
    }

    // Tab visits every control once, in reading order, and each has a name to be read out.
    void tabReachesEveryNamedControl()
    {
        state().setCustomFolderPath(m_home.path());
        QVERIFY(open());
        QQuickWindow *window = m_controller->window();
        QStringList names;
        for (int i = 0; i < 30; ++i) {
            QTest::keyClick(window, Qt::Key_Tab);
            QVERIFY(window->activeFocusItem());
            const QString name = accessibleName(window->activeFocusItem());
            if (!names.isEmpty() && name == names.first()) {
                break;
            }
            names << name;
        }
        QCOMPARE(names,
                 QStringList({u"Enable Orvane Screenshot HUD"_s, u"Launch at Login"_s,
                              u"Auto-Copy on Capture (Zero-Click)"_s, u"Play Sound Effects"_s,
                              u"4s"_s, u"7s (Default)"_s, u"12s"_s, u"Change..."_s, u"Reset"_s,
                              u"Open in File Manager"_s, u"Simulate Screenshot HUD (Preview)"_s,
                              u"Uninstall & Restore Defaults..."_s}));
        QCOMPARE(accessibleName(item(u"timerPicker"_s)), u"Auto-Dismiss Timer"_s);
    }

    // The user's first language that Orvane speaks wins, by language where the region has
    // none of its own: the whole window reads German, its alert and Qt's own buttons too.
    // English first stays English, whatever comes after it.
    void languages_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("fr, then de-AT") << QStringList{u"fr-FR"_s, u"fr"_s, u"de-AT"_s}
                                        << u"Orvane-Einstellungen"_s << u"Abbrechen"_s;
        QTest::newRow("en-GB, then de")
            << QStringList{u"en-GB"_s, u"de"_s} << u"Orvane Preferences"_s << u"Cancel"_s;
    }
    void languages()
    {
        QFETCH(QStringList, languages);
        QFETCH(QString, title);
        QFETCH(QString, cancel);
        const Translations translations(languages);
        QVERIFY(open());
        QCOMPARE(m_controller->window()->title(), title);
        const auto alert = makeUninstallAlert(preferencesTexts(PlatformKind::Linux, {}));
        QCOMPARE(alert->escapeButton()->text(), cancel);
        const auto chooser = makeFolderChooser(m_home.path());
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text(),
                 cancel);
        if (cancel == u"Abbrechen"_s) {
            QCOMPARE(item(u"statusText"_s)->property("text").toString(), u"Aktiv"_s);
            QCOMPARE(alert->text(), u"Orvane deinstallieren & Vorgaben der Arbeitsumgebung "
                                    u"wiederherstellen?"_s);
        }
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
