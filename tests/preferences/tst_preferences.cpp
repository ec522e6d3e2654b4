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
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QScreen>
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
const QRegularExpression
    windowCall(u"^(regular|accessory|stylePreferencesWindow|activateApplication)$"_s);

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
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// Dialogs that answer at once with what the test chose, and note that they were asked.
struct ScriptedDialogs {
    std::optional<QString> folder;
    bool confirm = false;
    int folderQuestions = 0;
    int uninstallQuestions = 0;
    QString asked; // the alert's informative text

    PreferencesDialogs make()
    {
        return {
            .chooseFolder =
                [this](QWindow *, const QString &,
                       std::function<void(std::optional<QString>)> done) {
                    ++folderQuestions;
                    done(folder);
                },
            .confirmUninstall =
                [this](QWindow *, const PreferencesTexts &texts, std::function<void(bool)> done) {
                    ++uninstallQuestions;
                    asked = texts.uninstallAlertInformative;
                    done(confirm);
                },
        };
    }
};

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

public:
    explicit PreferencesTest(test::TestHome &home) : m_home(home) {}

private:
    test::TestHome &m_home;
    test::RecordingPlatform m_platform{m_home.file(u"settings.ini"_s)};
    ScriptedDialogs m_dialogs;
    int m_uninstalled = 0;
    std::unique_ptr<AppState> m_state; // loaded once, from an empty store
    std::unique_ptr<SettingsWindowController> m_controller;
    std::optional<test::LogCapture> m_log; // installed once the test runner's own handler is

    AppState &state() { return *m_state; }

    QVariant stored(const char *key) const
    {
        return QSettings(m_platform.settingsFile, QSettings::IniFormat).value(QLatin1String(key));
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
        QQuickItem *found = findItem(m_controller->window()->contentItem(), name);
        if (!found) {
            qWarning("no item named %s", qPrintable(name));
        }
        return found;
    }
    // Presses a control the way a keyboard user does.
    void press(const QString &name)
    {
        QQuickItem *control = item(name);
        QVERIFY(control);
        control->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_controller->window(), Qt::Key_Space);
    }

private slots:
    void initTestCase()
    {
        m_state = std::make_unique<AppState>(m_platform, m_platform.openSettings());
        AppState::setQmlInstance(m_state.get());
    }

    void init()
    {
        m_dialogs = {};
        m_uninstalled = 0;
        state().setIsPaused(false);
        state().setPlaySound(true);
        state().setAutoDismissSeconds(7);
        state().setCustomFolderPath(std::nullopt);
        state().waitForBackgroundWork();
        QCoreApplication::processEvents();
        m_controller = std::make_unique<SettingsWindowController>(m_platform, state());
        m_controller->setDialogs(m_dialogs.make());
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

    void statusFollowsPause_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("active") << false << u"Active"_s
                                << u"Orvane floating HUD with 'Copy & Save' is active."_s;
        QTest::newRow("paused") << true << u"Monitoring Paused"_s
                                << u"Orvane monitoring is currently paused."_s;
    }
    void statusFollowsPause()
    {
        QFETCH(bool, paused);
        QFETCH(QString, badge);
        QFETCH(QString, subtitle);
        // Start from the other state, then change it elsewhere (the tray) while the window is open.
        state().setIsPaused(!paused);
        QVERIFY(open());
        state().setIsPaused(paused);
        QCOMPARE(item(u"statusText"_s)->property("text").toString(), badge);
        QCOMPARE(item(u"monitoringSubtitle"_s)->property("text").toString(), subtitle);
        QCOMPARE(item(u"switch:Enable Orvane Screenshot HUD"_s)->property("checked").toBool(),
                 !paused);
    }

    // Screen readers flip a control's `checked` directly, without a click: that counts as well.
    void assistiveToolsChangeSettingsToo_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("marked"); // as shown afterwards
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("key"); // empty: not stored
        QTest::newRow("sounds off")
            << u"switch:Play Sound Effects"_s << false << false << "playSound"_ba << u"false"_s
            << QString::fromLatin1(keys::playSound);
        QTest::newRow("monitoring off") << u"switch:Enable Orvane Screenshot HUD"_s << false
                                        << false << "isPaused"_ba << u"true"_s << QString();
        QTest::newRow("12s") << u"segment:12s"_s << true << true << "autoDismissSeconds"_ba
                             << u"12"_s << QString::fromLatin1(keys::autoDismissSeconds);
        // Unmarking the current segment cannot leave the picker without one.
        QTest::newRow("unmarking the marked segment")
            << u"segment:7s (Default)"_s << false << true << "autoDismissSeconds"_ba << u"7"_s
            << QString::fromLatin1(keys::autoDismissSeconds);
    }
    void assistiveToolsChangeSettingsToo()
    {
        QFETCH(QString, control);
        QFETCH(bool, checked);
        QFETCH(bool, marked);
        QFETCH(QByteArray, property);
        QFETCH(QString, value);
        QFETCH(QString, key);
        QVERIFY(open());
        item(control)->setProperty("checked", checked);
        QCOMPARE(state().property(property).toString(), value);
        QCOMPARE(item(control)->property("checked").toBool(), marked);
        if (!key.isEmpty()) {
            QCOMPARE(stored(key.toLatin1().constData()).toString(), value);
        }
    }

    void timerPicker_data()
    {
        QTest::addColumn<qint64>("storedSeconds");
        QTest::addColumn<QString>("marked");
        QTest::newRow("7") << qint64(7) << u"7s (Default)"_s;
        QTest::newRow("5 from a hand-edited store") << qint64(5) << QString();
    }
    void timerPicker()
    {
        QFETCH(qint64, storedSeconds);
        QFETCH(QString, marked);
        state().setAutoDismissSeconds(storedSeconds);
        QVERIFY(open());
        auto markedSegments = [&] {
            QStringList result;
            for (const QString &text : {u"4s"_s, u"7s (Default)"_s, u"12s"_s}) {
                if (item(u"segment:"_s + text)->property("checked").toBool()) {
                    result << text;
                }
            }
            return result;
        };
        QCOMPARE(markedSegments(), marked.isEmpty() ? QStringList() : QStringList{marked});

        press(u"segment:12s"_s);
        QCOMPARE(state().autoDismissSeconds(), 12);
        QCOMPARE(stored(keys::autoDismissSeconds).toLongLong(), 12);
        QCOMPARE(markedSegments(), QStringList{u"12s"_s});
        // Picked in the tray menu while the window is open.
        state().setAutoDismissSeconds(4);
        QCOMPARE(markedSegments(), QStringList{u"4s"_s});
    }

    void resetOnlyWithCustomFolder()
    {
        const QString folder = m_home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(open());
        QQuickItem *reset = item(u"resetFolderButton"_s);
        QVERIFY(!reset->isVisible());

        // A cancelled chooser changes nothing.
        press(u"changeFolderButton"_s);
        QCOMPARE(m_dialogs.folderQuestions, 1);
        QCOMPARE(state().customFolderPath(), std::nullopt);
        QVERIFY(!reset->isVisible());

        m_dialogs.folder = folder;
        press(u"changeFolderButton"_s);
        QCOMPARE(state().customFolderPath(), std::optional(folder));
        QVERIFY(reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Shots"_s);
        state().waitForBackgroundWork();
        QVERIFY(m_platform.takeCalls().contains(u"writeSystemScreenshotLocation:"_s + folder));
        // The folder shown is the chosen one.
        press(u"openFolderButton"_s);
        QCOMPARE(m_platform.takeCalls(), QStringList{u"openFolder:"_s + folder});

        press(u"resetFolderButton"_s);
        QCOMPARE(state().customFolderPath(), std::nullopt);
        QVERIFY(!reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Desktop"_s);
    }

    void uninstallAsksFirst_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancelled") << false;
        QTest::newRow("confirmed") << true;
    }
    void uninstallAsksFirst()
    {
        QFETCH(bool, confirm);
        m_dialogs.confirm = confirm;
        QVERIFY(open());
        auto settingsBytes = [this] {
            QFile file(m_platform.settingsFile);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray settingsBefore = settingsBytes();
        m_platform.takeCalls();
        // A packaged copy: the alert itself says it stays and how to remove it.
        m_platform.removalNote = u"/usr/bin/orvane was installed with the package \"orvane\" and "
                                 u"stays: remove it with \"sudo apt remove orvane\"."_s;
        press(u"uninstallButton"_s);
        m_platform.removalNote.clear();
        QCOMPARE(m_dialogs.uninstallQuestions, 1);
        QVERIFY(m_dialogs.asked.endsWith(u"\n\n/usr/bin/orvane was installed with the package "
                                         u"\"orvane\" and stays: remove it with \"sudo apt "
                                         u"remove orvane\"."_s));
        QCOMPARE(m_uninstalled, confirm ? 1 : 0);
        if (!confirm) {
            QCOMPARE(m_platform.takeCalls(), QStringList());
            QCOMPARE(settingsBytes(), settingsBefore);
            QVERIFY(m_controller->window()->isVisible());
        }
    }

    // On Linux Orvane changes nothing in the desktop's screenshot tools and keeps a packaged
    // copy: the uninstall card and its alert promise neither, on any desktop.
    void linuxUninstallPromisesOnlyWhatHappens_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::newRow("unknown") << QString();
        QTest::newRow("GNOME") << u"ubuntu:GNOME"_s;
        QTest::newRow("KDE") << u"KDE"_s;
        QTest::newRow("Xfce") << u"XFCE"_s;
    }
    void linuxUninstallPromisesOnlyWhatHappens()
    {
        QFETCH(QString, desktop);
        const PreferencesTexts texts = preferencesTexts(PlatformKind::Linux, desktop);
        for (const QString &text : {texts.uninstallNote, texts.uninstallAlertInformative}) {
            QVERIFY2(!text.contains(u"screenshot behavior"_s), qPrintable(text));
            QVERIFY2(!text.contains(u"move Orvane to the Trash"_s), qPrintable(text));
            QVERIFY2(text.contains(u"autostart entry"_s), qPrintable(text));
        }
        QVERIFY(texts.uninstallNote.contains(u"package manager"_s));
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
        QCOMPARE(alert->defaultButton()->text().replace(u"&&"_s, u"&"_s),
                 u"Uninstall & Move to Trash"_s);
        QVERIFY(QKeySequence::mnemonic(alert->defaultButton()->text()).isEmpty());
        QCOMPARE(alert->buttons().first(), alert->defaultButton());
        QCOMPARE(alert->escapeButton(), static_cast<QAbstractButton *>(alert->buttons().last()));
        alert->buttons().at(pressUninstall ? 0 : 1)->click();
        QCOMPARE(answer, std::optional(pressUninstall));
    }

    void oneWindowThenAFreshOneAfterClose()
    {
        QQuickItem *first = open();
        QVERIFY(first);
        QQuickWindow *window = m_controller->window();
        QCOMPARE(m_log->lines(), QStringList{displayed});

        // Moved away by the user, then asked for again (twice, once from another thread).
        window->setFramePosition(QPoint(3, 5));
        m_controller->showPreferences();
        std::unique_ptr<QThread> caller(
            QThread::create([this] { m_controller->showPreferences(); }));
        caller->start();
        QVERIFY(caller->wait(5000));
        QTRY_VERIFY(window->framePosition() != QPoint(3, 5));
        QCoreApplication::processEvents();
        QCOMPARE(m_controller->window(), window);
        QCOMPARE(m_log->lines(), QStringList{displayed});
        const QRect area = window->screen()->availableGeometry();
        QCOMPARE(window->frameGeometry().center().x(), area.center().x());
        QCOMPARE(m_platform.takeCalls().filter(windowCall),
                 QStringList({u"regular"_s, u"stylePreferencesWindow"_s, u"activateApplication"_s,
                              u"regular"_s, u"activateApplication"_s, u"regular"_s,
                              u"activateApplication"_s}));

        // A change of view state, which a fresh view must not carry over.
        first->setProperty("opacity", 0.5);
        QPointer<QQuickWindow> gone(window);
        window->close();
        QCOMPARE(m_controller->window(), nullptr);
        QCOMPARE(m_platform.takeCalls().filter(windowCall), QStringList{u"accessory"_s});
        QCOMPARE(m_log->lines(), QStringList({displayed, closed}));
        QTRY_VERIFY(gone.isNull());

        QQuickItem *second = open();
        QVERIFY(second);
        QCOMPARE(second->opacity(), 1.0);
        QCOMPARE(m_log->lines(), QStringList({displayed, closed, displayed}));
    }

    void keysClose_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Esc") << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeySequence(Qt::ControlModifier | Qt::Key_W);
    }
    void keysClose()
    {
        QFETCH(QKeySequence, keys);
        QVERIFY(open());
        QTest::keySequence(m_controller->window(), keys);
        QCOMPARE(m_controller->window(), nullptr);
        QCOMPARE(m_log->lines().last(), closed);
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
            QQuickItem *focused = window->activeFocusItem();
            QVERIFY(focused);
            const QString name = accessibleName(focused);
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

    // In German the whole window reads German, its alert and Qt's own buttons too.
    void german()
    {
        const Translations german(QStringList{u"de"_s});
        state().setCustomFolderPath(m_home.path());
        QVERIFY(open());
        QCOMPARE(m_controller->window()->title(), u"Orvane-Einstellungen"_s);
        QCOMPARE(item(u"statusText"_s)->property("text").toString(), u"Aktiv"_s);
        QStringList names;
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(m_controller->window(), Qt::Key_Tab);
            names << accessibleName(m_controller->window()->activeFocusItem());
        }
        QCOMPARE(names,
                 QStringList({u"Orvane-Karte für Bildschirmfotos aktivieren"_s,
                              u"Bei der Anmeldung starten"_s,
                              u"Bei Aufnahme automatisch kopieren (ohne Klick)"_s,
                              u"Soundeffekte abspielen"_s, u"4 s"_s, u"7 s (Standard)"_s, u"12 s"_s,
                              u"Ändern..."_s, u"Zurücksetzen"_s, u"Im Dateimanager öffnen"_s,
                              u"Bildschirmfoto-Karte simulieren (Vorschau)"_s,
                              u"Deinstallieren & Standards wiederherstellen..."_s}));

        const auto alert = makeUninstallAlert(preferencesTexts(PlatformKind::Linux, {}));
        QCOMPARE(alert->text(), u"Orvane deinstallieren & Vorgaben der Arbeitsumgebung "
                                u"wiederherstellen?"_s);
        QCOMPARE(alert->escapeButton()->text(), u"Abbrechen"_s);
        const auto chooser = makeFolderChooser(m_home.path());
        chooser->setOption(QFileDialog::DontUseNativeDialog);
        const auto *buttons = chooser->findChild<QDialogButtonBox *>();
        QVERIFY(buttons && buttons->button(QDialogButtonBox::Cancel));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), u"Abbrechen"_s);
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
