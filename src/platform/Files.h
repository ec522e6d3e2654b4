#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// File access that must never block or be fooled: screenshots are read from folders anyone can
// drop anything into (FIFOs, sockets, devices, links to them).
namespace orvane::files {

struct ModificationTime {
    std::optional<qint64> msecsSinceEpoch; // none when the item could not be examined
    QString error;                         // why not
};

// When the item at `path` (links followed) was last modified.
ModificationTime modificationTime(const QString &path);

enum class ReadError { None, NotRegular, TooLarge, Unreadable };

// The whole content of the regular file at `path` (links followed). Anything else is refused
// without being opened for reading in a way that could block.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes,
                                          ReadError *error = nullptr);

} // namespace orvane::files
