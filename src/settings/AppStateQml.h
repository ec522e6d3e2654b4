#pragma once

#include "settings/AppState.h"

#include <QJSEngine>
#include <QQmlEngine>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// AppState as QML's "AppState" singleton of Orvane.Settings: the one instance main made.
// Registered from here, so that AppState itself needs no Qt Qml, and only what shows QML
// (the card and preferences module) links this.
struct AppStateQml {
    Q_GADGET
    QML_FOREIGN(orvane::AppState)
    QML_NAMED_ELEMENT(AppState)
    QML_SINGLETON

public:
    static AppState *create(QQmlEngine *, QJSEngine *)
    {
        AppState *state = AppState::qmlInstance();
        Q_ASSERT_X(state, "AppStateQml::create", "main sets the instance before any QML loads");
        QJSEngine::setObjectOwnership(state, QJSEngine::CppOwnership);
        return state;
    }
};

} // namespace orvane
