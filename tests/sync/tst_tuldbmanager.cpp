#include "foundation/zepsettings.h"
#include "sync/asyncpinger.h"
#include "foundation/bodyencoding.h"
#include "sync/idpairencoding.h"
#include "sync/requestbuilder.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"
#include "tests/support/scriptedsyncserver.h"
#include "tests/support/workdir.h"

#include <QJsonDocument>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

using Reply = ScriptedHttpServer::Reply;

class TestTulDbManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stateTable_data();
    void stateTable();
    void stateSignalOnlyOnChange();
    void registrationThenUpdateThenSync();
    void forceSyncClearedByReply();
    void reregistration_data();
    void reregistration();
    void updateTermNotFoundRegisters();
    void syncLists();
    void listValuesReadAsVariants_data();
    void listValuesReadAsVariants();
    void serverTime_data();
    void serverTime();
    void emptyLists_data();
    void emptyLists();
    void flagsAndLastId();
    void catalogue_data();
    void catalogue();
    void entranceBody();
    void confirmations();
    void entranceDeletionConfirmed_data();
    void entranceDeletionConfirmed();
    void personReply_data();
    void personReply();
    void intersReply();
    void malformedJson();
    void serverStopsMidRequest();
    void unreachable();
    void networkingOff();
    void pingDisabled();
    void noServerAddress_data();
    void noServerAddress();
    void skippedCycles();
    void loadSettingsDefaults();

private:
    TulDbManager *makeManager(bool ping = true);
    static void post(TulDbManager *manager,
                     uint iid,
                     uint type,
                     uint pid,
                     uint refId,
                     const QString &imgPath = QString(),
                     uint localId = 0,
                     uint time = 0);
    void syncOnce(TulDbManager *manager);

    WorkDir *mDir = nullptr;
    ZEPSettings *mSettings = nullptr;
    ScriptedSyncServer *mServer = nullptr;
    QList<TulDbManager *> mManagers;
};

void TestTulDbManager::initTestCase()
{
    ChangeLists::registerMetaTypes();
}

void TestTulDbManager::init()
{
    mDir = new WorkDir;
    QVERIFY(mDir->isValid());
    mSettings = new ZEPSettings(QStringLiteral("zep.ini"));
    mServer = new ScriptedSyncServer;
    QVERIFY(mServer->server.listen());
}

void TestTulDbManager::cleanup()
{
    qDeleteAll(mManagers);
    mManagers.clear();
    delete mServer;
    delete mSettings;
    delete mDir;
}

TulDbManager *TestTulDbManager::makeManager(bool ping)
{
    mSettings->setValue(QStringLiteral("serverKLD/pingEnabled"), ping);
    auto *manager = new TulDbManager(mSettings);
    mManagers << manager;
    manager->setNetworkingEnabled(true);
    manager->setServerIp(QStringLiteral("127.0.0.1"));
    manager->setServerPort(mServer->server.port());
    manager->setTermData(TermData());
    manager->client()->setTransferTimeout(300);
    manager->probe()->setTimeout(1000);
    return manager;
}

void TestTulDbManager::post(TulDbManager *manager,
                            uint iid,
                            uint type,
                            uint pid,
                            uint refId,
                            const QString &imgPath,
                            uint localId,
                            uint time)
{
    manager->sendAddEntrance(
        RequestBuilder::entranceBody(iid, type, pid, refId, localId, imgPath, time));
}

// One cycle, waiting until every request it sent was answered.
void TestTulDbManager::syncOnce(TulDbManager *manager)
{
    QSignalSpy probed(manager->probe(), &AsyncPinger::pingFinished);
    manager->doSync();
    if (mSettings->value(QStringLiteral("serverKLD/pingEnabled"), true).toBool())
        QVERIFY(probed.wait(5000));
    QTRY_COMPARE_WITH_TIMEOUT(manager->outstandingRequests(), 0, 5000);
}

void TestTulDbManager::stateTable_data()
{
    QTest::addColumn<int>("syncStatus");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("status");
    QTest::addColumn<ServerState>("state");
    QTest::newRow("sync 200 is online") << 200 << "" << 0 << ServerOnline;
    QTest::newRow("sync 302 is online") << 302 << "" << 0 << ServerOnline;
    QTest::newRow("sync 404 is rejected") << 404 << "" << 0 << ServerRejected;
    QTest::newRow("sync 500 is failed") << 500 << "" << 0 << ServerFailed;
    QTest::newRow("sync 503 is failed") << 503 << "" << 0 << ServerFailed;
    QTest::newRow("sync without an answer (status 0) is failed") << -1 << "" << 0 << ServerFailed;
    QTest::newRow("entrance 150 after 404 stays rejected")
        << 404 << "entrance" << 150 << ServerRejected;
    QTest::newRow("sync 199 after 200 stays online") << 200 << "sync" << 199 << ServerOnline;
    QTest::newRow("entrance 200 after 404 is online") << 404 << "entrance" << 200 << ServerOnline;
    QTest::newRow("person 200 after 404 stays rejected")
        << 404 << "person" << 200 << ServerRejected;
    QTest::newRow("inters 200 after 500 stays failed") << 500 << "inters" << 200 << ServerFailed;
    QTest::newRow("person 404 after 200 is rejected") << 200 << "person" << 404 << ServerRejected;
    QTest::newRow("entrance 500 after 200 is failed") << 200 << "entrance" << 500 << ServerFailed;
}

void TestTulDbManager::stateTable()
{
    QFETCH(int, syncStatus);
    QFETCH(QString, operation);
    QFETCH(int, status);
    QFETCH(ServerState, state);
    TulDbManager *manager = makeManager();
    if (syncStatus < 0) // the server stops answering halfway
        mServer->script("GET sync", { 200, {}, ScriptedHttpServer::Reply::Stall });
    else
        mServer->script("GET sync", syncStatus, { { "err", syncStatus == 200 ? 0 : syncStatus } });
    syncOnce(manager);
    if (!operation.isEmpty()) {
        mServer->script((operation == "entrance" ? "POST " : "GET ") + operation,
                        status,
                        { { "err", status == 200 ? 0 : status } });
        if (operation == "entrance")
            post(manager, 1, 1, 5, 0);
        else if (operation == "sync")
            syncOnce(manager);
        else if (operation == "person")
            manager->sendGetPerson();
        else
            manager->sendGetInters();
        QTRY_COMPARE_WITH_TIMEOUT(manager->outstandingRequests(), 0, 5000);
    }
    QCOMPARE(manager->serverState(), state);
}

void TestTulDbManager::stateSignalOnlyOnChange()
{
    TulDbManager *manager = makeManager();
    QSignalSpy changed(manager, &TulDbManager::serverStateChanged);
    syncOnce(manager);
    syncOnce(manager);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<ServerState>(), ServerOnline);
    manager->resetServerState();
    syncOnce(manager);
    QCOMPARE(changed.count(), 2);
}

void TestTulDbManager::registrationThenUpdateThenSync()
{
    TulDbManager *manager = makeManager();
    TermData term;
    term.tid = 7;
    term.model = QStringLiteral("VZEP");
    term.ver = QStringLiteral("1.0.0");
    term.cpuu = 12;
    manager->setMac(QStringLiteral("00:11:22:33:44:55"));
    manager->setTermData(term);
    QCOMPARE(manager->terminalKey(), IdPairEncoding::encode(0, 7));

    mServer->script("POST term", 200, { { "res", 42 }, { "colorGroups", "1:red" } });
    QSignalSpy registered(manager, &TulDbManager::terminalRegistered);
    QSignalSpy groups(manager, &TulDbManager::colorGroupsChanged);
    syncOnce(manager);
    QCOMPARE(mServer->calls(), QStringList { "POST term" });
    const QVariantMap sent = mServer->body("POST term");
    QCOMPARE(sent.value("mac").toString(), QStringLiteral("00:11:22:33:44:55"));
    QCOMPARE(sent.value("fid").toUInt(), 7u);
    QCOMPARE(sent.value("type").toString(), QStringLiteral("VZEP"));
    QCOMPARE(sent.value("ver").toString(), QStringLiteral("1.0.0"));
    QCOMPARE(sent.value("cpuu").toInt(), 12);
    QVERIFY(!sent.contains("memu")); // unchanged figures are not sent
    QCOMPARE(registered.value(0).value(0).toUInt(), 42u);
    QCOMPARE(groups.value(0).value(0).toString(), QStringLiteral("1:red"));
    const QString key = IdPairEncoding::encode(42, 7);
    QCOMPARE(manager->terminalKey(), key);
    QVERIFY(manager->pendingTerminalChanges().isEmpty());

    // The controller stores the id and hands the record back with a new figure.
    term.refId = 42;
    term.cpuu = 30;
    manager->setTermData(term);
    syncOnce(manager);
    QStringList calls = mServer->calls().mid(1);
    calls.sort(); // sent together, they may arrive in either order
    QCOMPARE(calls, (QStringList { "GET sync/" + key + "/fs", "PUT term/" + key }));
    QCOMPARE(mServer->body("PUT term"), (QVariantMap { { "cpuu", 30 } }));
    QVERIFY(manager->pendingTerminalChanges().isEmpty());

    syncOnce(manager);
    QCOMPARE(mServer->calls().mid(3), QStringList { "GET sync/" + key });
}

void TestTulDbManager::forceSyncClearedByReply()
{
    TulDbManager *manager = makeManager();
    QVERIFY(manager->forceSync());
    mServer->script("GET sync", 500, { { "err", 500 } });
    syncOnce(manager); // a failed reply keeps the full sync pending
    QVERIFY(manager->forceSync());
    syncOnce(manager);
    QVERIFY(!manager->forceSync());
    manager->setForceSync(true);
    syncOnce(manager);
    syncOnce(manager);
    const QString key = manager->terminalKey();
    QCOMPARE(mServer->calls(),
             (QStringList { "GET sync/" + key + "/fs",
                            "GET sync/" + key + "/fs",
                            "GET sync/" + key + "/fs",
                            "GET sync/" + key }));
}

void TestTulDbManager::reregistration_data()
{
    QTest::addColumn<int>("err");
    QTest::addColumn<QString>("errKey");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("registers");
    QTest::newRow("400 Invalid hash in res") << 400 << "res"
                                             << "Invalid hash" << true;
    QTest::newRow("400 invalid hash in lower case") << 400 << "res"
                                                    << "invalid hash" << false;
    QTest::newRow("404 terminal in err_msg, any case") << 404 << "err_msg"
                                                       << "unknown TERMINAL" << true;
    QTest::newRow("404 Terminal in res") << 404 << "res"
                                         << "Terminal not found" << true;
    QTest::newRow("404 about a person") << 404 << "res"
                                        << "Person not found" << false;
    QTest::newRow("400 Terminal text") << 400 << "res"
                                       << "Terminal" << false;
}

void TestTulDbManager::reregistration()
{
    QFETCH(int, err);
    QFETCH(QString, errKey);
    QFETCH(QString, text);
    QFETCH(bool, registers);
    TulDbManager *manager = makeManager();
    QSignalSpy finished(manager, &TulDbManager::syncFinished);
    mServer->script("GET sync", err, { { "err", err }, { errKey, text } });
    syncOnce(manager);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(mServer->calls().filter("POST term").size(), registers ? 1 : 0);
}

void TestTulDbManager::updateTermNotFoundRegisters()
{
    TulDbManager *manager = makeManager();
    TermData term;
    term.tid = 3;
    term.refId = 9;
    manager->setTermData(term);
    mServer->script("PUT term", 200, { { "err", 404 } });
    syncOnce(manager);
    QTRY_COMPARE(mServer->calls().filter("POST term").size(), 1);
    QTRY_COMPARE(manager->outstandingRequests(), 0);
}

void TestTulDbManager::syncLists()
{
    TulDbManager *manager = makeManager();
    const QVariantMap res {
        { "sync", 0x14F },
        { "inters",
          QVariantMap { { "70003",
                          QVariantMap { { "name", "Lunch" },
                                        { "shortcut", "OB" },
                                        { "color", "#f00" },
                                        { "start", "11:00" },
                                        { "stop", "13:00" },
                                        { "weight", 4 },
                                        { "type", "Update" },
                                        { "tsc", 900 } } } } },
        { "people",
          QVariantMap { { "17",
                          QVariantMap { { "pid", 1017 },
                                        { "name", "Jana" },
                                        { "surname", "Mala" },
                                        { "title", "Ing." },
                                        { "title2", "PhD." },
                                        { "card", "C17" },
                                        { "saldo", -90 },
                                        { "admin", 1 },
                                        { "access", true },
                                        { "grp", 2 },
                                        { "type", "I" },
                                        { "tsc", 901 } } } } },
        { "saldo", QVariantMap { { "17", 90 } } },
        { "present", QVariantMap { { "17", 1 } } },
        { "grp", QVariantMap { { "17", 259 } } },
        { "timezones",
          QVariantMap {
              { "zones",
                QVariantMap { { "5",
                                QVariantMap { { "days", 31 },
                                              { "from_time", 480 },
                                              { "to_time", 960 },
                                              { "status", 1 },
                                              { "type", "U" },
                                              { "tsc", 902 } } } } },
              { "pzt",
                QVariantList { QVariantMap {
                    { "zid", 5 }, { "uid", 17 }, { "type", "D" }, { "tsc", 903 } } } } } },
    };
    mServer->script("GET sync", 200, { { "res", res }, { "st", 5000 } });
    QStringList order;
    QSignalSpy inters(manager, &TulDbManager::needSyncInters);
    QSignalSpy people(manager, &TulDbManager::needSyncPeople);
    QSignalSpy saldo(manager, &TulDbManager::needSyncSaldo);
    QSignalSpy present(manager, &TulDbManager::needSyncPresent);
    QSignalSpy grp(manager, &TulDbManager::needSyncGrp);
    QSignalSpy zones(manager, &TulDbManager::needSyncZones);
    QSignalSpy pzt(manager, &TulDbManager::needSyncPZT);
    QSignalSpy done(manager, &TulDbManager::parseSyncFinished);
    connect(manager, &TulDbManager::needSyncInters, this, [&] { order << "inters"; });
    connect(manager, &TulDbManager::needSyncPeople, this, [&] { order << "people"; });
    connect(manager, &TulDbManager::needSyncSaldo, this, [&] { order << "saldo"; });
    connect(manager, &TulDbManager::needSyncPresent, this, [&] { order << "present"; });
    connect(manager, &TulDbManager::needSyncZones, this, [&] { order << "zones"; });
    connect(manager, &TulDbManager::needSyncPZT, this, [&] { order << "pzt"; });
    connect(manager, &TulDbManager::needSyncGrp, this, [&] { order << "grp"; });
    connect(manager, &TulDbManager::parseSyncFinished, this, [&] { order << "finished"; });
    syncOnce(manager);

    QCOMPARE(order,
             (QStringList {
                 "inters", "people", "saldo", "present", "zones", "pzt", "grp", "finished" }));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    const InterSynData inter = inters.at(0).at(0).value<InterSynDataList>().value(0);
    QCOMPARE(inters.at(0).at(1).toUInt(), 5000u);
    QCOMPARE(inter.id, 70003u); // ids above 16 bits
    QCOMPARE(inter.name, QStringLiteral("Lunch"));
    QCOMPARE(inter.shortcut, QStringLiteral("OB"));
    QCOMPARE(inter.color, QStringLiteral("#f00"));
    QCOMPARE(inter.start, QStringLiteral("11:00"));
    QCOMPARE(inter.stop, QStringLiteral("13:00"));
    QCOMPARE(inter.weight, 4);
    QCOMPARE(inter.type, QChar('U'));
    QCOMPARE(inter.tsc, 900u);
    const PersonSynData person = people.at(0).at(0).value<PersonSynDataList>().value(0);
    QCOMPARE(person.uid, 17u);
    QCOMPARE(person.pid, 1017u);
    QCOMPARE(person.name, QStringLiteral("Jana"));
    QCOMPARE(person.surname, QStringLiteral("Mala"));
    QCOMPARE(person.title, QStringLiteral("Ing."));
    QCOMPARE(person.title2, QStringLiteral("PhD."));
    QCOMPARE(person.card, QStringLiteral("C17"));
    QCOMPARE(person.saldo, -90);
    QVERIFY(person.admin);
    QVERIFY(person.access);
    QCOMPARE(person.grp, 2u);
    QCOMPARE(person.type, QChar('I'));
    QCOMPARE(person.tsc, 901u);
    QCOMPARE(saldo.at(0).at(0).value<SaldoSynDataList>().value(0).saldo, 90);
    QCOMPARE(present.at(0).at(0).value<PresentSynDataList>().value(0).present, 1u);
    QCOMPARE(grp.at(0).at(0).value<GrpSynDataList>().value(0).grp, quint8(3)); // cut to 8 bits
    const ZoneSynData zone = zones.at(0).at(0).value<ZoneSynDataList>().value(0);
    QCOMPARE(zone.toString(), QStringLiteral("5|31|480|960|1-U|902"));
    QCOMPARE(pzt.at(0).at(0).value<PZTSynDataList>().value(0).toString(),
             QStringLiteral("5|17-D|903"));
}

// Servers write some values as texts or numbers where others write the other: the lists read
// them with the variant conversions, as the protocol always has.
void TestTulDbManager::listValuesReadAsVariants_data()
{
    QTest::addColumn<QVariant>("record"); // the value of person "17" in the people object
    QTest::addColumn<QString>("read"); // uid|pid|name|card|saldo|admin|access|grp|type|tsc

    QTest::newRow("numbers as texts") << QVariant(
        QVariantMap { { "pid", "1017" }, { "saldo", "-90" }, { "grp", "2" }, { "tsc", "901" } })
                                      << "17|1017|||-90|0|0|2||901";
    QTest::newRow("flags as numbers and texts")
        << QVariant(QVariantMap { { "admin", 1 }, { "access", "true" }, { "type", "U" } })
        << "17|0|||0|1|1|0|U|0";
    QTest::newRow("texts as numbers")
        << QVariant(QVariantMap { { "name", 12 }, { "card", 4521873 }, { "type", 7 } })
        << "17|0|12|4521873|0|0|0|0|7|0";
    QTest::newRow("record not an object") << QVariant(5) << "17|0|||0|0|0|0||0";
}

void TestTulDbManager::listValuesReadAsVariants()
{
    QFETCH(QVariant, record);
    QFETCH(QString, read);
    TulDbManager *manager = makeManager();
    const QVariantMap res { { "sync", 0x2 }, { "people", QVariantMap { { "17", record } } } };
    mServer->script("GET sync", 200, { { "res", res }, { "st", 5000 } });
    QSignalSpy people(manager, &TulDbManager::needSyncPeople);
    syncOnce(manager);

    QCOMPARE(people.count(), 1);
    const PersonSynDataList list = people.at(0).at(0).value<PersonSynDataList>();
    QCOMPARE(list.size(), 1);
    const PersonSynData p = list.at(0);
    QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10")
                 .arg(p.uid)
                 .arg(p.pid)
                 .arg(p.name, p.card)
                 .arg(p.saldo)
                 .arg(int(p.admin))
                 .arg(int(p.access))
                 .arg(p.grp)
                 .arg(p.type.isNull() ? QString() : QString(p.type))
                 .arg(p.tsc),
             read);
}

void TestTulDbManager::serverTime_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<uint>("ts");
    QTest::newRow("0.0.9 takes the result's time") << "0.0.9" << 111u;
    QTest::newRow("empty version counts as older") << "" << 111u;
    QTest::newRow("0.1.0 takes the envelope's time") << "0.1.0" << 222u;
    QTest::newRow("1.2.3 takes the envelope's time") << "1.2.3" << 222u;
}

void TestTulDbManager::serverTime()
{
    QFETCH(QString, version);
    QFETCH(uint, ts);
    TulDbManager *manager = makeManager();
    const QVariantMap res { { "sync", 0x4 },
                            { "st", 111 },
                            { "saldo", QVariantMap { { "1", 5 } } } };
    mServer->script("GET sync", 200, { { "res", res }, { "st", 222 }, { "ver", version } });
    QSignalSpy saldo(manager, &TulDbManager::needSyncSaldo);
    syncOnce(manager);
    QCOMPARE(saldo.count(), 1);
    QCOMPARE(saldo.at(0).at(1).toUInt(), ts);
}

void TestTulDbManager::emptyLists_data()
{
    QTest::addColumn<bool>("forced");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<int>("lists");
    QTest::addColumn<int>("parseFinished");
    QTest::newRow("forced: every set bit emits") << true << 0x14Fu << 7 << 1;
    QTest::newRow("forced: only the set bits") << true << 0x3u << 2 << 1;
    QTest::newRow("incremental: empty lists stay silent") << false << 0x14Fu << 0 << 1;
    QTest::newRow("mask 0: no lists, no parse end") << true << 0u << 0 << 0;
}

void TestTulDbManager::emptyLists()
{
    QFETCH(bool, forced);
    QFETCH(uint, mask);
    QFETCH(int, lists);
    QFETCH(int, parseFinished);
    TulDbManager *manager = makeManager();
    manager->setForceSync(forced);
    const QVariantMap res {
        { "sync", mask },
        { "inters", QVariantMap() },
        { "people", QVariantMap() },
        { "saldo", QVariantMap() },
        { "present", QVariantMap() },
        { "grp", QVariantMap() },
        { "timezones", QVariantMap { { "zones", QVariantMap() }, { "pzt", QVariantList() } } }
    };
    mServer->script("GET sync", 200, { { "res", res } });
    int emitted = 0;
    auto count = [&] { ++emitted; };
    connect(manager, &TulDbManager::needSyncInters, this, count);
    connect(manager, &TulDbManager::needSyncPeople, this, count);
    connect(manager, &TulDbManager::needSyncSaldo, this, count);
    connect(manager, &TulDbManager::needSyncPresent, this, count);
    connect(manager, &TulDbManager::needSyncGrp, this, count);
    connect(manager, &TulDbManager::needSyncZones, this, count);
    connect(manager, &TulDbManager::needSyncPZT, this, count);
    QSignalSpy done(manager, &TulDbManager::parseSyncFinished);
    QSignalSpy finished(manager, &TulDbManager::syncFinished);
    syncOnce(manager);
    QCOMPARE(emitted, lists);
    QCOMPARE(done.count(), parseFinished);
    if (parseFinished)
        QCOMPARE(done.at(0).at(0).toBool(), forced);
    QCOMPARE(finished.count(), 1);
}

void TestTulDbManager::flagsAndLastId()
{
    TulDbManager *manager = makeManager();
    QSignalSpy flags(manager, &TulDbManager::terminalSyncFlagsChanged);
    QSignalSpy lastId(manager, &TulDbManager::maxRefIdReceived);
    mServer->script(
        "GET sync", 200, { { "flags", 64 }, { "res", QVariantMap { { "lastId", 77 } } } });
    mServer->script(
        "GET sync", 200, { { "flags", 64 }, { "res", QVariantMap { { "lastId", 0 } } } });
    mServer->script("GET sync", 200, { { "res", QVariantMap() } });
    syncOnce(manager);
    syncOnce(manager);
    syncOnce(manager);
    QCOMPARE(flags.count(), 1);
    QCOMPARE(flags.at(0).at(0).value<ushort>(), ushort(64));
    QCOMPARE(lastId.count(), 1);
    QCOMPARE(lastId.at(0).at(0).toUInt(), 77u);
}

void TestTulDbManager::catalogue_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected"); // with K for the terminal key
    QTest::addColumn<QStringList>("bodyKeys");
    const QStringList personKeys { "access",  "admin", "card",    "colorGroup", "del",
                                   "name",    "pid",   "present", "refId",      "saldo",
                                   "surname", "title", "uid",     "updated" };
    QTest::newRow("confirm sync") << "deleteSyncFlags"
                                  << "DELETE sync/K/" + IdPairEncoding::encode(1000, 0x40)
                                  << QStringList();
    QTest::newRow("all persons") << "getPersons"
                                 << "GET person/K" << QStringList();
    QTest::newRow("one person") << "getPerson"
                                << "GET person/K/" + IdPairEncoding::encode(17, 1017)
                                << QStringList();
    QTest::newRow("interruption types") << "getInters"
                                        << "GET inters/K" << QStringList();
    QTest::newRow("add person") << "addPerson"
                                << "POST person/K" << personKeys;
    QTest::newRow("update person")
        << "updatePerson"
        << "PUT person/K/" + IdPairEncoding::encode(17, 1017) << personKeys;
    QTest::newRow("update without refId adds") << "updatePersonNoRef"
                                               << "POST person/K" << personKeys;
    QTest::newRow("delete person")
        << "deletePerson"
        << "DELETE person/K/" + IdPairEncoding::encode(17, 1017) << QStringList();
    QTest::newRow("delete entrance")
        << "deleteEntrance"
        << "DELETE entrance/K/" + IdPairEncoding::encode(88, 12) << QStringList();
    QTest::newRow("add entrance") << "addEntrance"
                                  << "POST entrance/K"
                                  << QStringList { "date", "iid", "pid", "refId", "type", "uid" };
    QTest::newRow("add entrance, zeros left out")
        << "addEntranceBare"
        << "POST entrance/K" << QStringList { "iid", "type" };
}

void TestTulDbManager::catalogue()
{
    QFETCH(QString, request);
    QFETCH(QString, expected);
    QFETCH(QStringList, bodyKeys);
    TulDbManager *manager = makeManager(false);
    TermData term;
    term.tid = 4;
    term.refId = 2;
    manager->setTermData(term);
    manager->setForceSync(false);
    syncOnce(manager); // update-term and sync make the server accessible
    const int first = mServer->calls().size();

    PersonData person;
    person.uid = 5;
    person.dochid = 1017;
    person.karta = QStringLiteral("C17");
    person.meno = QStringLiteral("Jana");
    person.refId = 17;
    person.saldo1 = 1.5;
    if (request == "deleteSyncFlags")
        manager->sendDeleteSyncFlags(1000, 0x40);
    else if (request == "getPersons")
        manager->sendGetPerson();
    else if (request == "getPerson")
        manager->sendGetPerson(17, 1017);
    else if (request == "getInters")
        manager->sendGetInters();
    else if (request == "addPerson")
        manager->sendAddPerson(person);
    else if (request == "updatePerson")
        manager->sendUpdatePerson(person);
    else if (request == "updatePersonNoRef") {
        person.refId = 0;
        manager->sendUpdatePerson(person);
    } else if (request == "deletePerson")
        manager->sendDeletePerson(1017, 17);
    else if (request == "deleteEntrance")
        manager->sendDeleteEntrance(12, 88);
    else if (request == "addEntrance")
        post(manager, 3, 1, 1017, 17, QString(), 55, 1700000000);
    else if (request == "addEntranceBare")
        post(manager, 3, 0, 0, 0);
    QTRY_COMPARE(manager->outstandingRequests(), 0);

    const QString key = IdPairEncoding::encode(2, 4);
    QCOMPARE(mServer->calls().mid(first),
             QStringList { QString(expected).replace("/K", "/" + key) });
    const QVariantMap body = mServer->bodies(QString()).value(first);
    QCOMPARE(body.keys(), bodyKeys);
    if (bodyKeys.contains("card")) {
        QCOMPARE(body.value("uid").toUInt(), 5u);
        QCOMPARE(body.value("pid").toUInt(), 1017u);
        QCOMPARE(body.value("saldo").toDouble(), 1.5);
    }
    if (request == "addEntrance") {
        QCOMPARE(body.value("refId").toUInt(), 55u);
        QCOMPARE(body.value("uid").toUInt(), 17u);
        QCOMPARE(body.value("pid").toUInt(), 1017u);
        QCOMPARE(body.value("date").toUInt(), 1700000000u);
    }
}

void TestTulDbManager::entranceBody()
{
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    QDir().mkpath(QStringLiteral("pic/p"));
    QFile photo(QStringLiteral("pic/p/55.jpg"));
    QVERIFY(photo.open(QIODevice::WriteOnly));
    const QByteArray jpeg("\xff\xd8\xff\xe0 not really a picture \xff\xd9", 28);
    photo.write(jpeg);
    photo.close();
    QFile(QStringLiteral("pic/p/56.jpg")).open(QIODevice::WriteOnly); // empty file: no image

    post(manager, 3, 1, 1017, 17, QStringLiteral("pic/p/55.jpg"), 55, 1700000000);
    post(manager, 3, 1, 1017, 17, QStringLiteral("pic/p/56.jpg"), 56, 1700000001);
    post(manager, 3, 1, 1017, 17, QStringLiteral("pic/p/missing.jpg"), 57, 1700000002);
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    QMap<uint, QVariantMap> byId;
    for (const QVariantMap &body : mServer->bodies("POST entrance"))
        byId.insert(body.value("refId").toUInt(), body);
    QCOMPARE(byId.size(), 3);
    QCOMPARE(byId[55].value("imgPath").toString(), QStringLiteral("pic/p/55.jpg"));
    QCOMPARE(decodeBody(byId[55].value("image").toString().toLatin1()), jpeg);
    QVERIFY(!byId[56].contains("image"));
    QCOMPARE(byId[57].value("imgPath").toString(), QStringLiteral("pic/p/missing.jpg"));
    QVERIFY(!byId[57].contains("image"));
}

void TestTulDbManager::confirmations()
{
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    QSignalSpy entrance(manager, &TulDbManager::sigAddEntranceOK);
    QSignalSpy person(manager, &TulDbManager::sigSyncPersonOK);
    mServer->script(
        "POST entrance", 200, { { "res", QVariantMap { { "rid", 55 }, { "eid", 9001 } } } });
    mServer->script(
        "POST entrance", 200, { { "res", QVariantMap { { "rid", 0 }, { "eid", 9002 } } } });
    mServer->script("POST entrance",
                    200,
                    { { "err", 400 }, { "res", QVariantMap { { "rid", 56 }, { "eid", 9003 } } } });
    mServer->script(
        "POST person", 200, { { "res", QVariantMap { { "pid", 1017 }, { "uid", 17 } } } });
    mServer->script(
        "PUT person", 200, { { "res", QVariantMap { { "pid", 1018 }, { "uid", 18 } } } });
    mServer->script(
        "PUT person", 200, { { "res", QVariantMap { { "pid", 1019 }, { "uid", 0 } } } });
    for (uint id : { 55u, 0u, 56u })
        post(manager, 3, 1, 1017, 17, QString(), id);
    PersonData p;
    p.dochid = 1017;
    manager->sendAddPerson(p);
    p.refId = 18;
    manager->sendUpdatePerson(p);
    manager->sendUpdatePerson(p);
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    QCOMPARE(entrance.count(), 1);
    QCOMPARE(entrance.at(0).at(0).toUInt(), 55u);
    QCOMPARE(entrance.at(0).at(1).toUInt(), 9001u);
    // The person requests run in parallel: their replies may arrive in either order.
    QCOMPARE(person.count(), 2);
    QSet<QPair<uint, uint>> confirmed;
    for (const QList<QVariant> &args : person)
        confirmed.insert({ args.at(0).toUInt(), args.at(1).toUInt() });
    QCOMPARE(confirmed, (QSet<QPair<uint, uint>> { { 1017u, 17u }, { 1018u, 18u } }));
}

void TestTulDbManager::entranceDeletionConfirmed_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("err");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("deleted") << 200 << 0 << true;
    QTest::newRow("not there (any more)") << 200 << 404 << true;
    QTest::newRow("refused") << 200 << 400 << false;
    QTest::newRow("server failure") << 500 << 500 << false;
}

void TestTulDbManager::entranceDeletionConfirmed()
{
    QFETCH(int, status);
    QFETCH(int, err);
    QFETCH(bool, confirmed);
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    QSignalSpy deleted(manager, &TulDbManager::entranceDeleted);
    mServer->script("DELETE entrance", status, { { "err", err } });
    manager->sendDeleteEntrance(12, 70088);
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    QCOMPARE(deleted.count(), confirmed ? 1 : 0);
    if (confirmed)
        QCOMPARE(deleted.at(0), (QList<QVariant> { 12u, 70088u }));
}

void TestTulDbManager::personReply_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<uint>("ts");
    QTest::addColumn<int>("parseFinished");
    QTest::newRow("whole list: complete, no parse end") << false << 0u << 0;
    QTest::newRow("one person: with time and parse end") << true << 3000u << 1;
}

void TestTulDbManager::personReply()
{
    QFETCH(bool, single);
    QFETCH(uint, ts);
    QFETCH(int, parseFinished);
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    const QVariantList res { QVariantMap { { "uid", 17 }, { "pid", 1017 }, { "name", "Jana" } },
                             QVariant(),
                             QVariantMap() };
    mServer->script("GET person", 200, { { "res", res }, { "st", 3000 } });
    QSignalSpy changes(manager, &TulDbManager::needSyncPeople);
    QSignalSpy complete(manager, &TulDbManager::completePeopleReceived);
    QSignalSpy done(manager, &TulDbManager::parseSyncFinished);
    if (single)
        manager->sendGetPerson(17, 1017);
    else
        manager->sendGetPerson();
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    // Only the whole list replaces the local people.
    QCOMPARE(changes.count(), single ? 1 : 0);
    QCOMPARE(complete.count(), single ? 0 : 1);
    const QSignalSpy &people = single ? changes : complete;
    const PersonSynDataList list = people.at(0).at(0).value<PersonSynDataList>();
    QCOMPARE(list.size(), 1); // null and empty entries skipped
    QCOMPARE(list.at(0).uid, 17u);
    QCOMPARE(list.at(0).type, QChar('I'));
    QCOMPARE(list.at(0).tsc, 3000u);
    if (single)
        QCOMPARE(people.at(0).at(1).toUInt(), ts);
    QCOMPARE(done.count(), parseFinished);
    if (parseFinished)
        QCOMPARE(done.at(0).at(0).toBool(), false);
}

void TestTulDbManager::intersReply()
{
    TulDbManager *manager = makeManager(false);
    manager->setForceSync(false);
    syncOnce(manager);
    QSignalSpy inters(manager, &TulDbManager::completeIntersReceived);
    mServer->script("GET inters",
                    200,
                    { { "res",
                        QVariantList { QVariantMap {
                            { "iid", 70008 }, { "name", "Doctor" }, { "shortcut", "P" } } } },
                      { "st", 4000 } });
    mServer->script("GET inters", 200, { { "res", QVariantList() } });
    manager->sendGetInters();
    manager->sendGetInters();
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    QCOMPARE(inters.count(), 1); // an empty list replaces nothing
    const InterSynData inter = inters.at(0).at(0).value<InterSynDataList>().value(0);
    QCOMPARE(inter.id, 70008u);
    QCOMPARE(inter.name, QStringLiteral("Doctor"));
    QCOMPARE(inter.type, QChar('I'));
    QCOMPARE(inter.tsc, 4000u);
}

void TestTulDbManager::malformedJson()
{
    TulDbManager *manager = makeManager();
    mServer->server.setHandler([](const ScriptedHttpServer::Request &request) {
        if (request.path == "/ping.html")
            return ScriptedHttpServer::reply(200, "ok", "text/html");
        return ScriptedHttpServer::reply(
            200, "{\"err\":0, \"request\": {\"method\": \"GET\"", "application/json");
    });
    QSignalSpy finished(manager, &TulDbManager::syncFinished);
    QSignalSpy changed(manager, &TulDbManager::serverStateChanged);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("jsonDataToMap\\(\\) - parse ERROR"));
    QTest::ignoreMessage(QtWarningMsg, "TulDbManager::clientReply - unknown request method!");
    QTest::ignoreMessage(QtWarningMsg, "TulDbManager::clientReply - unknown request path!");
    syncOnce(manager);
    QVERIFY(finished.isEmpty());
    // A reply nobody can read is no answer: the server does not work.
    QCOMPARE(changed.count(), 1);
    QCOMPARE(manager->serverState(), ServerFailed);
    QVERIFY(manager->forceSync());
}

void TestTulDbManager::serverStopsMidRequest()
{
    TulDbManager *manager = makeManager();
    ScriptedSyncServer::Answer stall;
    stall.envelope = { { "res", QVariantMap { { "sync", 0 } } } };
    stall.mode = Reply::Stall;
    mServer->script("GET sync", stall);
    QSignalSpy finished(manager, &TulDbManager::syncFinished);
    syncOnce(manager);
    QCOMPARE(manager->serverState(), ServerFailed);
    QCOMPARE(manager->outstandingRequests(), 0);
    QVERIFY(finished.isEmpty());
    QVERIFY(QFile(QStringLiteral("zep.log")).exists()); // the client error went to the sync log

    syncOnce(manager); // the next cycle recovers
    QCOMPARE(manager->serverState(), ServerOnline);
    QCOMPARE(finished.count(), 1);
}

void TestTulDbManager::unreachable()
{
    TulDbManager *manager = makeManager();
    mServer->pingStatus = 404;
    QSignalSpy probed(manager->probe(), &AsyncPinger::pingFinished);
    manager->doSync();
    QVERIFY(probed.wait(5000));
    QCOMPARE(manager->serverState(), ServerUnreachable);
    QVERIFY(!manager->isServerAccessible());
    manager->sendGetInters();
    post(manager, 1, 1, 1, 1);
    QCOMPARE(manager->outstandingRequests(), 0);
    QVERIFY(mServer->calls().isEmpty());
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("TulDbManager: Server is not accessible - GetInters not sent"));
}

void TestTulDbManager::networkingOff()
{
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    QCOMPARE(manager->serverState(), ServerOnline);
    manager->setNetworkingEnabled(false);
    QCOMPARE(manager->serverState(), ServerDisabled);
    const int before = mServer->server.requests().size();
    manager->doSync();
    manager->init();
    QVERIFY(!QTest::qWaitFor([&] { return mServer->server.requests().size() != before; }, 100));
    QVERIFY(!manager->isServerAccessible());
}

void TestTulDbManager::pingDisabled()
{
    TulDbManager *manager = makeManager(false);
    syncOnce(manager);
    QCOMPARE(mServer->server.requests().size(), 1);
    QVERIFY(mServer->server.requests().first().path.startsWith("/zepsync/sync/"));
    QCOMPARE(manager->serverState(), ServerOnline);
}

void TestTulDbManager::noServerAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("default 0.0.0.0") << "0.0.0.0";
    QTest::newRow("empty") << "";
}

void TestTulDbManager::noServerAddress()
{
    QFETCH(QString, address);
    TulDbManager *manager = makeManager();
    manager->setServerIp(address);
    QSignalSpy probed(manager->probe(), &AsyncPinger::pingFinished);
    manager->doSync();
    manager->init();
    QCOMPARE(manager->outstandingRequests(), 0);
    QVERIFY(!probed.wait(200));
    QCOMPARE(manager->serverState(), ServerDisabled);
}

void TestTulDbManager::skippedCycles()
{
    TulDbManager *manager = makeManager(false);
    manager->setRebootInProgress(true);
    manager->doSync();
    QCOMPARE(manager->outstandingRequests(), 0);
    manager->setRebootInProgress(false);
    manager->setVersionSkipDivisor(3);
    manager->doSync(); // 2nd call: skipped
    QCOMPARE(manager->outstandingRequests(), 0);
    manager->doSync(); // 3rd call: probes
    QCOMPARE(manager->outstandingRequests(), 1);
    QTRY_COMPARE(manager->outstandingRequests(), 0);
    QCOMPARE(mServer->calls().size(), 1);
}

void TestTulDbManager::loadSettingsDefaults()
{
    auto *manager = new TulDbManager(mSettings);
    mManagers << manager;
    TermData term;
    term.tid = 12;
    term.model = QStringLiteral("VZEP");
    manager->setTermData(term);
    manager->loadSettings();
    QCOMPARE(manager->client()->host, QStringLiteral("0.0.0.0"));
    QCOMPARE(manager->client()->port, quint16(80));
    QCOMPARE(manager->probe()->port, 80u);
    QCOMPARE(manager->pendingTerminalChanges().value("name").toString(),
             QStringLiteral("VZEP #12"));

    mSettings->setValue(QStringLiteral("serverKLD/port"), 65536 + 8088);
    mSettings->setValue(QStringLiteral("global/networking"), false);
    mSettings->setValue(QStringLiteral("global/terminalName"), QStringLiteral("Hall"));
    manager->loadSettings();
    QCOMPARE(manager->client()->port, quint16(8088)); // cut to 16 bits
    QCOMPARE(manager->pendingTerminalChanges().value("name").toString(), QStringLiteral("Hall"));
    QCOMPARE(manager->serverState(), ServerDisabled);
}

QTEST_GUILESS_MAIN(TestTulDbManager)
#include "tst_tuldbmanager.moc"
