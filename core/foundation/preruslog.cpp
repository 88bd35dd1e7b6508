#include "core/foundation/preruslog.h"

#include "core/foundation/backgroundsync.h"
#include "core/foundation/globals.h"

#include <QDebug>

#include <sys/stat.h>

namespace {
std::shared_future<bool> failed()
{
    std::promise<bool> result;
    result.set_value(false);
    return result.get_future().share();
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
    return write(line).get();
}

std::shared_future<bool> PrerusLog::write(const QString &line)
{
    try {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mPending.valid())
            mPending.wait();
        bool created = false;
        if (!openCurrentFile(&created))
            return failed();
        const QByteArray bytes = line.toUtf8() + '\n';
        if (mFile.write(bytes) != bytes.size()) {
            qCritical().noquote()
                << QStringLiteral("Cannot write to %1: %2").arg(mFileName, mFile.errorString());
            mFile.close();
            return failed();
        }
        if (Zep::debugLevel > 1)
            qDebug().noquote() << QStringLiteral("PrerusLog::loguj(") + line + QLatin1Char(')');
        mPending = BackgroundSync::start(mFile, created);
        return mPending;
    } catch (...) {
        qCritical("PrerusLog::loguj() - FAILURE!");
        return failed();
    }
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
