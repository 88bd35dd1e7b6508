// Server people lists of 10,000 people as the terminal takes them with its default settings
// (debug level 1 into its debug log, data.db in WAL with synchronous=FULL): a forced complete
// list of new people, then an incremental list updating all of them. Each is measured twice:
//   end to end  from the sync reply body handed over by the client to the confirmation of the
//               people list (the protocol parses the reply, the applier writes the list and
//               confirms it once committed);
//   applier     from the parsed list handed to the applier to the end of its write.
// Beside them the baseline: the same rows written through the SQLite C API with one prepared
// statement in one transaction, into a file of the same schema, journal mode and synchronous
// level. The median of five rounds (BENCH_ROUNDS sets another count).

#include "attendance/preruseniemodel.h"
#include "foundation/debuglog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/applierwiring.h"
#include "sync/changelists.h"
#include "sync/dbsync.h"
#include "sync/syncmask.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"
#include "support/sqlitebaseline.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
const int peopleCount = 10000;

// A wall-clock and a processor time: the machine may be shared, processor time is steadier.
struct Cost
{
    qint64 wallMs = -1;
    qint64 cpuMs = -1;
};

qint64 cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

template<typename Work> Cost measure(Work work)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = cpuMs();
    if (!work())
        return {};
    return { timer.elapsed(), cpuMs() - cpuBefore };
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

PersonSynDataList serverPeople(QChar type, uint tsc, const QString &prefix)
{
    PersonSynDataList list;
    for (int i = 1; i <= peopleCount; ++i) {
        PersonSynData person;
        person.uid = uint(100000 + i);
        person.pid = uint(i);
        person.name = QStringLiteral("%1 %2").arg(prefix).arg(i);
        person.surname = QStringLiteral("Priezvisko %1").arg(i);
        person.title = QStringLiteral("Ing.");
        person.card = QStringLiteral("%1").arg(0xA0000000u + uint(i), 0, 16).toUpper();
        person.saldo = i % 600;
        person.access = true;
        person.grp = uint(i % 5);
        person.type = type;
        person.tsc = tsc;
        list.append(person);
    }
    return list;
}

// The body of the server's reply to a sync request carrying the people list, as the
// development server writes it.
QByteArray syncReplyBody(const PersonSynDataList &list, uint st, bool force)
{
    QJsonObject people;
    for (const PersonSynData &p : list)
        people.insert(QString::number(p.uid),
                      QJsonObject { { "pid", qint64(p.pid) },
                                    { "name", p.name },
                                    { "surname", p.surname },
                                    { "title", p.title },
                                    { "title2", p.title2 },
                                    { "card", p.card },
                                    { "saldo", p.saldo },
                                    { "admin", p.admin },
                                    { "access", p.access },
                                    { "grp", qint64(p.grp) },
                                    { "type", QString(p.type) },
                                    { "tsc", qint64(p.tsc) } });
    const QString path
        = force ? QStringLiteral("sync/BENCHKEY/fs") : QStringLiteral("sync/BENCHKEY");
    const QJsonObject envelope {
        { "err", 0 },
        { "request", QJsonObject { { "method", "GET" }, { "path", path } } },
        { "ver", "0.1.0" },
        { "st", qint64(st) },
        { "res",
          QJsonObject { { "sync", SyncMask::People }, { "people", people }, { "st", qint64(st) } } }
    };
    return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}

// The terminal's protocol and applier on the databases of the current folder, wired as the
// controller wires them.
struct Terminal
{
    ZEPSettings settings { QStringLiteral("zep.ini") };
    ZepDBManager zepDb { QStringLiteral("zep.db") };
    DataDBManager db { QStringLiteral("./data.db") };
    PrerusenieModel model;
    TulDbManager protocol { &settings };
    DBSync sync { &zepDb, &db, &model, &settings };

    Terminal() { ApplierWiring::connect(&protocol, &sync); }

    // Waits until the signal has fired or nothing more is queued for the applier.
    template<typename Signal, typename Test> bool waitFor(Signal signal, Test test)
    {
        bool done = false;
        const auto connection = QObject::connect(&sync, signal, [&](auto... args) {
            if (test(args...))
                done = true;
        });
        QElapsedTimer bound;
        bound.start();
        while ((!done || sync.hasPendingBatches()) && bound.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QObject::disconnect(connection);
        return done;
    }

    bool endToEnd(const QByteArray &body, uint st, bool force)
    {
        protocol.setForceSync(force);
        emit protocol.client()->replyFinished(200, body);
        return waitFor(&DBSync::sigDeleteSyncFlags, [st](uint ts, ushort flags) {
            return ts == st && (flags & SyncMask::People);
        });
    }

    bool applier(const PersonSynDataList &list, uint st, bool force)
    {
        sync.onNeedSyncPeople(list, st);
        sync.doSyncItems(force);
        return waitFor(&DBSync::syncEnd,
                       [](const QString &typ, int, int) { return typ == QLatin1String("people"); });
    }
};

// The baseline's rows, bound to one prepared statement each and written in one transaction.
bool baselineWrite(const QString &file,
                   const char *sql,
                   const PersonSynDataList &list,
                   const std::function<void(sqlite3_stmt *, const PersonSynData &)> &bind)
{
    SqliteBaseline db(file);
    sqlite3_stmt *begin = db.prepare("BEGIN");
    sqlite3_stmt *commit = db.prepare("COMMIT");
    sqlite3_stmt *write = db.prepare(sql);
    if (!db.isValid() || !SqliteBaseline::run(begin))
        return false;
    for (const PersonSynData &p : list) {
        bind(write, p);
        if (!SqliteBaseline::run(write))
            return false;
    }
    return SqliteBaseline::run(commit);
}

void bindText(sqlite3_stmt *statement, int column, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, column, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

bool baselineInsert(const QString &file, const PersonSynDataList &list)
{
    return baselineWrite(
        file,
        "INSERT INTO ludia (dochid, karta, titul, meno, priez, admin, syn, saldo1, "
        "acc, colorGrp, refId, updated) VALUES(?1, ?2, ?3, ?4, ?5, 0, ?6, ?7, 1, "
        "?8, ?9, ?6)",
        list,
        [](sqlite3_stmt *s, const PersonSynData &p) {
            sqlite3_bind_int64(s, 1, p.pid);
            bindText(s, 2, p.card);
            bindText(s, 3, p.title);
            bindText(s, 4, p.name);
            bindText(s, 5, p.surname);
            sqlite3_bind_int64(s, 6, p.tsc);
            sqlite3_bind_double(s, 7, p.saldo / 60.0);
            sqlite3_bind_int64(s, 8, p.grp);
            sqlite3_bind_int64(s, 9, p.uid);
        });
}

bool baselineUpdate(const QString &file, const PersonSynDataList &list)
{
    return baselineWrite(file,
                         "UPDATE ludia SET meno = ?1, syn = ?2, updated = ?2 WHERE dochid = ?3",
                         list,
                         [](sqlite3_stmt *s, const PersonSynData &p) {
                             bindText(s, 1, p.name);
                             sqlite3_bind_int64(s, 2, p.tsc);
                             sqlite3_bind_int64(s, 3, p.pid);
                         });
}

enum Figure {
    FullEndToEnd,
    FullApplier,
    FullBaseline,
    IncrementalEndToEnd,
    IncrementalApplier,
    IncrementalBaseline,
    FigureCount
};

struct Round
{
    Cost figures[FigureCount];
};

// One of the two lists, as the server sends it and as the protocol hands it to the applier.
struct ServerList
{
    PersonSynDataList list;
    uint st;
    bool force;
    QByteArray body;
};

ServerList serverList(QChar type, uint tsc, const QString &prefix, uint st, bool force)
{
    const PersonSynDataList list = serverPeople(type, tsc, prefix);
    return { list, st, force, syncReplyBody(list, st, force) };
}

// Both lists on a new data.db of the terminal in the current folder; false when one was not
// written whole.
bool runTerminal(Round &round,
                 const ServerList (&lists)[2],
                 const Figure (&figures)[2],
                 const std::function<bool(Terminal &, const ServerList &)> &apply)
{
    Terminal terminal;
    for (int i = 0; i < 2; ++i) {
        round.figures[figures[i]] = measure([&] { return apply(terminal, lists[i]); });
        if (round.figures[figures[i]].wallMs < 0)
            return false;
    }
    if (terminal.db.getPeopleCount() != uint(peopleCount)) {
        std::printf("FAILED: %u people stored\n", terminal.db.getPeopleCount());
        return false;
    }
    return true;
}

// One round in a folder of its own: the terminal end to end and the applier alone, each on a
// new data.db, and the baseline on a new file of the same schema.
bool runRound(Round &round)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return false;
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    const ServerList lists[2] = { serverList(QLatin1Char('F'), now - 600, "Meno", now - 60, true),
                                  serverList(QLatin1Char('U'), now + 600, "Nove", now, false) };

    const bool ok = runTerminal(round,
                                lists,
                                { FullEndToEnd, IncrementalEndToEnd },
                                [](Terminal &t, const ServerList &l) {
                                    return t.endToEnd(l.body, l.st, l.force);
                                })
        && QFile::remove(QStringLiteral("data.db"))
        && runTerminal(round,
                       lists,
                       { FullApplier, IncrementalApplier },
                       [](Terminal &t, const ServerList &l) {
                           return t.applier(l.list, l.st, l.force);
                       });
    if (!ok)
        return false;
    {
        DataDBManager schema(QStringLiteral("./baseline.db"));
    }
    const QString baseline = QStringLiteral("baseline.db");
    round.figures[FullBaseline] = measure([&] { return baselineInsert(baseline, lists[0].list); });
    round.figures[IncrementalBaseline]
        = measure([&] { return baselineUpdate(baseline, lists[1].list); });
    return round.figures[FullBaseline].wallMs >= 0 && round.figures[IncrementalBaseline].wallMs >= 0
        && QDir::setCurrent(QDir::tempPath());
}

Cost median(const QList<Round> &rounds, Figure figure)
{
    QList<qint64> wall;
    QList<qint64> cpu;
    for (const Round &round : rounds) {
        wall.append(round.figures[figure].wallMs);
        cpu.append(round.figures[figure].cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return { wall.at(wall.size() / 2), cpu.at(cpu.size() / 2) };
}

void report(const char *what, const Cost &terminal, const Cost &baseline)
{
    std::printf("  %-12s %5lld ms (cpu %5lld ms)   ratio %.2f (cpu %.2f)\n",
                what,
                static_cast<long long>(terminal.wallMs),
                static_cast<long long>(terminal.cpuMs),
                double(terminal.wallMs) / qMax<qint64>(1, baseline.wallMs),
                double(terminal.cpuMs) / qMax<qint64>(1, baseline.cpuMs));
}

void reportList(
    const char *what, const QList<Round> &rounds, Figure endToEnd, Figure applier, Figure baseline)
{
    const Cost base = median(rounds, baseline);
    std::printf("%s (goal: end to end <= 2x the baseline)\n", what);
    report("end to end", median(rounds, endToEnd), base);
    report("applier", median(rounds, applier), base);
    std::printf("  %-12s %5lld ms (cpu %5lld ms)\n",
                "baseline",
                static_cast<long long>(base.wallMs),
                static_cast<long long>(base.cpuMs));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // As the terminal runs by default: debug level 1 into the debug log of its folder.
    qInstallMessageHandler(DebugLog::handler);
    ChangeLists::registerMetaTypes();
    const int rounds = qEnvironmentVariableIsSet("BENCH_ROUNDS")
        ? qMax(1, qEnvironmentVariableIntValue("BENCH_ROUNDS"))
        : 5;

    std::printf("%d people, debug level %u, WAL, synchronous=FULL, median of %d rounds; load "
                "average before: %s\n",
                peopleCount,
                Zep::debugLevel,
                rounds,
                qPrintable(loadAverage()));
    QList<Round> results;
    for (int i = 0; i < rounds; ++i) {
        Round round;
        if (!runRound(round))
            return 1;
        results.append(round);
    }
    reportList("forced complete list (all new)", results, FullEndToEnd, FullApplier, FullBaseline);
    reportList("incremental list (all updated)",
               results,
               IncrementalEndToEnd,
               IncrementalApplier,
               IncrementalBaseline);
    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    return 0;
}
