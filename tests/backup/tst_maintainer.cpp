#include "backup/ldbmaintenancethread.h"
#include "backup/maintainer.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/finishedruns.h"
#include "tests/support/sqlfile.h"
#include "tests/support/databasesandbox.h"
#include "tests/support/messagehook.h"
#include "tests/support/scratchfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
uint secondsAgo(qint64 seconds)
{
    return uint(QDateTime::currentSecsSinceEpoch() - seconds);
}
} // namespace

class tst_Maintainer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void removesOnlyWhatIsSafeElsewhere_data();
    void removesOnlyWhatIsSafeElsewhere();
    void countsRemovedPhotos();
    void secondRequestWhileRunningSkipped();

private:
    // An entrance of the one person, with its marks and (optionally) its photo.
    uint entrance(qint64 ageSeconds, uint backup, uint syn, bool photo);
    bool exists(uint id);
    void runPass();

    std::unique_ptr<DatabaseSandbox> mSandbox;
    std::unique_ptr<Maintainer> mMaintainer;
    PersonData mPerson;
};

void tst_Maintainer::init()
{
    mSandbox = std::make_unique<DatabaseSandbox>();
    QVERIFY(mSandbox->isValid());
    Zep::debugLevel = 1;
    mMaintainer = std::make_unique<Maintainer>(&mSandbox->attendance());
    QVERIFY(EntrancePhoto::ensureFolder());
    PersonData person;
    person.dochid = 42;
    person.karta = QStringLiteral("42");
    person.meno = QStringLiteral("Meno");
    person.priez = QStringLiteral("Priez");
    QVERIFY(mSandbox->attendance().addPerson(person, false));
    mPerson = mSandbox->attendance().nacitajCloveka(42, true);
}

void tst_Maintainer::cleanup()
{
    mMaintainer.reset();
    mSandbox.reset();
}

uint tst_Maintainer::entrance(qint64 ageSeconds, uint backup, uint syn, bool photo)
{
    const int id = mSandbox->attendance().zapisPrerusenie(
        1, 1, mPerson.karta, mPerson.uid, uint(mPerson.dochid), secondsAgo(ageSeconds));
    mSandbox->attendance().setPrerusBackup(uint(id), backup);
    mSandbox->attendance().setPrerusSyn(uint(id), syn);
    if (photo)
        writeScratchFile(EntrancePhoto::path(uint(id)), "jpeg");
    return uint(id);
}

bool tst_Maintainer::exists(uint id)
{
    return SqlFile::scalar(QStringLiteral("data.db"),
                           QStringLiteral("SELECT count(*) FROM prerusenia WHERE id = %1").arg(id))
               .toInt()
        == 1;
}

void tst_Maintainer::runPass()
{
    FinishedRuns finished(mMaintainer->worker());
    mMaintainer->doMaintenance();
    QVERIFY(finished.count() == 1 || finished.wait(10000));
}

void tst_Maintainer::removesOnlyWhatIsSafeElsewhere_data()
{
    QTest::addColumn<QVariant>("onlySync");
    QTest::addColumn<qint64>("age");
    QTest::addColumn<uint>("backup");
    QTest::addColumn<uint>("syn");
    QTest::addColumn<bool>("removed");

    const qint64 day = 24 * 3600;
    QTest::newRow("backed up, sent, old") << QVariant() << day + 600 << 1u << 77u << true;
    QTest::newRow("not sent") << QVariant() << day + 600 << 1u << 0u << false;
    QTest::newRow("not sent, only-sent rule on")
        << QVariant(true) << day + 600 << 1u << 0u << false;
    QTest::newRow("not sent, only-sent rule off")
        << QVariant(false) << day + 600 << 1u << 0u << true;
    QTest::newRow("not backed up") << QVariant(false) << 30 * day << 0u << 77u << false;
    QTest::newRow("at the age limit") << QVariant() << day - 60 << 1u << 77u << false;
}

void tst_Maintainer::removesOnlyWhatIsSafeElsewhere()
{
    QFETCH(QVariant, onlySync);
    QFETCH(qint64, age);
    QFETCH(uint, backup);
    QFETCH(uint, syn);
    QFETCH(bool, removed);
    if (onlySync.isValid()) {
        mSandbox->settings().setValue(QStringLiteral("maintenance/onlySyncPrerus"), onlySync);
        mSandbox->settings().sync();
    }
    const uint id = entrance(age, backup, syn, true);

    runPass();

    QCOMPARE(exists(id), !removed);
    QCOMPARE(QFileInfo::exists(EntrancePhoto::path(id)), !removed);
    QCOMPARE(mMaintainer->worker()->removedPhotos(), removed ? 1 : 0);
    // The person the entrances name stays.
    QCOMPARE(mSandbox->attendance().nacitajCloveka(42, true).uid, mPerson.uid);
}

void tst_Maintainer::countsRemovedPhotos()
{
    const qint64 old = 48 * 3600;
    const QList<uint> withPhotos = { entrance(old, 1, 5, true), entrance(old, 1, 6, true) };
    const uint withoutPhoto = entrance(old, 1, 7, false);
    DbMessageCapture messages;

    runPass();

    for (uint id : withPhotos) {
        QVERIFY(!exists(id));
        QVERIFY(!QFileInfo::exists(EntrancePhoto::path(id)));
    }
    QVERIFY(!exists(withoutPhoto));
    QCOMPARE(mMaintainer->worker()->removedPhotos(), 2);
    QCOMPARE(messages.startingWith(QStringLiteral("LDBMaintenanceThread::run() DONE")),
             QStringList { QStringLiteral("LDBMaintenanceThread::run() DONE (removed: 2)") });
}

void tst_Maintainer::secondRequestWhileRunningSkipped()
{
    entrance(48 * 3600, 1, 5, true);
    QSemaphore started;
    QSemaphore proceed;
    QSignalSpy workerStarted(mMaintainer->worker(), &QThread::started);
    {
        // The pass waits right after it found its work.
        MessageHook hook(QStringLiteral("LDBMaintenanceThread::run() - mazem"), [&] {
            started.release();
            proceed.acquire();
        });
        mMaintainer->doMaintenance();
        QVERIFY(started.tryAcquire(1, 10000));
        DbMessageCapture messages;
        mMaintainer->doMaintenance();
        QCOMPARE(
            messages.startingWith(QStringLiteral("Maintainer::doMaintenance() - thread")).size(),
            1);
        proceed.release();
        QVERIFY(HappensBefore::wait(mMaintainer->worker(), 10000));
    }
    QCOMPARE(workerStarted.count(), 1);
    QCOMPARE(mMaintainer->worker()->removedPhotos(), 1);
}

QTEST_GUILESS_MAIN(tst_Maintainer)
#include "tst_maintainer.moc"
