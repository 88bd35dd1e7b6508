#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "core/base.h"
#include "core/dutyrunner.h"
#include "core/cron.h"
#include "foundation/entrancephoto.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "db/zepdbmanager.h"
#include "sync/applierwiring.h"
#include "sync/asyncpinger.h"
#include "sync/dbsync.h"
#include "sync/entranceuploader.h"
#include "sync/networkmanager.h"
#include "sync/syncthread.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/finishedruns.h"
#include "tests/support/workdir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QQmlContext>
#include <QQuickView>
#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

// The terminal's sync protocol and applier against the development attendance server.
class tst_EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fullSyncFillsBothDatabases();
    void serverChangesStoredAsSent_data();
    void serverChangesStoredAsSent();
    void localEditNewerThanServerIsSentBack();
    void entrancesWaitForServerAndCarryItsIds();
    void serverFailingMidSweepLosesNothing();
    void deletionOfUnansweredUploadSurvivesRestart();
    void controllerSyncsAndUploadsOnItsTicks();

private:
    // The sync protocol and applier of one run of the terminal, on the folder's databases;
    // `serverTerminalId` 0 for a terminal not registered yet.
    void startTerminal(uint serverTerminalId);
    // One protocol cycle, waiting until every request it sent was answered and applied.
    void syncOnce();
    // Registration and the first, complete synchronisation.
    void fullSync();
    // One upload sweep driven by the applier's minute duty, answered by the server.
    void uploadSweep();
    uint recordEntrance(int dochid, bool withPhoto);
    QHash<uint, uint> serverIdsByLocalId();
    // Every person row of data.db as "dochid|karta|titul|meno|priez|admin|saldo1|acc|colorGrp|
    // refId|del|fpID|fingerprints|zones", read through a connection of its own.
    QStringList storedPeople();
    int copiesOnServer(uint localId); // not deleted there

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<DevServerProcess> mServer;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<ZepDBManager> mZepDb;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<PrerusenieModel> mModel;
    std::unique_ptr<TulDbManager> mProtocol;
    std::unique_ptr<DBSync> mApplier;
    std::unique_ptr<EntranceUploader> mUploader;
    uint mServerTerminalId = 0;
};

void tst_EndToEnd::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    ChangeLists::registerMetaTypes();
}

void tst_EndToEnd::init()
{
    mServer = std::make_unique<DevServerProcess>();
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());

    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mSettings->setValue(QStringLiteral("serverKLD/ip"), mServer->host());
    mSettings->setValue(QStringLiteral("serverKLD/port"), mServer->port());
    mSettings->setValue(QStringLiteral("timeout/intersSyncInterval"), 1);
    mZepDb = std::make_unique<ZepDBManager>(QStringLiteral("zep.db"));
    mDb = std::make_unique<DataDBManager>(QStringLiteral("./data.db"));
    mModel = std::make_unique<PrerusenieModel>();
    startTerminal(0);
}

void tst_EndToEnd::startTerminal(uint serverTerminalId)
{
    mUploader.reset();
    mApplier.reset();
    mProtocol.reset();
    mProtocol = std::make_unique<TulDbManager>(mSettings.get());
    TermData terminal;
    terminal.tid = 7; // the remote-management id: the terminal registers with it
    terminal.refId = int(serverTerminalId);
    mProtocol->setTermData(terminal);
    mProtocol->loadSettings();
    mProtocol->client()->setTransferTimeout(2000);
    mProtocol->probe()->setTimeout(1000);

    mApplier = std::make_unique<DBSync>(mZepDb.get(), mDb.get(), mModel.get(), mSettings.get());
    ApplierWiring::connect(mProtocol.get(), mApplier.get());
    mUploader = std::make_unique<EntranceUploader>(mProtocol.get(), mDb.get(), mSettings.get());
    mUploader->syncThread()->setPauseMs(10);
}

void tst_EndToEnd::cleanup()
{
    mUploader.reset();
    mApplier.reset();
    mProtocol.reset();
    mModel.reset();
    mDb.reset();
    mZepDb.reset();
    mSettings.reset();
    mServer.reset();
    mDir.reset();
}

void tst_EndToEnd::syncOnce()
{
    QSignalSpy probed(mProtocol->probe(), &AsyncPinger::pingFinished);
    mProtocol->doSync();
    QTRY_COMPARE_WITH_TIMEOUT(probed.count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(mProtocol->outstandingRequests(), 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!mApplier->hasPendingBatches(), 10000);
    // The confirmations the applier sent.
    QTRY_COMPARE_WITH_TIMEOUT(mProtocol->outstandingRequests(), 0, 10000);
}

void tst_EndToEnd::fullSync()
{
    mProtocol->setForceSync(true);
    QSignalSpy registered(mProtocol.get(), &TulDbManager::terminalRegistered);
    syncOnce();
    QCOMPARE(registered.count(), 1);
    mServerTerminalId = registered.first().first().toUInt();
    syncOnce();
    QCOMPARE(mProtocol->serverState(), ServerOnline);
}

void tst_EndToEnd::uploadSweep()
{
    SyncThread *thread = mUploader->syncThread();
    FinishedRuns finished(thread);
    mApplier->doSync();
    mUploader->doSync();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    // The entrances it handed on reach the uploader queued.
    QCoreApplication::processEvents();
    QTRY_COMPARE_WITH_TIMEOUT(mProtocol->outstandingRequests(), 0, 10000);
}

uint tst_EndToEnd::recordEntrance(int dochid, bool withPhoto)
{
    const PersonData person = mDb->nacitajCloveka(uint(dochid), true);
    const int id = mDb->zapisPrerusenie(1, 1, person.karta, uint(person.uid), uint(dochid));
    if (id > 0 && withPhoto) {
        EntrancePhoto::ensureFolder();
        QFile photo(EntrancePhoto::path(uint(id)));
        if (photo.open(QIODevice::WriteOnly))
            photo.write(QByteArray("\xff\xd8\xff\xe0 photo of entrance ") + QByteArray::number(id));
    }
    return uint(qMax(id, 0));
}

QHash<uint, uint> tst_EndToEnd::serverIdsByLocalId()
{
    QHash<uint, uint> ids;
    const QJsonArray entrances = mServer->entrances();
    for (const QJsonValue &entrance : entrances)
        ids.insert(uint(entrance[QLatin1String("rid")].toInt()),
                   uint(entrance[QLatin1String("eid")].toInt()));
    return ids;
}

int tst_EndToEnd::copiesOnServer(uint localId)
{
    int copies = 0;
    for (const QJsonValue &entrance : mServer->entrances()) {
        if (uint(entrance[QLatin1String("rid")].toInt()) == localId
            && entrance[QLatin1String("del")].toInt() == 0)
            ++copies;
    }
    return copies;
}

void tst_EndToEnd::fullSyncFillsBothDatabases()
{
    fullSync();

    QCOMPARE(mZepDb->getIntersCount(), 8u);
    QCOMPARE(mModel->rowCount(), 8);
    QCOMPARE(mDb->getPeopleCount(), 5u);
    QCOMPARE(mDb->getPeopleCountWithoutRefId(), 0u);
    const PersonData jan = mDb->nacitajCloveka(1001, true);
    QCOMPARE(jan.meno, QStringLiteral("Ján"));
    QCOMPARE(jan.refId, 1u);
    QCOMPARE(jan.saldo1, 1.5);
    QVERIFY(jan.syn != 0);
    QCOMPARE(mDb->zonesCount(), 2);
    QCOMPARE(mDb->loadZones4Person(uint(mDb->nacitajCloveka(1002, true).uid)).size(), 1);

    // Every list was confirmed: the next cycle brings nothing to apply.
    QSignalSpy begin(mApplier.get(), &DBSync::syncBegin);
    syncOnce();
    QCOMPARE(begin.count(), 0);
}

QStringList tst_EndToEnd::storedPeople()
{
    QStringList rows;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(QStringLiteral("data.db"));
        if (!db.open())
            return { db.lastError().text() };
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral(
                "SELECT dochid, quote(karta), quote(titul), quote(meno), quote(priez), admin, "
                "saldo1, acc, colorGrp, refId, del, fpID, (SELECT COUNT(*) FROM fingers f WHERE "
                "f.uid = l.uid), (SELECT group_concat(zid) FROM (SELECT zid FROM pzt p WHERE "
                "p.uid = l.uid ORDER BY zid)) FROM ludia l ORDER BY dochid")))
            return { q.lastError().text() };
        while (q.next()) {
            QStringList columns;
            for (int i = 0; i < 14; ++i)
                columns << q.value(i).toString();
            rows << columns.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

void tst_EndToEnd::serverChangesStoredAsSent_data()
{
    QTest::addColumn<int>("fingerprintOf"); // dochid of a person given a template here; 0: none
    QTest::addColumn<QJsonArray>("changes"); // { "table", "row" } put on the server in turn
    QTest::addColumn<bool>("forced"); // the next sync asks for the complete lists
    QTest::addColumn<QStringList>("changedRows"); // the stored rows that differ from the seed's

    const auto change = [](const char *table, const QJsonObject &row) {
        return QJsonObject { { "table", table }, { "row", row } };
    };
    QTest::newRow("new people, as the complete list brings them")
        << 0 << QJsonArray() << false << QStringList();
    QTest::newRow("updated person")
        << 0
        << QJsonArray { change("people",
                               { { "uid", 3 },
                                 { "pid", 1003 },
                                 { "name", "Pavol" },
                                 { "title", "Dr." },
                                 { "card", "0004529999" },
                                 { "admin", true } }) }
        << false << QStringList { "1003|'0004529999'|'Dr.'|'Pavol'|'Horváth'|1|0|1|1|3|0|0|0|1" };
    QTest::newRow("balance and colour group")
        << 0 << QJsonArray { change("people", { { "uid", 2 }, { "saldo", 135 }, { "grp", 3 } }) }
        << false
        << QStringList { "1002|'0004521874'|''|'Mária'|'Kováčová'|0|2.25|1|3|2|0|0|0|1" };
    QTest::newRow("person removed")
        << 0 << QJsonArray { change("people", { { "uid", 4 }, { "del", true } }) } << false
        << QStringList { "1004|'0004521876'|''|'Zuzana'|'Vargová'|0|4|1|3|4|1|0|0|" };
    QTest::newRow("person missing from a complete list")
        << 0 << QJsonArray { change("people", { { "uid", 4 }, { "del", true } }) } << true
        << QStringList { "1004|'0004521876'|''|'Zuzana'|'Vargová'|0|4|1|3|4|1|0|0|" };
    QTest::newRow("person with fingerprints updated")
        << 1001 << QJsonArray { change("people", { { "uid", 1 }, { "surname", "Nový" } }) } << false
        << QStringList { "1001|'0004521873'|'Ing.'|'Ján'|'Nový'|1|1.5|1|1|1|0|77|1|2" };
    QTest::newRow("person with fingerprints removed")
        << 1005 << QJsonArray { change("people", { { "uid", 5 }, { "del", true } }) } << false
        << QStringList { "1005|'0004521877'|''|'Martin'|'Tóth'|0|0.25|0|0|5|1|77|0|" };
    QTest::newRow("zone links added and removed")
        << 0
        << QJsonArray { change("pzt", { { "zid", 2 }, { "uid", 2 } }),
                        change("pzt", { { "zid", 1 }, { "uid", 3 }, { "del", true } }) }
        << false
        << QStringList { "1002|'0004521874'|''|'Mária'|'Kováčová'|0|-0.75|1|2|2|0|0|0|1,2",
                         "1003|'0004521875'|'Mgr.'|'Peter'|'Horváth'|0|0|1|1|3|0|0|0|" };
}

void tst_EndToEnd::serverChangesStoredAsSent()
{
    QFETCH(int, fingerprintOf);
    QFETCH(QJsonArray, changes);
    QFETCH(bool, forced);
    QFETCH(QStringList, changedRows);
    QStringList expected {
        "1001|'0004521873'|'Ing.'|'Ján'|'Novák'|1|1.5|1|1|1|0|0|0|2",
        "1002|'0004521874'|''|'Mária'|'Kováčová'|0|-0.75|1|2|2|0|0|0|1",
        "1003|'0004521875'|'Mgr.'|'Peter'|'Horváth'|0|0|1|1|3|0|0|0|1",
        "1004|'0004521876'|''|'Zuzana'|'Vargová'|0|4|1|3|4|0|0|0|",
        "1005|'0004521877'|''|'Martin'|'Tóth'|0|0.25|0|0|5|0|0|0|",
    };
    for (const QString &row : qAsConst(changedRows))
        expected.replace(expected.indexOf(QRegularExpression(row.section('|', 0, 0) + "\\|.*")),
                         row);

    fullSync();
    if (fingerprintOf != 0) {
        FingerData finger;
        finger.fpID = 77;
        finger.uid = uint(mDb->nacitajCloveka(uint(fingerprintOf), true).uid);
        finger.tpl = QByteArray("template");
        finger.tplID = 1;
        QVERIFY(mDb->saveFinger(finger));
    }
    for (const QJsonValue &c : changes)
        QVERIFY(mServer->putRow(c[QLatin1String("table")].toString(),
                                c[QLatin1String("row")].toObject()));
    mProtocol->setForceSync(forced);
    syncOnce();

    QCOMPARE(storedPeople(), expected);
}

void tst_EndToEnd::localEditNewerThanServerIsSentBack()
{
    fullSync();
    // The server's change, then a later one made at the terminal.
    QJsonObject changed { { "uid", 3 },
                          { "pid", 1003 },
                          { "name", "Server" },
                          { "surname", "Horváth" },
                          { "card", "0004521875" },
                          { "access", true },
                          { "grp", 1 } };
    QVERIFY(mServer->putRow(QStringLiteral("people"), changed));
    const qint64 serverChange = QDateTime::currentSecsSinceEpoch();
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() > serverChange, 3000);
    PersonData local = mDb->nacitajCloveka(1003, true);
    local.meno = QStringLiteral("Terminal");
    QVERIFY(mDb->updatePerson(local, false));

    syncOnce();

    QCOMPARE(mDb->nacitajCloveka(1003, true).meno, QStringLiteral("Terminal"));
    QString serverName;
    const QJsonArray people = mServer->people();
    for (const QJsonValue &person : people) {
        if (person[QLatin1String("pid")].toInt() == 1003)
            serverName = person[QLatin1String("name")].toString();
    }
    QCOMPARE(serverName, QStringLiteral("Terminal"));
}

void tst_EndToEnd::entrancesWaitForServerAndCarryItsIds()
{
    fullSync();
    mServer->stop();
    QList<uint> local;
    for (int dochid : { 1001, 1002, 1003 })
        local << recordEntrance(dochid, dochid == 1002);
    QVERIFY(!local.contains(0));
    syncOnce();
    QVERIFY(mProtocol->serverState() < ServerOnline);
    mApplier->doSync();
    mUploader->doSync();
    QVERIFY(!mUploader->syncThread()->isRunning());

    QVERIFY(mServer->restart());
    syncOnce();
    QCOMPARE(mProtocol->serverState(), ServerOnline);
    uploadSweep();

    const QHash<uint, uint> serverIds = serverIdsByLocalId();
    QList<EntranceData> entrances;
    QVERIFY(mDb->nacitajPrerusenia(entrances, false, false));
    QCOMPARE(entrances.size(), 3);
    for (const EntranceData &entrance : qAsConst(entrances)) {
        QVERIFY(serverIds.contains(entrance.id));
        QCOMPARE(entrance.syn, serverIds.value(entrance.id));
    }
    // The photo travelled with its entrance.
    for (const QJsonValue &entrance : mServer->entrances()) {
        const bool withPhoto = uint(entrance[QLatin1String("rid")].toInt()) == local.at(1);
        QCOMPARE(entrance[QLatin1String("image_size")].toInt() > 0, withPhoto);
    }
}

void tst_EndToEnd::serverFailingMidSweepLosesNothing()
{
    fullSync();
    QList<uint> local;
    for (int i = 0; i < 4; ++i)
        local << recordEntrance(1001 + i, false);
    // The third and fourth upload of the sweep fail.
    QVERIFY(mServer->failNext(2, 500, 2));
    uploadSweep();

    // Only what the server stored is marked sent. The answer to an upload that went through
    // after a failed one brings the server back online, and with it the failed ones, so they
    // may be stored already too.
    QList<EntranceData> pending;
    QVERIFY(mDb->nacitajPrerusenia(pending, true, false));
    QSet<uint> unsent;
    for (const EntranceData &entrance : qAsConst(pending))
        unsent.insert(entrance.id);
    const QHash<uint, uint> stored = serverIdsByLocalId();
    for (uint id : qAsConst(local))
        QVERIFY2(stored.contains(id) != unsent.contains(id), qPrintable(QString::number(id)));

    syncOnce();
    QCOMPARE(mProtocol->serverState(), ServerOnline);
    uploadSweep();

    QVERIFY(mDb->nacitajPrerusenia(pending, true, false));
    QVERIFY(pending.isEmpty());
    const QHash<uint, uint> serverIds = serverIdsByLocalId();
    for (uint id : qAsConst(local))
        QVERIFY2(serverIds.contains(id), qPrintable(QString::number(id)));
}

// An entrance is deleted while its upload is unanswered, and the terminal stops before the
// answer is applied; the server holds the entrance. The next run deletes it there.
void tst_EndToEnd::deletionOfUnansweredUploadSurvivesRestart()
{
    fullSync();
    const uint id = recordEntrance(1001, false);
    QVERIFY(id != 0);
    const EntranceData entrance = mDb->loadEntrance(id);
    // The answer goes with the run that stops.
    QVERIFY(disconnect(mProtocol.get(), &TulDbManager::sigAddEntranceOK, mUploader.get(), nullptr));
    mUploader->addEntrance(
        entrance.pid, entrance.smer, 1001, entrance.refId, QString(), id, entrance.time);
    QTRY_COMPARE_WITH_TIMEOUT(mProtocol->outstandingRequests(), 0, 10000);
    QCOMPARE(copiesOnServer(id), 1);
    uint serverId = 1;
    QVERIFY(EntranceDeletions(mDb.get()).deleteEntrance(id, &serverId));
    QCOMPARE(serverId, 0u);

    startTerminal(mServerTerminalId);
    syncOnce();
    QCOMPARE(mProtocol->serverState(), ServerOnline);
    uploadSweep(); // the applier's minute duty also sends the queued deletions
    QCOMPARE(copiesOnServer(id), 0);
    QVERIFY(EntranceDeletions(mDb.get()).ready().isEmpty());
}

void tst_EndToEnd::controllerSyncsAndUploadsOnItsTicks()
{
    // The controller builds its own components on the same files.
    mUploader.reset();
    mApplier.reset();
    mProtocol.reset();
    mDb.reset();
    mZepDb.reset();
    QVERIFY(QDir().mkpath(QStringLiteral("qml/ZEP")));
    QFile loader(QStringLiteral("qml/ZEP/vMainLoader.qml"));
    QVERIFY(loader.open(QIODevice::WriteOnly));
    loader.write("import QtQuick 2.15\nRectangle { width: 800; height: 480 }\n");
    loader.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, mDir->path());
    NetworkManager networkManager;
    Base base(mSettings.get(), &networkManager, FileLog(QStringLiteral("zep.log")));
    base.init();
    base.cron()->stop();
    DataDBManager *db = base.attendanceDb();
    TulDbManager *protocol = base.syncProtocol();
    DBSync *applier = base.syncApplier();
    QVERIFY(applier);
    base.entranceUploader()->syncThread()->setPauseMs(10);

    // Registration and the complete lists take a few cycles of the sync period.
    for (int cycle = 0; cycle < 5 && db->getPeopleCount() < 5; ++cycle) {
        QSignalSpy probed(protocol->probe(), &AsyncPinger::pingFinished);
        base.doSyncTUL();
        QTRY_COMPARE_WITH_TIMEOUT(probed.count(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(protocol->outstandingRequests(), 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!applier->hasPendingBatches(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(protocol->outstandingRequests(), 0, 10000);
    }
    QCOMPARE(db->getPeopleCount(), 5u);
    QCOMPARE(base.catalogueDb()->getIntersCount(), 8u);
    QCOMPARE(base.getProxyState(), int(ServerOnline));

    const PersonData person = db->nacitajCloveka(1004, true);
    const int id = db->zapisPrerusenie(2, 1, person.karta, uint(person.uid), 1004);
    QVERIFY(id > 0);
    QVERIFY(EntrancePhoto::ensureFolder());
    QFile photo(EntrancePhoto::path(uint(id)));
    QVERIFY(photo.open(QIODevice::WriteOnly));
    photo.write("\xff\xd8\xff\xe0 photo");
    photo.close();

    FinishedRuns swept(base.entranceUploader()->syncThread());
    base.duties()->onCronMin(1);
    QTRY_COMPARE_WITH_TIMEOUT(swept.count(), 1, 10000);
    // The entrances it handed on reach the uploader queued.
    QCoreApplication::processEvents();
    QTRY_COMPARE_WITH_TIMEOUT(protocol->outstandingRequests(), 0, 10000);

    const QJsonArray entrances = mServer->entrances();
    QCOMPARE(entrances.size(), 1);
    const QJsonValue stored = entrances.at(0);
    QCOMPARE(stored[QLatin1String("rid")].toInt(), id);
    QCOMPARE(stored[QLatin1String("pid")].toInt(), 1004);
    QVERIFY(stored[QLatin1String("image_size")].toInt() > 0);
    QList<EntranceData> local;
    QVERIFY(db->nacitajPrerusenia(local, false, false));
    QCOMPARE(local.size(), 1);
    QCOMPARE(local.at(0).syn, uint(stored[QLatin1String("eid")].toInt()));

    // An entrance recorded at the terminal goes to the server at once and gets its id.
    auto *recording
        = qobject_cast<ManagerPreruseni *>(base.view()
                                               ->rootContext()
                                               ->contextProperty(QStringLiteral("manPrerus"))
                                               .value<QObject *>());
    QVERIFY(recording);
    QVERIFY(recording->overKartu(person.karta) != 0);
    QVERIFY(recording->zapisPrerusenie(
        1, QStringLiteral("Príchod"), QStringLiteral("P"), 1, person.karta));
    QTRY_COMPARE_WITH_TIMEOUT(mServer->entrances().size(), 2, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(protocol->outstandingRequests(), 0, 10000);
    const QJsonValue recorded = mServer->entrances().at(1);
    QVERIFY(db->nacitajPrerusenia(local, false, false));
    QCOMPARE(local.size(), 2);
    QCOMPARE(recorded[QLatin1String("rid")].toInt(), int(local.at(1).id));
    QCOMPARE(local.at(1).syn, uint(recorded[QLatin1String("eid")].toInt()));
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
