#include "UserInterface.h"

#include "hud/HUDWindowController.h"
#include "hud/SimulatedCapture.h"
#include "hud/symbols/QmlEngine.h"
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
#else
Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_PreferencesPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_HudPlugin)
#endif

namespace orvane {

namespace {

class QuickUserInterface final : public UserInterface {
public:
    explicit QuickUserInterface(const UserInterfaceContext &context)
        : m_hud(context.platform, context.state, m_engine, {}),
          m_preferences(context.platform, context.state, m_engine)
    {
        PreferencesActions actions;
        actions.simulateCapture = [this] { simulateCapture(); };
        actions.uninstall = context.uninstall;
        m_preferences.setActions(std::move(actions));
        if (context.cardsShowing) {
            QObject::connect(&m_hud, &HUDWindowController::cardsShowingChanged, &m_hud,
                             context.cardsShowing);
        }
    }

    void showHUD(const QString &filePath, const QImage &image, const QSize &points,
                 const QByteArray &encoded) override
    {
        m_hud.showHUD(filePath, image, points, encoded);
    }
    void prepareCard() override { m_hud.prepare(); }
    void simulateCapture() override { testHUD(m_hud); }
    void showPreferences() override { m_preferences.showPreferences(); }

private:
    // One engine for the card and the preferences; it outlives both.
    QmlEngine m_engine;
    HUDWindowController m_hud;
    SettingsWindowController m_preferences;
};

} // namespace

} // namespace orvane

extern "C" orvane::UserInterface *
orvane_create_user_interface_7(const orvane::UserInterfaceContext &context)
{
    // Before the first Qt Quick window: small windows need no GPU, and the software scene
    // graph keeps their memory low.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#ifdef ORVANE_UI_REGISTERS_TYPES
    for (volatile auto registration :
         {&qml_register_types_Orvane_Settings, &qml_register_types_Orvane_Preferences,
          &qml_register_types_Orvane_Hud}) {
        Q_UNUSED(registration);
    }
#endif
    return new orvane::QuickUserInterface(context);
}
