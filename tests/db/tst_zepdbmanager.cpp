#include "foundation/globals.h"
#include "db/zepdbmanager.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"

#include <QSettings>
#include <QtTest>

#include <memory>

namespace {
const QString dbFile = QStringLiteral("zep.db");

QList<qint32> ids(const QList<PrerusenieData> &list)
{
    QList<qint32> result;
    for (const PrerusenieData &d : list)
        result.append(d.pid);
    return result;
}
} // namespace

class tst_ZepDBManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::debugLevel = 1;
    }
    void cleanup() { mDir.reset(); }

    void createsTables();
    void upgradesOldTerminalTable_data();
    void upgradesOldTerminalTable();
    void markedFileIsNotProbed();
    void syncPrerusInsertsThenUpdates();
    void wideIds_data();
    void wideIds();
    void delOtherPrerus_data();
    void delOtherPrerus();
    void delPrerusAndAll();
    void orderAndDisabled();
    void order();
    void typeName();
    void terminal();
    void terminalWithoutId();
    void loadTerminalEmpty();
    void colorGroupsAndFlags();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_ZepDBManager::createsTables()
{
    ZepDBManager m(dbFile, true);
    QVERIFY(m.checkTable(QStringLiteral("term")));
    QVERIFY(m.checkTable(QStringLiteral("prerusenia")));
    QVERIFY(m.checkColumn(QStringLiteral("term"), QStringLiteral("flags")));
    QCOMPARE(m.getIntersCount(), 0u);
}

void tst_ZepDBManager::upgradesOldTerminalTable_data()
{
    QTest::addColumn<QStringList>("mark");
    QTest::newRow("never marked") << QStringList();
    QTest::newRow("marked by an older program")
        << QStringList { QStringLiteral("PRAGMA user_version = 4") };
}

void tst_ZepDBManager::upgradesOldTerminalTable()
{
    QFETCH(QStringList, mark);
    QVERIFY(SqlFile::exec(
        dbFile,
        mark + QStringList { QStringLiteral("CREATE TABLE term (tid INT NOT NULL,nazov VARCHAR(128),model "
                         "VARCHAR(128),pn VARCHAR(128),sn VARCHAR(128),pcn8v VARCHAR(128),pcn8d "
                         "VARCHAR(128),skey VARCHAR(128),memu TINYINT NOT NULL DEFAULT 0,cpuu "
                         "TINYINT NOT NULL DEFAULT 0,sdu TINYINT NOT NULL DEFAULT 0,vid INT NOT "
                         "NULL DEFAULT 0,syn TINYINT NOT NULL DEFAULT 0)"),
          QStringLiteral("INSERT INTO term (tid, nazov) VALUES (5, 'T')") }));
    ZepDBManager m(dbFile, true);
    for (const char *column : { "colorGroups", "token", "refId", "li", "lt", "flags" })
        QVERIFY2(m.checkColumn(QStringLiteral("term"), QString::fromLatin1(column)), column);
    QVERIFY(m.checkTable(QStringLiteral("prerusenia")));
    QCOMPARE(m.schemaVersion(), 5);
    TermData t;
    QVERIFY(m.loadTerminal(t));
    QCOMPARE(t.nazov, QStringLiteral("T"));
}

void tst_ZepDBManager::markedFileIsNotProbed()
{
    {
        ZepDBManager first(dbFile, true);
    }
    DbMessageCapture capture;
    ZepDBManager second(dbFile, true);
    QCOMPARE(capture.startingWith(QStringLiteral("SQLiteManager::check")), QStringList());
    QVERIFY(second.checkColumn(QStringLiteral("term"), QStringLiteral("flags")));
}

void tst_ZepDBManager::syncPrerusInsertsThenUpdates()
{
    ZepDBManager m(dbFile, true);
    QCOMPARE(m.syncPrerus(PrerusenieData(3, QStringLiteral("Obed"), QStringLiteral("OBD"))), 1);
    QVERIFY(m.setPrerusPoradie(3, 7));
    QCOMPARE(m.syncPrerus(PrerusenieData(3, QStringLiteral("Obed"), QStringLiteral("OBD"))), 1);
    QCOMPARE(m.syncPrerus(PrerusenieData(4, QStringLiteral("Lekar"), QStringLiteral("LEK"))), 1);
    QList<PrerusenieData> list;
    m.loadInters(list);
    QCOMPARE(ids(list), (QList<qint32> { 3, 4 }));
    QCOMPARE(list.at(0).vaha, 7); // kept its order value
    QCOMPARE(list.at(1).vaha, 50000);
    QCOMPARE(m.getIntersCount(), 2u);
    QVERIFY(m.decPrerusOrder(3));
    m.loadInters(list);
    QCOMPARE(list.at(0).vaha, 6);
    QVERIFY(!m.decPrerusOrder(99));
}

void tst_ZepDBManager::wideIds_data()
{
    QTest::addColumn<qint32>("pid");
    QTest::newRow("127") << 127;
    QTest::newRow("128") << 128;
    QTest::newRow("300") << 300;
    QTest::newRow("70000") << 70000;
}

void tst_ZepDBManager::wideIds()
{
    QFETCH(qint32, pid);
    ZepDBManager m(dbFile, true);
    QCOMPARE(m.syncPrerus(PrerusenieData(pid, QStringLiteral("X"), QStringLiteral("X"))), 1);
    QList<PrerusenieData> list;
    m.loadInters(list);
    QCOMPARE(ids(list), QList<qint32> { pid });
    QHash<uint, PrerusenieData> hash;
    m.loadInters(hash);
    QVERIFY(hash.contains(uint(pid)));
    QCOMPARE(hash.value(uint(pid)).pid, pid);
}

void tst_ZepDBManager::delOtherPrerus_data()
{
    QTest::addColumn<QList<uint>>("keep");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<qint32>>("remaining");
    QTest::newRow("empty list deletes nothing")
        << QList<uint> {} << false << QList<qint32> { 1, 3, 7, 200 };
    QTest::newRow("keep 3 and 7") << QList<uint> { 3, 7 } << true << QList<qint32> { 3, 7 };
    QTest::newRow("keep all") << QList<uint> { 1, 3, 7, 200 } << true
                              << QList<qint32> { 1, 3, 7, 200 };
}

void tst_ZepDBManager::delOtherPrerus()
{
    QFETCH(QList<uint>, keep);
    QFETCH(bool, result);
    QFETCH(QList<qint32>, remaining);
    ZepDBManager m(dbFile, true);
    for (qint32 pid : { 1, 3, 7, 200 })
        m.syncPrerus(PrerusenieData(pid, QStringLiteral("n"), QStringLiteral("s")));
    QCOMPARE(m.delOtherPrerus(keep), result);
    QList<PrerusenieData> list;
    m.loadInters(list);
    QCOMPARE(ids(list), remaining);
}

void tst_ZepDBManager::delPrerusAndAll()
{
    ZepDBManager m(dbFile, true);
    QVERIFY(!m.delAllInters());
    m.syncPrerus(PrerusenieData(1, QStringLiteral("n"), QStringLiteral("s")));
    m.syncPrerus(PrerusenieData(2, QStringLiteral("n"), QStringLiteral("s")));
    QVERIFY(m.delPrerus(1));
    QVERIFY(m.delPrerus(1)); // ran, even without a matching row
    QCOMPARE(m.getIntersCount(), 1u);
    QVERIFY(m.delAllInters());
    QCOMPARE(m.getIntersCount(), 0u);
}

void tst_ZepDBManager::orderAndDisabled()
{
    QSettings(ZepFiles::settingsFile, QSettings::IniFormat)
        .setValue(QStringLiteral("global/disInterupts"), QStringList { "5", "x", "300" });
    ZepDBManager m(dbFile, true);
    QCOMPARE(m.disabledInters(), (QList<uint> { 5, 300 }));
    for (qint32 pid : { 5, 9, 300, 2 })
        m.syncPrerus(PrerusenieData(pid, QStringLiteral("n"), QStringLiteral("s")));
    QList<PrerusenieData> list;
    m.loadInters(list);
    QCOMPARE(ids(list), (QList<qint32> { 2, 9 }));
    QHash<uint, PrerusenieData> hash;
    m.loadInters(hash);
    QCOMPARE(hash.size(), 2);
    QVERIFY(!hash.contains(5));
    QCOMPARE(m.getIntersCount(), 4u); // stored all the same
}

void tst_ZepDBManager::order()
{
    ZepDBManager m(dbFile, true);
    for (qint32 pid : { 8, 4, 6 })
        m.syncPrerus(PrerusenieData(pid, QStringLiteral("n"), QStringLiteral("s")));
    QVERIFY(m.setPrerusPoradie(6, 10));
    QVERIFY(m.setPrerusPoradie(8, 20));
    QVERIFY(m.setPrerusPoradie(4, 20));
    QList<PrerusenieData> list;
    m.loadInters(list);
    QCOMPARE(ids(list), (QList<qint32> { 6, 4, 8 }));
}

void tst_ZepDBManager::typeName()
{
    ZepDBManager m(dbFile, true);
    m.syncPrerus(PrerusenieData(1, QStringLiteral("Prichod"), QStringLiteral("PRI")));
    QCOMPARE(m.nacitajPrerusenia(1), QStringLiteral("Prichod"));
    QCOMPARE(m.nacitajPrerusenia(2), QStringLiteral("?"));
    QVERIFY(!m.isOpen()); // closed after the lookup, reopened by the next operation
    QCOMPARE(m.getIntersCount(), 1u);
}

void tst_ZepDBManager::terminal()
{
    ZepDBManager m(dbFile, true);
    TermData t;
    t.tid = 12;
    t.nazov = QStringLiteral("Vchod");
    t.skey = QStringLiteral("key");
    t.memu = 40;
    t.li = 9;
    t.lt = QStringLiteral("tok");
    t.refId = 3;
    QVERIFY(m.saveTerminal(t));
    t.nazov = QStringLiteral("Vychod");
    QVERIFY(m.saveTerminal(t));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM term")).toInt(), 1);
    QVERIFY(m.checkTerminal(12));
    QVERIFY(!m.checkTerminal(13));
    TermData loaded;
    QVERIFY(m.loadTerminal(loaded));
    QCOMPARE(loaded.tid, 12);
    QCOMPARE(loaded.nazov, QStringLiteral("Vychod"));
    QCOMPARE(loaded.memu, 40);
    QCOMPARE(loaded.li, 9);
    QCOMPARE(loaded.lt, QStringLiteral("tok"));
    QCOMPARE(loaded.refId, 3);
    QCOMPARE(loaded.hddu, -1);
    QVERIFY(m.deleteTerminal());
    QVERIFY(m.deleteTerminal());
    QVERIFY(!m.loadTerminal(loaded));
}

void tst_ZepDBManager::terminalWithoutId()
{
    ZepDBManager m(dbFile, true);
    TermData t;
    t.nazov = QStringLiteral("X");
    QVERIFY(!m.saveTerminal(t));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM term")).toInt(), 0);
}

void tst_ZepDBManager::loadTerminalEmpty()
{
    ZepDBManager m(dbFile, true);
    TermData t;
    t.tid = 4;
    t.nazov = QStringLiteral("stale");
    QVERIFY(!m.loadTerminal(t));
    QCOMPARE(t.tid, 0);
    QVERIFY(t.nazov.isEmpty());
    QCOMPARE(t.memu, -1);
    QCOMPARE(t.cpuu, -1);
    QCOMPARE(t.hddu, -1);
    QCOMPARE(t.sdu, -1);
    QCOMPARE(t.fpu, -1);
}

void tst_ZepDBManager::colorGroupsAndFlags()
{
    ZepDBManager m(dbFile, true);
    QVERIFY(!m.setColorGroups(QStringLiteral("1:red")));
    QVERIFY(!m.setSyncFlags(3));
    TermData t;
    t.tid = 1;
    QVERIFY(m.saveTerminal(t));
    QVERIFY(
        QMetaObject::invokeMethod(&m, "setColorGroups", Q_ARG(QString, QStringLiteral("1:red"))));
    QCOMPARE(m.getColorGroups(), QStringLiteral("1:red"));
    QVERIFY(m.setSyncFlags(64));
    QVERIFY(m.loadTerminal(t));
    QCOMPARE(t.flags, 64);
    QCOMPARE(t.colorGroups, QStringLiteral("1:red"));
}

QTEST_GUILESS_MAIN(tst_ZepDBManager)
#include "tst_zepdbmanager.moc"
