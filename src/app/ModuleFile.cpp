#include "ModuleFile.h"

#include "platform/Files.h"

#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvane {

namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);

// Nothing an Orvane module or a Qt library holds comes near these; a larger block is not read.
constexpr quint64 largestNotes = 64 * 1024;
constexpr quint64 largestStrings = 4 * 1024 * 1024;

// a + b, or the largest value where that would not fit: headers may hold anything.
quint64 reach(quint64 a, quint64 b)
{
    return a > std::numeric_limits<quint64>::max() - b ? std::numeric_limits<quint64>::max()
                                                       : a + b;
}

// The description of the note `name` of `type` among `notes`, aligned as their segment says.
QByteArray findNote(const char *notes, quint64 size, quint64 alignment, const char *name,
                    unsigned type)
{
    const quint64 align = alignment == 8 ? 8 : 4;
    const auto padded = [align](quint64 n) { return (n + align - 1) & ~(align - 1); };
    const quint64 nameSize = std::strlen(name) + 1;
    quint64 at = 0;
    while (size - at >= sizeof(ElfW(Nhdr))) {
        ElfW(Nhdr) note;
        std::memcpy(&note, notes + at, sizeof note);
        const quint64 nameAt = at + sizeof note;
        const quint64 descriptionAt = nameAt + padded(note.n_namesz);
        if (descriptionAt > size || note.n_descsz > size - descriptionAt) {
            break;
        }
        if (note.n_type == type && note.n_namesz == nameSize &&
            std::memcmp(notes + nameAt, name, nameSize) == 0) {
            return {notes + descriptionAt, qsizetype(note.n_descsz)};
        }
        at = descriptionAt + padded(note.n_descsz);
        if (at > size) {
            break;
        }
    }
    return {};
}

// An ELF shared object's headers, read from its open file.
struct Elf {
    Header header{};
    std::vector<Segment> segments;
    quint64 size = 0;
    // Where the file would have to end for every part the headers name to be there.
    quint64 end = 0;

    // Empty when it reads as a shared object of this machine's kind; else why not.
    QString read(int fd)
    {
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            return QStringLiteral("it is not a file");
        }
        size = quint64(status.st_size);
        if (size < SELFMAG ||
            !files::readAt(fd, &header, std::min<quint64>(size, sizeof header), 0) ||
            std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
            return QStringLiteral("it is not a library (no ELF header)");
        }
        end = sizeof header;
        if (size >= sizeof header) {
            // The machine is the build ID's to tell: another's is another build.
            const unsigned char elfClass = sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32;
            const unsigned char byteOrder =
                Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
            if (header.e_ident[EI_CLASS] != elfClass || header.e_ident[EI_DATA] != byteOrder ||
                header.e_type != ET_DYN || header.e_phentsize != sizeof(Segment)) {
                return QStringLiteral("it is not a library for this computer");
            }
            end = std::max(end, reach(header.e_phoff, quint64(header.e_phnum) * sizeof(Segment)));
            if (header.e_shoff != 0) {
                end = std::max(end, reach(header.e_shoff,
                                          quint64(header.e_shnum) * quint64(header.e_shentsize)));
            }
        }
        if (end <= size) {
            segments.resize(header.e_phnum);
            if (!files::readAt(fd, segments.data(), segments.size() * sizeof(Segment),
                               header.e_phoff)) {
                return QStringLiteral("it cannot be read");
            }
            for (const Segment &segment : segments) {
                // Beyond the end, the file's pages are a fault (SIGBUS) when first touched.
                end = std::max(end, reach(segment.p_offset, segment.p_filesz));
            }
        }
        if (end > size) {
            return QStringLiteral("the file is cut short (%1 bytes of at least %2)")
                .arg(size)
                .arg(end);
        }
        return {};
    }

    QByteArray note(int fd, const char *name, unsigned type) const
    {
        for (const Segment &segment : segments) {
            if (segment.p_type != PT_NOTE || segment.p_filesz > largestNotes) {
                continue;
            }
            QByteArray notes(qsizetype(segment.p_filesz), Qt::Uninitialized);
            if (!files::readAt(fd, notes.data(), segment.p_filesz, segment.p_offset)) {
                continue;
            }
            const QByteArray found =
                findNote(notes.constData(), segment.p_filesz, segment.p_align, name, type);
            if (!found.isEmpty()) {
                return found;
            }
        }
        return {};
    }

    // The names of the libraries it needs (DT_NEEDED).
    QList<QByteArray> needed(int fd) const
    {
        std::vector<ElfW(Dyn)> entries;
        for (const Segment &segment : segments) {
            if (segment.p_type == PT_DYNAMIC && segment.p_filesz <= largestNotes) {
                entries.resize(segment.p_filesz / sizeof(ElfW(Dyn)));
                if (!files::readAt(fd, entries.data(), entries.size() * sizeof(ElfW(Dyn)),
                                   segment.p_offset)) {
                    return {};
                }
            }
        }
        quint64 stringsAt = 0;
        quint64 stringsSize = 0;
        for (const ElfW(Dyn) & entry : entries) {
            if (entry.d_tag == DT_STRTAB) {
                stringsAt = fileOffset(entry.d_un.d_ptr);
            } else if (entry.d_tag == DT_STRSZ) {
                stringsSize = entry.d_un.d_val;
            }
        }
        if (stringsAt == 0 || stringsSize == 0 || stringsSize > largestStrings) {
            return {};
        }
        QByteArray strings(qsizetype(stringsSize), Qt::Uninitialized);
        if (!files::readAt(fd, strings.data(), stringsSize, stringsAt)) {
            return {};
        }
        QList<QByteArray> names;
        for (const ElfW(Dyn) & entry : entries) {
            if (entry.d_tag == DT_NEEDED && entry.d_un.d_val < stringsSize) {
                names << QByteArray(strings.constData() + entry.d_un.d_val);
            }
        }
        return names;
    }

    quint64 fileOffset(quint64 address) const
    {
        for (const Segment &segment : segments) {
            if (segment.p_type == PT_LOAD && address >= segment.p_vaddr &&
                address - segment.p_vaddr < segment.p_filesz) {
                return address - segment.p_vaddr + segment.p_offset;
            }
        }
        return 0;
    }
};

} // namespace

QByteArray programBuildId()
{
    static const QByteArray id = [] {
        QByteArray found;
        dl_iterate_phdr(
            [](dl_phdr_info *info, size_t, void *into) {
                for (int i = 0; i < info->dlpi_phnum; ++i) {
                    const Segment &segment = info->dlpi_phdr[i];
                    if (segment.p_type == PT_NOTE) {
                        *static_cast<QByteArray *>(into) = findNote(
                            reinterpret_cast<const char *>(info->dlpi_addr + segment.p_vaddr),
                            segment.p_memsz, segment.p_align, "GNU", NT_GNU_BUILD_ID);
                        if (!static_cast<QByteArray *>(into)->isEmpty()) {
                            break;
                        }
                    }
                }
                return 1; // the first object listed is the executable
            },
            &found);
        return found;
    }();
    return id;
}

ModuleFile ModuleFile::open(const QString &path, const QByteArray &buildId)
{
    ModuleFile file;
    file.m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file.m_fd < 0) {
        file.m_error = QString::fromLocal8Bit(std::strerror(errno));
        return file;
    }
    Elf elf;
    file.m_error = elf.read(file.m_fd);
    if (!file.m_error.isEmpty()) {
        return file;
    }
    // The note is written when the module is linked, from the executable just built: any
    // rebuild that changes the executable changes its build ID.
    const QByteArray madeFor = elf.note(file.m_fd, moduleNoteName, moduleNoteType);
    if (buildId.isEmpty() || madeFor != buildId) {
        file.m_error = QStringLiteral("it was built for another build of Orvane");
        return file;
    }
    file.m_size = elf.size;
    file.m_needed = elf.needed(file.m_fd);
    return file;
}

ModuleFile::ModuleFile(ModuleFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size), m_error(std::move(other.m_error)),
      m_needed(std::move(other.m_needed))
{}

ModuleFile &ModuleFile::operator=(ModuleFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_error = std::move(other.m_error);
        m_needed = std::move(other.m_needed);
    }
    return *this;
}

ModuleFile::~ModuleFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

QList<QByteArray> ModuleFile::readAhead() const
{
    if (m_fd < 0) {
        return {};
    }
    ::readahead(m_fd, 0, m_size);
    // The libraries it needs, and theirs, from Qt's folder: Qt Quick and what it brings are
    // most of what the first card waits for on a cold start.
    Dl_info qt{};
    if (!dladdr(reinterpret_cast<const void *>(&qVersion), &qt) || !qt.dli_fname) {
        return {};
    }
    QByteArray folder(qt.dli_fname);
    folder.truncate(folder.lastIndexOf('/') + 1);
    QList<QByteArray> ordered;
    QSet<QByteArray> seen;
    // Depth first, each library listed once all it needs are.
    const std::function<void(const QByteArray &)> visit = [&](const QByteArray &name) {
        if (seen.contains(name)) {
            return;
        }
        seen.insert(name);
        const QByteArray file = folder + name;
        const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        Elf library;
        QList<QByteArray> next;
        if (library.read(fd).isEmpty()) {
            ::readahead(fd, 0, library.size);
            next = library.needed(fd);
        }
        ::close(fd);
        for (const QByteArray &needed : std::as_const(next)) {
            visit(needed);
        }
        if (name.startsWith("libQt6")) {
            ordered << name;
        }
    };
    for (const QByteArray &name : m_needed) {
        visit(name);
    }
    return ordered;
}

} // namespace orvane
