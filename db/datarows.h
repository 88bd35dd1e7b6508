#pragma once

#include "db/entrancedata.h"
#include "db/zonedata.h"

#include <QSqlQuery>
#include <QString>

// Readers of the entrance and zone rows of the attendance database, and the log text of a zone.
namespace DataRows {
// Columns: id, time, pid, smer, uid, karta, syn, dochid; full: then backup and refId.
EntranceData entranceFromRow(const QSqlQuery &q, bool full);
// Columns: zid, days, from_time, to_time, status.
ZoneData zoneFromRow(const QSqlQuery &q);
// "zid|from|to|days|status".
QString zoneText(const ZoneData &z);
} // namespace DataRows
