#include "PreferencesBackend.h"

#include "AppIcon.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "settings/AppState.h"
#include "settings/DisplayPath.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

namespace orvane {

PreferencesBackend::PreferencesBackend(Platform &platform, AppState &state,
                                       PreferencesActions actions, PreferencesDialogs dialogs,
                                       QObject *parent)
    : QObject(parent), m_platform(platform), m_state(state), m_actions(std::move(actions)),
      m_dialogs(std::move(dialogs)),
      m_texts(preferencesTexts(platform.kind(), qEnvironmentVariable("XDG_CURRENT_DESKTOP"))),
      m_markup(platform.card().markupApplications())
{
    // The window offers the uninstall: what it would do is found out while it opens.
    platform.login().prepareProgramRemoval();
}

QString PreferencesBackend::appIcon() const
{
    return applicationIcon().isNull() ? QString() : QStringLiteral("image://appicon/main");
}

QString PreferencesBackend::monospaceFamily() const
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QVariantList PreferencesBackend::markupApplications() const
{
    if (m_markup.choices.isEmpty()) {
        return {};
    }
    const auto entry = [](const QString &id, const QString &name) {
        return QVariantMap{{QStringLiteral("id"), id}, {QStringLiteral("name"), name}};
    };
    QVariantList list{entry(QString(), tr("Automatic (%1)").arg(m_markup.automatic.name))};
    for (const FileApplication &app : m_markup.choices) {
        list.append(entry(app.id, app.name));
    }
    return list;
}

QString PreferencesBackend::displayPath(const QString &folder) const
{
    return orvane::displayPath(folder, QDir::homePath());
}

void PreferencesBackend::chooseCustomFolder()
{
    // One question at a time, even when the button is pressed again before the chooser shows.
    if (m_asking || !m_dialogs.chooseFolder) {
        return;
    }
    m_asking = true;
    QPointer<PreferencesBackend> self(this);
    m_dialogs.chooseFolder(m_dialogParent, m_state.resolvedScreenshotDirectory(),
                           [self](std::optional<QString> folder) {
                               if (!self) {
                                   return;
                               }
                               self->m_asking = false;
                               if (folder && !folder->isEmpty()) {
                                   self->m_state.setCustomFolderPath(*folder);
                               }
                           });
}

void PreferencesBackend::testHUD()
{
    if (m_actions.simulateCapture) {
        m_actions.simulateCapture();
    }
}

void PreferencesBackend::promptUninstall()
{
    if (m_asking || !m_dialogs.confirmUninstall) {
        return;
    }
    m_asking = true;
    QPointer<PreferencesBackend> self(this);
    // What becomes of the program itself depends on how it was installed: the platform says.
    const ProgramRemovalPlan plan = m_platform.login().programRemovalPlan();
    PreferencesTexts texts = m_texts;
    if (!plan.note.isEmpty()) {
        texts.uninstallAlertInformative += QStringLiteral("\n\n") + plan.note;
    }
    texts.programGoesToTrash = plan.toTrash;
    // The user's "yes" is carried out even if the window went away meanwhile.
    m_dialogs.confirmUninstall(
        m_dialogParent, texts,
        [self, uninstall = m_actions.uninstall, toTrash = plan.toTrash](bool confirmed) {
            if (self) {
                self->m_asking = false;
            }
            if (confirmed && uninstall) {
                uninstall(toTrash);
            }
        });
}

void PreferencesBackend::openScreenshotFolder()
{
    const QString folder = m_state.resolvedScreenshotDirectory();
    // A fresh account's screenshot folder is made by the desktop at its first capture: made
    // now instead, so that the button shows where screenshots will go rather than fail.
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        logLine(QStringLiteral("Could not create the folder ") + folder);
    }
    if (const Result opened = m_platform.windows().openFolder(folder); !opened.ok()) {
        logLine(QStringLiteral("Could not open the folder ") + folder + QStringLiteral(": ") +
                opened.reason());
    }
}

} // namespace orvane
