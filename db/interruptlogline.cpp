#include "db/interruptlogline.h"

#include <QDateTime>

QString InterruptLogLine::make(uint time, uint dochid, uint pid, uint smer)
{
    return QStringLiteral("%1-%2-%3-%4-")
        .arg(QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyyMMddhhmmss")))
        .arg(dochid, 8, 10, QLatin1Char('0'))
        .arg(pid)
        .arg(smer == 1 ? 1 : 0);
}
