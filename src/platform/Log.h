#pragma once

#include <QString>

namespace orvane {

// Writes one of the program's log lines: "[Orvane] " followed by `text`.
void logLine(const QString &text);

} // namespace orvane
