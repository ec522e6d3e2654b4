#pragma once

#include "platform/Platform.h"

#include <QString>

#include <optional>

namespace orvane::gio {

// Moves the file into the freedesktop Trash (restorable, any volume). Blocking; the reason
// when the system refused.
std::optional<QString> trash(const QString &path);

// As trash(), and where the file went: the entry of a Trash's files/ that is the very file
// trashed (a move keeps its inode), with its record in info/. None, with `reason`, when the
// file stayed; a trashed file not found there has no trashedPath.
std::optional<TrashedFile> trashAndLocate(const QString &path, QString *reason);

} // namespace orvane::gio
