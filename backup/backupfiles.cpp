#include "backup/backupfiles.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

namespace BackupFiles {

bool isCurrent(const QString &source, const QString &target)
{
    const QFileInfo from(source);
    const QFileInfo to(target);
    return to.exists() && to.size() == from.size()
        && to.lastModified().toSecsSinceEpoch() >= from.lastModified().toSecsSinceEpoch();
}

bool refresh(const QString &source, const QString &target)
{
    if (isCurrent(source, target))
        return true;
    if (QFileInfo::exists(target) && !QFile::remove(target))
        qWarning() << "BackupManager: cannot remove old file:" << target;
    return QFile::copy(source, target);
}

} // namespace BackupFiles
