// Recording an entrance (log line, row, person's counter) against raw
// autocommit INSERTs of the same rows through the sqlite3 shell, same disk.
#include "core/foundation/globals.h"
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
#include <vector>

namespace {
constexpr int calls = 2000;

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
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Zep::debugLevel = 0;
    // The probes of a new file report the missing tables; not wanted among the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-recording-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    std::printf("folder: %s (same disk for both)\n", qPrintable(dir.path()));

    std::vector<double> ms;
    {
        DataDBManager db(QStringLiteral("data.db"), true);
        PersonData p;
        p.dochid = 1;
        p.karta = QStringLiteral("CARD");
        db.addPerson(p, false);
        ms.reserve(calls);
        QElapsedTimer timer;
        for (int i = 0; i < calls; ++i) {
            timer.start();
            if (db.zapisPrerusenie(uint(i % 7 + 1), 1, QStringLiteral("CARD%1").arg(i), 1, 1, 0)
                <= 0)
                return 1;
            ms.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    const double median = ms[ms.size() / 2];

    // The raw figure: the same rows, one autocommit INSERT each, into a file of
    // the sqlite3 shell's default journal mode, and into one in WAL mode.
    QStringList schema = {
        QStringLiteral(
            "CREATE TABLE prerusenia (id INTEGER PRIMARY KEY AUTOINCREMENT ,time INT NOT NULL "
            "DEFAULT "
            "0,pid INT NOT NULL ,smer TINYINT NOT NULL DEFAULT 0,uid INT NOT NULL DEFAULT 0,karta "
            "VARCHAR(16),syn TINYINT NOT NULL DEFAULT 0, backup TINYINT NOT NULL DEFAULT 0);"),
        QStringLiteral("CREATE INDEX iPid ON prerusenia (pid);"),
        QStringLiteral("CREATE INDEX iKarta ON prerusenia (karta);")
    };
    QStringList inserts;
    for (int i = 0; i < calls; ++i)
        inserts.append(insertRow(i));
    if (!writeScript(QStringLiteral("schema.sql"), schema)
        || !writeScript(QStringLiteral("walschema.sql"),
                        QStringList { QStringLiteral("PRAGMA journal_mode=WAL;") } + schema)
        || !writeScript(QStringLiteral("inserts.sql"), inserts))
        return 1;
    if (runShell(QStringLiteral("raw.db"), QStringLiteral("schema.sql")) < 0
        || runShell(QStringLiteral("rawwal.db"), QStringLiteral("walschema.sql")) < 0)
        return 1;
    const double raw = runShell(QStringLiteral("raw.db"), QStringLiteral("inserts.sql"));
    const double rawWal = runShell(QStringLiteral("rawwal.db"), QStringLiteral("inserts.sql"));
    if (raw < 0 || rawWal < 0)
        return 1;

    std::printf("zapisPrerusenie x%d: median %.3f ms, mean %.3f ms, p90 %.3f ms, max %.3f ms\n",
                calls,
                median,
                sum / calls,
                ms[ms.size() * 9 / 10],
                ms.back());
    std::printf("sqlite3 shell, autocommit INSERT, default journal: %.3f ms per row\n",
                raw / calls);
    std::printf("sqlite3 shell, autocommit INSERT, WAL journal:     %.3f ms per row\n",
                rawWal / calls);
    std::printf("ratio median / raw default journal: %.2f (goal <= 1.3)\n", median / (raw / calls));
    std::printf("ratio median / raw WAL journal:     %.2f\n", median / (rawWal / calls));
    return 0;
}
