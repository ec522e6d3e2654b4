#pragma once

#include "PreferencesDialogs.h"
#include "PreferencesTexts.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace orvane {

class AppState;
class Platform;

// What the preferences start in other rooms; main wires them in.
struct PreferencesActions {
    std::function<void()> simulateCapture; // the card's preview with a sample picture
    // The clean uninstall, which ends the program; the program itself goes to the Trash only
    // if the question said so.
    std::function<void(bool programToTrash)> uninstall;
};

// The C++ side of one preferences view: its platform texts and the operations that need more
// than a settings assignment. Every setting itself is read and written on AppState.
class PreferencesBackend : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each preferences window makes its own.")
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)
    Q_PROPERTY(QString appIcon READ appIcon CONSTANT)
    Q_PROPERTY(QString monospaceFamily READ monospaceFamily CONSTANT)
    // Markup's applications for its picker, as the window found them when it opened: [{id, name}],
    // first the automatic choice (id empty), then the installed ones by name. Empty where the
    // system offers no choice (macOS: Preview).
    Q_PROPERTY(QVariantList markupApplications READ markupApplications CONSTANT)
    // What the automatic choice opens now, by name.
    Q_PROPERTY(QString automaticMarkupApplication READ automaticMarkupApplication CONSTANT)

public:
    PreferencesBackend(Platform &platform, AppState &state, PreferencesActions actions,
                       PreferencesDialogs dialogs, QObject *parent = nullptr);

    QVariantMap texts() const { return m_texts.toVariantMap(); }
    // Empty when the application has no icon of its own: the view draws a symbol instead.
    QString appIcon() const;
    QString monospaceFamily() const;
    QVariantList markupApplications() const;
    QString automaticMarkupApplication() const { return m_markup.automatic.name; }
    // The window the folder chooser and the alert are modal to.
    void setDialogParent(QWindow *window) { m_dialogParent = window; }

    Q_INVOKABLE QString displayPath(const QString &folder) const;
    Q_INVOKABLE void chooseCustomFolder();
    Q_INVOKABLE void testHUD();
    Q_INVOKABLE void promptUninstall();
    Q_INVOKABLE void openScreenshotFolder();

private:
    Platform &m_platform;
    AppState &m_state;
    PreferencesActions m_actions;
    PreferencesDialogs m_dialogs;
    PreferencesTexts m_texts;
    MarkupApplications m_markup;
    QPointer<QWindow> m_dialogParent;
    bool m_asking = false;
};

} // namespace orvane
