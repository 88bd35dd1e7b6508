// Recording an entrance (journal line, row, person's counter; each on the disk at
// return) against raw autocommit INSERTs of the same rows through the sqlite3 shell
// into a file of the same journal mode (WAL) and synchronous level (FULL), same disk.
//
//   bench_recording [rounds]
//
// The two take turns in rounds of `perRound` rows so that both meet the same load of
// the machine; the shell's start-up (a run without rows) is taken off its time. The
// figures compare mean times per row, so the slow syncs count on both sides.
#include "foundation/debuglog.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
constexpr int perRound = 200;

// Runs the script through the sqlite3 shell; the elapsed time in ms, -1 on failure.
double runShell(const QString &dbFile, const QString &script)
{
    QProcess shell;
    shell.setStandardInputFile(script);
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), { dbFile });
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", shell.readAllStandardError().constData());
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

bool writeScript(const QString &fileName, const QStringList &lines)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    for (const QString &line : lines)
        out << line << '\n';
    return true;
}

QString insertRow(int i)
{
    return QStringLiteral("INSERT INTO prerusenia (time, pid, smer, karta, uid) VALUES(%1, %2, "
                          "1, 'CARD%3', 1);")
        .arg(1700000000 + i)
        .arg(i % 7 + 1)
        .arg(i);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-recording-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    std::printf("folder: %s (same disk for both)\n", qPrintable(dir.path()));
    // As the terminal runs by default: debug level 1 into the debug log of the folder.
    qInstallMessageHandler(DebugLog::handler);

    // The shell's file: the table and indexes of data.db, in WAL mode. synchronous is
    // a setting of the connection, so every script sets it (FULL, as the terminal); the
    // shell's exit does not checkpoint, as the terminal's connection stays open.
    const QString pragmas
        = QStringLiteral("PRAGMA synchronous=FULL;\n.dbconfig no_ckpt_on_close on");
    const QStringList schema = {
        QStringLiteral("PRAGMA journal_mode=WAL;"),
        QStringLiteral(
            "CREATE TABLE prerusenia (id INTEGER PRIMARY KEY AUTOINCREMENT ,time INT NOT NULL "
            "DEFAULT "
            "0,pid INT NOT NULL ,smer TINYINT NOT NULL DEFAULT 0,uid INT NOT NULL DEFAULT 0,karta "
            "VARCHAR(16),syn TINYINT NOT NULL DEFAULT 0, backup TINYINT NOT NULL DEFAULT 0);"),
        QStringLiteral("CREATE INDEX iPid ON prerusenia (pid);"),
        QStringLiteral("CREATE INDEX iKarta ON prerusenia (karta);")
    };
    if (!writeScript(QStringLiteral("schema.sql"), schema)
        || !writeScript(QStringLiteral("empty.sql"), { pragmas })
        || runShell(QStringLiteral("raw.db"), QStringLiteral("schema.sql")) < 0)
        return 1;

    DataDBManager db(QStringLiteral("data.db"), true);
    PersonData p;
    p.dochid = 1;
    p.karta = QStringLiteral("CARD");
    db.addPerson(p, false);

    std::vector<double> zepRows, rawRows, ratios, calls;
    int row = 0;
    for (int round = 0; round < rounds; ++round) {
        const int first = row;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < perRound; ++i, ++row) {
            QElapsedTimer call;
            call.start();
            if (db.zapisPrerusenie(uint(row % 7 + 1), 1, QStringLiteral("CARD%1").arg(row), 1, 1, 0)
                <= 0)
                return 1;
            calls.push_back(call.nsecsElapsed() / 1e6);
        }
        const double zep = timer.nsecsElapsed() / 1e6 / perRound;

        QStringList inserts { pragmas };
        for (int i = first; i < row; ++i)
            inserts.append(insertRow(i));
        if (!writeScript(QStringLiteral("inserts.sql"), inserts))
            return 1;
        const double startup = runShell(QStringLiteral("raw.db"), QStringLiteral("empty.sql"));
        const double shell = runShell(QStringLiteral("raw.db"), QStringLiteral("inserts.sql"));
        if (startup < 0 || shell < 0)
            return 1;
        const double raw = std::max(0.0, shell - startup) / perRound;
        zepRows.push_back(zep);
        rawRows.push_back(raw);
        ratios.push_back(zep / raw);
        std::printf("round %2d: recording %.3f ms/row, shell %.3f ms/row, ratio %.2f\n",
                    round + 1,
                    zep,
                    raw,
                    zep / raw);
    }

    std::sort(calls.begin(), calls.end());
    std::printf("zapisPrerusenie x%zu: median %.3f ms, p90 %.3f ms, max %.3f ms\n",
                calls.size(),
                calls[calls.size() / 2],
                calls[calls.size() * 9 / 10],
                calls.back());
    std::printf("medians over %d rounds of %d rows: recording %.3f ms/row, sqlite3 shell "
                "(WAL, synchronous=FULL, autocommit INSERT) %.3f ms/row\n",
                rounds,
                perRound,
                median(zepRows),
                median(rawRows));
    std::printf("ratio recording / shell: median %.2f (goal <= 1.3)\n", median(ratios));
    return 0;
}
