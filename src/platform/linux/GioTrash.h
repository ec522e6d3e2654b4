#pragma once

#include <QString>

#include <optional>

namespace orvane::gio {

// Moves the file into the freedesktop Trash (restorable, any volume). Blocking; the reason
// when the system refused.
std::optional<QString> trash(const QString &path);

} // namespace orvane::gio
