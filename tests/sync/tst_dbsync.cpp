#include "attendance/preruseniemodel.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/applierwiring.h"
#include "sync/dbsync.h"
#include "sync/tuldbmanager.h"
#include "tests/support/failingcommits.h"
#include "tests/support/testclock.h"

#include "tests/support/workdir.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {
uint now()
{
    return uint(QDateTime::currentSecsSinceEpoch());
}

PersonSynData serverPerson(uint uid, uint pid, const QString &name, QChar type, uint tsc)
{
    PersonSynData person;
    person.uid = uid;
    person.pid = pid;
    person.name = name;
    person.surname = QStringLiteral("Surname %1").arg(pid);
    person.card = QStringLiteral("C%1").arg(pid);
    person.type = type;
    person.tsc = tsc;
    return person;
}

InterSynData inter(quint16 id, const QString &name, QChar type)
{
    InterSynData record;
    record.id = id;
    record.name = name;
    record.shortcut = name.left(3);
    record.type = type;
    record.tsc = 50;
    return record;
}

using Flags = QList<QPair<uint, uint>>;
} // namespace

class tst_DBSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void forcedSyncWithoutRecordsKeepsLocalData();
    void batchesAppliedInTimeOrder();
    void saldoMinutesBecomeHours_data();
    void saldoMinutesBecomeHours();
    void zones_data();
    void zones();
    void pztForUnknownPersonIsSkippedAndCounted();
    void personRule_data();
    void personRule();
    void forcedPeopleListKeepsOnlyListed();
    void completeInterListReplacesTypes();
    void modelRefreshInterval_data();
    void modelRefreshInterval();
    void firstOnlineSyncFetchesListsForPeopleWithoutRefId();
    void localPeoplePushedUntilConfirmed();
    void peopleReplacedOnlyByAList_data();
    void peopleReplacedOnlyByAList();
    void listNotConfirmedWhenItsCommitFails();
    void recordWithoutServerIdSkipped_data();
    void recordWithoutServerIdSkipped();
    void highestServerIdContinuesEntranceIds();
    void unsendableEntrancesCounted();
    void eventsLetThroughByTimeNotByCount_data();
    void eventsLetThroughByTimeNotByCount();

private:
    void createSync();
    uint addLocalPerson(int dochid, uint refId, const QString &name = QStringLiteral("Local"));
    PersonData personByDochid(int dochid) { return mDb->nacitajCloveka(uint(dochid), true, true); }
    Flags confirmedFlags(const QSignalSpy &spy) const;
    // Runs the batches gathered so far, as after a sync reply.
    void finishReply(bool force);

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<ZepDBManager> mZepDb;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<PrerusenieModel> mModel;
    std::unique_ptr<DBSync> mSync;
};

void tst_DBSync::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    ChangeLists::registerMetaTypes();
}

void tst_DBSync::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mZepDb = std::make_unique<ZepDBManager>(QStringLiteral("zep.db"));
    mDb = std::make_unique<DataDBManager>(QStringLiteral("./data.db"));
    mModel = std::make_unique<PrerusenieModel>();
}

void tst_DBSync::createSync()
{
    mSync = std::make_unique<DBSync>(mZepDb.get(), mDb.get(), mModel.get(), mSettings.get());
}

void tst_DBSync::cleanup()
{
    mSync.reset();
    mModel.reset();
    mDb.reset();
    mZepDb.reset();
    mSettings.reset();
    mDir.reset();
}

uint tst_DBSync::addLocalPerson(int dochid, uint refId, const QString &name)
{
    PersonData person;
    person.dochid = dochid;
    person.refId = refId;
    person.meno = name;
    person.syn = 1;
    if (!mDb->addPerson(person, false))
        return 0;
    return uint(personByDochid(dochid).uid);
}

Flags tst_DBSync::confirmedFlags(const QSignalSpy &spy) const
{
    Flags flags;
    for (const QList<QVariant> &args : spy)
        flags.append({ args.at(0).toUInt(), args.at(1).toUInt() });
    return flags;
}

void tst_DBSync::finishReply(bool force)
{
    mSync->doSyncItems(force);
    QTRY_VERIFY_WITH_TIMEOUT(!mSync->hasPendingBatches(), 5000);
}

void tst_DBSync::forcedSyncWithoutRecordsKeepsLocalData()
{
    createSync();
    QVERIFY(mZepDb->syncPrerus(PrerusenieData(1, QStringLiteral("Prichod"), QStringLiteral("P")))
            > 0);
    const uint uid = addLocalPerson(10, 100);
    ZoneData zone;
    zone.zid = 4;
    zone.status = true;
    QVERIFY(mDb->addZone(zone));
    QVERIFY(mDb->addPZT(4, uid));

    QSignalSpy flags(mSync.get(), &DBSync::sigDeleteSyncFlags);
    finishReply(true);

    // A reply that lists nothing is no list: nothing is replaced, and without a server time
    // there is nothing to confirm.
    QCOMPARE(mZepDb->getIntersCount(), 1u);
    QCOMPARE(mDb->getPeopleCount(), 1u);
    QCOMPARE(mDb->getZone(4).zid, 4u);
    QCOMPARE(mDb->loadZones4Person(uid).size(), 1);
    QCOMPARE(flags.count(), 0);
}

void tst_DBSync::batchesAppliedInTimeOrder()
{
    createSync();
    QVERIFY(addLocalPerson(7, 70) != 0);
    mSync->onNeedSyncSaldo({ { 70, 120 } }, 100);
    mSync->onNeedSyncSaldo({ { 70, 30 } }, 90);

    QSignalSpy flags(mSync.get(), &DBSync::sigDeleteSyncFlags);
    finishReply(false);

    QCOMPARE(personByDochid(7).saldo1, 2.0);
    const Flags expected { { 90, 0x4 }, { 100, 0x4 } };
    QCOMPARE(confirmedFlags(flags), expected);
}

void tst_DBSync::saldoMinutesBecomeHours_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<double>("hours");

    QTest::newRow("ninety minutes") << 90 << 1.5;
    QTest::newRow("negative balance") << -45 << -0.75;
    QTest::newRow("zero") << 0 << 0.0;
}

void tst_DBSync::saldoMinutesBecomeHours()
{
    QFETCH(int, minutes);
    QFETCH(double, hours);

    createSync();
    QVERIFY(addLocalPerson(7, 70) != 0);
    mDb->updatePersonSaldo(70, 99);
    QSignalSpy end(mSync.get(), &DBSync::syncEnd);
    mSync->doSyncSaldo({ { 70, minutes } });

    QCOMPARE(personByDochid(7).saldo1, hours);
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0), (QList<QVariant> { QStringLiteral("saldo"), 1, 0 }));
}

void tst_DBSync::zones_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QChar>("type");
    QTest::addColumn<uint>("storedFrom");
    QTest::addColumn<int>("applied");

    QTest::newRow("insert new") << false << QChar('I') << 480u << 1;
    QTest::newRow("update new inserts") << false << QChar('U') << 480u << 1;
    QTest::newRow("update existing") << true << QChar('U') << 480u << 1;
    QTest::newRow("insert existing updates") << true << QChar('I') << 480u << 1;
    QTest::newRow("delete not applied") << true << QChar('D') << 60u << 0;
}

void tst_DBSync::zones()
{
    QFETCH(bool, existing);
    QFETCH(QChar, type);
    QFETCH(uint, storedFrom);
    QFETCH(int, applied);

    createSync();
    if (existing) {
        ZoneData zone;
        zone.zid = 3;
        zone.from_time = 60;
        zone.status = true;
        QVERIFY(mDb->addZone(zone));
    }
    ZoneSynData record;
    record.id = 3;
    record.days = 0x1f;
    record.from_time = 480;
    record.to_time = 960;
    record.status = true;
    record.type = type;
    record.tsc = 10;
    if (type == QLatin1Char('D'))
        QTest::ignoreMessage(QtWarningMsg, "DBSync::doSyncZones() sync type 'D' is not supported!");

    QSignalSpy end(mSync.get(), &DBSync::syncEnd);
    mSync->doSyncZones({ record });

    QCOMPARE(mDb->getZone(3).from_time, storedFrom);
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0), (QList<QVariant> { QStringLiteral("zones"), applied, 0 }));
}

void tst_DBSync::pztForUnknownPersonIsSkippedAndCounted()
{
    createSync();
    const uint uid = addLocalPerson(7, 70);
    ZoneData zone;
    zone.zid = 3;
    zone.status = true;
    QVERIFY(mDb->addZone(zone));
    PZTSynData unknown { 3, 999, QChar('I'), 10 };
    PZTSynData known { 3, 70, QChar('I'), 10 };
    QTest::ignoreMessage(QtWarningMsg,
                         "DBSync: Person with refId 999 NOT FOUND - synchronization of PZT can "
                         "not continue!");

    QSignalSpy end(mSync.get(), &DBSync::syncEnd);
    mSync->doSyncPZT({ unknown, known });

    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0), (QList<QVariant> { QStringLiteral("pzt"), 1, 1 }));
    QCOMPARE(mDb->loadZones4Person(uid).size(), 1);
}

void tst_DBSync::personRule_data()
{
    QTest::addColumn<bool>("localExists");
    QTest::addColumn<QChar>("type");
    QTest::addColumn<int>("tscOffset"); // server change time relative to now
    QTest::addColumn<QString>("serverName");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<bool>("sentBack");
    QTest::addColumn<bool>("deleted");

    QTest::newRow("server newer overwrites") << true << QChar('U') << 3600 << "Server"
                                             << "Server" << false << false;
    QTest::newRow("local newer is sent back") << true << QChar('U') << -3600 << "Server"
                                              << "Local" << true << false;
    QTest::newRow("complete list, local newer is sent back")
        << true << QChar('F') << -3600 << "Server"
        << "Local" << true << false;
    QTest::newRow("unchanged is left alone") << true << QChar('U') << 3600 << "Local"
                                             << "Local" << false << false;
    QTest::newRow("unknown is inserted") << false << QChar('U') << -3600 << "Server"
                                         << "Server" << false << false;
    QTest::newRow("insert") << false << QChar('I') << 0 << "Server"
                            << "Server" << false << false;
    QTest::newRow("delete") << true << QChar('D') << 3600 << "Server"
                            << "Local" << false << true;
    QTest::newRow("unknown type") << true << QChar('X') << 3600 << "Server"
                                  << "Local" << false << false;
}

void tst_DBSync::personRule()
{
    QFETCH(bool, localExists);
    QFETCH(QChar, type);
    QFETCH(int, tscOffset);
    QFETCH(QString, serverName);
    QFETCH(QString, storedName);
    QFETCH(bool, sentBack);
    QFETCH(bool, deleted);

    createSync();
    if (localExists) {
        QVERIFY(addLocalPerson(7, 70, QStringLiteral("Local")) != 0);
        // The unchanged case needs every compared field equal to the server's record.
        PersonData local = personByDochid(7);
        local.priez = QStringLiteral("Surname 7");
        local.karta = QStringLiteral("C7");
        // Kept here whatever the server sends, and sent with the person.
        local.saldo2 = 2.5;
        local.present = 1;
        QVERIFY(mDb->updatePerson(local, false));
    }
    const uint tsc = uint(int(now()) + tscOffset);
    const PersonSynData record = serverPerson(70, 7, serverName, type, tsc);
    if (type == QLatin1Char('X'))
        QTest::ignoreMessage(QtWarningMsg, "DBSync: Unsupported PersonSynData.type: 'X'");

    QSignalSpy sent(mSync.get(), &DBSync::sigPersonUpdated);
    mSync->doSyncPeople(PersonSynDataList { record });

    const PersonData stored = personByDochid(7);
    QVERIFY(stored.uid != 0);
    QCOMPARE(stored.meno, storedName);
    QCOMPARE(stored.del, deleted);
    QCOMPARE(sent.count(), sentBack ? 1 : 0);
    if (sentBack) {
        const PersonData local = sent.at(0).at(0).value<PersonData>();
        QCOMPARE(local.meno, QStringLiteral("Local"));
        QCOMPARE(local.saldo2, 2.5);
        QCOMPARE(local.present, 1u);
    }
    if (localExists) {
        QCOMPARE(stored.saldo2, 2.5);
        QCOMPARE(stored.present, 1u);
    }
    if (storedName == QLatin1String("Server")) {
        QCOMPARE(stored.refId, 70u);
        QCOMPARE(stored.syn, int(tsc != 0 ? tsc : 1));
    }
}

void tst_DBSync::forcedPeopleListKeepsOnlyListed()
{
    createSync();
    QVERIFY(addLocalPerson(1, 11) != 0);
    QVERIFY(addLocalPerson(2, 22) != 0);
    mSync->onNeedSyncPeople({ serverPerson(11, 1, QStringLiteral("One"), QChar('F'), now() + 60),
                              serverPerson(33, 3, QStringLiteral("Three"), QChar('F'), now()) },
                            500);
    QSignalSpy flags(mSync.get(), &DBSync::sigDeleteSyncFlags);
    finishReply(true);

    QList<PersonData> people;
    QVERIFY(mDb->nacitajLudi(people, false));
    QCOMPARE(people.size(), 2);
    QCOMPARE(people.at(0).dochid, 1);
    QCOMPARE(people.at(0).meno, QStringLiteral("One"));
    QCOMPARE(people.at(1).dochid, 3);
    QVERIFY(confirmedFlags(flags).contains({ 500, 0x2 }));
}

void tst_DBSync::completeInterListReplacesTypes()
{
    createSync();
    for (int id = 1; id <= 3; ++id)
        QVERIFY(mZepDb->syncPrerus(PrerusenieData(id, QStringLiteral("T%1").arg(id), "T")) > 0);
    mModel->reload(mZepDb.get());
    QCOMPARE(mModel->rowCount(), 3);

    QSignalSpy flags(mSync.get(), &DBSync::sigDeleteSyncFlags);
    mSync->onNeedSyncInters({ inter(1, QStringLiteral("T1"), 'F'),
                              inter(4, QStringLiteral("Lekar"), 'F'),
                              inter(2, QStringLiteral("T2"), 'D') },
                            300);
    finishReply(false);

    QList<PrerusenieData> types;
    mZepDb->loadInters(types);
    QCOMPARE(types.size(), 2);
    QCOMPARE(mModel->rowCount(), 2);
    QCOMPARE(mZepDb->nacitajPrerusenia(4), QStringLiteral("Lekar"));
    QCOMPARE(confirmedFlags(flags), (Flags { { 300, 0x1 } }));
}

void tst_DBSync::modelRefreshInterval_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("entrances");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("refreshes");

    QTest::newRow("zero is every tick") << 0 << 1 << 1 << 1;
    QTest::newRow("third tick") << 3 << 1 << 3 << 1;
    QTest::newRow("before the third tick") << 3 << 1 << 2 << 0;
    QTest::newRow("no entrances, no refresh") << 1 << 0 << 3 << 0;
    QTest::newRow("count reset after refresh") << 2 << 1 << 4 << 1;
}

void tst_DBSync::modelRefreshInterval()
{
    QFETCH(int, interval);
    QFETCH(int, entrances);
    QFETCH(int, ticks);
    QFETCH(int, refreshes);

    mSettings->setValue(QStringLiteral("timeout/prerusRefresh"), interval);
    createSync();
    for (int i = 0; i < entrances; ++i)
        QVERIFY(mDb->zapisPrerusenie(1, 1, QString(), 0, 0) > 0);

    QSignalSpy begin(mSync.get(), &DBSync::syncBegin);
    for (int i = 0; i < ticks; ++i)
        mSync->doSync();
    QCOMPARE(begin.count(QList<QVariant> { QStringLiteral("inters") }), refreshes);
}

void tst_DBSync::firstOnlineSyncFetchesListsForPeopleWithoutRefId()
{
    createSync();
    QVERIFY(addLocalPerson(5, 0) != 0);
    QSignalSpy inters(mSync.get(), &DBSync::sendGetInters);
    QSignalSpy people(mSync.get(), &DBSync::sendGetPeople);
    QSignalSpy log(mSync.get(), &DBSync::sigWriteToLog);

    mSync->doSync(); // offline: no check yet
    QCOMPARE(people.count(), 0);
    mSync->srvChangedState(ServerOnline);
    mSync->doSync();
    mSync->doSync();

    QCOMPARE(inters.count(), 1);
    QCOMPARE(people.count(), 1);
    QCOMPARE(log.count(), 1);
    QCOMPARE(log.at(0).at(0).toString(),
             QStringLiteral("DBSync: count people without RefId = 1 - starting initiate "
                            "synchronization.."));
}

void tst_DBSync::localPeoplePushedUntilConfirmed()
{
    createSync();
    PersonData person;
    person.dochid = 8;
    person.meno = QStringLiteral("New");
    QVERIFY(mDb->addPerson(person, false));

    QSignalSpy sent(mSync.get(), &DBSync::sigPersonUpdated);
    QSignalSpy end(mSync.get(), &DBSync::syncEnd);
    mSync->doSyncPeople();
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).value<PersonData>().dochid, 8);
    QCOMPARE(end.at(0), (QList<QVariant> { QStringLiteral("people"), 1, 0 }));

    mSync->doSetPersonSyn(8, 880);
    QCOMPARE(personByDochid(8).refId, 880u);
    mSync->doSyncPeople();
    QCOMPARE(sent.count(), 1);
}

void tst_DBSync::peopleReplacedOnlyByAList_data()
{
    QTest::addColumn<QString>("delivery");
    QTest::addColumn<PersonSynDataList>("list");
    QTest::addColumn<QList<int>>("active"); // dochids
    QTest::addColumn<QList<int>>("deleted");

    // Here: 1 (server 11), 2 (server 22, with an unsent entrance), 5 (created here, unconfirmed).
    const uint later = now() + 60;
    QTest::newRow("forced reply without a people list")
        << "forced" << PersonSynDataList {} << QList<int> { 1, 2, 5 } << QList<int> {};
    QTest::newRow("forced list without 2")
        << "forced"
        << PersonSynDataList { serverPerson(11, 1, QStringLiteral("One"), 'F', later),
                               serverPerson(33, 3, QStringLiteral("Three"), 'F', later) }
        << QList<int> { 1, 3, 5 } << QList<int> { 2 };
    QTest::newRow("complete list without 2")
        << "complete"
        << PersonSynDataList { serverPerson(11, 1, QStringLiteral("One"), 'I', later),
                               serverPerson(33, 3, QStringLiteral("Three"), 'I', later) }
        << QList<int> { 1, 3, 5 } << QList<int> { 2 };
    QTest::newRow("reply without server time")
        << "no time" << PersonSynDataList { serverPerson(11, 1, QStringLiteral("One"), 'U', later) }
        << QList<int> { 1, 2, 5 } << QList<int> {};
    QTest::newRow("server deletes a number taken here")
        << "incremental"
        << PersonSynDataList { serverPerson(55, 5, QStringLiteral("Five"), 'D', later) }
        << QList<int> { 1, 2, 5 } << QList<int> {};
    QTest::newRow("duplicates in a forced list")
        << "forced"
        << PersonSynDataList { serverPerson(11, 1, QStringLiteral("One"), 'F', later),
                               serverPerson(11, 1, QStringLiteral("One"), 'F', later) }
        << QList<int> { 1, 5 } << QList<int> { 2 };
}

void tst_DBSync::peopleReplacedOnlyByAList()
{
    QFETCH(QString, delivery);
    QFETCH(PersonSynDataList, list);
    QFETCH(QList<int>, active);
    QFETCH(QList<int>, deleted);

    createSync();
    const uint one = addLocalPerson(1, 11);
    const uint two = addLocalPerson(2, 22);
    PersonData local;
    local.dochid = 5;
    local.meno = QStringLiteral("Local");
    QVERIFY(mDb->addPerson(local, false));
    QVERIFY(mDb->zapisPrerusenie(3, 1, QString(), two, 2, 1000) > 0);

    if (delivery == QLatin1String("complete"))
        mSync->onCompletePeople(list);
    else
        mSync->onNeedSyncPeople(list, delivery == QLatin1String("no time") ? 0 : 500);
    finishReply(delivery == QLatin1String("forced"));

    QList<PersonData> people;
    QVERIFY(mDb->nacitajLudi(people, false));
    QList<int> dochids;
    for (const PersonData &person : qAsConst(people))
        dochids.append(person.dochid);
    QCOMPARE(dochids, active);
    for (int dochid : deleted)
        QVERIFY(personByDochid(dochid).del);
    // Matched by number and updated in place: the local ids stay.
    QCOMPARE(uint(personByDochid(1).uid), one);
    QCOMPARE(uint(personByDochid(2).uid), two);
    // The entrance of 2 still has its person's number and waits for the upload.
    QList<EntranceData> unsent;
    QVERIFY(mDb->nacitajPrerusenia(unsent, true, false));
    QCOMPARE(unsent.size(), 1);
    QCOMPARE(unsent.at(0).dochid, 2u);
}

void tst_DBSync::listNotConfirmedWhenItsCommitFails()
{
    createSync();
    QVERIFY(addLocalPerson(1, 11) != 0);
    QVERIFY(FailingCommits::install(mDb->connectionName()));
    mSync->onNeedSyncPeople({ serverPerson(33, 3, QStringLiteral("Three"), 'I', now()) }, 500);
    mSync->onNeedSyncSaldo({ { 11, 90 } }, 500);
    QSignalSpy flags(mSync.get(), &DBSync::sigDeleteSyncFlags);
    finishReply(false);

    // The server sends the people again; the balance was written and is confirmed.
    QCOMPARE(confirmedFlags(flags), (Flags { { 500, 0x4 } }));
    QCOMPARE(personByDochid(3).uid, 0);
    QCOMPARE(personByDochid(1).saldo1, 1.5);
}

void tst_DBSync::recordWithoutServerIdSkipped_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("saldo") << "saldo";
    QTest::newRow("present") << "present";
    QTest::newRow("grp") << "grp";
    QTest::newRow("pzt") << "pzt";
    QTest::newRow("people") << "people";
}

void tst_DBSync::recordWithoutServerIdSkipped()
{
    QFETCH(QString, list);
    createSync();
    // Not confirmed by the server yet: its refId is 0.
    PersonData local;
    local.dochid = 5;
    local.meno = QStringLiteral("Local");
    QVERIFY(mDb->addPerson(local, false));
    const uint uid = uint(personByDochid(5).uid);
    ZoneData zone;
    zone.zid = 4;
    zone.status = true;
    QVERIFY(mDb->addZone(zone));

    if (list == QLatin1String("saldo"))
        mSync->onNeedSyncSaldo({ { 0, 90 } }, 500);
    else if (list == QLatin1String("present"))
        mSync->onNeedSyncPresent({ { 0, 1 } }, 500);
    else if (list == QLatin1String("grp"))
        mSync->onNeedSyncGrp({ { 0, 3 } }, 500);
    else if (list == QLatin1String("pzt"))
        mSync->onNeedSyncPZT({ { 4, 0, 'I', 50 } }, 500);
    else
        mSync->onNeedSyncPeople({ serverPerson(0, 5, QStringLiteral("Server"), 'U', now() + 60) },
                                500);
    finishReply(false);

    const PersonData stored = personByDochid(5);
    QCOMPARE(stored.meno, QStringLiteral("Local"));
    QCOMPARE(stored.saldo1, 0.0);
    QCOMPARE(stored.present, 0u);
    QCOMPARE(int(stored.colorGrp), 0);
    QVERIFY(mDb->loadZones4Person(uid).isEmpty());
}

void tst_DBSync::highestServerIdContinuesEntranceIds()
{
    createSync();
    TulDbManager protocol(mSettings.get());
    ApplierWiring::connect(&protocol, mSync.get());
    // data.db is new, the server already holds entrances up to 500 of this terminal.
    emit protocol.maxRefIdReceived(500);
    QCOMPARE(mDb->zapisPrerusenie(3, 1, QString(), 0, 0), 501);
}

void tst_DBSync::unsendableEntrancesCounted()
{
    createSync();
    const uint uid = addLocalPerson(12, 120);
    QVERIFY(mDb->zapisPrerusenie(3, 1, QString(), uid, 12) > 0);
    QCOMPARE(mSync->unsendableEntranceCount(), 0u);
    // A card nobody holds.
    QVERIFY(mDb->zapisPrerusenie(3, 1, QStringLiteral("FFFF"), 0, 0) > 0);
    QCOMPARE(mSync->unsendableEntranceCount(), 1u);
}

void tst_DBSync::eventsLetThroughByTimeNotByCount_data()
{
    QTest::addColumn<qint64>("msPerReading"); // how far the clock moves at each reading
    QTest::addColumn<bool>("letThrough");
    QTest::newRow("a quick list holds them to its end") << qint64(0) << false;
    QTest::newRow("a slow list lets them through as it goes") << qint64(10) << true;
}

void tst_DBSync::eventsLetThroughByTimeNotByCount()
{
    QFETCH(qint64, msPerReading);
    QFETCH(bool, letThrough);
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    TestClock clock([&ms, msPerReading] { return ms += msPerReading; });
    createSync();
    PersonSynDataList list;
    for (uint pid = 1; pid <= 50; ++pid)
        list.append(serverPerson(100 + pid, pid, QStringLiteral("P"), QLatin1Char('I'), now()));

    bool ranDuringList = false;
    bool applying = true;
    QTimer::singleShot(0, this, [&] { ranDuringList = applying; });
    mSync->doSyncPeople(list);
    applying = false;
    QCOMPARE(ranDuringList, letThrough);
    QCOMPARE(mDb->getPeopleCount(), 50u);
}

QTEST_GUILESS_MAIN(tst_DBSync)
#include "tst_dbsync.moc"
