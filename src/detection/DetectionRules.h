#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The cheap tests by which a reported path becomes a candidate screenshot.
namespace orvane::detection {

inline constexpr int inspectionDelayMs = 100;
inline constexpr double ageLimitSeconds = 10.0;
inline constexpr double repeatWindowSeconds = 2.0;

// png, jpg, jpeg, heic or tiff, in any letter case.
bool hasImageExtension(const QString &path);
// Names beginning with "." or "~" are temporary files, never screenshots.
bool isExcludedName(const QString &fileName);

// The folders to watch: the resolved screenshot folder, the custom folder when it exists, and
// the desktop; equal paths once.
QStringList watchedSet(const QString &resolvedFolder, const std::optional<QString> &customFolder,
                       const QString &desktop);

// ["/a", "/b"]: how the start line prints the watched set.
QString printedSet(const QStringList &paths);

} // namespace orvane::detection
