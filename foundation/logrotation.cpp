#include "foundation/logrotation.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace LogRotation {

namespace {
const qint64 defaultLimit = 2 * 1024 * 1024;
std::atomic<qint64> limit { defaultLimit };
std::mutex renaming;

QString numbered(const QString &fileName, int n)
{
    return fileName + QLatin1Char('.') + QString::number(n);
}

bool renameFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
} // namespace

qint64 sizeLimit()
{
    return limit.load();
}

void setSizeLimit(qint64 bytes)
{
    limit.store(bytes > 0 ? bytes : defaultLimit);
}

bool setAsideIfFull(const QString &fileName, qint64 size)
{
    if (size < sizeLimit())
        return true;
    std::lock_guard<std::mutex> lock(renaming);
    // Another thread may have set it aside since the caller's write.
    return QFileInfo(fileName).size() < sizeLimit() || renameFile(fileName, numbered(fileName, 1));
}

bool keepAside(const QString &fileName)
{
    std::lock_guard<std::mutex> lock(renaming);
    int n = 1;
    while (QFileInfo::exists(numbered(fileName, n)))
        ++n;
    return renameFile(fileName, numbered(fileName, n));
}

} // namespace LogRotation
