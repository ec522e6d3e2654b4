#pragma once

#include "platform/linux/GioLibrary.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace orvane::launchfile {

// The path as the file system spells it.
QByteArray nativePath(const QString &path);

// Starts `app` (or, when null, the desktop's default application for the file) on one file.
// GIO puts the file into the application's command line itself, as one argument: no shell.
bool launchOn(const gio::Functions &gio, const QString &path, GAppInfo *app);

// The desktop's default application for the file, else xdg-open. `finished` (may be empty)
// runs on the main thread.
void openWithDefault(const QString &path, std::function<void(bool)> finished);

} // namespace orvane::launchfile
