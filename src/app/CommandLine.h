#pragma once

#include <QString>
#include <QStringList>

namespace orvane::commandline {

// What the command line asks for before anything else starts: to run, or to answer and exit.
struct Answer {
    bool exit = false;
    int exitCode = 0;
    QString text;         // what to print, with its line end (a warning when not exiting)
    bool onError = false; // standard error rather than standard output
};

// `arguments` as the program got them, its own name first. --help and --version answer,
// wherever they stand; an argument Orvane does not know is ignored, with one line naming it;
// Qt's own options and the ones the system adds on launch pass silently.
Answer answer(const QStringList &arguments, const QString &version);

} // namespace orvane::commandline
