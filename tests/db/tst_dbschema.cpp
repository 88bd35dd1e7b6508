#include "foundation/globals.h"
#include "db/datadbmanager.h"
#include "db/dataschema.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {
const QString dbFile = QStringLiteral("data.db");

// Tables, columns and indexes of a file, one normalised line each. Declared
// types are left out when comparing with upgraded files: those keep the types
// of the layout they came from.
QStringList describe(const QString &fileName, bool withTypes)
{
    QStringList lines;
    const QString name = QStringLiteral("describe");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        db.open();
        QSqlQuery tables(db);
        tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                   "name <> 'sqlite_sequence' ORDER BY name"));
        while (tables.next()) {
            const QString table = tables.value(0).toString();
            QStringList columns;
            QSqlQuery info(db);
            info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
            while (info.next()) {
                columns.append(QStringLiteral("%1.%2 %3 notnull=%4 default=%5 pk=%6")
                                   .arg(table,
                                        info.value(1).toString(),
                                        withTypes ? info.value(2).toString() : QString(),
                                        info.value(3).toString(),
                                        info.value(4).toString(),
                                        info.value(5).toString()));
            }
            if (!withTypes)
                columns.sort();
            lines += columns;
            QSqlQuery indexes(db);
            indexes.exec(QStringLiteral("PRAGMA index_list(\"%1\")").arg(table));
            QStringList indexLines;
            while (indexes.next()) {
                QStringList cols;
                QSqlQuery idx(db);
                idx.exec(
                    QStringLiteral("PRAGMA index_info(\"%1\")").arg(indexes.value(1).toString()));
                while (idx.next())
                    cols.append(idx.value(2).toString());
                indexLines.append(QStringLiteral("index %1 on %2(%3) unique=%4")
                                      .arg(indexes.value(1).toString(),
                                           table,
                                           cols.join(QLatin1Char(',')),
                                           indexes.value(2).toString()));
            }
            indexLines.sort();
            lines += indexLines;
        }
    }
    QSqlDatabase::removeDatabase(name);
    return lines;
}

QList<uint> migrationsRun(const DbMessageCapture &capture)
{
    QList<uint> steps;
    for (const QString &line : capture.startingWith(QStringLiteral("DataDBManager::updateDB(")))
        steps.append(line.section(QLatin1Char(' '), 1, 1).toUInt());
    return steps;
}

// The layout of a new file, made in a folder of its own, without declared types.
QStringList freshLayout()
{
    WorkDir other;
    DataDBManager fresh(dbFile, true);
    return describe(dbFile, false);
}

// The layout of the first released files: entrances only.
const QStringList oldestLayout = {
    QStringLiteral("CREATE TABLE prerusenia (id INTEGER PRIMARY KEY AUTOINCREMENT ,time INT NOT "
                   "NULL DEFAULT 0,pid INT NOT NULL ,smer TINYINT NOT NULL DEFAULT 0,karta "
                   "VARCHAR(16))"),
    QStringLiteral("CREATE INDEX iPid ON prerusenia (pid)"),
    QStringLiteral("CREATE INDEX iKarta ON prerusenia (karta)"),
    QStringLiteral("INSERT INTO prerusenia (time, pid, smer, karta) VALUES (1000, 1, 1, 'A')"),
    QStringLiteral("INSERT INTO prerusenia (time, pid, smer, karta) VALUES (2000, 2, 0, 'B')"),
};
} // namespace

class tst_DbSchema : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::argumentLine.clear();
        Zep::debugLevel = 1;
    }
    void cleanup() { mDir.reset(); }

    void newFileHasFinalSchema();
    void secondStartRunsNoMigration();
    void otherMarkStillMigrates_data();
    void otherMarkStillMigrates();
    void upgradeFromOlderLayout_data();
    void upgradeFromOlderLayout();
    void demoData_data();
    void demoData();
    void demoDataNotOnExistingFile();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_DbSchema::newFileHasFinalSchema()
{
    DbMessageCapture capture;
    DataDBManager m(dbFile, true);
    QVERIFY(m.wasCreated());
    QCOMPARE(migrationsRun(capture), (QList<uint> { 1, 3, 4, 5, 6, 7, 10 }));

    const QStringList expected = {
        "fingers.fpID INT notnull=1 default=0 pk=1",
        "fingers.uid INT notnull=1 default=0 pk=0",
        "fingers.template BLOB notnull=0 default= pk=0",
        "fingers.tplID INT notnull=1 default=0 pk=2",
        "fingers.finger TINYINT(1) notnull=1 default=0 pk=0",
        "fingers.syn TINYINT(1) notnull=1 default=0 pk=0",
        "index iFingers_uid on fingers(uid) unique=0",
        "index sqlite_autoindex_fingers_1 on fingers(fpID,tplID) unique=1",
        "index sqlite_autoindex_fingers_2 on fingers(uid,finger) unique=1",
        "ludia.uid INTEGER notnull=0 default= pk=1",
        "ludia.dochid INT notnull=1 default=0 pk=0",
        "ludia.karta VARCHAR(16) notnull=0 default= pk=0",
        "ludia.meno VARCHAR(16) notnull=0 default= pk=0",
        "ludia.priez VARCHAR(16) notnull=0 default= pk=0",
        "ludia.titul VARCHAR(16) notnull=0 default= pk=0",
        "ludia.admin TINYINT notnull=1 default=0 pk=0",
        "ludia.saldo1 NUMERIC notnull=1 default=0 pk=0",
        "ludia.saldo2 NUMERIC notnull=1 default=0 pk=0",
        "ludia.saldo3 NUMERIC notnull=1 default=0 pk=0",
        "ludia.fpID INT notnull=1 default=0 pk=0",
        "ludia.acc INT notnull=1 default=0 pk=0",
        "ludia.syn INT notnull=1 default=0 pk=0",
        "ludia.refId INT notnull=1 default=0 pk=0",
        "ludia.present INT notnull=1 default=0 pk=0",
        "ludia.del TINYINT(1) notnull=1 default=0 pk=0",
        "ludia.updated INT notnull=1 default=0 pk=0",
        "ludia.numprerus INT notnull=1 default=0 pk=0",
        "ludia.IOstatus TINYINT notnull=1 default=0 pk=0",
        "ludia.colorGrp TINYINT(3) notnull=1 default=0 pk=0",
        "index iDochID on ludia(dochid) unique=1",
        "index iKarta2 on ludia(karta) unique=0",
        "index iPresent on ludia(present) unique=0",
        "index iRefId on ludia(refId) unique=0",
        "index iSyn on ludia(syn) unique=0",
        "index idx_admin on ludia(admin) unique=0",
        "index idx_del on ludia(del) unique=0",
        "prerusenia.id INTEGER notnull=0 default= pk=1",
        "prerusenia.time INT notnull=1 default=0 pk=0",
        "prerusenia.pid INT notnull=1 default= pk=0",
        "prerusenia.smer TINYINT notnull=1 default=0 pk=0",
        "prerusenia.uid INT notnull=1 default=0 pk=0",
        "prerusenia.karta VARCHAR(16) notnull=0 default= pk=0",
        "prerusenia.syn TINYINT notnull=1 default=0 pk=0",
        "prerusenia.backup TINYINT notnull=1 default=0 pk=0",
        "index iKarta on prerusenia(karta) unique=0",
        "index iPid on prerusenia(pid) unique=0",
        "pzt.zid INT notnull=1 default= pk=1",
        "pzt.uid INT notnull=1 default=0 pk=2",
        "index sqlite_autoindex_pzt_1 on pzt(zid,uid) unique=1",
        "sync.id INTEGER notnull=0 default= pk=1",
        "sync.ts INT notnull=1 default=0 pk=0",
        "sync.field VARCHAR(64) notnull=0 default= pk=0",
        "sync.data BLOB notnull=0 default= pk=0",
        "vars.key VARCHAR(64) notnull=0 default= pk=0",
        "vars.value BLOB notnull=0 default= pk=0",
        "index sqlite_autoindex_vars_1 on vars(key) unique=1",
        "zones.zid INT notnull=1 default= pk=1",
        "zones.from_time INT notnull=1 default=0 pk=0",
        "zones.to_time INT notnull=1 default=0 pk=0",
        "zones.days TINYINT notnull=1 default=0 pk=0",
        "zones.status TINYINT(1) notnull=1 default=0 pk=0",
        "index idx_zones_status on zones(status) unique=0",
        "index sqlite_autoindex_zones_1 on zones(zid) unique=1",
    };
    QCOMPARE(describe(dbFile, true), expected);
}

void tst_DbSchema::secondStartRunsNoMigration()
{
    {
        DataDBManager first(dbFile, true);
        QCOMPARE(first.schemaVersion(), DataSchema::version());
    }
    // Marked with the current version: not even a probe.
    DbMessageCapture capture;
    DataDBManager second(dbFile, true);
    QVERIFY(!second.wasCreated());
    QCOMPARE(migrationsRun(capture), QList<uint>());
    QCOMPARE(capture.startingWith(QStringLiteral("SQLiteManager::check")), QStringList());
    QVERIFY(capture.critical().isEmpty());
}

// A mark of another version (an older program, or a newer one before a downgrade)
// does not stand for the steps: they are probed and run as on an unmarked file.
void tst_DbSchema::otherMarkStillMigrates_data()
{
    QTest::addColumn<int>("mark");
    QTest::newRow("older") << DataSchema::version() - 1;
    QTest::newRow("newer") << DataSchema::version() + 1;
}

void tst_DbSchema::otherMarkStillMigrates()
{
    QFETCH(int, mark);
    const QStringList reference = freshLayout();
    QVERIFY(SqlFile::exec(dbFile,
                          oldestLayout + QStringList { QStringLiteral("PRAGMA user_version = %1")
                                                           .arg(mark) }));
    DataDBManager m(dbFile, true);
    QCOMPARE(describe(dbFile, false), reference);
    QCOMPARE(m.schemaVersion(), DataSchema::version());
}

void tst_DbSchema::upgradeFromOlderLayout_data()
{
    QTest::addColumn<uint>("lastStep"); // the layout after this migration step
    QTest::newRow("entrances only") << 0u;
    QTest::newRow("without syn") << 1u;
    for (uint step = 2; step <= 14; ++step)
        QTest::newRow(qPrintable(QStringLiteral("after step %1").arg(step))) << step;
}

void tst_DbSchema::upgradeFromOlderLayout()
{
    QFETCH(uint, lastStep);
    const QStringList reference = freshLayout();

    QVERIFY(SqlFile::exec(dbFile, oldestLayout));
    {
        // A closed handle at construction changes nothing; then replay the
        // steps that produced the older layout.
        DataDBManager builder(dbFile, false);
        QVERIFY(builder.openDB());
        for (uint step = 1; step <= lastStep; ++step)
            builder.updateDB(step);
    }
    DataDBManager m(dbFile, true);
    QVERIFY(!m.wasCreated());
    QCOMPARE(describe(dbFile, false), reference);
    QCOMPARE(m.schemaVersion(), DataSchema::version());

    QList<EntranceData> all;
    QVERIFY(m.nacitajPrerusenia(all, false, false));
    QCOMPARE(all.size(), 2);
    // Entrances older than the syn column count as uploaded; new ones do not.
    for (const EntranceData &e : all)
        QCOMPARE(e.syn, 1u);

    const int id = m.zapisPrerusenie(5, 1, QStringLiteral("C"), 0, 0, 3000);
    QVERIFY(id > 0);
    QVERIFY(m.nacitajPrerusenia(all, true, false));
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().id, uint(id));
}

void tst_DbSchema::demoData_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<uint>("people");
    QTest::newRow("random people") << "zep -fillDemoData" << 1002u;
    QTest::newRow("no random people") << "zep -fillDemoData -noRandomData" << 2u;
    QTest::newRow("no demo data") << "zep" << 0u;
}

void tst_DbSchema::demoData()
{
    QFETCH(QString, arguments);
    QFETCH(uint, people);
    Zep::argumentLine = arguments;
    DataDBManager m(dbFile, true);
    QCOMPARE(m.getPeopleCount(), people);
    if (people > 0) {
        QCOMPARE(m.nacitajCloveka(QStringLiteral("5C17AB902")).dochid, 1);
        QCOMPARE(m.nacitajCloveka(QStringLiteral("5C17AB902")).admin, 1);
        QCOMPARE(m.nacitajCloveka(QStringLiteral("73D0F1E48")).dochid, 2);
    }
}

void tst_DbSchema::demoDataNotOnExistingFile()
{
    {
        DataDBManager first(dbFile, true);
    }
    Zep::argumentLine = QStringLiteral("zep -fillDemoData");
    DataDBManager m(dbFile, true);
    QCOMPARE(m.getPeopleCount(), 0u);
}

QTEST_GUILESS_MAIN(tst_DbSchema)
#include "tst_dbschema.moc"
