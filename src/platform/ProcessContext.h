#pragma once

#include <QString>

namespace orvane {

// What the running process knows about itself, gathered once at start-up.
struct ProcessContext {
    QString argv0;          // argument 0, exactly as the process was started
    QString bundlePath;     // the .app bundle, or the folder holding the executable
    QString executableFile; // absolute path of the program file a user would start again

    static ProcessContext current();
};

} // namespace orvane
