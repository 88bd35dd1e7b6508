#include "foundation/preruslog.h"

#include "foundation/backgroundsync.h"
#include "foundation/disksync.h"
#include "foundation/fileappend.h"
#include "foundation/globals.h"
#include "foundation/logrotation.h"

#include <QDebug>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
PrerusLog::Line failed()
{
    std::promise<bool> result;
    result.set_value(false);
    PrerusLog::Line line;
    line.synced = result.get_future().share();
    return line;
}

// Size of the open file, -1 when unknown (QFile keeps a size it read before).
qint64 sizeOf(int fd)
{
    struct stat open;
    return ::fstat(fd, &open) == 0 ? qint64(open.st_size) : -1;
}

// True when path names the very file that fd has open.
bool sameFile(int fd, const QString &path)
{
    struct stat open;
    struct stat named;
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
        && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
} // namespace

PrerusLog::PrerusLog(const QString &fileName)
    : mFileName(fileName)
{
}

PrerusLog::~PrerusLog()
{
    if (mPending.valid())
        mPending.wait();
}

bool PrerusLog::loguj(const QString &line)
{
    return write(line).synced.get();
}

PrerusLog::Line PrerusLog::write(const QString &text)
{
    try {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mPending.valid())
            mPending.wait();
        bool created = false;
        if (!openCurrentFile(&created))
            return failed();
        const QByteArray bytes = text.toUtf8() + '\n';
        Line line;
        line.offset = sizeOf(mFile.handle());
        if (line.offset >= LogRotation::sizeLimit()) {
            // Every line is kept: the full file goes under the next free number.
            mFile.close();
            if (!LogRotation::keepAside(mFileName))
                qCritical().noquote() << QStringLiteral("Cannot set %1 aside: %2")
                                             .arg(mFileName, qt_error_string(errno));
            if (!openCurrentFile(&created))
                return failed();
            line.offset = sizeOf(mFile.handle());
        }
        line.size = bytes.size();
        // The reason when the size cannot be read; writeAll() puts its own in place.
        QString error = qt_error_string(errno);
        if (line.offset < 0 || !FileAppend::writeAll(mFile.handle(), bytes, &error)) {
            qCritical().noquote() << QStringLiteral("Cannot write to %1: %2").arg(mFileName, error);
            if (line.offset >= 0 && ::ftruncate(mFile.handle(), line.offset) != 0)
                qCritical().noquote() << QStringLiteral("Cannot cut the part line off %1: %2")
                                             .arg(mFileName, qt_error_string(errno));
            mFile.close();
            return failed();
        }
        if (Zep::debugLevel > 1)
            qDebug().noquote() << QStringLiteral("PrerusLog::loguj(") + text + QLatin1Char(')');
        mPending = BackgroundSync::start(mFile, created);
        line.synced = mPending;
        return line;
    } catch (...) {
        qCritical("PrerusLog::loguj() - FAILURE!");
        return failed();
    }
}

bool PrerusLog::takeBack(const Line &line)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (mPending.valid())
        mPending.wait();
    const bool last = line.offset >= 0 && mFile.isOpen() && sameFile(mFile.handle(), mFileName)
        && sizeOf(mFile.handle()) == line.offset + line.size;
    if (!last || ::ftruncate(mFile.handle(), line.offset) != 0) {
        qCritical().noquote()
            << QStringLiteral("%1: the line of an entrance that was not recorded stays in the file")
                   .arg(mFileName);
        return false;
    }
    if (!DiskSync::instance()->syncFile(mFile)) {
        qCritical().noquote() << QStringLiteral("%1: the line of an entrance that was not "
                                                "recorded is cut off, but the disk may keep it")
                                     .arg(mFileName);
        return false;
    }
    return true;
}

bool PrerusLog::openCurrentFile(bool *created)
{
    if (mFile.isOpen() && sameFile(mFile.handle(), mFileName))
        return true;
    mFile.close();
    mFile.setFileName(mFileName);
    *created = !mFile.exists();
    // Unbuffered: every line goes to the file at once, in one write.
    if (!mFile.open(QIODevice::Append | QIODevice::Unbuffered)) {
        qCritical() << "Canot open for write: " << mFileName;
        return false;
    }
    return true;
}
