#include "foundation/entrancephoto.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"
#include "sync/syncthread.h"

#include "tests/support/workdir.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

class tst_SyncThread : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptySweepAnnouncesNothing();
    void sweep_data();
    void sweep();
    void terminateStopsBeforeNextEntrance();
    void backlogTakesSeveralSweeps();
    void heldBackEntranceSkipped();

private:
    uint addPerson(int dochid, uint refId);
    // Appends the local id of every entrance the sweeps hand on.
    void collectHandedOn(QList<uint> *ids);
    // Runs one sweep and waits for the thread to end.
    void runSweep();

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<UploadBackoff> mBackoff;
    std::unique_ptr<SyncThread> mThread;
};

void tst_SyncThread::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mDb = std::make_unique<DataDBManager>(QStringLiteral("./data.db"));
    mBackoff = std::make_unique<UploadBackoff>();
    mThread = std::make_unique<SyncThread>(mDb.get(), mBackoff.get());
    mThread->setPauseMs(0);
}

void tst_SyncThread::cleanup()
{
    mThread->doTerminate();
    HappensBefore::wait(mThread.get());
    mThread.reset();
    mDb.reset();
    mDir.reset();
}

uint tst_SyncThread::addPerson(int dochid, uint refId)
{
    PersonData person;
    person.dochid = dochid;
    person.refId = refId;
    person.meno = QStringLiteral("Person %1").arg(dochid);
    person.syn = 1;
    if (!mDb->addPerson(person, false))
        return 0;
    return uint(mDb->nacitajCloveka(uint(dochid), true).uid);
}

void tst_SyncThread::collectHandedOn(QList<uint> *ids)
{
    connect(mThread.get(),
            &SyncThread::sigZapisPrerusenie,
            this,
            [ids](uint, uint, uint, uint, QString, uint localPid) { ids->append(localPid); });
}

void tst_SyncThread::runSweep()
{
    mThread->startSweep();
    // Events are delivered while the sweep runs (a test may stop it from a slot). The end is
    // seen through the thread itself, then joined: a spy would record the sweep's signals in
    // the sweep's thread, and reading it before the join would race with the sweep.
    QTRY_VERIFY_WITH_TIMEOUT(mThread->isFinished(), 10000);
    QVERIFY(HappensBefore::wait(mThread.get()));
    // Deliver what the sweep queued for this thread.
    QCoreApplication::processEvents();
}

void tst_SyncThread::emptySweepAnnouncesNothing()
{
    QSignalSpy begin(mThread.get(), &SyncThread::syncBegin);
    QSignalSpy end(mThread.get(), &SyncThread::syncEnd);
    runSweep();
    QCOMPARE(begin.count(), 0);
    QCOMPARE(end.count(), 0);
}

void tst_SyncThread::sweep_data()
{
    QTest::addColumn<QString>("person"); // "known", "deleted" (marked) or "missing" (row gone)
    QTest::addColumn<uint>("pid");
    QTest::addColumn<uint>("smer");
    QTest::addColumn<bool>("handedOn");
    QTest::addColumn<uint>("synAfter");

    QTest::newRow("known person, entry") << "known" << 3u << 1u << true << 0u;
    QTest::newRow("known person, other direction") << "known" << 3u << 2u << true << 0u;
    QTest::newRow("person deleted keeps its number") << "deleted" << 3u << 1u << true << 0u;
    QTest::newRow("person missing: stays unsent") << "missing" << 3u << 1u << false << 0u;
    QTest::newRow("no interruption type") << "known" << 0u << 1u << false << 1u;
}

void tst_SyncThread::sweep()
{
    QFETCH(QString, person);
    QFETCH(uint, pid);
    QFETCH(uint, smer);
    QFETCH(bool, handedOn);
    QFETCH(uint, synAfter);

    const uint uid = addPerson(12, 77);
    QVERIFY(uid != 0);
    const uint time = uint(QDateTime::currentSecsSinceEpoch()) - 100;
    const int id = mDb->zapisPrerusenie(pid, smer, QStringLiteral("CARD"), uid, 12, time);
    QVERIFY(id > 0);
    if (person == QLatin1String("deleted")) {
        QVERIFY(mDb->deletePerson(uid, false));
    } else if (person == QLatin1String("missing")) {
        QVERIFY(QSqlQuery(QSqlDatabase::database(mDb->connectionName()))
                    .exec(QStringLiteral("DELETE FROM ludia")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^SyncThread: Entrance without user! \\(\\d{14}-"
                                                "00000000-3-1-\\)$"));
    } else if (pid == 0) {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^SyncThread: Invalid Entrance! \\(\\d{14}-"
                                                "00000012-0-1-\\)$"));
    }

    QSignalSpy begin(mThread.get(), &SyncThread::syncBegin);
    QSignalSpy end(mThread.get(), &SyncThread::syncEnd);
    QSignalSpy entrances(mThread.get(), &SyncThread::sigZapisPrerusenie);
    runSweep();

    QCOMPARE(begin.count(), 1);
    QCOMPARE(begin.at(0).at(0).toString(), QStringLiteral("prerus_history"));
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0).at(0).toString(), QStringLiteral("prerus_history"));
    QCOMPARE(end.at(0).at(1).toInt(), handedOn ? 1 : 0);
    QCOMPARE(end.at(0).at(2).toInt(), handedOn ? 0 : 1);
    QCOMPARE(entrances.count(), handedOn ? 1 : 0);
    if (handedOn) {
        const QList<QVariant> args = entrances.at(0);
        QCOMPARE(args.at(0).toUInt(), pid);
        QCOMPARE(args.at(1).toUInt(), smer);
        QCOMPARE(args.at(2).toUInt(), 12u);
        QCOMPARE(args.at(3).toUInt(), 77u);
        QCOMPARE(args.at(4).toString(), EntrancePhoto::path(uint(id)));
        QCOMPARE(args.at(5).toUInt(), uint(id));
        QCOMPARE(args.at(6).toUInt(), time);
    }

    QList<EntranceData> all;
    QVERIFY(mDb->nacitajPrerusenia(all, false, false));
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.at(0).syn, synAfter);
}

void tst_SyncThread::terminateStopsBeforeNextEntrance()
{
    const uint uid = addPerson(5, 50);
    for (int i = 0; i < 3; ++i)
        QVERIFY(mDb->zapisPrerusenie(1, 1, QString(), uid, 5) > 0);
    // Long enough that only the stop request can end the pause.
    mThread->setPauseMs(60000);

    QSignalSpy end(mThread.get(), &SyncThread::syncEnd);
    connect(
        mThread.get(), &SyncThread::sigZapisPrerusenie, this, [this] { mThread->doTerminate(); });
    QElapsedTimer timer;
    timer.start();
    runSweep();

    QVERIFY(timer.elapsed() < 30000);
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0).at(1).toInt(), 1);
    QCOMPARE(end.at(0).at(2).toInt(), 0);
}

void tst_SyncThread::backlogTakesSeveralSweeps()
{
    const uint uid = addPerson(9, 90);
    QVERIFY(mDb->beginTransaction());
    for (int i = 0; i < 1500; ++i)
        QVERIFY(mDb->zapisPrerusenie(1, 1, QString(), uid, 9, 1000 + i) > 0);
    QVERIFY(mDb->commitTransaction());
    QList<uint> handedOn;
    collectHandedOn(&handedOn);
    // The server's confirmations of the entrances handed on.
    auto confirm = [&] {
        QVERIFY(mDb->beginTransaction());
        for (uint id : qAsConst(handedOn))
            QVERIFY(mDb->setPrerusSyn(id, 100000 + id));
        QVERIFY(mDb->commitTransaction());
        handedOn.clear();
    };
    QSignalSpy end(mThread.get(), &SyncThread::syncEnd);

    runSweep();
    QCOMPARE(end.count(), 1);
    QCOMPARE(end.at(0).at(1).toInt(), 1000);
    confirm();
    runSweep();
    QCOMPARE(end.count(), 2);
    QCOMPARE(end.at(1).at(1).toInt(), 500);
    confirm();
    runSweep();
    QCOMPARE(end.count(), 2);
}

void tst_SyncThread::heldBackEntranceSkipped()
{
    const uint uid = addPerson(4, 40);
    QList<uint> handedOn;
    collectHandedOn(&handedOn);
    auto sweep = [&] {
        handedOn.clear();
        runSweep();
        return handedOn;
    };

    const uint refused = uint(mDb->zapisPrerusenie(1, 1, QString(), uid, 4, 1000));
    const uint newer = uint(mDb->zapisPrerusenie(1, 1, QString(), uid, 4, 900));
    // Handing on is no attempt: only a failed post holds an entrance back.
    QCOMPARE(sweep(), (QList<uint> { refused, newer }));
    QCOMPARE(sweep(), (QList<uint> { refused, newer }));
    mBackoff->failed(refused, true, UploadBackoff::now());
    QCOMPARE(sweep(), QList<uint> { newer });
    mBackoff->forget(refused);
    QCOMPARE(sweep(), (QList<uint> { refused, newer }));
}

QTEST_GUILESS_MAIN(tst_SyncThread)
#include "tst_syncthread.moc"
