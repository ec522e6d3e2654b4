#include "platform/Files.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::files {

namespace {
QString errnoText(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}
} // namespace

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

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, ReadError *error)
{
    const auto fail = [error](ReadError why) {
        if (error) {
            *error = why;
        }
        return std::nullopt;
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
    QByteArray data;
    data.reserve(qsizetype(opened.st_size));
    char buffer[64 * 1024];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return fail(ReadError::Unreadable);
        }
        if (got == 0) {
            break;
        }
        if (data.size() + got > maxBytes) {
            ::close(fd);
            return fail(ReadError::TooLarge); // still growing past what any screenshot is
        }
        data.append(buffer, got);
    }
    ::close(fd);
    if (error) {
        *error = ReadError::None;
    }
    return data;
}

} // namespace orvane::files
