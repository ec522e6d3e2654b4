#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace orvane::settingsfile {

// A settings file is a few hundred bytes; one this large was not written by Orvane, and reading
// it whole (and rewriting it at every change) would freeze the program.
inline constexpr qint64 sizeLimit = 1024 * 1024;

struct Problem {
    QString reason;
    // Whether the settings parser may still read it: true for text that is merely not UTF-8.
    bool mayParse = false;
};

// Why the settings file at `path` must be left as it is, or none when Orvane may read and
// rewrite it (a missing file included). Looks at the file without parsing it, reading at most
// `sizeLimit` bytes: not a regular file, too large, unreadable, or (for a text store) not
// UTF-8, which a rewrite would turn into replacement characters.
std::optional<Problem> problem(const QString &path, bool textStore);

// The INI settings file at `path`, looked at first (problem() above: the one bounded read
// before the settings object's own). One that must not even be parsed (too large, not a file)
// is not opened, since a settings object reads its whole file as it is made: a settings object
// with nothing behind it stands in. The properties below carry what was found.
inline constexpr char checkedProperty[] = "orvaneChecked";
inline constexpr char refusedFileProperty[] = "orvaneRefusedFile"; // stand-ins only
inline constexpr char refusedReasonProperty[] = "orvaneRefusedReason";
std::unique_ptr<QSettings> openIni(const QString &path);

} // namespace orvane::settingsfile
