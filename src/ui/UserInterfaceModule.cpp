#include "UserInterface.h"

#include "dialogs/DialogWindows.h"
#include "menubar/MenuPopup.h"

#include "hud/HUDWindowController.h"
#include "hud/SimulatedCapture.h"
#include "preferences/SettingsWindowController.h"

#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>

#ifdef ORVANE_UI_REGISTERS_TYPES
// Without their plugins (see CMakeLists.txt), the modules' registrations are linked in as the
// plugins would: QML runs them when it first imports the module.
void qml_register_types_Orvane_Settings();
void qml_register_types_Orvane_Preferences();
void qml_register_types_Orvane_Hud();
void qml_register_types_Orvane_Dialogs();
void qml_register_types_Orvane_Menubar();
#else
Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_PreferencesPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_HudPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_DialogsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_MenubarPlugin)
#endif

namespace orvane {

namespace {

class QuickUserInterface final : public UserInterface {
public:
    explicit QuickUserInterface(const UserInterfaceContext &context)
        : m_hud(context.platform, context.state, {}), m_preferences(context.platform, context.state)
    {
        PreferencesActions actions;
        actions.simulateCapture = [this] { simulateCapture(); };
        actions.uninstall = context.uninstall;
        m_preferences.setActions(std::move(actions));
    }

    void showHUD(const QString &filePath, const QImage &image, const QSize &points,
                 const QByteArray &encoded) override
    {
        m_hud.showHUD(filePath, image, points, encoded);
    }
    void simulateCapture() override { testHUD(m_hud); }
    void showPreferences() override { m_preferences.showPreferences(); }
    void popUpMenu(const QList<MenuEntry> &entries, const QPoint &at,
                   std::function<void(const MenuEntry &)> chosen) override
    {
        menupopup::popUp(entries, at, std::move(chosen));
    }
    void ask(const Alert &alert, std::function<void(int button)> done) override
    {
        dialogwindows::ask(alert, nullptr, std::move(done));
    }
    void chooseFolder(const FolderRequest &request,
                      std::function<void(std::optional<QString>)> done) override
    {
        dialogwindows::chooseFolder(request, nullptr, std::move(done));
    }

private:
    HUDWindowController m_hud;
    SettingsWindowController m_preferences;
};

} // namespace

} // namespace orvane

extern "C" orvane::UserInterface *
orvane_create_user_interface_2(const orvane::UserInterfaceContext &context)
{
    // Before the first Qt Quick window: small windows need no GPU, and the software scene
    // graph keeps their memory low.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#ifdef ORVANE_UI_REGISTERS_TYPES
    for (volatile auto registration :
         {&qml_register_types_Orvane_Settings, &qml_register_types_Orvane_Preferences,
          &qml_register_types_Orvane_Hud, &qml_register_types_Orvane_Dialogs,
          &qml_register_types_Orvane_Menubar}) {
        Q_UNUSED(registration);
    }
#endif
    return new orvane::QuickUserInterface(context);
}
