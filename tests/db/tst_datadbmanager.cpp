#include "foundation/globals.h"
#include "db/datadbmanager.h"
#include "db/dochidwidth.h"
#include "db/interruptlogline.h"

#include "tests/support/failingcommits.h"
#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"

#include <QDateTime>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QString dbFile = QStringLiteral("data.db");

uint now()
{
    return uint(QDateTime::currentSecsSinceEpoch());
}

PersonData person(int dochid, const QString &karta, uint refId = 0)
{
    PersonData p;
    p.dochid = dochid;
    p.karta = karta;
    p.meno = QStringLiteral("Meno%1").arg(dochid);
    p.priez = QStringLiteral("Priez%1").arg(dochid);
    p.refId = refId;
    return p;
}

void writeSetting(const QString &key, const QVariant &value)
{
    QSettings(ZepFiles::settingsFile, QSettings::IniFormat).setValue(key, value);
}
} // namespace

class tst_DataDBManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::argumentLine.clear();
        Zep::debugLevel = 1;
        m = std::make_unique<DataDBManager>(dbFile, true);
    }
    void cleanup()
    {
        m.reset();
        mDir.reset();
    }

    // Entrances
    void interruptLogLine_data();
    void interruptLogLine();
    void recordStampsCurrentTime();
    void closedDatabaseRecordsNothing();
    void recordCountsPersonEntrances();
    void recordCommitsDuringHeldTransaction();
    void recordNeverJoinsAFailedTransaction_data();
    void recordNeverJoinsAFailedTransaction();
    void lastEntrance();
    void uploadLoaderLimit();
    void backupLoaderWaitsForDeletionTime_data();
    void backupLoaderWaitsForDeletionTime();
    void maintenanceLoader_data();
    void maintenanceLoader();
    void marksAndDelete();
    void fixSequence_data();
    void fixSequence();

    // People
    void unknownCard();
    void addExistingDochidUpdates();
    void addWithoutSignalsStillSyncs();
    void addWithoutDochidRefused();
    void deletePersonHidesFromLoaders();
    void deletePersonWithRefIdAnnounces();
    void delAllPeople_data();
    void delAllPeople();
    void ioStatus();
    void updatesByRefId();
    void modelOrder_data();
    void modelOrder();
    void dochidWidth_data();
    void dochidWidth();
    void hasPeople_data();
    void hasPeople();
    void unsyncedList();
    void fingers();

    // Sync queue, variables, zones
    void syncItems();
    void syncItemsBefore();
    void variables();
    void zones();
    void zoneWithoutId();
    void zoneLinks();
    void deleteAllZonesEmpty();

private:
    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<DataDBManager> m;
};

void tst_DataDBManager::interruptLogLine_data()
{
    QTest::addColumn<uint>("dochid");
    QTest::addColumn<uint>("pid");
    QTest::addColumn<uint>("smer");
    QTest::addColumn<QString>("tail");
    QTest::newRow("short dochid padded") << 12u << 3u << 1u << "-00000012-3-1-";
    QTest::newRow("nine digits in full") << 123456789u << 3u << 1u << "-123456789-3-1-";
    QTest::newRow("direction 2 logged as 0") << 7u << 300u << 2u << "-00000007-300-0-";
    QTest::newRow("direction 0") << 7u << 1u << 0u << "-00000007-1-0-";
}

void tst_DataDBManager::interruptLogLine()
{
    QFETCH(uint, dochid);
    QFETCH(uint, pid);
    QFETCH(uint, smer);
    QFETCH(QString, tail);
    const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
    QCOMPARE(InterruptLogLine::make(uint(when.toSecsSinceEpoch()), dochid, pid, smer),
             QStringLiteral("20240305070809") + tail);
}

void tst_DataDBManager::recordStampsCurrentTime()
{
    QSignalSpy written(m.get(), &DataDBManager::sigPrerusenieZapisane);
    const uint before = now();
    const int id = m->zapisPrerusenie(300, 1, QStringLiteral("K1"), 0, 12, 0);
    const uint after = now();
    QVERIFY(id > 0);
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.first().first().toUInt(), 300u);
    QList<EntranceData> all;
    QVERIFY(m->nacitajPrerusenia(all, false, false));
    QCOMPARE(all.size(), 1);
    QVERIFY(all.first().time >= before && all.first().time <= after);
    QCOMPARE(all.first().pid, 300u);
    QCOMPARE(all.first().syn, 0u);
    QCOMPARE(all.first().backup, 0u);

    QFile log(QStringLiteral("interrupts.log"));
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.first(), InterruptLogLine::make(all.first().time, 12, 300, 1).toLatin1());
}

void tst_DataDBManager::closedDatabaseRecordsNothing()
{
    m.reset();
    QVERIFY(QDir().mkdir(QStringLiteral("folder.db")));
    m = std::make_unique<DataDBManager>(QStringLiteral("folder.db"), true);
    QVERIFY(!m->isOpen());
    QCOMPARE(m->zapisPrerusenie(1, 1, QStringLiteral("K1"), 0, 12, 0), 0);
    QVERIFY(!QFile::exists(QStringLiteral("interrupts.log")));
}

void tst_DataDBManager::recordCountsPersonEntrances()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    QVERIFY(m->zapisPrerusenie(1, 1, QStringLiteral("A"), uid, 10, 0) > 0);
    QVERIFY(m->zapisPrerusenie(1, 1, QStringLiteral("A"), uid, 10, 0) > 0);
    QVERIFY(m->zapisPrerusenie(1, 1, QStringLiteral("X"), 0, 0, 0) > 0);
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT numprerus FROM ludia")).toInt(), 2);
}

void tst_DataDBManager::recordCommitsDuringHeldTransaction()
{
    // A long list being applied holds a transaction; an entrance recorded meanwhile is on
    // disk as soon as its id is returned, and the list goes on in a transaction of its own.
    QVERIFY(m->beginTransaction());
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    QVERIFY(m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 10, 0) > 0);
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM prerusenia")).toInt(),
             1);
    QVERIFY(m->addPerson(person(11, QStringLiteral("B"))));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM ludia")).toInt(), 1);
    QVERIFY(m->commitTransaction());
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM ludia")).toInt(), 2);
}

void tst_DataDBManager::recordNeverJoinsAFailedTransaction_data()
{
    QTest::addColumn<bool>("listStillHeld");
    QTest::newRow("after the list's commit failed") << false;
    QTest::newRow("while the held list cannot commit") << true;
}

void tst_DataDBManager::recordNeverJoinsAFailedTransaction()
{
    QFETCH(bool, listStillHeld);
    QVERIFY(FailingCommits::install(m->connectionName()));
    QVERIFY(m->beginTransaction());
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    if (!listStillHeld)
        QVERIFY(!m->commitTransaction());

    const int id = m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 10, 0);
    // An id is only handed out for an entrance that is on disk.
    QVERIFY(id > 0);
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM prerusenia")).toInt(),
             1);
    // The list's writes were rolled back, and its holder learns it.
    QVERIFY(!m->commitTransaction());
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM ludia")).toInt(), 0);
}

void tst_DataDBManager::lastEntrance()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    const int first = m->zapisPrerusenie(1, 1, QStringLiteral("A"), uid, 10, 100);
    const int second = m->zapisPrerusenie(2, 0, QStringLiteral("A"), uid, 10, 200);
    QCOMPARE(m->nacitajPoslednePrerusenie(uid).id, uint(second));
    QCOMPARE(m->nacitajPoslednePrerusenie(uid).dochid, 10u);
    QCOMPARE(m->nacitajPoslednePrerusenie(uid, 1).id, uint(first));
    QCOMPARE(m->nacitajPoslednePrerusenie(uid, 9).id, 0u);
    QCOMPARE(m->nacitajPoslednePrerusenie(uid + 1).id, 0u);
}

void tst_DataDBManager::uploadLoaderLimit()
{
    QStringList rows;
    for (int i = 0; i < 1500; ++i)
        rows.append(QStringLiteral("(%1, 1)").arg(1000 + i));
    QVERIFY(SqlFile::exec(dbFile,
                            { QStringLiteral("INSERT INTO prerusenia (time, pid) VALUES ")
                              + rows.join(QLatin1Char(',')) }));
    QList<EntranceData> list;
    QVERIFY(m->nacitajPrerusenia(list, true, false));
    QCOMPARE(list.size(), 1000);
    QCOMPARE(list.first().id, 1u);
    QVERIFY(m->nacitajPrerusenia(list, true, true));
    QCOMPARE(list.size(), 1000);
    QVERIFY(m->nacitajPrerusenia(list, false, false));
    QCOMPARE(list.size(), 1500);
}

void tst_DataDBManager::backupLoaderWaitsForDeletionTime_data()
{
    QTest::addColumn<int>("age");
    QTest::addColumn<QVariant>("timeout");
    QTest::addColumn<bool>("offered");
    QTest::newRow("30 s, default timeout") << 30 << QVariant() << false;
    QTest::newRow("120 s, default timeout") << 120 << QVariant() << true;
    QTest::newRow("30 s, timeout 10") << 30 << QVariant(10) << true;
    QTest::newRow("30 s, timeout 600") << 30 << QVariant(600) << false;
}

void tst_DataDBManager::backupLoaderWaitsForDeletionTime()
{
    QFETCH(int, age);
    QFETCH(QVariant, timeout);
    QFETCH(bool, offered);
    if (timeout.isValid())
        writeSetting(QStringLiteral("timeout/zmazaniePrerusenia"), timeout);
    QVERIFY(m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 0, now() - uint(age)) > 0);
    QList<EntranceData> list;
    QVERIFY(m->nacitajPrerusenia(list, false, true));
    QCOMPARE(list.size(), offered ? 1 : 0);
}

void tst_DataDBManager::maintenanceLoader_data()
{
    QTest::addColumn<uint>("ageHours");
    QTest::addColumn<uint>("syn");
    QTest::addColumn<uint>("backup");
    QTest::addColumn<bool>("isSyn");
    QTest::addColumn<bool>("found");
    QTest::newRow("old, uploaded, backed up") << 48u << 5u << 1u << true << true;
    QTest::newRow("old, backed up, not uploaded") << 48u << 0u << 1u << true << false;
    QTest::newRow("not uploaded, upload not required") << 48u << 0u << 1u << false << true;
    QTest::newRow("old, uploaded, not backed up") << 48u << 5u << 0u << false << false;
    QTest::newRow("too young") << 2u << 5u << 1u << true << false;
}

void tst_DataDBManager::maintenanceLoader()
{
    QFETCH(uint, ageHours);
    QFETCH(uint, syn);
    QFETCH(uint, backup);
    QFETCH(bool, isSyn);
    QFETCH(bool, found);
    const int id = m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 0, now() - ageHours * 3600);
    QVERIFY(id > 0);
    if (syn)
        QVERIFY(m->setPrerusSyn(uint(id), syn));
    if (backup)
        QVERIFY(m->setPrerusBackup(uint(id), backup));
    QList<uint> ids;
    QVERIFY(m->nacitajNepotrebnePrerusenia(ids, isSyn));
    QCOMPARE(ids, found ? QList<uint> { uint(id) } : QList<uint> {});
}

void tst_DataDBManager::marksAndDelete()
{
    const int id = m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 0, 100);
    QVERIFY(m->setPrerusSyn(uint(id), 77));
    QVERIFY(m->setPrerusBackup(uint(id), 1));
    QVERIFY(!m->setPrerusSyn(uint(id) + 1, 1));
    QList<EntranceData> list;
    QVERIFY(m->nacitajPrerusenia(list, false, false));
    QCOMPARE(list.first().syn, 77u);
    QCOMPARE(list.first().backup, 1u);
    QVERIFY(m->vymazPrerusenie(uint(id)));
    QVERIFY(!m->vymazPrerusenie(uint(id)));
}

void tst_DataDBManager::fixSequence_data()
{
    QTest::addColumn<int>("existing"); // entrances written before
    QTest::addColumn<uint>("maxId");
    QTest::addColumn<int>("nextId");
    QTest::newRow("never used table") << 0 << 500u << 501;
    QTest::newRow("counter below") << 3 << 500u << 501;
    QTest::newRow("counter above stays") << 3 << 2u << 4;
}

void tst_DataDBManager::fixSequence()
{
    QFETCH(int, existing);
    QFETCH(uint, maxId);
    QFETCH(int, nextId);
    for (int i = 0; i < existing; ++i)
        m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 0, 100);
    // Reachable through the meta-object system for callers that know the highest id.
    QVERIFY(QMetaObject::invokeMethod(m.get(), "fixSequence", Q_ARG(uint, maxId)));
    QCOMPARE(m->zapisPrerusenie(1, 1, QStringLiteral("A"), 0, 0, 100), nextId);
}

void tst_DataDBManager::unknownCard()
{
    const PersonData p = m->nacitajCloveka(QStringLiteral("NOPE"));
    QCOMPARE(p.uid, 0);
    QCOMPARE(p.dochid, 0);
}

void tst_DataDBManager::addExistingDochidUpdates()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    PersonData again = m->nacitajCloveka(10, true);
    again.meno = QStringLiteral("Nove");
    QSignalSpy added(m.get(), &DataDBManager::sigPridajCloveka);
    QSignalSpy created(m.get(), &DataDBManager::sigPersonCreated);
    QSignalSpy updated(m.get(), &DataDBManager::sigUpravCloveka);
    QSignalSpy personUpdated(m.get(), &DataDBManager::sigPersonUpdated);
    QVERIFY(m->addPerson(again));
    QCOMPARE(added.count(), 0);
    QCOMPARE(created.count(), 0);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(personUpdated.count(), 1);
    QCOMPARE(m->getPeopleCount(), 1u);
    QCOMPARE(m->nacitajCloveka(10, true).meno, QStringLiteral("Nove"));
}

void tst_DataDBManager::addWithoutSignalsStillSyncs()
{
    QSignalSpy sync(m.get(), &DataDBManager::sigSync);
    QSignalSpy added(m.get(), &DataDBManager::sigPridajCloveka);
    QVERIFY(m->addPerson(person(10, QStringLiteral("A")), false));
    QCOMPARE(sync.count(), 1);
    QCOMPARE(added.count(), 0);
}

void tst_DataDBManager::addWithoutDochidRefused()
{
    QVERIFY(!m->addPerson(person(0, QStringLiteral("A"))));
    QCOMPARE(m->getPeopleCount(), 0u);
}

void tst_DataDBManager::deletePersonHidesFromLoaders()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    QSignalSpy deleted(m.get(), &DataDBManager::sigZmazCloveka);
    QSignalSpy announced(m.get(), &DataDBManager::sigPersonDeleted);
    QVERIFY(m->deletePerson(uid));
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(announced.count(), 0);

    QCOMPARE(m->nacitajCloveka(QStringLiteral("A")).uid, 0);
    QCOMPARE(m->nacitajCloveka(10, true).uid, 0);
    QCOMPARE(m->nacitajCloveka(uid, false).uid, 0);
    QCOMPARE(m->getPeopleCount(), 0u);
    QList<PersonData> list;
    QVERIFY(m->nacitajLudi(list));
    QVERIFY(list.isEmpty());
    QVector<PersonData> shown;
    QVERIFY(m->loadPeopleForModel(shown));
    QVERIFY(shown.isEmpty());
    const PersonData kept = m->nacitajCloveka(uid, false, true);
    QCOMPARE(kept.uid, int(uid));
    QVERIFY(kept.del);
    QCOMPARE(m->nacitajCloveka(10, true, true).uid, int(uid));
    // Adding the number again fails on the unique index; updating revives.
    QVERIFY(!m->addPerson(person(10, QStringLiteral("A"))));
    QVERIFY(m->updatePerson(kept));
    QCOMPARE(m->getPeopleCount(), 1u);
}

void tst_DataDBManager::deletePersonWithRefIdAnnounces()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"), 555)));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    QSignalSpy announced(m.get(), &DataDBManager::sigPersonDeleted);
    QVERIFY(m->deletePerson(uid));
    QCOMPARE(announced.count(), 1);
    QCOMPARE(announced.first().at(0).toUInt(), 10u);
    QCOMPARE(announced.first().at(1).toUInt(), 555u);
    QCOMPARE(m->loadPersonByRefId(555).uid, 0);
}

void tst_DataDBManager::delAllPeople_data()
{
    QTest::addColumn<QStringList>("keep");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<int>>("remaining"); // dochids not marked deleted
    const QList<int> everyone { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    QTest::newRow("empty list removes nobody") << QStringList() << false << everyone;
    // Person 8 was created here and is not confirmed by the server yet.
    QTest::newRow("keep 3 and 9") << QStringList { "3", "9" } << true << QList<int> { 3, 8, 9 };
    QTest::newRow("keep everyone") << QStringList { "1", "2", "3", "4", "5", "6", "7", "8", "9" }
                                   << false << everyone;
    QTest::newRow("injection refused")
        << QStringList { "3", "0) OR (1=1" } << false << everyone;
    QTest::newRow("non-number refused") << QStringList { "abc" } << false << everyone;
}

void tst_DataDBManager::delAllPeople()
{
    QFETCH(QStringList, keep);
    QFETCH(bool, result);
    QFETCH(QList<int>, remaining);
    // uid n has dochid n, refId 100 + n (none for 8) and one template.
    for (int i = 1; i <= 9; ++i) {
        QVERIFY(m->addPerson(person(i, QStringLiteral("K%1").arg(i), i == 8 ? 0u : 100u + i),
                             false));
        FingerData f;
        f.fpID = uint(i);
        f.uid = uint(i);
        f.tpl = QByteArray("tpl");
        QVERIFY(m->saveFinger(f));
    }
    if (keep.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
                             "DataDBManager::delAllPeople() - empty keep list, nobody is removed");
    QCOMPARE(m->delAllPeople(keep), result);
    QList<PersonData> list;
    QVERIFY(m->nacitajLudi(list));
    QList<int> dochids;
    for (const PersonData &p : list)
        dochids.append(p.dochid);
    QCOMPARE(dochids, remaining);
    QCOMPARE(m->countFingers(), remaining.size());
    // The rows stay, with their ids: their entrances still name the person.
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM ludia")).toInt(), 9);
    QCOMPARE(m->nacitajCloveka(1, true, true).uid, 1);
}

void tst_DataDBManager::ioStatus()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"))));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    QCOMPARE(m->getClovekIOstatus(uid), 0u);
    m->setClovekIOstatus(uid, 3);
    QCOMPARE(m->getClovekIOstatus(uid), 3u);
    QCOMPARE(m->getClovekIOstatus(uid + 100), 255u);
}

void tst_DataDBManager::updatesByRefId()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A"), 77)));
    QVERIFY(m->updatePersonSaldo(77, 12.5));
    QVERIFY(m->updatePersonPresent(77, 1));
    QVERIFY(m->updatePersonColorGrp(77, 4));
    QVERIFY(!m->updatePersonSaldo(78, 1));
    const PersonData p = m->loadPersonByRefId(77);
    QCOMPARE(p.saldo1, 12.5);
    QCOMPARE(p.present, 1u);
    QCOMPARE(int(p.colorGrp), 4);
    QVERIFY(m->setClovekSyn(uint(p.uid), 1));
    QCOMPARE(m->getPeopleCountWithoutRefId(), 0u);
    QCOMPARE(m->pocetAdminov(), 0);
}

void tst_DataDBManager::modelOrder_data()
{
    QTest::addColumn<QVariant>("order");
    QTest::addColumn<QList<int>>("dochids");
    // People: dochid / name / group / entrances: 1 Cyril g0 0, 2 Adam g0 2, 3 Boris g0 1, 4 Adam g1
    // 5
    QTest::newRow("unset: entrances first") << QVariant() << QList<int> { 2, 3, 1, 4 };
    QTest::newRow("1: number") << QVariant(1) << QList<int> { 1, 2, 3, 4 };
    QTest::newRow("2: first name") << QVariant(2) << QList<int> { 2, 3, 1, 4 };
    QTest::newRow("3: surname") << QVariant(3) << QList<int> { 3, 1, 2, 4 };
}

void tst_DataDBManager::modelOrder()
{
    QFETCH(QVariant, order);
    QFETCH(QList<int>, dochids);
    if (order.isValid())
        writeSetting(QStringLiteral("global/orderPeople"), order);
    const struct
    {
        int dochid;
        const char *meno;
        const char *priez;
        int group;
        int entrances;
    } people[] = { { 1, "Cyril", "B", 0, 0 },
                   { 2, "Adam", "C", 0, 2 },
                   { 3, "Boris", "A", 0, 1 },
                   { 4, "Adam", "A", 1, 5 } };
    for (const auto &row : people) {
        PersonData p = person(row.dochid, QString());
        p.meno = QString::fromLatin1(row.meno);
        p.priez = QString::fromLatin1(row.priez);
        p.colorGrp = quint8(row.group);
        QVERIFY(m->addPerson(p, false));
        const uint uid = uint(m->nacitajCloveka(uint(row.dochid), true).uid);
        for (int i = 0; i < row.entrances; ++i)
            m->zapisPrerusenie(1, 1, QString(), uid, uint(row.dochid), 100);
    }
    QVector<PersonData> list;
    QVERIFY(m->loadPeopleForModel(list));
    QList<int> got;
    for (const PersonData &p : list)
        got.append(p.dochid);
    QCOMPARE(got, dochids);
}

void tst_DataDBManager::dochidWidth_data()
{
    QTest::addColumn<QList<int>>("dochids");
    QTest::addColumn<int>("width");
    QTest::newRow("none") << QList<int> {} << 4;
    QTest::newRow("short numbers") << QList<int> { 1, 999 } << 4;
    QTest::newRow("six digits") << QList<int> { 5, 123456 } << 6;
}

void tst_DataDBManager::hasPeople_data()
{
    QTest::addColumn<int>("live");
    QTest::addColumn<int>("deleted");
    QTest::newRow("nobody") << 0 << 0;
    QTest::newRow("only deleted people") << 0 << 3;
    QTest::newRow("one person") << 1 << 0;
    QTest::newRow("deleted and live people") << 2 << 3;
}

void tst_DataDBManager::hasPeople()
{
    QFETCH(int, live);
    QFETCH(int, deleted);
    for (int i = 1; i <= live + deleted; ++i)
        QVERIFY(m->addPerson(person(i, QStringLiteral("K%1").arg(i)), false));
    QVERIFY(SqlFile::exec(
        dbFile, { QStringLiteral("UPDATE ludia SET del=1 WHERE dochid > %1").arg(live) }));
    QCOMPARE(m->hasPeople(), live > 0);
    QCOMPARE(m->getPeopleCount(), uint(live));
}

void tst_DataDBManager::dochidWidth()
{
    QFETCH(QList<int>, dochids);
    QFETCH(int, width);
    for (int d : dochids)
        QVERIFY(m->addPerson(person(d, QString()), false));
    // A deleted person's number does not widen the others.
    QVERIFY(m->addPerson(person(1234567, QString()), false));
    QVERIFY(m->deletePerson(uint(m->nacitajCloveka(1234567, true).uid), false));

    // Read alone at start, and with the people when the list is loaded.
    DochidWidth::set(9);
    QVERIFY(m->readDochidWidth());
    QCOMPARE(DochidWidth::value(), width);
    DochidWidth::set(9);
    QVector<PersonData> list;
    QVERIFY(m->loadPeopleForModel(list));
    QCOMPARE(DochidWidth::value(), width);
    QCOMPARE(DochidWidth::format(12).size(), width);
}

void tst_DataDBManager::unsyncedList()
{
    QVERIFY(m->addPerson(person(20, QStringLiteral("B")), false));
    QVERIFY(m->addPerson(person(10, QStringLiteral("A")), false));
    QVERIFY(m->setClovekSyn(uint(m->nacitajCloveka(20, true).uid), 1));
    QList<PersonData> list;
    QVERIFY(m->nacitajLudi(list, false));
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.first().dochid, 10);
    QVERIFY(m->nacitajLudi(list, true));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first().dochid, 10);
}

void tst_DataDBManager::fingers()
{
    QVERIFY(m->addPerson(person(10, QStringLiteral("A")), false));
    const uint uid = uint(m->nacitajCloveka(10, true).uid);
    for (quint16 finger = 0; finger < 3; ++finger) {
        FingerData f;
        f.fpID = 40;
        f.uid = uid;
        f.tpl = QByteArray(10 + finger, char('a' + finger));
        f.tplID = finger;
        f.finger = finger;
        QVERIFY(m->saveFinger(f));
    }
    QCOMPARE(m->nacitajCloveka(10, true).fingers, quint16(3));
    QCOMPARE(m->nacitajCloveka(10, true).fpID, 40u);
    QCOMPARE(m->getFingerTemplate(40, 1), QByteArray(11, 'b'));
    QCOMPARE(m->loadFinger(40).uid, uid);
    QList<FingerData> list;
    QVERIFY(m->loadFingers(list, uid));
    QCOMPARE(list.size(), 3);
    QVERIFY(m->deleteFingerTemplate(40, 2));
    QVERIFY(m->deleteFingerTemplateByUid(uid, 1));
    QCOMPARE(m->countFingers(), 1);
    QVERIFY(m->deleteFingerTemplateByUid(uid, -1));
    QCOMPARE(m->countFingers(), 0);
    QVERIFY(!m->deleteFingerTemplateByUid(uid, -1));
}

void tst_DataDBManager::syncItems()
{
    QVERIFY(m->addSyncItem(QStringLiteral("ini"), QStringLiteral("first")));
    QVERIFY(m->addSyncItem(QStringLiteral("nazov"), QStringLiteral("T1")));
    QVERIFY(m->addSyncItem(QStringLiteral("ini"), QStringLiteral("second")));
    QList<SyncItem> items = m->loadSyncItems();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0).data, QStringLiteral("first"));
    QCOMPARE(items.at(2).data, QStringLiteral("second"));
    m->delSyncItem(QStringLiteral("ini"), 0);
    items = m->loadSyncItems();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().field, QStringLiteral("nazov"));
}

void tst_DataDBManager::syncItemsBefore()
{
    QVERIFY(SqlFile::exec(dbFile,
                            { QStringLiteral("INSERT INTO sync (field, data, ts) VALUES ('ini', "
                                             "'old', 1000), ('ini', 'new', 2000)") }));
    m->delSyncItem(QStringLiteral("ini"), 1500);
    const QList<SyncItem> items = m->loadSyncItems();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().data, QStringLiteral("new"));
}

void tst_DataDBManager::variables()
{
    QVERIFY(m->var_set(QStringLiteral("k"), QStringLiteral("one")));
    QVERIFY(m->var_set(QStringLiteral("k"), QStringLiteral("two")));
    QCOMPARE(m->var_get(QStringLiteral("k")).toString(), QStringLiteral("two"));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM vars")).toInt(), 1);
    QCOMPARE(m->var_get(QStringLiteral("missing"), 42).toInt(), 42);
    QVERIFY(m->var_del(QStringLiteral("k")));
    QVERIFY(!m->var_del(QStringLiteral("k")));
}

void tst_DataDBManager::zones()
{
    ZoneData active { 1, 0x1f, 480, 960, true };
    ZoneData inactive { 2, 0x60, 0, 100, false };
    QVERIFY(m->addZone(active));
    QVERIFY(m->addZone(inactive));
    QCOMPARE(m->zonesCount(), 1);
    QCOMPARE(m->loadZones().size(), 1);
    QCOMPARE(m->loadZones().first().zid, 1u);
    QCOMPARE(m->loadZones().first().days, quint8(0x1f));
    QCOMPARE(m->loadZones().first().from_time, 480u);
    QCOMPARE(m->getZone(2).zid, 2u);
    QCOMPARE(m->getZone(2).to_time, 100u);
    QVERIFY(!m->getZone(2).status);
    QCOMPARE(m->getZone(0).zid, 0u);
    inactive.status = true;
    QVERIFY(m->updateZone(inactive));
    QCOMPARE(m->zonesCount(), 2);
    QVERIFY(m->deleteAllZones());
    QCOMPARE(m->zonesCount(), 0);
}

void tst_DataDBManager::zoneWithoutId()
{
    QVERIFY(!m->addZone(ZoneData { 0, 1, 2, 3, true }));
    QVERIFY(!m->updateZone(ZoneData { 0, 1, 2, 3, true }));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM zones")).toInt(), 0);
}

void tst_DataDBManager::zoneLinks()
{
    QVERIFY(m->addZone(ZoneData { 1, 1, 0, 10, true }));
    QVERIFY(m->addZone(ZoneData { 2, 1, 0, 10, false }));
    QVERIFY(m->addPZT(1, 7));
    QVERIFY(m->addPZT(1, 7));
    QVERIFY(m->addPZT(2, 7));
    QCOMPARE(SqlFile::scalar(dbFile, QStringLiteral("SELECT COUNT(*) FROM pzt")).toInt(), 2);
    QCOMPARE(m->loadZones4Person(7).size(), 1);
    QCOMPARE(m->loadZones4Person(8).size(), 0);
    QVERIFY(m->deletePZT(7, 1));
    QVERIFY(!m->deletePZT(7, 1));
    QCOMPARE(m->loadZones4Person(7).size(), 0);
}

void tst_DataDBManager::deleteAllZonesEmpty()
{
    QVERIFY(!m->deleteAllZones());
}

QTEST_GUILESS_MAIN(tst_DataDBManager)
#include "tst_datadbmanager.moc"
