#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"

#include <QDateTime>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {
const QString dbFile = QStringLiteral("data.db");
constexpr int written = 600;
constexpr int seededOld = 150;

// Runs one duty of a worker thread in a loop until stopped; counts failures.
class Worker
{
public:
    explicit Worker(std::function<bool()> pass)
        : mThread(QThread::create([this, pass] {
            while (!mStop.load()) {
                if (!pass())
                    ++mFailures;
                ++mPasses;
            }
        }))
    {
        HappensBefore::releaseWhenFinished(mThread.get());
        mThread->start();
    }
    ~Worker() { stop(); }
    void stop()
    {
        mStop = true;
        HappensBefore::wait(mThread.get());
    }
    int failures() const { return mFailures.load(); }
    int passes() const { return mPasses.load(); }

private:
    std::atomic<bool> mStop { false };
    std::atomic<int> mFailures { 0 };
    std::atomic<int> mPasses { 0 };
    std::unique_ptr<QThread> mThread;
};
} // namespace

class tst_DbConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::debugLevel = 0;
    }
    void cleanup() { mDir.reset(); }

    void workersAndRecordingShareTheFile();
    void threadConnectionsEndWithTheirThreads();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_DbConcurrency::workersAndRecordingShareTheFile()
{
    QSettings settings(ZepFiles::settingsFile, QSettings::IniFormat);
    settings.setValue(QStringLiteral("timeout/zmazaniePrerusenia"), 0);
    settings.setValue(QStringLiteral("maintenance/minVekPrerus"), 1);
    settings.sync();

    DataDBManager db(dbFile, true);
    const uint old = uint(QDateTime::currentSecsSinceEpoch()) - 48 * 3600;
    QStringList rows;
    for (int i = 0; i < seededOld; ++i)
        rows.append(QStringLiteral("(%1, 1, 1, 1)").arg(old));
    QVERIFY(
        SqlFile::exec(dbFile,
                        { QStringLiteral("INSERT INTO prerusenia (time, pid, syn, backup) VALUES ")
                          + rows.join(QLatin1Char(',')) }));

    DbMessageCapture capture;
    std::atomic<int> uploaded { 0 }, backedUp { 0 }, removed { 0 };
    // The duties of the upload, backup and maintenance threads.
    Worker upload([&] {
        QList<EntranceData> list;
        if (!db.nacitajPrerusenia(list, true, false))
            return false;
        for (const EntranceData &e : list) {
            if (!db.setPrerusSyn(e.id, e.id + 100000))
                return false;
            ++uploaded;
        }
        return true;
    });
    Worker backup([&] {
        QList<EntranceData> list;
        if (!db.nacitajPrerusenia(list, false, true))
            return false;
        for (const EntranceData &e : list) {
            if (!db.setPrerusBackup(e.id, 1))
                return false;
            ++backedUp;
        }
        return true;
    });
    Worker maintenance([&] {
        QList<uint> ids;
        if (!db.nacitajNepotrebnePrerusenia(ids, true))
            return false;
        for (uint id : ids) {
            if (!db.vymazPrerusenie(id))
                return false;
            ++removed;
        }
        return true;
    });

    QList<int> ids;
    for (int i = 0; i < written; ++i) {
        const int id = db.zapisPrerusenie(uint(i % 7), 1, QStringLiteral("K%1").arg(i), 0, 0, 0);
        QVERIFY(id > 0);
        ids.append(id);
    }
    // Backup takes entrances from the next second on.
    QTRY_VERIFY_WITH_TIMEOUT(uploaded.load() == written && backedUp.load() == written
                                 && removed.load() == seededOld,
                             30000);
    upload.stop();
    backup.stop();
    maintenance.stop();

    QCOMPARE(upload.failures(), 0);
    QCOMPARE(backup.failures(), 0);
    QCOMPARE(maintenance.failures(), 0);
    QVERIFY2(capture.critical().isEmpty(), qPrintable(capture.critical().join(QLatin1Char('\n'))));

    QList<EntranceData> all;
    QVERIFY(db.nacitajPrerusenia(all, false, false));
    QCOMPARE(all.size(), written);
    for (int i = 0; i < written; ++i) {
        QCOMPARE(all.at(i).id, uint(ids.at(i)));
        QCOMPARE(all.at(i).syn, uint(ids.at(i)) + 100000);
        QCOMPARE(all.at(i).backup, 1u);
    }
}

void tst_DbConcurrency::threadConnectionsEndWithTheirThreads()
{
    DataDBManager db(dbFile, true);
    const QStringList before = QSqlDatabase::connectionNames();
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QList<EntranceData> list;
        QVERIFY(db.nacitajPrerusenia(list, false, false));
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 1);
    }));
    HappensBefore::releaseWhenFinished(thread.get());
    thread->start();
    QVERIFY(HappensBefore::wait(thread.get(), 10000));
    QCOMPARE(QSqlDatabase::connectionNames(), before);
}

QTEST_GUILESS_MAIN(tst_DbConcurrency)
#include "tst_dbconcurrency.moc"
