#include "db/datarows.h"

#include <QVariant>

namespace DataRows {

EntranceData entranceFromRow(const QSqlQuery &q, bool full)
{
    EntranceData e;
    e.id = q.value(0).toUInt();
    e.time = q.value(1).toUInt();
    e.pid = q.value(2).toUInt();
    e.smer = q.value(3).toUInt();
    e.uid = q.value(4).toUInt();
    e.karta = q.value(5).toString();
    e.syn = q.value(6).toUInt();
    e.dochid = q.value(7).toUInt();
    if (full) {
        e.backup = q.value(8).toUInt();
        e.refId = q.value(9).toUInt();
    }
    return e;
}

QString zoneText(const ZoneData &z)
{
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(z.zid)
        .arg(z.from_time)
        .arg(z.to_time)
        .arg(z.days)
        .arg(z.status ? 1 : 0);
}

ZoneData zoneFromRow(const QSqlQuery &q)
{
    // Columns: zid, days, from_time, to_time, status.
    ZoneData z;
    z.zid = q.value(0).toUInt();
    z.days = quint8(q.value(1).toUInt());
    z.from_time = q.value(2).toUInt();
    z.to_time = q.value(3).toUInt();
    z.status = q.value(4).toInt() > 0;
    return z;
}

} // namespace DataRows
