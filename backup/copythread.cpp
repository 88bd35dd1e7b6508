#include "backup/copythread.h"

#include "backup/drivemount.h"
#include "foundation/commandrunner.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

qint64 folderSize(const QString &folder)
{
    qint64 size = 0;
    QDirIterator it(folder,
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        size += it.fileInfo().size();
    }
    return size;
}

qint64 megabytes(qint64 bytes)
{
    return (bytes + 1024 * 1024 - 1) / (1024 * 1024);
}

} // namespace

CopyThread::CopyThread(QObject *parent)
    : QThread(parent)
{
    HappensBefore::releaseWhenFinished(this);
}

void CopyThread::setSource(const QString &root, const QString &subfolder, const QString &filter)
{
    mRoot = QDir(root).absolutePath();
    mSource = subfolder.isEmpty() ? mRoot : QStringLiteral("%1/%2").arg(mRoot, subfolder);
    mFilter = filter;
}

bool CopyThread::getSubdirs(const QString &path,
                            QStringList &out,
                            const QString &filter,
                            bool recursive)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "CopyThread::getSubdirs(" << path << ")";
    const QDir dir(path);
    if (!dir.exists()) {
        qWarning() << path << "is NOT valid directory";
        return false;
    }
    const QStringList filters = filter.isEmpty() ? QStringList() : QStringList { filter };
    // A link would bring folders from elsewhere (or a loop) onto the drive.
    const QStringList entries
        = dir.entryList(filters, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    if (Zep::debugLevel >= 2)
        qDebug() << "CopyThread::getSubdirs() - count:" << entries.size();
    for (const QString &entry : entries) {
        if (mCancel) {
            qWarning("CopyThread: getSubdirs canceled!");
            break;
        }
        const QString child = QStringLiteral("%1/%2").arg(path, entry);
        if (Zep::debugLevel >= 3)
            qDebug() << "CopyThread::getSubdirs() - path:" << child;
        if (!recursive || !getSubdirs(child, out, QString(), true))
            out.append(child);
    }
    return !entries.isEmpty();
}

void CopyThread::run()
{
    if (Zep::debugLevel >= 1)
        qDebug("CopyThread::run()");
    mCancel = false;
    mError.clear();
    QStringList folders;
    if (QFileInfo(mSource).isDir())
        getSubdirs(mSource, folders, mFilter, true);
    const uint count = uint(folders.size());
    if (Zep::debugLevel >= 1)
        qDebug() << "CopyThread: source paths:" << folders;
    // The mount point is never created: without the drive it is a folder of the terminal.
    const QString target = QDir(mTargetPath).absolutePath();
    if (!DriveMount::instance()->isMounted(target)) {
        qWarning() << "CopyThread: Target directory" << target << "does NOT exist - aborted!";
        mError = tr("The USB drive is not present.");
    } else {
        emit dirListBuilded(count);
        if (folders.isEmpty()) {
            qWarning() << "CopyThread: nothing to copy in" << mSource;
            mError = tr("There is nothing to copy: %1 holds no backups.")
                         .arg(QDir::toNativeSeparators(mSource));
        } else {
            copyAll(folders, target);
        }
    }
    emit progressUpdated(int(count));
    emit copyEnded();
}

void CopyThread::copyAll(const QStringList &folders, const QString &target)
{
    qint64 needed = 0;
    for (const QString &folder : folders)
        needed += folderSize(folder);
    const qint64 available = QStorageInfo(target).bytesAvailable();
    if (needed > available) {
        qWarning() << "CopyThread: needed" << needed << "bytes, free" << available;
        mError = tr("Not enough space on the USB drive: %1 MB needed, %2 MB free.")
                     .arg(megabytes(needed))
                     .arg(megabytes(qMax<qint64>(available, 0)));
        return;
    }
    const int width = QString::number(folders.size()).size();
    for (int i = 0; i < folders.size(); ++i) {
        emit progressUpdated(i);
        if (mCancel) {
            qWarning("CopyThread: Copy canceled!");
            mError = tr("Copying was cancelled.");
            return;
        }
        // Never write below the mount point of a drive pulled out between folders.
        if (!DriveMount::instance()->isMounted(target)) {
            mError = tr("The USB drive was removed during the copy.");
            return;
        }
        if (Zep::debugLevel >= 1)
            qDebug().noquote() << QStringLiteral("%1").arg(i + 1, width, 10, QLatin1Char('0'))
                               << "copying" << folders.at(i) << "to" << target;
        if (copyOne(folders.at(i), target))
            continue;
        if (!DriveMount::instance()->isMounted(target)) {
            mError = tr("The USB drive was removed during the copy.");
            return;
        }
        if (QStorageInfo(target).bytesAvailable() <= 0) {
            mError = tr("The USB drive is full.");
            return;
        }
        mError = tr("Some folders could not be copied.");
    }
}

// Copies one folder to its place under the target, merging with a copy made before.
bool CopyThread::copyOne(const QString &folder, const QString &target)
{
    const QString relative = QDir(mRoot).relativeFilePath(folder);
    const QString parent = QFileInfo(QStringLiteral("%1/%2").arg(target, relative)).path();
    if (!QDir().mkpath(parent)) {
        qWarning() << "CopyThread: Make path" << parent << "FAILED!";
        return false;
    }
    const QStringList arguments { QStringLiteral("-a"), folder, parent };
    const int status = CommandRunner::instance()->run(QStringLiteral("cp"), arguments, -1);
    if (status != 0) {
        qCritical() << "Command" << (QStringList { QStringLiteral("cp") } + arguments)
                    << "FAIL with status code" << status;
        return false;
    }
    return true;
}
