#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvane {

// The card and preferences module's file, opened and checked before any of its code runs:
// a file cut short would fault (SIGBUS) where its missing pages are first touched, and a
// module of another build would run with another idea of the executable's classes.
class ModuleFile {
public:
    // `buildId`: the build of the executable the module must have been made for.
    static ModuleFile open(const QString &path, const QByteArray &buildId);
    ModuleFile(ModuleFile &&other) noexcept;
    ModuleFile &operator=(ModuleFile &&other) noexcept;
    ~ModuleFile();

    // Why the module cannot be used; empty when it can.
    QString error() const { return m_error; }
    // The open file (dlopen it through /proc/self/fd), owned by this object.
    int descriptor() const { return m_fd; }
    // Reads the file, and the libraries it needs that sit beside Qt's, into the page cache.
    // Returns the names of the Qt libraries among them, each after the ones it needs.
    QList<QByteArray> readAhead() const;

private:
    ModuleFile() = default;

    int m_fd = -1;
    quint64 m_size = 0;
    QString m_error;
    QList<QByteArray> m_needed;
};

// The note a module carries (name, type): the GNU build ID of the executable it was built with.
inline constexpr char moduleNoteName[] = "Orvane";
inline constexpr unsigned moduleNoteType = 1;

// This executable's GNU build ID; empty when it has none.
QByteArray programBuildId();

} // namespace orvane
