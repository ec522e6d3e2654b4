#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// What the running process knows about itself, gathered once at start-up.
struct ProcessContext {
    QString argv0;          // argument 0, exactly as the process was started
    QString bundlePath;     // the .app bundle, or the folder holding the executable
    QString executableFile; // absolute path of the program file a user would start again
    QString appImage;       // the AppImage this process runs from; empty when it is none

    static ProcessContext current();
    // The context of the program file `applicationFile` started with `arguments`, given the
    // APPIMAGE and APPDIR variables it found.
    static ProcessContext make(const QString &applicationFile, const QStringList &arguments,
                               const QString &appImageVariable, const QString &appDirVariable);
};

} // namespace orvane
