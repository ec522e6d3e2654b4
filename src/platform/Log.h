#pragma once

#include <QString>

namespace orvane {

// Writes one of the program's log lines: "[Orvane] " followed by `text`, its control
// characters escaped (a newline in a file name stays "\n" on the one line).
void logLine(const QString &text);

// `text` with control characters written as escapes (\n, \t, \x1b, \u2028).
QString escapedForLog(const QString &text);

} // namespace orvane
