#pragma once

#include <QString>

#include <optional>

namespace orvane {

// Runs one command line through the Z shell (/bin/sh where there is no zsh) and returns what
// it printed on standard output. Standard error is discarded. No answer when the shell cannot
// be started or the output is not UTF-8. Blocks until the command ends; callable from any
// thread.
std::optional<QString> runShellCommand(const QString &commandLine);

// `text` between double quotes, with the characters the shell still interprets there escaped,
// so that it reaches the command as one unaltered argument.
QString shellQuoted(const QString &text);

// The shell used by runShellCommand.
QString shellProgram();

} // namespace orvane
