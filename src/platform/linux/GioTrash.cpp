#include "platform/linux/GioLibrary.h"

#include "platform/linux/GioTrash.h"

#include <QFile>

namespace orvane::gio {

std::optional<QString> trash(const QString &path)
{
    // Without GIO the file stays: deleting it instead would lose what the user meant to keep.
    const Functions *gio = functions();
    if (!gio) {
        return unavailableReason();
    }
    GFile *file = gio->fileNewForPath(QFile::encodeName(path).constData());
    GError *error = nullptr;
    const bool moved = gio->fileTrash(file, nullptr, &error);
    gio->objectUnref(file);
    if (moved) {
        return std::nullopt;
    }
    const QString reason = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return reason;
}

} // namespace orvane::gio
