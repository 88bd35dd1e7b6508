#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "sync/entranceuploader.h"
#include "sync/idpairencoding.h"
#include "sync/syncthread.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"
#include "tests/support/dbmessagecapture.h"
#include "tests/support/finishedruns.h"
#include "tests/support/scriptedsyncserver.h"
#include "tests/support/workdir.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>
#include <memory>

using Reply = ScriptedHttpServer::Reply;

namespace {
QVariantMap confirmation(uint localId, uint serverId)
{
    return { { "res", QVariantMap { { "rid", localId }, { "eid", serverId } } } };
}
} // namespace

// The uploader on a real protocol against a scripted server: what it sends is read from the
// server's requests.
class tst_EntranceUploader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void entranceConfirmationStoresServerId_data();
    void entranceConfirmationStoresServerId();
    void postedOnlyWhileServerReachable();
    void entranceOnTheWaySentOnce();
    void entranceUploadOutcome_data();
    void entranceUploadOutcome();
    void deletionByLocalIdWaitsForUpload();
    void sweepEveryInterval();
    void interruptedSweepResumesAtNextCycle();
    void failedUploadsWaitByCause();
    void entranceDeletionReachesServer_data();
    void entranceDeletionReachesServer();
    void sweptEntranceSentOnlyWhileUnsent_data();
    void sweptEntranceSentOnlyWhileUnsent();

private:
    void createUploader();
    // One protocol cycle; the server answers it, so the server state becomes online.
    void goOnline();
    void settle() { QTRY_COMPARE_WITH_TIMEOUT(mProtocol->outstandingRequests(), 0, 5000); }
    uint addLocalPerson(int dochid, uint refId);
    uint record(uint uid, int dochid, uint time);
    QList<uint> postedIds() const;
    QStringList deletionCalls() const;
    QString deletionOf(uint serverId, uint localId) const;
    QList<uint> unsent();

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<ScriptedSyncServer> mServer;
    std::unique_ptr<TulDbManager> mProtocol;
    std::unique_ptr<EntranceUploader> mUploader;
};

void tst_EntranceUploader::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    ChangeLists::registerMetaTypes();
}

void tst_EntranceUploader::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mSettings->setValue(QStringLiteral("serverKLD/pingEnabled"), false);
    mDb = std::make_unique<DataDBManager>(QStringLiteral("./data.db"));
    mServer = std::make_unique<ScriptedSyncServer>();
    QVERIFY(mServer->server.listen());
    mProtocol = std::make_unique<TulDbManager>(mSettings.get());
    mProtocol->setNetworkingEnabled(true);
    mProtocol->setServerIp(QStringLiteral("127.0.0.1"));
    mProtocol->setServerPort(mServer->server.port());
    mProtocol->setTermData(TermData());
    mProtocol->setForceSync(false);
    mProtocol->client()->setTransferTimeout(300);
    mProtocol->client()->setUploadTimeout(300);
}

void tst_EntranceUploader::createUploader()
{
    mUploader = std::make_unique<EntranceUploader>(mProtocol.get(), mDb.get(), mSettings.get());
    mUploader->syncThread()->setPauseMs(0);
}

void tst_EntranceUploader::cleanup()
{
    mUploader.reset();
    mProtocol.reset();
    mServer.reset();
    mDb.reset();
    mSettings.reset();
}

void tst_EntranceUploader::goOnline()
{
    mProtocol->doSync();
    settle();
    QCOMPARE(mProtocol->serverState(), ServerOnline);
    // The sweep that going online started.
    QTRY_VERIFY(!mUploader->syncThread()->isRunning());
}

uint tst_EntranceUploader::addLocalPerson(int dochid, uint refId)
{
    PersonData person;
    person.dochid = dochid;
    person.refId = refId;
    person.meno = QStringLiteral("Local");
    person.syn = 1;
    if (!mDb->addPerson(person, false))
        return 0;
    return uint(mDb->nacitajCloveka(uint(dochid), true, true).uid);
}

uint tst_EntranceUploader::record(uint uid, int dochid, uint time)
{
    return uint(qMax(0, mDb->zapisPrerusenie(3, 1, QString(), uid, uint(dochid), time)));
}

QList<uint> tst_EntranceUploader::postedIds() const
{
    QList<uint> ids;
    for (const QVariantMap &body : mServer->bodies(QStringLiteral("POST entrance")))
        ids << body.value(QStringLiteral("refId")).toUInt();
    return ids;
}

QStringList tst_EntranceUploader::deletionCalls() const
{
    return mServer->calls().filter(QRegularExpression(QStringLiteral("^DELETE entrance/")));
}

QString tst_EntranceUploader::deletionOf(uint serverId, uint localId) const
{
    return QStringLiteral("DELETE entrance/%1/%2")
        .arg(mProtocol->terminalKey(), IdPairEncoding::encode(serverId, localId));
}

QList<uint> tst_EntranceUploader::unsent()
{
    QList<EntranceData> entrances;
    mDb->nacitajPrerusenia(entrances, true, false);
    QList<uint> ids;
    for (const EntranceData &entrance : qAsConst(entrances))
        ids << entrance.id;
    return ids;
}

void tst_EntranceUploader::entranceConfirmationStoresServerId_data()
{
    QTest::addColumn<QList<uint>>("replies");
    QTest::addColumn<uint>("syn");

    QTest::newRow("server id") << QList<uint> { 4711 } << 4711u;
    QTest::newRow("reply without an id") << QList<uint> { 0 } << 0u;
    QTest::newRow("repeated reply without an id") << QList<uint> { 4711, 0 } << 4711u;
}

// Only the server's id of the entrance confirms it.
void tst_EntranceUploader::entranceConfirmationStoresServerId()
{
    QFETCH(QList<uint>, replies);
    QFETCH(uint, syn);
    createUploader();
    const int id = mDb->zapisPrerusenie(2, 1, QString(), 0, 0);
    QVERIFY(id > 0);
    const int level = Zep::debugLevel;
    Zep::debugLevel = 2;
    const auto restoreLevel = qScopeGuard([level] { Zep::debugLevel = level; });
    DbMessageCapture messages;
    for (uint serverId : replies)
        mUploader->doSetEntranceSyn(uint(id), serverId);

    QList<EntranceData> entrances;
    QVERIFY(mDb->nacitajPrerusenia(entrances, false, false));
    QCOMPARE(entrances.at(0).syn, syn);
    QCOMPARE(unsent().isEmpty(), syn != 0);
    const QStringList confirmed = messages.startingWith(QStringLiteral("DBSync::doSetEntranceSyn("))
                                      .filter(QStringLiteral("OK"));
    QCOMPARE(confirmed.size(), syn != 0 ? 1 : 0);
}

// A recorded entrance is posted at once only while the server is reachable; the sweep takes
// it otherwise. The server's answer stores its id.
void tst_EntranceUploader::postedOnlyWhileServerReachable()
{
    createUploader();
    mUploader->addEntrance(3, 1, 12, 120, QString(), 55, 1000);
    QVERIFY(mServer->calls().isEmpty());
    QCOMPARE(mProtocol->outstandingRequests(), 0);

    goOnline();
    const uint id = record(addLocalPerson(12, 120), 12, 1000);
    QVERIFY(id != 0);
    mServer->script(QStringLiteral("POST entrance"), 200, confirmation(id, 4711));
    mUploader->addEntrance(3, 1, 12, 120, QString(), id, 1000);
    settle();
    QCOMPARE(mDb->loadEntrance(id).syn, 4711u);
    QCOMPARE(postedIds(), QList<uint>({ id }));
}

// An upload sweep that reads an entrance whose post is not answered yet must
// not post it again; once no answer is awaited, it may be tried again.
void tst_EntranceUploader::entranceOnTheWaySentOnce()
{
    createUploader();
    goOnline();
    mUploader->addEntrance(3, 1, 1017, 17, QString(), 55);
    mUploader->addEntrance(3, 1, 1017, 17, QString(), 55);
    mUploader->addEntrance(3, 1, 1017, 17, QString(), 56);
    settle();
    // The posts run in parallel: they may arrive in either order.
    const auto posted = [this] {
        QList<uint> ids = postedIds();
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    QCOMPARE(posted(), QList<uint>({ 55, 56 }));

    mUploader->addEntrance(3, 1, 1017, 17, QString(), 55);
    settle();
    QCOMPARE(posted(), QList<uint>({ 55, 55, 56 }));
}

// Every post that ends unconfirmed is reported once, as refused by the server or not.
void tst_EntranceUploader::entranceUploadOutcome_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("failures"); // -1: none, 0: a fault, 1: refused

    const int complete = Reply::Complete;
    QTest::newRow("confirmed") << 200 << 0 << complete << -1;
    QTest::newRow("refused by status") << 422 << 0 << complete << 1;
    QTest::newRow("refused in the reply") << 200 << 400 << complete << 1;
    QTest::newRow("server failure") << 500 << 0 << complete << 0;
    QTest::newRow("failure in the reply") << 200 << 500 << complete << 0;
    QTest::newRow("never answered") << 200 << 0 << int(Reply::NoAnswer) << 0;
}

void tst_EntranceUploader::entranceUploadOutcome()
{
    QFETCH(int, status);
    QFETCH(int, err);
    QFETCH(int, mode);
    QFETCH(int, failures);
    createUploader();
    goOnline();
    const uint id = record(addLocalPerson(12, 120), 12, 1000);
    QVERIFY(id != 0);
    QSignalSpy failed(mUploader.get(), &EntranceUploader::entranceUploadFailed);
    QVariantMap envelope;
    if (status == 200)
        envelope = confirmation(id, 9001);
    if (err != 0)
        envelope.insert(QStringLiteral("err"), err);
    mServer->script(QStringLiteral("POST entrance"), { status, envelope, Reply::Mode(mode) });

    mUploader->addEntrance(3, 1, 12, 120, QString(), id, 1000);
    settle();
    QCOMPARE(mUploader->entranceUploadsInFlight(), 0);
    QCOMPARE(failed.count(), failures < 0 ? 0 : 1);
    QCOMPARE(unsent().isEmpty(), failures < 0);
    if (failures >= 0) {
        QCOMPARE(failed.at(0).at(0).toUInt(), id);
        QCOMPARE(failed.at(0).at(1).toBool(), failures == 1);
    }
}

// A deletion without the server's id is addressed by the local id alone, but not while the
// entrance's upload is unanswered: it could overtake the upload.
void tst_EntranceUploader::deletionByLocalIdWaitsForUpload()
{
    createUploader();
    goOnline();
    mUploader->addEntrance(3, 1, 1017, 17, QString(), 55);
    mUploader->sendDeleteEntrance(55, 0);
    mUploader->sendDeleteEntrance(56, 0);
    settle();
    QCOMPARE(deletionCalls(), QStringList { deletionOf(0, 56) });

    mUploader->sendDeleteEntrance(55, 0);
    settle();
    QCOMPARE(deletionCalls(), QStringList({ deletionOf(0, 56), deletionOf(0, 55) }));
}

void tst_EntranceUploader::sweepEveryInterval()
{
    mSettings->setValue(QStringLiteral("timeout/intersSyncInterval"), 2);
    createUploader();
    const uint uid = addLocalPerson(12, 120);
    const uint first = record(uid, 12, 1000);
    QVERIFY(first != 0);
    mServer->script(QStringLiteral("POST entrance"), 200, confirmation(first, 4711));
    FinishedRuns finished(mUploader->syncThread());
    // The server answers: what waited goes up at once.
    goOnline();
    QTRY_COMPARE(finished.count(), 1);
    QTRY_COMPARE(mDb->loadEntrance(first).syn, 4711u);

    const uint second = record(uid, 12, 1001);
    QVERIFY(second != 0);
    mUploader->doSync();
    QVERIFY(!finished.wait(200));
    mUploader->doSync();
    QTRY_COMPARE(finished.count(), 2);
    settle();
    QCOMPARE(postedIds(), QList<uint>({ first, second }));

    const QVariantMap expected {
        { "iid", 3u },    { "type", 1u },
        { "pid", 12u },   { "refId", first },
        { "uid", 120u },  { "imgPath", QStringLiteral("pic/p/%1.jpg").arg(first) },
        { "date", 1000u }
    };
    const QVariantMap posted = mServer->body(QStringLiteral("POST entrance"));
    QCOMPARE(posted.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(posted.value(it.key()).toString(), it.value().toString());
}

// A key press stops the sweep; the next cycle goes on with it, not the next scheduled sweep.
void tst_EntranceUploader::interruptedSweepResumesAtNextCycle()
{
    mSettings->setValue(QStringLiteral("timeout/intersSyncInterval"), 5);
    createUploader();
    mUploader->syncThread()->setPauseMs(60000);
    goOnline();
    const uint uid = addLocalPerson(12, 120);
    for (uint time = 1000; time < 1003; ++time)
        QVERIFY(record(uid, 12, time) != 0);
    FinishedRuns finished(mUploader->syncThread());
    for (int cycle = 0; cycle < 5; ++cycle)
        mUploader->doSync();
    QTRY_COMPARE(postedIds().size(), 1);

    mUploader->doTerminate();
    QTRY_COMPARE(finished.count(), 1);
    mUploader->doSync();
    QTRY_COMPARE(postedIds().size(), 2);
    mUploader->doTerminate();
    QTRY_COMPARE(finished.count(), 2);
}

// Only posts that failed count, and a fault of the server holds an entrance back only until
// the server answers again; an entrance the server refused waits whatever the server does.
void tst_EntranceUploader::failedUploadsWaitByCause()
{
    mSettings->setValue(QStringLiteral("timeout/intersSyncInterval"), 1);
    createUploader();
    goOnline();
    const uint uid = addLocalPerson(12, 120);
    const uint faulted = record(uid, 12, 1000);
    const uint refused = record(uid, 12, 1001);
    const uint fresh = record(uid, 12, 1002);
    QVERIFY(refused != 0 && faulted != 0 && fresh != 0);
    mServer->script(QStringLiteral("POST entrance"), 500, {});
    mServer->script(QStringLiteral("POST entrance"), 422, { { "err", 422 } });
    mServer->script(QStringLiteral("POST entrance"), 200, confirmation(fresh, 903));
    mServer->script(QStringLiteral("POST entrance"), 200, confirmation(faulted, 901));
    mUploader->addEntrance(3, 1, 12, 120, QString(), faulted, 1000);
    settle();
    mUploader->addEntrance(3, 1, 12, 120, QString(), refused, 1001);
    settle();
    QCOMPARE(mProtocol->serverState(), ServerRejected);

    FinishedRuns finished(mUploader->syncThread());
    mUploader->syncThread()->startSweep();
    QTRY_COMPARE(finished.count(), 1);
    QTRY_COMPARE(mDb->loadEntrance(fresh).syn, 903u);
    // The answer brought the server back online: the next sweep, at once or at the next tick,
    // takes what its fault held back.
    QCOMPARE(mProtocol->serverState(), ServerOnline);
    mUploader->doSync();
    QTRY_COMPARE(mDb->loadEntrance(faulted).syn, 901u);
    settle();
    QCOMPARE(postedIds(), QList<uint>({ faulted, refused, fresh, faulted }));
    QCOMPARE(unsent(), QList<uint> { refused });
}

void tst_EntranceUploader::entranceDeletionReachesServer_data()
{
    QTest::addColumn<bool>("idKnownAtDeletion");
    QTest::newRow("server id known") << true;
    QTest::newRow("upload not answered yet") << false;
}

// A deletion is sent on every cycle until the server confirms it.
void tst_EntranceUploader::entranceDeletionReachesServer()
{
    QFETCH(bool, idKnownAtDeletion);
    createUploader();
    goOnline();
    const uint id = uint(mDb->zapisPrerusenie(3, 1, QString(), 0, 0));
    QVERIFY(id != 0);
    if (idKnownAtDeletion)
        QVERIFY(mDb->setPrerusSyn(id, 900));
    uint serverId = 0;
    QVERIFY(EntranceDeletions(mDb.get()).deleteEntrance(id, &serverId));
    QCOMPARE(serverId, idKnownAtDeletion ? 900u : 0u);

    // Refused until the last deletion sent.
    for (int refusals = idKnownAtDeletion ? 1 : 2; refusals > 0; --refusals)
        mServer->script(QStringLiteral("DELETE entrance"), 200, { { "err", 400 } });
    QStringList expected;
    mUploader->doSync();
    settle();
    if (!idKnownAtDeletion) {
        // Addressed by the local id until the server's id is known ...
        expected << deletionOf(0, id);
        QCOMPARE(deletionCalls(), expected);
        // ... which the answer to the upload made before the deletion brings.
        mUploader->doSetEntranceSyn(id, 900);
        settle();
    }
    expected << deletionOf(900, id);
    QCOMPARE(deletionCalls(), expected);

    mUploader->doSync();
    settle();
    expected << deletionOf(900, id);
    QCOMPARE(deletionCalls(), expected);
    QVERIFY(EntranceDeletions(mDb.get()).ready().isEmpty());
    mUploader->doSync();
    settle();
    QCOMPARE(deletionCalls(), expected);
}

void tst_EntranceUploader::sweptEntranceSentOnlyWhileUnsent_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("sent");
    QTest::newRow("still unsent") << "nothing" << true;
    QTest::newRow("deleted") << "deleted" << false;
    QTest::newRow("confirmed") << "confirmed" << false;
}

void tst_EntranceUploader::sweptEntranceSentOnlyWhileUnsent()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, sent);
    createUploader();
    goOnline();
    const uint uid = addLocalPerson(12, 120);
    const uint id = record(uid, 12, 1000);
    QVERIFY(id != 0);
    // What the sweep read before the entrance was deleted or confirmed.
    uint serverId = 0;
    if (meanwhile == QLatin1String("deleted"))
        QVERIFY(EntranceDeletions(mDb.get()).deleteEntrance(id, &serverId));
    else if (meanwhile == QLatin1String("confirmed"))
        QVERIFY(mDb->setPrerusSyn(id, 901));

    emit mUploader->syncThread()->sigZapisPrerusenie(3, 1, 12, 120, QString(), id, 1000);
    settle();
    QCOMPARE(postedIds(), sent ? QList<uint> { id } : QList<uint>());
}

QTEST_GUILESS_MAIN(tst_EntranceUploader)
#include "tst_entranceuploader.moc"
