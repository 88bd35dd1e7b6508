// Recording an entrance as the terminal does by default (its line in interrupts.log and
// its row with the person's counter, both on the disk at return, the line before the
// commit) against the least code doing the same durable work: the SQLite C API on a file
// of the same schema and indexes, WAL and synchronous=FULL as the terminal sets them, with
// one prepared INSERT and UPDATE in a BEGIN IMMEDIATE transaction that commits once another
// thread has appended and fdatasync'ed the same line to a journal of its own.
//
//   bench_recording [rounds]
//
// The two take turns entrance by entrance on the same disk, so that both meet the same load
// of the machine. Each entrance is timed on its own; the figures are the median and spread of
// those times and the ratio of the medians, also per round of `perRound` entrances.
#include "foundation/debuglog.h"
#include "db/datadbmanager.h"
#include "db/interruptlogline.h"
#include "support/sqlitebaseline.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr int perRound = 200;
constexpr uint personUid = 1;
constexpr uint personDochid = 1;

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

// Appends a line to a file and fdatasyncs it on a thread of its own.
class JournalThread
{
public:
    explicit JournalThread(const char *path)
        : mFd(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644))
        , mThread([this] { run(); })
    {
    }
    ~JournalThread()
    {
        {
            std::lock_guard<std::mutex> lock(mMutex);
            mStop = true;
        }
        mWake.notify_all();
        mThread.join();
        ::close(mFd);
    }

    void start(QByteArray line)
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mLine = std::move(line);
        mState = Requested;
        mWake.notify_all();
    }
    bool wait()
    {
        std::unique_lock<std::mutex> lock(mMutex);
        mWake.wait(lock, [this] { return mState == Done; });
        mState = Idle;
        return mOk;
    }

private:
    enum State { Idle, Requested, Done };

    void run()
    {
        std::unique_lock<std::mutex> lock(mMutex);
        for (;;) {
            mWake.wait(lock, [this] { return mStop || mState == Requested; });
            if (mStop)
                return;
            const QByteArray line = mLine;
            lock.unlock();
            const bool ok = mFd >= 0
                && ::write(mFd, line.constData(), size_t(line.size())) == line.size()
                && ::fdatasync(mFd) == 0;
            lock.lock();
            mOk = ok;
            mState = Done;
            mWake.notify_all();
        }
    }

    const int mFd;
    std::mutex mMutex;
    std::condition_variable mWake;
    QByteArray mLine;
    State mState = Idle;
    bool mOk = false;
    bool mStop = false;
    std::thread mThread;
};

// The baseline: one entrance is a journal line and a row with the counter, as the terminal's.
class Baseline
{
public:
    explicit Baseline(const QString &dbFile)
        : mJournal("baseline-interrupts.log")
        , mDb(dbFile)
        , mBegin(mDb.prepare("BEGIN IMMEDIATE"))
        , mCommit(mDb.prepare("COMMIT"))
        , mRollback(mDb.prepare("ROLLBACK"))
        , mInsert(mDb.prepare("INSERT INTO prerusenia (time, pid, smer, karta, uid) "
                              "VALUES(?1, ?2, ?3, ?4, ?5)"))
        , mCount(mDb.prepare("UPDATE ludia SET numprerus = numprerus +1 WHERE uid = ?1"))
    {
    }

    // The new row's id, 0 on failure.
    qint64 record(uint pid, uint smer, const QByteArray &karta, uint uid, uint dochid, uint time)
    {
        mJournal.start(InterruptLogLine::make(time, dochid, pid, smer).toUtf8() + '\n');
        bool ok = SqliteBaseline::run(mBegin);
        sqlite3_bind_int64(mInsert, 1, time);
        sqlite3_bind_int64(mInsert, 2, pid);
        sqlite3_bind_int64(mInsert, 3, smer);
        sqlite3_bind_text(mInsert, 4, karta.constData(), karta.size(), SQLITE_STATIC);
        sqlite3_bind_int64(mInsert, 5, uid);
        ok = ok && SqliteBaseline::run(mInsert);
        const qint64 id = sqlite3_last_insert_rowid(mDb.handle());
        sqlite3_bind_int64(mCount, 1, uid);
        ok = ok && SqliteBaseline::run(mCount);
        ok = mJournal.wait() && ok;
        if (ok && SqliteBaseline::run(mCommit))
            return id;
        SqliteBaseline::run(mRollback);
        return 0;
    }
    bool isValid() const { return mDb.isValid(); }

private:
    JournalThread mJournal;
    SqliteBaseline mDb;
    sqlite3_stmt *mBegin;
    sqlite3_stmt *mCommit;
    sqlite3_stmt *mRollback;
    sqlite3_stmt *mInsert;
    sqlite3_stmt *mCount;
};

// A data.db with the terminal's schema and the one person the entrances are recorded for.
bool createDatabase(const QString &fileName)
{
    DataDBManager db(fileName, true);
    PersonData person;
    person.dochid = int(personDochid);
    person.karta = QStringLiteral("CARD");
    return db.addPerson(person, false)
        && db.nacitajCloveka(personDochid, true).uid == int(personUid);
}

struct Spread
{
    double median, p10, p90, max, mean;
};

Spread spreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double value : values)
        sum += value;
    return { values[values.size() / 2],
             values[values.size() / 10],
             values[values.size() * 9 / 10],
             values.back(),
             sum / double(values.size()) };
}

void report(const char *what, const std::vector<double> &times)
{
    const Spread s = spreadOf(times);
    std::printf("%-46s median %.3f ms  p10 %.3f  p90 %.3f  max %.3f  mean %.3f  (x%zu)\n",
                what,
                s.median,
                s.p10,
                s.p90,
                s.max,
                s.mean,
                times.size());
}

// The time of one entrance in ms, -1 when it was not recorded.
template<typename Record> double timed(Record record)
{
    QElapsedTimer timer;
    timer.start();
    return record() ? timer.nsecsElapsed() / 1e6 : -1;
}

QString cardOf(int row)
{
    return QStringLiteral("CARD%1").arg(row);
}

uint pidOf(int row)
{
    return uint(row % 7 + 1);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-recording-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    std::printf("folder: %s (same disk for both); load average before: %s\n",
                qPrintable(dir.path()),
                qPrintable(loadAverage()));
    // As the terminal runs by default: debug level 1 into the debug log of the folder.
    qInstallMessageHandler(DebugLog::handler);

    if (!createDatabase(QStringLiteral("baseline.db"))
        || !createDatabase(QStringLiteral("data.db")))
        return 1;
    DataDBManager db(QStringLiteral("data.db"), true);
    Baseline baseline(QStringLiteral("baseline.db"));
    if (!baseline.isValid()) {
        std::fprintf(stderr, "baseline: cannot prepare baseline.db\n");
        return 1;
    }

    std::vector<double> terminalTimes, baselineTimes, roundRatios;
    for (int round = 0; round < rounds; ++round) {
        const int first = round * perRound;
        const size_t terminalBefore = terminalTimes.size();
        const size_t baselineBefore = baselineTimes.size();
        for (int row = first; row < first + perRound; ++row) {
            const auto terminal = [&] {
                return db.zapisPrerusenie(pidOf(row), 1, cardOf(row), personUid, personDochid, 0)
                    > 0;
            };
            const auto base = [&] {
                return baseline.record(pidOf(row),
                                       1,
                                       cardOf(row).toUtf8(),
                                       personUid,
                                       personDochid,
                                       uint(QDateTime::currentSecsSinceEpoch()))
                    > 0;
            };
            // Taking turns entrance by entrance, each first every other time.
            const bool terminalFirst = row % 2 == 0;
            const double firstTime = terminalFirst ? timed(terminal) : timed(base);
            const double secondTime = terminalFirst ? timed(base) : timed(terminal);
            if (firstTime < 0 || secondTime < 0) {
                std::fprintf(stderr, "entrance %d was not recorded\n", row + 1);
                return 1;
            }
            terminalTimes.push_back(terminalFirst ? firstTime : secondTime);
            baselineTimes.push_back(terminalFirst ? secondTime : firstTime);
        }
        const double terminal
            = spreadOf({ terminalTimes.begin() + long(terminalBefore), terminalTimes.end() })
                  .median;
        const double base
            = spreadOf({ baselineTimes.begin() + long(baselineBefore), baselineTimes.end() })
                  .median;
        roundRatios.push_back(terminal / base);
        std::printf("round %2d: terminal %.3f ms, baseline %.3f ms (medians), ratio %.2f\n",
                    round + 1,
                    terminal,
                    base,
                    terminal / base);
    }

    std::printf(
        "\n%d rounds of %d entrances, WAL, synchronous=FULL, debug level 1\n", rounds, perRound);
    report("terminal (DataDBManager::zapisPrerusenie)", terminalTimes);
    report("baseline (C API + fdatasync'ing thread)", baselineTimes);
    const double ratio = spreadOf(terminalTimes).median / spreadOf(baselineTimes).median;
    std::printf("ratio terminal / baseline: %.2f (medians), rounds' ratios median %.2f "
                "(goal <= 1.2)\n",
                ratio,
                spreadOf(roundRatios).median);
    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    return 0;
}
