#include "db/zonestore.h"

#include "foundation/globals.h"
#include "db/datarows.h"
#include "db/sqlitemanager.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

ZoneStore::ZoneStore(SQLiteManager &db)
    : mDb(db)
{
}

bool ZoneStore::addZone(const ZoneData &zone)
{
    return writeZone("add",
                     QStringLiteral("INSERT INTO zones (zid, from_time, to_time, days, status) "
                                    "VALUES(:zid, :fromTime, :toTime, :days, :status)"),
                     zone);
}

bool ZoneStore::updateZone(const ZoneData &zone)
{
    return writeZone("update",
                     QStringLiteral("UPDATE zones SET from_time=:fromTime, to_time=:toTime, "
                                    "days=:days, status=:status WHERE zid=:zid;"),
                     zone);
}

bool ZoneStore::writeZone(const char *operation, const QString &sql, const ZoneData &zone)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::%sZone(%s)", operation, qPrintable(DataRows::zoneText(zone)));
    if (zone.zid == 0) {
        qWarning("DataDBManager::%sZone() - Can not %s zone without ID!", operation, operation);
        return false;
    }
    return mDb
        .exec(
            sql,
            { { ":zid", zone.zid },
              { ":fromTime", zone.from_time },
              { ":toTime", zone.to_time },
              { ":days", uint(zone.days) },
              { ":status", zone.status ? 1 : 0 } },
            SQLiteManager::logPlain(QByteArray("DataDBManager::") + operation + "Zone() - ERROR: "))
        .changed();
}

bool ZoneStore::deleteAllZones()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::deleteAllZones()";
    const SQLiteManager::FailureLog log
        = SQLiteManager::logPlain("DataDBManager::deleteAllZones() - ERROR: ");
    const SQLiteManager::Result linksDeleted = mDb.exec(QStringLiteral("DELETE FROM pzt"), {}, log);
    if (!linksDeleted.ok)
        return false;
    const int links = linksDeleted.rows;
    if (links > 0 && Zep::debugLevel >= 1)
        qDebug("DataDBManager::deleteAllZones() - deleted pzt: %u", uint(links));
    const SQLiteManager::Result zonesDeleted
        = mDb.exec(QStringLiteral("DELETE FROM zones"), {}, log);
    if (!zonesDeleted.ok)
        return false;
    const int zones = zonesDeleted.rows;
    if (zones > 0 && Zep::debugLevel >= 1)
        qDebug("DataDBManager::deleteAllZones() - deleted zones: %u", uint(zones));
    return links + zones > 0;
}

ZoneData ZoneStore::getZone(uint zid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::getZone(%u)", zid);
    ZoneData zone;
    if (zid == 0)
        return zone;
    QSqlQuery q(mDb.database());
    if (!q.exec(
            QStringLiteral("SELECT zid, from_time, to_time, days, status FROM zones WHERE zid = %1")
                .arg(zid))) {
        qCritical("DataDBManager::getZone() - ERROR: %s", SQLiteManager::errorText(q).constData());
        return zone;
    }
    if (q.next()) {
        zone.zid = q.value(0).toUInt();
        zone.from_time = q.value(1).toUInt();
        zone.to_time = q.value(2).toUInt();
        zone.days = quint8(q.value(3).toUInt());
        zone.status = q.value(4).toInt() > 0;
    }
    return zone;
}

int ZoneStore::zonesCount()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM zones WHERE status > 0"))) {
        qCritical("DataDBManager::zonesCount() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return -1;
    }
    return q.next() ? q.value(0).toInt() : 0;
}

QList<ZoneData> ZoneStore::loadZones()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::loadZones()";
    QList<ZoneData> zones;
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral(
            "SELECT zid, days, from_time, to_time, status  FROM zones WHERE status > 0"))) {
        qCritical("DataDBManager::loadZones() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return zones;
    }
    while (q.next())
        zones.append(DataRows::zoneFromRow(q));
    return zones;
}

QList<ZoneData> ZoneStore::loadZones4Person(uint uid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::loadZones4Person(%u)", uid);
    QList<ZoneData> zones;
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT z.zid, days, from_time, to_time, status FROM pzt JOIN "
                               "zones z USING(zid) WHERE status > 0 AND uid = %1")
                    .arg(uid))) {
        qCritical("DataDBManager::loadZones4Person() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return zones;
    }
    while (q.next())
        zones.append(DataRows::zoneFromRow(q));
    return zones;
}

bool ZoneStore::addPZT(uint zid, uint uid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::addPZT(%u, %u)", zid, uid);
    QSqlQuery c(mDb.database());
    if (!c.exec(
            QStringLiteral("SELECT COUNT(*) FROM pzt WHERE zid=%1 AND uid=%2").arg(zid).arg(uid)))
        qWarning("DataDBManager::addPZT() - SELECT ERROR: %s",
                 SQLiteManager::errorText(c).constData());
    else if (c.next() && c.value(0).toInt() > 0)
        return true;
    return mDb
        .exec(QStringLiteral("INSERT INTO pzt (zid, uid) VALUES(%1, %2);").arg(zid).arg(uid),
              {},
              SQLiteManager::logPlain("DataDBManager::addPZT() - ERROR: "))
        .ok;
}

bool ZoneStore::deletePZT(uint uid, uint zid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::deletePZT(uid: %u, zid: %u)", uid, zid);
    return mDb
        .exec(QStringLiteral("DELETE FROM pzt WHERE zid=%1 AND uid=%2;").arg(zid).arg(uid),
              {},
              SQLiteManager::logPlain("DataDBManager::deletePZT() - ERROR: "))
        .changed();
}
