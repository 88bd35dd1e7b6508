#include "foundation/fileappend.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileAppend {

Result append(const QString &fileName, const QByteArray &bytes)
{
    Result result;
    const int fd = ::open(
        QFile::encodeName(fileName).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        result.error = qt_error_string(errno);
        return result;
    }
    result.opened = true;
    result.written = writeAll(fd, bytes, &result.error);
    struct stat written;
    if (::fstat(fd, &written) == 0)
        result.size = written.st_size;
    ::close(fd);
    return result;
}

bool writeAll(int fd, const QByteArray &bytes, QString *error)
{
    qsizetype left = bytes.size();
    const char *next = bytes.constData();
    while (left > 0) {
        const ssize_t done = ::write(fd, next, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            *error = qt_error_string(errno);
            return false;
        }
        if (done == 0) {
            // A write that takes nothing and names no error: the device is full.
            *error = qt_error_string(ENOSPC);
            return false;
        }
        next += done;
        left -= done;
    }
    return true;
}

} // namespace FileAppend
