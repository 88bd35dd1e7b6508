// Applying server people lists: a forced complete list of 10,000 new people, then an
// incremental list updating all of them; beside each, the sqlite3 shell writing the same rows
// in one transaction. The median of five rounds (BENCH_ROUNDS sets another count).

#include "attendance/preruseniemodel.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/changelists.h"
#include "sync/dbsync.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {
const int peopleCount = 10000;

// A wall-clock and a processor time: the machine may be shared, processor time is steadier.
struct Cost
{
    qint64 wallMs = -1;
    qint64 cpuMs = -1;
};

qint64 cpuMs(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
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

// What the applier needs from the end of a reply until the people list is written.
Cost applyCost(DBSync &sync, const PersonSynDataList &list, uint ts, bool force)
{
    bool done = false;
    const auto connection = QObject::connect(&sync, &DBSync::syncEnd, [&done](const QString &typ) {
        if (typ == QLatin1String("people"))
            done = true;
    });
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = cpuMs(RUSAGE_SELF);
    sync.onNeedSyncPeople(list, ts);
    sync.doSyncItems(force);
    while (!done || sync.hasPendingBatches())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const Cost cost { timer.elapsed(), cpuMs(RUSAGE_SELF) - cpuBefore };
    QObject::disconnect(connection);
    return cost;
}

QString sqlText(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''"))
        + QLatin1Char('\'');
}

// What the sqlite3 shell needs for the statements, all in one transaction.
Cost shellCost(const QString &dbFile, const QStringList &statements)
{
    QFile script(QStringLiteral("script.sql"));
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    QTextStream out(&script);
    out << "BEGIN;\n";
    for (const QString &statement : statements)
        out << statement << ";\n";
    out << "COMMIT;\n";
    script.close();

    QProcess shell;
    shell.setStandardInputFile(script.fileName());
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = cpuMs(RUSAGE_CHILDREN);
    shell.start(QStringLiteral("sqlite3"), { dbFile });
    if (!shell.waitForFinished(120000) || shell.exitCode() != 0)
        return {};
    return { timer.elapsed(), cpuMs(RUSAGE_CHILDREN) - cpuBefore };
}

QStringList insertStatements(const PersonSynDataList &list)
{
    QStringList statements;
    for (const PersonSynData &p : list)
        statements << QStringLiteral("INSERT INTO ludia (dochid, karta, titul, meno, priez, admin, "
                                     "syn, saldo1, acc, colorGrp, refId, updated) VALUES(%1, %2, "
                                     "%3, %4, %5, 0, %6, %7, 1, %8, %9, %6)")
                          .arg(p.pid)
                          .arg(sqlText(p.card),
                               sqlText(p.title),
                               sqlText(p.name),
                               sqlText(p.surname))
                          .arg(p.tsc)
                          .arg(p.saldo / 60.0)
                          .arg(p.grp)
                          .arg(p.uid);
    return statements;
}

QStringList updateStatements(const PersonSynDataList &list)
{
    QStringList statements;
    for (const PersonSynData &p : list)
        statements << QStringLiteral("UPDATE ludia SET meno = %1, syn = %2, updated = %2 WHERE "
                                     "dochid = %3")
                          .arg(sqlText(p.name))
                          .arg(p.tsc)
                          .arg(p.pid);
    return statements;
}

struct Round
{
    Cost full;
    Cost incremental;
    Cost shellInsert;
    Cost shellUpdate;
};

// One round in a folder of its own: the applier on a new data.db, the shell on a new copy of
// the schema.
bool runRound(Round &round)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return false;
    {
        ZEPSettings settings(QStringLiteral("zep.ini"));
        ZepDBManager zepDb(QStringLiteral("zep.db"));
        DataDBManager db(QStringLiteral("./data.db"));
        PrerusenieModel model;
        DBSync sync(&zepDb, &db, &model, &settings);

        const uint now = uint(QDateTime::currentSecsSinceEpoch());
        const PersonSynDataList complete = serverPeople(QLatin1Char('F'), now - 600, "Meno");
        const PersonSynDataList changes = serverPeople(QLatin1Char('U'), now + 600, "Nove");
        round.full = applyCost(sync, complete, 90, true);
        round.incremental = applyCost(sync, changes, 100, false);
        if (db.getPeopleCount() != uint(peopleCount)) {
            std::printf("FAILED: %u people stored\n", db.getPeopleCount());
            return false;
        }
        DataDBManager shellDb(QStringLiteral("./shell.db"));
        round.shellInsert = shellCost(QStringLiteral("shell.db"), insertStatements(complete));
        round.shellUpdate = shellCost(QStringLiteral("shell.db"), updateStatements(changes));
    }
    return QDir::setCurrent(QDir::tempPath());
}

Cost median(const QList<Round> &rounds, Cost Round::*which)
{
    QList<qint64> wall;
    QList<qint64> cpu;
    for (const Round &round : rounds) {
        wall.append((round.*which).wallMs);
        cpu.append((round.*which).cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return { wall.at(wall.size() / 2), cpu.at(cpu.size() / 2) };
}

void report(const char *what, const Cost &applier, const Cost &shell)
{
    std::printf("%-32s applier %5lld ms (cpu %5lld ms)   sqlite3 shell %5lld ms (cpu %5lld ms)"
                "   ratio %.2f (cpu %.2f)\n",
                what,
                static_cast<long long>(applier.wallMs),
                static_cast<long long>(applier.cpuMs),
                static_cast<long long>(shell.wallMs),
                static_cast<long long>(shell.cpuMs),
                double(applier.wallMs) / qMax<qint64>(1, shell.wallMs),
                double(applier.cpuMs) / qMax<qint64>(1, shell.cpuMs));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    ChangeLists::registerMetaTypes();
    const int rounds = qEnvironmentVariableIsSet("BENCH_ROUNDS")
        ? qMax(1, qEnvironmentVariableIntValue("BENCH_ROUNDS"))
        : 5;

    std::printf("%d people, debug level %u, median of %d rounds\n",
                peopleCount,
                Zep::debugLevel,
                rounds);
    QList<Round> results;
    for (int i = 0; i < rounds; ++i) {
        Round round;
        if (!runRound(round))
            return 1;
        results.append(round);
    }
    report("forced complete list (all new)",
           median(results, &Round::full),
           median(results, &Round::shellInsert));
    report("incremental list (all updated)",
           median(results, &Round::incremental),
           median(results, &Round::shellUpdate));
    return 0;
}
