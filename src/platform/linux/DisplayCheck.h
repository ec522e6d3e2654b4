#pragma once

#include <QString>

#include <optional>

namespace orvane::linuxdisplay {

// Why the X display named by DISPLAY cannot be reached, or none when a connection can be made.
// Asked before Qt's platform plugin starts, which would abort (with a core) on it.
std::optional<QString> unreachableX11Display();

} // namespace orvane::linuxdisplay
