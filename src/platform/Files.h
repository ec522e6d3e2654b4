#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

class QFile;

// File access that must never block or be fooled: screenshots are read from folders anyone can
// drop anything into (FIFOs, sockets, devices, links to them).
namespace orvane {

// A file as itself. An inode is handed on once its file is deleted (at once, on tmpfs): its
// size and modification time with it tell the new file from the old.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileIdentity &) const = default;
};

} // namespace orvane

namespace orvane::files {

struct ModificationTime {
    std::optional<qint64> msecsSinceEpoch; // none when the item could not be examined
    QString error;                         // why not
};

// When the item at `path` (links followed) was last modified.
ModificationTime modificationTime(const QString &path);

// What tells one version of a file from another without reading it: a rewrite in place changes
// the size or a time, one renamed over it is another inode.
struct Version {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const Version &) const = default;
};

// The version of the item at `path` (links followed); none when it cannot be examined.
std::optional<Version> version(const QString &path);

enum class ReadError { None, NotRegular, TooLarge, Unreadable };

// The regular file at `path` (links followed), open for reading; none when it is anything else
// (never opened in a way that could block), unreadable, or larger than `maxBytes`.
std::unique_ptr<QFile> openRegularFile(const QString &path, qint64 maxBytes,
                                       ReadError *error = nullptr);

// A file name's bytes for a log line: printable ASCII as it is, every other byte as \xHH.
QByteArray escapedName(const QByteArray &name);

// Logs that the file `name` in `folder` was skipped, its name not being valid text: once per
// file, however many events name it (a new file brings several). Any thread.
void logSkippedName(const QString &folder, const QByteArray &name);

// The paths of the entries of `folder`. An entry whose name text cannot hold exactly is left
// out, with a log line, since its path would name another file or none.
QStringList listFolder(const QString &folder);

// Makes `path` a folder only this user can reach: created mode 0700 when missing; an existing
// one must be a folder (not a link) owned by this user that nobody else may enter. Returns
// why not, or none when it is private.
std::optional<QString> ensurePrivateFolder(const QString &path);

enum class MoveOutcome { Moved, TargetExists, Failed };
struct Move {
    MoveOutcome outcome;
    QString error; // why not, when Failed
};

// Renames `from` to `to` on the same volume, refusing, never replacing, an item that is already
// at `to` (a dangling link included), even one that appears while it runs.
Move moveWithoutReplacing(const QString &from, const QString &to);

// The file at `path` itself, not what a link there points to; nothing when there is none,
// with errno's words in `error` when the reason is not that it is missing.
std::optional<FileIdentity> fileIdentity(const QString &path, QString *error = nullptr);

// The user this process runs as, for names of per-user folders.
uint currentUserId();

// Sets the allocator up to keep what a burst of work frees until releaseFreedMemory(), and
// then to give all of it back. Called first thing, before any thread starts.
void keepFreedMemoryUntilReleased();

// Gives memory freed after a burst of work back to the system, where the allocator keeps it.
void releaseFreedMemory();

// Reads `size` bytes from `at` in the open `file`, through interruptions; false, with errno set
// (EIO where the file is shorter), when not all of them can be read.
bool readAt(int file, void *into, quint64 size, quint64 at);

// Has the system back the `size` bytes at `data` with memory now, in one call, rather than one
// page fault at a time as they are first written: on a virtual machine a fault can cost more
// than writing the page. Nothing where the system cannot.
void prefault(void *data, qint64 size);

// Bytes kept for as long as something needs them, such as a screenshot's for its card's copies.
// Moved into a file without a name they cost the page cache, which the system can write out and
// drop, instead of the heap, which it must keep: a 5K screenshot's PNG is tens of megabytes.
// The file goes with the last copy of this, or with the process. Linux only; elsewhere, and on
// a network's file system or a full disk, they stay in memory. Copies share one store; any
// thread.
class KeptBytes {
public:
    KeptBytes() = default;
    explicit KeptBytes(QByteArray bytes);

    bool isEmpty() const;
    // The bytes; empty when they are in a file that can no longer be read.
    QByteArray read() const;
    // Writes the bytes into a file without a name in `folder` and lets go of them in memory;
    // where that fails they stay in memory. Whether they are in a file now.
    bool moveToFile(const QString &folder) const;

private:
    struct Store;
    std::shared_ptr<Store> m_store;
};

} // namespace orvane::files
