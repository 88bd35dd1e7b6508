#include "backup/spacekeeper.h"

#include <QDebug>
#include <QDir>
#include <QStorageInfo>

namespace {

QStringList numberedFolders(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList(
        { pattern }, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
}

} // namespace

SpaceKeeper::SpaceKeeper(const QString &root, qint64 floorBytes)
    : mRoot(QDir(root).absolutePath())
    , mFloor(floorBytes)
{
}

qint64 SpaceKeeper::freeBytes()
{
    const QStorageInfo disk(QDir::currentPath());
    return disk.isValid() ? disk.bytesAvailable() : -1;
}

bool SpaceKeeper::isLow() const
{
    const qint64 free = freeBytes();
    return free >= 0 && free < mFloor;
}

int SpaceKeeper::makeRoom(const QDate &firstKeptDay) const
{
    int removed = 0;
    for (const QString &day : daysOldestFirst()) {
        if (!isLow())
            break;
        const QString relative = QDir(mRoot).relativeFilePath(day);
        if (QDate::fromString(relative, QStringLiteral("yyyy/MM/dd")) >= firstKeptDay)
            break;
        qWarning().noquote() << "BackupManager: malo miesta na disku (" << freeBytes() / 1048576
                             << "MB volnych) - mazem zalohy dna" << relative;
        if (!QDir(day).removeRecursively()) {
            qWarning() << "BackupManager: zalohy dna" << day << "sa nepodarilo zmazat!";
            break;
        }
        ++removed;
        // The month and year folders go with their last day.
        const QString month = QFileInfo(day).path();
        if (QDir().rmdir(month))
            QDir().rmdir(QFileInfo(month).path());
    }
    return removed;
}

QStringList SpaceKeeper::daysOldestFirst() const
{
    QStringList days;
    const QString digits = QStringLiteral("[0-9][0-9]");
    for (const QString &year : numberedFolders(mRoot, digits + digits)) {
        const QString yearFolder = mRoot + QLatin1Char('/') + year;
        for (const QString &month : numberedFolders(yearFolder, digits)) {
            const QString monthFolder = yearFolder + QLatin1Char('/') + month;
            for (const QString &day : numberedFolders(monthFolder, digits)) {
                const QString folder = monthFolder + QLatin1Char('/') + day;
                if (QDate::fromString(year + month + day, QStringLiteral("yyyyMMdd")).isValid())
                    days.append(folder);
            }
        }
    }
    return days;
}
