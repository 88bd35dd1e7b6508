#pragma once

#include "db/zonedata.h"

#include <QList>
#include <QString>

class SQLiteManager;

// The time zones (table zones) and their links to people (table pzt).
class ZoneStore
{
public:
    explicit ZoneStore(SQLiteManager &db);

    bool addZone(const ZoneData &zone);
    bool updateZone(const ZoneData &zone);
    bool deleteAllZones();
    ZoneData getZone(uint zid);
    int zonesCount();
    QList<ZoneData> loadZones();
    QList<ZoneData> loadZones4Person(uint uid);
    bool addPZT(uint zid, uint uid);
    bool deletePZT(uint uid, uint zid);

private:
    // Runs the insert or update of one zone; operation is "add" or "update".
    bool writeZone(const char *operation, const QString &sql, const ZoneData &zone);

    SQLiteManager &mDb;
};
