#pragma once

#include <QString>
#include <QStringList>

namespace orvane::commandline {

// What the command line asks for before anything else starts: to run, or to answer and exit.
struct Answer {
    bool exit = false;
    int exitCode = 0;
    QString text;         // what to print, with its line end
    bool onError = false; // standard error rather than standard output
};

// `arguments` as the program got them, its own name first. --help and --version answer;
// an option Orvane does not know is refused in one line (exit code 2); Qt's own options and
// the ones the system adds on launch pass.
Answer answer(const QStringList &arguments, const QString &version);

} // namespace orvane::commandline
