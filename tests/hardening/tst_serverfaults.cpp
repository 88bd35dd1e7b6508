// The terminal (the controller with every component) against an attendance server that
// misbehaves in one way at a time: recording an entrance returns while the server
// misbehaves, the server state the UI shows drops and comes back with the server, and every
// entrance reaches the server, once, as soon as the server answers again.
#include "attendance/managerpreruseni.h"
#include "core/base.h"
#include "core/cron.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "sync/asyncpinger.h"
#include "sync/dbsync.h"
#include "sync/entranceuploader.h"
#include "sync/syncthread.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"
#include "tests/support/controllersandbox.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/finishedruns.h"

#include <QQmlContext>
#include <QQuickView>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

enum class Fault { Refused, Hanging, Status500, Slow, DroppedHalfway, Malformed };

// Long enough for a recording and a sync cycle to meet the refusal on a loaded machine.
const int refusalMs = 4000;
const int transferTimeoutMs = 1500;
// Longer than any fault lasts here: a hanging upload is answered once the server goes on.
const int uploadTimeoutMs = 60000;

} // namespace

Q_DECLARE_METATYPE(Fault)

class tst_ServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void terminalRidesOutFault_data();
    void terminalRidesOutFault();
    void entrancesFollowTheServerBack_data();
    void entrancesFollowTheServerBack();

private:
    bool applyFault(Fault fault);
    bool heal(Fault fault);
    // One probe-and-sync cycle as the scheduler starts it, until its requests are done.
    void syncCycle();
    void uploadSweep();
    int requestsBesideUploads() const;
    uint record(uint dochid);
    QList<uint> unsent();

    std::unique_ptr<ControllerSandbox> mSandbox;
    std::unique_ptr<DevServerProcess> mServer;
    std::unique_ptr<Base> mBase;
    ManagerPreruseni *mEntrances = nullptr;
};

void tst_ServerFaults::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Zep::debugLevel = 0;
}

void tst_ServerFaults::init()
{
    mServer = std::make_unique<DevServerProcess>();
    // Every upload is a row of its own: a repeated upload shows.
    mServer->setExtraArguments({ QStringLiteral("--count-uploads") });
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));
    mSandbox = std::make_unique<ControllerSandbox>();
    QVERIFY(mSandbox->isValid());
    ZEPSettings &settings = mSandbox->settings();
    settings.setValue(QStringLiteral("serverKLD/ip"), mServer->host());
    settings.setValue(QStringLiteral("serverKLD/port"), mServer->port());
    settings.setValue(QStringLiteral("global/takePhoto"), false);

    mBase = mSandbox->makeBase();
    mBase->init();
    // The test drives the duties itself.
    mBase->cron()->stop();
    mBase->syncProtocol()->client()->setTransferTimeout(transferTimeoutMs);
    mBase->syncProtocol()->client()->setUploadTimeout(uploadTimeoutMs);
    mBase->syncProtocol()->probe()->setTimeout(700);
    mBase->entranceUploader()->syncThread()->setPauseMs(5);
    mEntrances = qobject_cast<ManagerPreruseni *>(mBase->view()
                                                      ->rootContext()
                                                      ->contextProperty(QStringLiteral("manPrerus"))
                                                      .value<QObject *>());
    QVERIFY(mEntrances);

    // Registration and the complete lists take a few cycles.
    for (int cycle = 0; cycle < 6 && mBase->attendanceDb()->getPeopleCount() < 5; ++cycle)
        syncCycle();
    QCOMPARE(mBase->attendanceDb()->getPeopleCount(), 5u);
    QCOMPARE(mBase->getProxyState(), int(ServerOnline));
}

void tst_ServerFaults::cleanup()
{
    if (mServer)
        mServer->releaseStalled();
    mEntrances = nullptr;
    mBase.reset();
    mSandbox.reset();
    mServer.reset();
}

// Uploads may wait for a hanging server as long as it hangs.
int tst_ServerFaults::requestsBesideUploads() const
{
    const TulDbManager *protocol = mBase->syncProtocol();
    return protocol->outstandingRequests() - mBase->entranceUploader()->entranceUploadsInFlight();
}

void tst_ServerFaults::syncCycle()
{
    TulDbManager *protocol = mBase->syncProtocol();
    QSignalSpy probed(protocol->probe(), &AsyncPinger::pingFinished);
    mBase->doSyncTUL();
    if (mSandbox->settings().value(QStringLiteral("serverKLD/pingEnabled"), true).toBool())
        QTRY_COMPARE_WITH_TIMEOUT(probed.count(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(requestsBesideUploads(), 0, 4 * transferTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!mBase->syncApplier()->hasPendingBatches(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(requestsBesideUploads(), 0, 4 * transferTimeoutMs);
}

void tst_ServerFaults::uploadSweep()
{
    SyncThread *thread = mBase->entranceUploader()->syncThread();
    FinishedRuns finished(thread);
    mBase->syncApplier()->doSync();
    mBase->entranceUploader()->doSync();
    if (thread->isRunning() || finished.count() > 0)
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 10000);
    // The entrances it handed on reach the uploader queued.
    QCoreApplication::processEvents();
    QTRY_COMPARE_WITH_TIMEOUT(
        mBase->syncProtocol()->outstandingRequests(), 0, 4 * transferTimeoutMs);
}

// As the UI does it: the card, then the type and direction; the new entrance's id.
uint tst_ServerFaults::record(uint dochid)
{
    const PersonData person = mBase->attendanceDb()->nacitajCloveka(dochid, true);
    uint id = 0;
    const QMetaObject::Connection connection = connect(
        mEntrances,
        &ManagerPreruseni::sigAddEntrance,
        this,
        [&id](uint, uint, uint, uint, const QString &, uint localId, uint) { id = localId; });
    const bool recorded = mEntrances->overKartu(person.karta) != 0
        && mEntrances->zapisPrerusenie(1,
                                       QStringLiteral("Príchod"),
                                       QStringLiteral("P"),
                                       1,
                                       person.karta,
                                       uint(person.uid),
                                       dochid);
    disconnect(connection);
    return recorded ? id : 0;
}

QList<uint> tst_ServerFaults::unsent()
{
    QList<EntranceData> list;
    mBase->attendanceDb()->nacitajPrerusenia(list, true, false);
    QList<uint> ids;
    for (const EntranceData &entrance : qAsConst(list))
        ids << entrance.id;
    return ids;
}

bool tst_ServerFaults::applyFault(Fault fault)
{
    const int all = 1000000;
    switch (fault) {
    case Fault::Refused:
        return mServer->refuseConnections(refusalMs);
    case Fault::Hanging:
        return mServer->stallNext(all);
    case Fault::Status500:
        return mServer->failNext(all, 500);
    case Fault::Slow:
        return mServer->slowNext(all, transferTimeoutMs / 3);
    case Fault::DroppedHalfway:
        return mServer->dropNext(all);
    case Fault::Malformed:
        return mServer->garbleNext(all);
    }
    return false;
}

bool tst_ServerFaults::heal(Fault fault)
{
    if (fault != Fault::Refused)
        return mServer->releaseStalled();
    // Back when the server says it listens again (it may answer on a connection opened
    // before the refusal).
    QDeadlineTimer deadline(refusalMs + 10000);
    while (!deadline.hasExpired()) {
        const QJsonDocument answer = mServer->adminGet(QStringLiteral("refuse"));
        if (answer.isObject() && !answer.object().value(QStringLiteral("refusing")).toBool(true))
            return true;
        QTest::qWait(100);
    }
    return false;
}

void tst_ServerFaults::terminalRidesOutFault_data()
{
    QTest::addColumn<Fault>("fault");
    // The state the UI shows drops below online.
    QTest::addColumn<bool>("offline");
    // The server may have taken an upload whose reply never reached the terminal, which
    // then uploads the entrance once more. An upload the server holds is waited for.
    QTest::addColumn<bool>("replyMayBeLost");

    QTest::newRow("connections refused") << Fault::Refused << true << false;
    QTest::newRow("hanging") << Fault::Hanging << true << false;
    QTest::newRow("status 500") << Fault::Status500 << true << false;
    QTest::newRow("slow answers") << Fault::Slow << false << false;
    QTest::newRow("connection dropped half-way") << Fault::DroppedHalfway << true << true;
    QTest::newRow("malformed bodies") << Fault::Malformed << true << true;
}

void tst_ServerFaults::terminalRidesOutFault()
{
    QFETCH(Fault, fault);
    QFETCH(bool, offline);
    QFETCH(bool, replyMayBeLost);

    QSignalSpy shown(mBase.get(), &Base::proxyStateChanged);
    QVERIFY(applyFault(fault));

    // Recorded while the server misbehaves: the first is posted at once, the second after
    // a sync cycle has met the fault.
    QList<uint> recorded;
    recorded << record(1001);
    syncCycle();
    recorded << record(1002);
    QVERIFY(!recorded.contains(0));
    QList<int> states;
    for (const QList<QVariant> &change : qAsConst(shown))
        states << change.value(0).toInt();
    if (offline) {
        QVERIFY2(mBase->getProxyState() < ServerOnline,
                 qPrintable(QString::number(mBase->getProxyState())));
        QVERIFY(!states.isEmpty() && states.last() < ServerOnline);
    } else {
        QCOMPARE(mBase->getProxyState(), int(ServerOnline));
    }

    // Held longer than any other request may take: the upload is still waited for.
    if (fault == Fault::Hanging) {
        QSignalSpy givenUp(mBase->entranceUploader(), &EntranceUploader::entranceUploadFailed);
        QVERIFY(!givenUp.wait(2 * transferTimeoutMs));
    }
    QVERIFY(heal(fault));
    for (int round = 0; round < 40 && !unsent().isEmpty(); ++round) {
        syncCycle();
        uploadSweep();
    }
    QCOMPARE(unsent(), QList<uint>());
    QCOMPARE(mBase->getProxyState(), int(ServerOnline));

    QHash<uint, QList<uint>> uploads; // local id -> server ids, oldest first
    for (const QJsonValue &row : mServer->entrances()) {
        if (row[QLatin1String("del")].toInt() == 0)
            uploads[uint(row[QLatin1String("rid")].toInt())]
                << uint(row[QLatin1String("eid")].toInt());
    }
    QList<EntranceData> local;
    QVERIFY(mBase->attendanceDb()->nacitajPrerusenia(local, false, false));
    QCOMPARE(local.size(), recorded.size());
    for (const EntranceData &entrance : qAsConst(local)) {
        const QList<uint> serverIds = uploads.value(entrance.id);
        QVERIFY2(!serverIds.isEmpty(),
                 qPrintable(QStringLiteral("entrance %1 is not on the server").arg(entrance.id)));
        QVERIFY(serverIds.contains(entrance.syn));
    }
    // Reported by the terminal's id of the entrance.
    const QJsonArray repeats = mServer->repeatedUploads();
    for (const QJsonValue &repeat : repeats)
        QVERIFY2(replyMayBeLost && repeat[QLatin1String("uploads")].toInt() == 2,
                 qPrintable(QStringLiteral("entrance %1 uploaded %2 times")
                                .arg(repeat[QLatin1String("rid")].toInt())
                                .arg(repeat[QLatin1String("uploads")].toInt())));
}

void tst_ServerFaults::entrancesFollowTheServerBack_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("connections refused") << Fault::Refused;
    QTest::newRow("status 500") << Fault::Status500;
    QTest::newRow("malformed bodies") << Fault::Malformed;
}

// Entrances kept back by a fault go up as soon as the server answers again, however many
// sweeps met the fault, without waiting for the next scheduled sweep.
void tst_ServerFaults::entrancesFollowTheServerBack()
{
    QFETCH(Fault, fault);
    // Without the probe every sweep posts, and each post meets the fault.
    mSandbox->settings().setValue(QStringLiteral("serverKLD/pingEnabled"), false);
    QVERIFY(applyFault(fault));

    QList<uint> recorded;
    recorded << record(1001);
    syncCycle();
    recorded << record(1002);
    QVERIFY(!recorded.contains(0));
    SyncThread *thread = mBase->entranceUploader()->syncThread();
    for (int sweep = 0; sweep < 4; ++sweep) {
        FinishedRuns finished(thread);
        thread->startSweep();
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 10000);
        QCoreApplication::processEvents();
        QTRY_COMPARE_WITH_TIMEOUT(requestsBesideUploads(), 0, 4 * transferTimeoutMs);
    }
    QCOMPARE(unsent(), recorded);
    QVERIFY(mBase->getProxyState() < ServerOnline);

    QVERIFY(heal(fault));
    syncCycle();
    QCOMPARE(mBase->getProxyState(), int(ServerOnline));
    QTRY_COMPARE_WITH_TIMEOUT(unsent(), QList<uint>(), 10000);
}

QTEST_MAIN(tst_ServerFaults)
#include "tst_serverfaults.moc"
