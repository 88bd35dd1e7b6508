#include "backup/backupfiles.h"

#include "foundation/disksync.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const qint64 chunkSize = 64 * 1024;
} // namespace

namespace BackupFiles {

bool isCurrent(const QString &source, const QString &target)
{
    const QFileInfo from(source);
    const QFileInfo to(target);
    return to.exists() && to.size() == from.size()
        && to.lastModified().toSecsSinceEpoch() >= from.lastModified().toSecsSinceEpoch();
}

bool sameContent(const QString &first, const QString &second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        const QByteArray chunk = a.read(chunkSize);
        if (chunk.isEmpty() || b.read(chunkSize) != chunk)
            return false;
    }
    return true;
}

bool copyReplacing(const QString &source, const QString &target, qint64 lastBytes)
{
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly))
        return false;
    // A tail starts with the first whole line.
    if (lastBytes >= 0 && from.size() > lastBytes) {
        if (!from.seek(from.size() - lastBytes - 1))
            return false;
        from.readLine();
    }
    QSaveFile to(target);
    // The copy is no more readable than the original (the settings file may be private).
    if (!to.open(QIODevice::WriteOnly) || !to.setPermissions(from.permissions()))
        return false;
    while (!from.atEnd()) {
        const QByteArray chunk = from.read(chunkSize);
        if (chunk.isEmpty() || to.write(chunk) != chunk.size())
            return false;
    }
    return DiskSync::instance()->syncFile(to) && to.commit()
        && DiskSync::instance()->syncFolderOf(target);
}

bool refresh(const QString &source, const QString &target)
{
    return isCurrent(source, target) || copyReplacing(source, target);
}

} // namespace BackupFiles
