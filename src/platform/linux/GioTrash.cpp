#include "platform/linux/GioLibrary.h"

#include "platform/Files.h"
#include "platform/linux/GioTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace orvane::gio {

namespace {

// The Trashes the file may have gone to: the user's own, and those at the top of its volume.
QStringList trashFolders(const QString &path, quint64 device)
{
    QStringList folders{QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Trash")};
    // From where the folder really is: GIO follows a link to another disk to that disk's Trash.
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    QDir top = folder.isEmpty() ? QFileInfo(path).absoluteDir() : QDir(folder);
    for (QDir up = top; up.cdUp();) {
        const std::optional<FileIdentity> above = files::fileIdentity(up.path());
        if (!above || above->device != device) {
            break;
        }
        top = up;
        if (up.isRoot()) {
            break;
        }
    }
    const QString uid = QString::number(files::currentUserId());
    folders << top.filePath(QStringLiteral(".Trash/") + uid)
            << top.filePath(QStringLiteral(".Trash-") + uid);
    return folders;
}

} // namespace

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

std::optional<TrashedFile> trashAndLocate(const QString &path, QString *reason)
{
    const std::optional<FileIdentity> before = files::fileIdentity(path);
    if (std::optional<QString> refused = trash(path)) {
        *reason = std::move(*refused);
        return std::nullopt;
    }
    TrashedFile trashed{path, {}, {}};
    if (!before) {
        return trashed;
    }
    trashed.identity = before;
    // Not by the name or the date in the records: the same name may be there many times over,
    // trashed within the same second.
    for (const QString &folder : trashFolders(path, before->device)) {
        for (const QString &entryPath : files::listFolder(folder + QStringLiteral("/files"))) {
            const std::optional<FileIdentity> entry = files::fileIdentity(entryPath);
            if (entry && entry->device == before->device && entry->inode == before->inode) {
                trashed.trashedPath = entryPath;
                trashed.infoPath = folder + QStringLiteral("/info/") +
                                   QFileInfo(entryPath).fileName() + QStringLiteral(".trashinfo");
                return trashed;
            }
        }
    }
    return trashed;
}

} // namespace orvane::gio
