#include "backup/backuptree.h"

#include "foundation/settingkeys.h"

#include <QDateTime>
#include <QSettings>

namespace BackupTree {

QString root(QSettings &settings)
{
    return readSetting(settings, Setting::backupFolder).toString();
}

QString photoName(const EntranceData &entrance)
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(entrance.time);
    return QStringLiteral("%1-%2-%3-%4-%5.jpg")
        .arg(time.toString(QStringLiteral("yyyyMMddhhmmss")))
        .arg(entrance.dochid, 8, 10, QLatin1Char('0'))
        .arg(entrance.pid)
        .arg(entrance.smer == 1 ? QStringLiteral("1") : QStringLiteral("0"))
        .arg(entrance.id);
}

QString dayFolder(const QString &root, const EntranceData &entrance)
{
    return root
        + QDateTime::fromSecsSinceEpoch(entrance.time).toString(QStringLiteral("/yyyy/MM/dd"));
}

} // namespace BackupTree
