#include "db/dataschema.h"

namespace DataSchema {

namespace {
const QString prerusCreate = QStringLiteral(
    "CREATE TABLE prerusenia (id INTEGER PRIMARY KEY AUTOINCREMENT ,time INT NOT NULL DEFAULT "
    "0,pid INT NOT NULL ,smer TINYINT NOT NULL DEFAULT 0,uid INT NOT NULL DEFAULT 0,karta "
    "VARCHAR(16),syn TINYINT NOT NULL DEFAULT 0)");
const QString fingersCreate = QStringLiteral(
    "CREATE TABLE fingers (fpID INT NOT NULL DEFAULT 0,uid INT NOT NULL DEFAULT 0,template "
    "BLOB,tplID INT NOT NULL DEFAULT 0,finger TINYINT(1) NOT NULL DEFAULT 0,syn TINYINT(1) NOT "
    "NULL DEFAULT 0,PRIMARY KEY (fpID, tplID),UNIQUE (uid, finger))");
const QString fingersIndex = QStringLiteral("CREATE INDEX iFingers_uid ON fingers (uid)");
const QString zonesCreate = QStringLiteral(
    "CREATE TABLE zones (zid INT NOT NULL,from_time INT NOT NULL DEFAULT 0,to_time INT NOT "
    "NULL DEFAULT 0,days TINYINT NOT NULL DEFAULT 0,status TINYINT(1) NOT NULL DEFAULT "
    "0,PRIMARY KEY (zid))");
const QString zonesIndex = QStringLiteral("CREATE INDEX idx_zones_status ON zones(status);");
const QString pztCreate = QStringLiteral(
    "CREATE TABLE pzt (zid INT NOT NULL,uid INT NOT NULL DEFAULT 0,PRIMARY KEY (zid, uid))");
const QString adminIndex = QStringLiteral("CREATE INDEX idx_admin ON ludia(admin);");
const QString delIndex = QStringLiteral("CREATE INDEX idx_del ON ludia(del);");
} // namespace

const QStringList &createStatements()
{
    static const QStringList statements = {
        prerusCreate,
        QStringLiteral("CREATE INDEX iPid ON prerusenia (pid)"),
        QStringLiteral("CREATE INDEX iKarta ON prerusenia (karta)"),
        QStringLiteral(
            "CREATE TABLE ludia (uid INTEGER PRIMARY KEY AUTOINCREMENT ,dochid INT NOT NULL "
            "DEFAULT 0,karta VARCHAR(16),meno VARCHAR(16),priez VARCHAR(16),titul "
            "VARCHAR(16),admin TINYINT NOT NULL DEFAULT 0,saldo1 NUMERIC NOT NULL DEFAULT "
            "0,saldo2 NUMERIC NOT NULL DEFAULT 0,saldo3 NUMERIC NOT NULL DEFAULT 0,fpID INT NOT "
            "NULL DEFAULT 0,acc INT NOT NULL DEFAULT 0,syn INT NOT NULL DEFAULT 0,refId INT NOT "
            "NULL DEFAULT 0,present INT NOT NULL DEFAULT 0,del TINYINT(1) NOT NULL DEFAULT "
            "0,updated INT NOT NULL DEFAULT 0)"),
        fingersCreate,
        zonesCreate,
        zonesIndex,
        pztCreate,
        QStringLiteral("CREATE UNIQUE INDEX iDochID ON ludia (dochid)"),
        QStringLiteral("CREATE INDEX iSyn ON ludia (syn)"),
        QStringLiteral("CREATE INDEX iKarta2 ON ludia (karta)"),
        QStringLiteral("CREATE INDEX iRefId ON ludia (refId)"),
        QStringLiteral("CREATE INDEX iPresent ON ludia (present)"),
        fingersIndex,
        adminIndex,
        delIndex,
    };
    return statements;
}

const QList<Step> &steps()
{
    static const QList<Step> steps = {
        { 1,
          "ludia",
          nullptr,
          nullptr,
          { QStringLiteral("ALTER TABLE prerusenia ADD COLUMN uid INTEGER NOT NULL  DEFAULT 0"),
            QStringLiteral(
                "CREATE TABLE ludia (uid INTEGER PRIMARY KEY AUTOINCREMENT ,dochid INT NOT NULL "
                "DEFAULT 0,karta VARCHAR(16),meno VARCHAR(16),priez VARCHAR(16),titul "
                "VARCHAR(16),admin TINYINT NOT NULL DEFAULT 0,saldo1 INT NOT NULL DEFAULT "
                "0,saldo2 INT NOT NULL DEFAULT 0,saldo3 INT NOT NULL DEFAULT 0,syn TINYINT NOT "
                "NULL DEFAULT 0)"),
            QStringLiteral("CREATE UNIQUE INDEX iDochID ON ludia (dochid)"),
            QStringLiteral("CREATE INDEX iSyn ON ludia (syn)"),
            QStringLiteral("CREATE INDEX iKarta2 ON ludia (karta)") } },
        // The entrances recorded before the column existed count as uploaded, or they would
        // all be sent again.
        { 2,
          "prerusenia",
          "syn",
          "vytvorit stlpec syn",
          { QStringLiteral("ALTER TABLE prerusenia ADD COLUMN syn TINYINT NOT NULL DEFAULT 0"),
            QStringLiteral("UPDATE prerusenia SET syn = 1 WHERE syn = 0") } },
        { 3,
          "prerusenia",
          "backup",
          "vytvorit stlpec backup",
          { QStringLiteral(
              "ALTER TABLE prerusenia ADD COLUMN backup TINYINT NOT NULL DEFAULT 0") } },
        { 4,
          "ludia",
          "numprerus",
          "vytvorit stlpec numprerus",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN numprerus INT NOT NULL DEFAULT 0") } },
        { 5,
          "sync",
          nullptr,
          "vytvorit tabulku sync",
          { QStringLiteral("CREATE TABLE sync (id INTEGER PRIMARY KEY AUTOINCREMENT ,ts INT NOT "
                           "NULL DEFAULT 0,field VARCHAR(64),data BLOB)") } },
        { 6,
          "vars",
          nullptr,
          "vytvorit tabulku vars",
          { QStringLiteral("CREATE TABLE vars (key VARCHAR(64) UNIQUE,value BLOB)") } },
        { 7,
          "ludia",
          "IOstatus",
          "vytvorit stlpec IOstatus",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN IOstatus TINYINT NOT NULL DEFAULT 0") } },
        { 8,
          "ludia",
          "fpID",
          "vytvorit stlpec fpID & tab. fingers",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN fpID INT NOT NULL DEFAULT 0"),
            fingersCreate,
            fingersIndex } },
        { 9,
          "ludia",
          "acc",
          "vytvorit stlpec acc",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN acc TINYINT(1) NOT NULL DEFAULT 0") } },
        { 10,
          "ludia",
          "colorGrp",
          "vytvorit stlpec colorGrp",
          { QStringLiteral(
              "ALTER TABLE ludia ADD COLUMN colorGrp TINYINT(3) NOT NULL DEFAULT 0") } },
        { 11,
          "ludia",
          "refId",
          "vytvorit stlpec refId",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN refId INT NOT NULL DEFAULT 0"),
            QStringLiteral("CREATE INDEX iRefId ON ludia (refId)"),
            QStringLiteral("ALTER TABLE ludia ADD COLUMN present INT NOT NULL DEFAULT 0"),
            QStringLiteral("CREATE INDEX iPresent ON ludia (present)") } },
        { 12,
          "ludia",
          "del",
          "vytvorit stlpec del",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN del TINYINT(1) NOT NULL DEFAULT 0") } },
        { 13,
          "ludia",
          "updated",
          "vytvorit stlpec updated",
          { QStringLiteral("ALTER TABLE ludia ADD COLUMN updated INT NOT NULL DEFAULT 0"),
            adminIndex,
            delIndex } },
        { 14,
          "zones",
          nullptr,
          "vytvorit tabulku zones", { zonesCreate, zonesIndex } },
        { 15,
          "pzt",
          nullptr,
          "vytvorit tabulku pzt", { pztCreate } },
    };
    return steps;
}

int version()
{
    return int(steps().constLast().step);
}

} // namespace DataSchema
