// Applying server people lists: a forced complete list of 10,000 new people, then an
// incremental list updating all of them; beside each, the sqlite3 shell writing the same rows
// in one transaction.

#include "attendance/preruseniemodel.h"
#include "core/foundation/globals.h"
#include "core/foundation/zepsettings.h"
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

void report(const char *what, const Cost &applier, const Cost &shell)
{
    std::printf("%-32s applier %5lld ms (cpu %5lld ms)   sqlite3 shell %5lld ms (cpu %5lld ms)\n",
                what,
                static_cast<long long>(applier.wallMs),
                static_cast<long long>(applier.cpuMs),
                static_cast<long long>(shell.wallMs),
                static_cast<long long>(shell.cpuMs));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    ChangeLists::registerMetaTypes();

    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;

    ZEPSettings settings(QStringLiteral("zep.ini"));
    ZepDBManager zepDb(QStringLiteral("zep.db"));
    DataDBManager db(QStringLiteral("./data.db"));
    PrerusenieModel model;
    DBSync sync(&zepDb, &db, &model, &settings);

    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    const PersonSynDataList complete = serverPeople(QLatin1Char('F'), now - 600, "Meno");
    const PersonSynDataList changes = serverPeople(QLatin1Char('U'), now + 600, "Nove");

    std::printf("%d people, debug level %u\n", peopleCount, Zep::debugLevel);
    const Cost full = applyCost(sync, complete, 0, true);
    const Cost incremental = applyCost(sync, changes, 100, false);
    if (db.getPeopleCount() != uint(peopleCount)) {
        std::printf("FAILED: %u people stored\n", db.getPeopleCount());
        return 1;
    }

    // The same rows written by the shell into a copy of the empty schema.
    DataDBManager shellDb(QStringLiteral("./shell.db"));
    const Cost shellInsert = shellCost(QStringLiteral("shell.db"), insertStatements(complete));
    const Cost shellUpdate = shellCost(QStringLiteral("shell.db"), updateStatements(changes));

    report("forced complete list (all new)", full, shellInsert);
    report("incremental list (all updated)", incremental, shellUpdate);
    return 0;
}
