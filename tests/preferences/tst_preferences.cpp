#include "FakeTools.h"
#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "platform/ProcessContext.h"
#include "platform/macos/MacPlatform.h"
#include "preferences/PreferencesDialogs.h"
#include "preferences/PreferencesTexts.h"
#include "preferences/SettingsWindowController.h"
#include "settings/AppState.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
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
    if (!root) {
        return nullptr;
    }
    if (root->objectName() == name) {
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
    QStringList alertTexts;

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
                    alertTexts << texts.uninstallAlertMessage << texts.uninstallAlertInformative;
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
    int m_simulated = 0;
    int m_uninstalled = 0;
    std::unique_ptr<SettingsWindowController> m_controller;
    std::optional<test::LogCapture> m_log; // installed once the test runner's own handler is

    AppState &state() { return AppState::shared(); }

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
        AppState::setSharedPlatform(&m_platform);
        state(); // loaded once, from an empty store
    }

    void init()
    {
        m_dialogs = {};
        m_simulated = 0;
        m_uninstalled = 0;
        state().setIsPaused(false);
        state().setAutoDismissSeconds(7);
        state().setCustomFolderPath(std::nullopt);
        state().waitForBackgroundWork();
        QCoreApplication::processEvents();
        m_controller = std::make_unique<SettingsWindowController>(m_platform);
        m_controller->setDialogs(m_dialogs.make());
        m_controller->setActions({.simulateCapture = [this] { ++m_simulated; },
                                  .uninstall = [this] { ++m_uninstalled; }});
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

    void shortcutsFollowTheDesktop_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("firstLine");
        const int linux = int(PlatformKind::Linux);
        QTest::newRow("GNOME") << linux << u"GNOME"_s << u"Standard GNOME Shortcuts:"_s
                               << u"• Print : Interactive screenshot & recording tool"_s;
        QTest::newRow("Ubuntu's GNOME")
            << linux << u"ubuntu:GNOME"_s << u"Standard GNOME Shortcuts:"_s
            << u"• Print : Interactive screenshot & recording tool"_s;
        QTest::newRow("KDE") << linux << u"KDE"_s << u"Standard KDE Plasma Shortcuts:"_s
                             << u"• Meta + Shift + Print : Select area to capture"_s;
        QTest::newRow("Xfce") << linux << u"XFCE"_s << u"Standard Xfce Shortcuts:"_s
                              << u"• Shift + Print : Select area to capture"_s;
        QTest::newRow("unknown desktop") << linux << u""_s << u"Standard Desktop Shortcuts:"_s
                                         << u"• Print : Interactive screenshot & recording tool"_s;
        QTest::newRow("macOS") << int(PlatformKind::MacOS) << u"GNOME"_s
                               << u"Standard macOS Shortcuts:"_s
                               << u"• Cmd + Shift + 4 : Select area to capture"_s;
    }
    void shortcutsFollowTheDesktop()
    {
        QFETCH(int, kind);
        QFETCH(QString, desktop);
        QFETCH(QString, heading);
        QFETCH(QString, firstLine);
        const PreferencesTexts texts = preferencesTexts(PlatformKind(kind), desktop);
        QCOMPARE(texts.shortcutsHeading, heading);
        QCOMPARE(texts.shortcutsLines.split(u'\n').size(), 3);
        QCOMPARE(texts.shortcutsLines.split(u'\n').first(), firstLine);
    }

    // Nothing a Linux user reads names macOS, its parts or its keys.
    void linuxTextsNameNoMacThings()
    {
        for (const QString &desktop : {u"GNOME"_s, u"KDE"_s, u"XFCE"_s, u""_s}) {
            const QVariantMap texts = preferencesTexts(PlatformKind::Linux, desktop).toVariantMap();
            for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
                for (const QString &word : {u"mac"_s, u"Finder"_s, u"Apple"_s, u"Cmd"_s}) {
                    QVERIFY2(!it.value().toString().contains(word, Qt::CaseInsensitive),
                             qPrintable(it.key() + u": "_s + it.value().toString()));
                }
            }
        }
    }

    void statusFollowsPause_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QColor>("dot");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("active") << false << u"Active"_s << QColor(u"#34C759"_s)
                                << u"Orvane floating HUD with 'Copy & Save' is active."_s;
        QTest::newRow("paused") << true << u"Monitoring Paused"_s << QColor(u"#FF9500"_s)
                                << u"Orvane monitoring is currently paused."_s;
    }
    void statusFollowsPause()
    {
        QFETCH(bool, paused);
        QFETCH(QString, badge);
        QFETCH(QColor, dot);
        QFETCH(QString, subtitle);
        QVERIFY(open());
        // Changed elsewhere (the tray) while the window is open.
        state().setIsPaused(paused);
        QCOMPARE(item(u"statusText"_s)->property("text").toString(), badge);
        QCOMPARE(item(u"statusDot"_s)->property("color").value<QColor>(), dot);
        QCOMPARE(item(u"monitoringSubtitle"_s)->property("text").toString(), subtitle);
        QCOMPARE(item(u"switch:Enable Orvane Screenshot HUD"_s)->property("checked").toBool(),
                 !paused);

        // Flipping the switch here writes the opposite back.
        press(u"switch:Enable Orvane Screenshot HUD"_s);
        QCOMPARE(state().isPaused(), !paused);
        QCOMPARE(item(u"switch:Enable Orvane Screenshot HUD"_s)->property("checked").toBool(),
                 paused);
        QCOMPARE(item(u"statusText"_s)->property("text").toString(),
                 paused ? u"Active"_s : u"Monitoring Paused"_s);
    }

    void togglesWriteTheirSetting_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::newRow("sounds") << u"Play Sound Effects"_s << QString::fromLatin1(keys::playSound);
        QTest::newRow("auto-copy") << u"Auto-Copy on Capture (Zero-Click)"_s
                                   << QString::fromLatin1(keys::autoCopyOnCapture);
        QTest::newRow("launch at login")
            << u"Launch at Login"_s << QString::fromLatin1(keys::launchAtLogin);
    }
    void togglesWriteTheirSetting()
    {
        QFETCH(QString, title);
        QFETCH(QString, key);
        QVERIFY(open());
        QQuickItem *toggle = item(u"switch:"_s + title);
        QVERIFY(toggle);
        const bool before = toggle->property("checked").toBool();
        press(u"switch:"_s + title);
        QCOMPARE(stored(key.toLatin1().constData()).toString(), before ? u"false"_s : u"true"_s);
        QCOMPARE(toggle->property("checked").toBool(), !before);
        // And back, from the other side: the window follows the settings object.
        if (title == u"Play Sound Effects"_s) {
            state().setPlaySound(before);
        } else if (title == u"Launch at Login"_s) {
            state().setIsLaunchAtLoginEnabled(before);
        } else {
            state().setAutoCopyOnCapture(before);
        }
        QCOMPARE(toggle->property("checked").toBool(), before);
    }

    void timerPicker_data()
    {
        QTest::addColumn<qint64>("storedSeconds");
        QTest::addColumn<QString>("marked");
        QTest::newRow("4") << qint64(4) << u"4s"_s;
        QTest::newRow("7") << qint64(7) << u"7s (Default)"_s;
        QTest::newRow("12") << qint64(12) << u"12s"_s;
        QTest::newRow("5 from a hand-edited store") << qint64(5) << QString();
        QTest::newRow("0") << qint64(0) << QString();
    }
    void timerPicker()
    {
        QFETCH(qint64, storedSeconds);
        QFETCH(QString, marked);
        state().setAutoDismissSeconds(storedSeconds);
        QVERIFY(open());
        const QStringList segments{u"4s"_s, u"7s (Default)"_s, u"12s"_s};
        auto markedSegments = [&] {
            QStringList result;
            for (const QString &text : segments) {
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

    // Screen readers flip a control's state directly, without a click: that counts as well.
    void assistiveToolsChangeSettingsToo()
    {
        state().setPlaySound(true);
        QVERIFY(open());
        item(u"switch:Play Sound Effects"_s)->setProperty("checked", false);
        QCOMPARE(state().playSound(), false);
        QCOMPARE(stored(keys::playSound).toString(), u"false"_s);

        item(u"segment:12s"_s)->setProperty("checked", true);
        QCOMPARE(state().autoDismissSeconds(), 12);
        QCOMPARE(item(u"segment:7s (Default)"_s)->property("checked").toBool(), false);
        // Unmarking the current segment cannot leave the picker without one.
        item(u"segment:12s"_s)->setProperty("checked", false);
        QCOMPARE(state().autoDismissSeconds(), 12);
        QCOMPARE(item(u"segment:12s"_s)->property("checked").toBool(), true);

        item(u"switch:Enable Orvane Screenshot HUD"_s)->setProperty("checked", false);
        QCOMPARE(state().isPaused(), true);
        QCOMPARE(item(u"statusText"_s)->property("text").toString(), u"Monitoring Paused"_s);
    }

    void resetOnlyWithCustomFolder()
    {
        const QString folder = m_home.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(open());
        QQuickItem *reset = item(u"resetFolderButton"_s);
        QVERIFY(!reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Desktop"_s);

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

        press(u"resetFolderButton"_s);
        QCOMPARE(state().customFolderPath(), std::nullopt);
        QVERIFY(!reset->isVisible());
        QCOMPARE(item(u"displayPath"_s)->property("text").toString(), u"~/Desktop"_s);
    }

    void openFolderOpensTheResolvedFolder()
    {
        QVERIFY(open());
        m_platform.takeCalls();
        press(u"openFolderButton"_s);
        QCOMPARE(m_platform.takeCalls(),
                 QStringList{u"openFolder:"_s + state().resolvedScreenshotDirectory()});
        QCOMPARE(accessibleName(item(u"openFolderButton"_s)), u"Open in File Manager"_s);
    }

    void previewRunsTheSimulatedCapture()
    {
        QVERIFY(open());
        press(u"simulateButton"_s);
        press(u"simulateButton"_s);
        QCOMPARE(m_simulated, 2);
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
        const QByteArray settingsBefore = [&] {
            QFile file(m_platform.settingsFile);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        m_platform.takeCalls();
        press(u"uninstallButton"_s);
        QCOMPARE(m_dialogs.alertTexts,
                 QStringList({u"Uninstall Orvane & Restore Desktop Defaults?"_s,
                              u"This will immediately restore the desktop's original native "
                              u"screenshot behavior, unregister from login, and safely move "
                              u"Orvane to the Trash."_s}));
        QCOMPARE(m_uninstalled, confirm ? 1 : 0);
        if (!confirm) {
            QCOMPARE(m_platform.takeCalls(), QStringList());
            QFile file(m_platform.settingsFile);
            QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(),
                     settingsBefore);
            QVERIFY(m_controller->window()->isVisible());
        }
    }

    void uninstallAlertDefaultsToUninstall()
    {
        const auto alert = makeUninstallAlert(preferencesTexts(PlatformKind::MacOS, {}));
        QCOMPARE(alert->icon(), QMessageBox::Critical);
        QCOMPARE(alert->text(), u"Uninstall Orvane & Restore macOS Defaults?"_s);
        // Shown as written, not as a mnemonic, and first on every desktop.
        QCOMPARE(alert->defaultButton()->text().replace(u"&&"_s, u"&"_s),
                 u"Uninstall & Move to Trash"_s);
        QVERIFY(QKeySequence::mnemonic(alert->defaultButton()->text()).isEmpty());
        QCOMPARE(alert->buttons().first(), alert->defaultButton());
        QCOMPARE(alert->escapeButton(), static_cast<QAbstractButton *>(alert->buttons().last()));
        QCOMPARE(alert->buttons().last()->text(), u"Cancel"_s);
    }

    // The system's own dialogs answer without blocking, and only the confirm button confirms.
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
        alert->buttons().at(pressUninstall ? 0 : 1)->click();
        QCOMPARE(answer, std::optional(pressUninstall));
    }

    void standardFolderChooserAnswers()
    {
        const QString folder = m_home.file(u"Chosen"_s);
        QVERIFY(QDir().mkpath(folder));
        std::optional<std::optional<QString>> answer;
        auto ask = [&]() -> QDialog * {
            answer.reset();
            PreferencesDialogs::standard().chooseFolder(
                nullptr, m_home.path(),
                [&](std::optional<QString> chosen) { answer.emplace(chosen); });
            if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; })) {
                return nullptr;
            }
            return qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        };
        QDialog *dialog = ask();
        QVERIFY(dialog);
        dialog->reject();
        QVERIFY(answer.has_value());
        QCOMPARE(*answer, std::nullopt);

        dialog = ask();
        QVERIFY(dialog);
        auto *chooser = static_cast<QFileDialog *>(dialog);
        QCOMPARE(chooser->labelText(QFileDialog::Accept), u"Select Folder"_s);
        chooser->selectFile(folder);
        dialog->accept();
        QVERIFY(answer.has_value());
        QCOMPARE(*answer, std::optional(folder));
    }

    void oneWindowThenAFreshOneAfterClose()
    {
        QQuickItem *first = open();
        QVERIFY(first);
        QQuickWindow *window = m_controller->window();
        QCOMPARE(window->title(), u"Orvane Preferences"_s);
        QCOMPARE(window->size(), QSize(480, 620));
        QCOMPARE(window->minimumSize(), window->maximumSize());
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
        int previewWindows = 0;
        for (QWindow *top : QGuiApplication::topLevelWindows()) {
            previewWindows += top->title() == u"Orvane Preferences"_s && top->isVisible();
        }
        QCOMPARE(previewWindows, 1);
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

    // The macOS way of showing the folder, run here against a stand-in for `open`.
    void macOpensTheFolderInFinder()
    {
        test::FakeTools tools;
        MacPlatform mac(ProcessContext::current());
        QVERIFY(mac.openFolder(u"/Users/ann/My \"Shots\" $HOME"_s));
        QCOMPARE(tools.calls(),
                 QList<QStringList>{QStringList({u"open"_s, u"/Users/ann/My \"Shots\" $HOME"_s})});
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
