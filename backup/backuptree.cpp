#include "backup/backuptree.h"

#include <QDateTime>

namespace BackupTree {

QString photoName(const EntranceData &entrance)
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(entrance.time);
    return QStringLiteral("%1-%2-%3-%4-")
               .arg(time.toString(QStringLiteral("yyyyMMddhhmmss")))
               .arg(entrance.dochid, 8, 10, QLatin1Char('0'))
               .arg(entrance.pid)
               .arg(entrance.smer == 1 ? QStringLiteral("1") : QStringLiteral("0"))
        + QStringLiteral(".jpg");
}

QString dayFolder(const QString &root, const EntranceData &entrance)
{
    return root
        + QDateTime::fromSecsSinceEpoch(entrance.time).toString(QStringLiteral("/yyyy/MM/dd"));
}

} // namespace BackupTree
