#include "platform/Files.h"
#include "platform/Log.h"

#include <QFile>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace orvane::files {

namespace {
QString errnoText(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}
} // namespace

void logSkippedName(const QString &folder, const QByteArray &name)
{
    static std::mutex guard;
    static QSet<QByteArray> told;
    const QByteArray key = QFile::encodeName(folder) + '/' + name;
    {
        const std::lock_guard lock(guard);
        if (told.contains(key)) {
            return;
        }
        // Bounded: a folder filling with such names must not fill the memory too.
        if (told.size() >= 1024) {
            told.clear();
        }
        told.insert(key);
    }
    logLine(QStringLiteral("Skipped a file whose name is not valid text: ") +
            QString::fromLatin1(escapedName(name)));
}

QByteArray escapedName(const QByteArray &name)
{
    QByteArray escaped;
    for (const char byte : name) {
        const auto value = uchar(byte);
        if (value >= 0x20 && value < 0x7f && value != '\\') {
            escaped += byte;
        } else {
            escaped += "\\x" + QByteArray::number(value, 16).rightJustified(2, '0');
        }
    }
    return escaped;
}

ModificationTime modificationTime(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {std::nullopt, errnoText(errno)};
    }
#ifdef __APPLE__
    const auto &when = info.st_mtimespec;
#else
    const auto &when = info.st_mtim;
#endif
    return {qint64(when.tv_sec) * 1000 + when.tv_nsec / 1000000, {}};
}

std::optional<Version> version(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
#ifdef __APPLE__
    const auto &modified = info.st_mtimespec;
    const auto &changed = info.st_ctimespec;
#else
    const auto &modified = info.st_mtim;
    const auto &changed = info.st_ctim;
#endif
    const auto ns = [](const auto &when) {
        return qint64(when.tv_sec) * 1000000000 + when.tv_nsec;
    };
    return Version{qint64(info.st_size), ns(modified), ns(changed), quint64(info.st_ino),
                   quint64(info.st_dev)};
}

std::unique_ptr<QFile> openRegularFile(const QString &path, qint64 maxBytes, ReadError *error)
{
    const auto fail = [error](ReadError why) {
        if (error) {
            *error = why;
        }
        return nullptr;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        return fail(ReadError::Unreadable);
    }
    if (!S_ISREG(info.st_mode)) {
        return fail(ReadError::NotRegular);
    }
    // Non-blocking, in case the item was swapped for a FIFO since the check above.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return fail(ReadError::Unreadable);
    }
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return fail(ReadError::NotRegular);
    }
    if (opened.st_size > maxBytes) {
        ::close(fd);
        return fail(ReadError::TooLarge);
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(ReadError::Unreadable);
    }
    if (error) {
        *error = ReadError::None;
    }
    return file;
}

QStringList listFolder(const QString &folder)
{
    QStringList paths;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return paths;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        const QString decoded = QFile::decodeName(name);
        if (QFile::encodeName(decoded) != name) {
            logSkippedName(folder, name);
            continue;
        }
        paths << folder + u'/' + decoded;
    }
    ::closedir(dir);
    return paths;
}

void keepFreedMemoryUntilReleased()
{
#ifdef __GLIBC__
    // One heap for all threads: glibc never gives back the free top of a thread's own heap,
    // not even to malloc_trim, and a worker decoding 1080p pictures leaves tens of megabytes
    // there. Fixed thresholds: a picture's pixels (up to 32 MiB) are reused from the heap,
    // not mapped afresh and faulted in page by page for each picture, and nothing is given
    // back in the middle of a burst, only by releaseFreedMemory().
    ::mallopt(M_ARENA_MAX, 1);
    // glibc's largest: 32 MiB, 16 MiB on 32-bit systems.
    ::mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024 * int(sizeof(long)));
    ::mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

#if defined(__linux__) && !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23 // Linux 5.14; headers older than that lack the name
#endif

void prefault(void *data, qint64 size)
{
#ifdef MADV_POPULATE_WRITE
    const auto page = quintptr(::sysconf(_SC_PAGESIZE));
    const auto first = (quintptr(data) + page - 1) & ~(page - 1);
    const auto end = (quintptr(data) + quintptr(size)) & ~(page - 1);
    if (size > 0 && end > first) {
        // An older kernel refuses the advice: the pages then come as they are written.
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
    }
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

bool readAt(int file, void *into, quint64 size, quint64 at)
{
    auto *bytes = static_cast<char *>(into);
    while (size > 0) {
        const ssize_t got = ::pread(file, bytes, size, off_t(at));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            errno = got == 0 ? EIO : errno; // shorter than asked: not the last call's error
            return false;
        }
        bytes += got;
        size -= quint64(got);
        at += quint64(got);
    }
    return true;
}

struct KeptBytes::Store {
    std::mutex guard;
    QByteArray bytes;
    qint64 size = 0;
    int file = -1;
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;
    explicit Store(QByteArray kept) : bytes(std::move(kept)), size(bytes.size()) {}
    ~Store()
    {
        if (file >= 0) {
            ::close(file);
        }
    }
};

namespace {

// A file nobody else can open, never named, with room to spare for `size` bytes; -1 where
// there is none. The file systems without such files are the network's and FUSE's: their
// writes and closes may wait on a server, so the bytes stay in memory there.
int namelessFile(const QByteArray &folder, qint64 size)
{
#ifdef O_TMPFILE
    struct statvfs space = {};
    // A screenshot tool's next save must still fit.
    const qint64 spare = qint64(256) * 1024 * 1024 + 4 * size;
    if (::statvfs(folder.constData(), &space) != 0 ||
        qint64(space.f_bavail) * qint64(space.f_frsize) < spare) {
        return -1;
    }
    return ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
    Q_UNUSED(folder);
    Q_UNUSED(size);
    return -1;
#endif
}

bool writeWhole(int file, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(file, data, size_t(size));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

KeptBytes::KeptBytes(QByteArray bytes) : m_store(std::make_shared<Store>(std::move(bytes))) {}

bool KeptBytes::isEmpty() const
{
    return !m_store || m_store->size == 0;
}

QByteArray KeptBytes::read() const
{
    if (!m_store) {
        return {};
    }
    const std::lock_guard lock(m_store->guard);
    if (m_store->file < 0) {
        return m_store->bytes;
    }
    QByteArray bytes(m_store->size, Qt::Uninitialized);
    if (!readAt(m_store->file, bytes.data(), quint64(bytes.size()), 0)) {
        logLine(QStringLiteral("Could not read back a kept copy of a picture: ") +
                errnoText(errno));
        return {};
    }
    return bytes;
}

bool KeptBytes::moveToFile(const QString &folder) const
{
    if (isEmpty()) {
        return false;
    }
    QByteArray bytes;
    {
        const std::lock_guard lock(m_store->guard);
        if (m_store->file >= 0) {
            return true;
        }
        bytes = m_store->bytes; // shared, not copied: written without holding the lock
    }
    const int file = namelessFile(QFile::encodeName(folder), bytes.size());
    if (file < 0) {
        return false;
    }
    if (!writeWhole(file, bytes.constData(), bytes.size())) {
        ::close(file);
        return false;
    }
    const std::lock_guard lock(m_store->guard);
    if (m_store->file >= 0) {
        ::close(file); // moved meanwhile from another thread
        return true;
    }
    m_store->file = file;
    m_store->bytes = QByteArray();
    return true;
}

std::optional<QString> ensurePrivateFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        return errnoText(errno);
    }
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0) {
        return errnoText(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return QStringLiteral("not a folder");
    }
    if (info.st_uid != ::geteuid()) {
        return QStringLiteral("owned by another user");
    }
    // Someone else may already have put a lock or a socket of their own in it.
    if ((info.st_mode & 077) != 0) {
        return QStringLiteral("open to other users (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    }
    return std::nullopt;
}

Move moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    const auto failed = [](int number) { return Move{MoveOutcome::Failed, errnoText(number)}; };
#ifdef __linux__
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0) {
        return {MoveOutcome::Moved, {}};
    }
    if (errno == EEXIST) {
        return {MoveOutcome::TargetExists, {}};
    }
    // Only a file system that cannot refuse by itself goes on to the ways below.
    if (errno != EINVAL && errno != ENOSYS) {
        return failed(errno);
    }
#endif
    // A second name made for the file refuses a taken one as the rename above does; the old
    // name then goes.
    if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), 0) == 0) {
        if (::unlink(source.constData()) != 0) {
            logLine(QStringLiteral("%1 is back, but also still at %2: %3")
                        .arg(to, from, errnoText(errno)));
        }
        return {MoveOutcome::Moved, {}};
    }
    if (errno == EEXIST) {
        return {MoveOutcome::TargetExists, {}};
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOTSUP && errno != EMLINK) {
        return failed(errno);
    }
    // A file system without second names (FAT): the name is claimed by a file of our own
    // that nobody else can have made, and only that file is then replaced.
    const int claim = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) {
        return errno == EEXIST ? Move{MoveOutcome::TargetExists, {}} : failed(errno);
    }
    struct stat claimed = {};
    const bool known = ::fstat(claim, &claimed) == 0;
    ::close(claim);
    if (::rename(source.constData(), target.constData()) != 0) {
        const int number = errno;
        // Only our own empty claim is taken away, never what may have replaced it.
        struct stat now = {};
        if (known && ::lstat(target.constData(), &now) == 0 && now.st_dev == claimed.st_dev &&
            now.st_ino == claimed.st_ino) {
            ::unlink(target.constData());
        }
        return failed(number);
    }
    return {MoveOutcome::Moved, {}};
}

std::optional<FileIdentity> fileIdentity(const QString &path, QString *error)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        if (error && errno != ENOENT && errno != ENOTDIR) {
            *error = errnoText(errno);
        }
        return std::nullopt;
    }
#ifdef __APPLE__
    const auto &modified = status.st_mtimespec;
#else
    const auto &modified = status.st_mtim;
#endif
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                        qint64(modified.tv_sec) * 1000000000 + modified.tv_nsec};
}

uint currentUserId()
{
    return uint(::geteuid());
}

} // namespace orvane::files
