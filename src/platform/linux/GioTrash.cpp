// GLib first: its headers use names that Qt defines as keywords.
#include <gio/gio.h>

#include "platform/linux/GioTrash.h"

#include <QFile>

namespace orvane::gio {

std::optional<QString> trash(const QString &path)
{
    GFile *file = g_file_new_for_path(QFile::encodeName(path).constData());
    GError *error = nullptr;
    const bool moved = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (moved) {
        return std::nullopt;
    }
    const QString reason = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return reason;
}

} // namespace orvane::gio
