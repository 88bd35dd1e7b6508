#include "core/foundation/fileappend.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
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
    qsizetype left = bytes.size();
    const char *next = bytes.constData();
    while (left > 0) {
        const ssize_t done = ::write(fd, next, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        next += done;
        left -= done;
    }
    result.written = left == 0;
    if (!result.written)
        result.error = qt_error_string(errno);
    ::close(fd);
    return result;
}

} // namespace FileAppend
