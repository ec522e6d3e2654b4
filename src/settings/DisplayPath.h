#pragma once

#include <QString>

namespace orvane {

// A folder as shown to the user: one inside `home` begins with "~" in place of the home
// folder. The tray menu and the preferences show it alike.
QString displayPath(const QString &folder, const QString &home);

} // namespace orvane
