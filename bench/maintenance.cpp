// Maintenance of old entrances with their photos (rows and files removed by the
// maintenance thread) against deleting the same rows in one transaction through
// the sqlite3 shell plus "rm" of the same files, same disk, default settings.
// Both run at normal priority: the terminal starts the pass at idle priority,
// which on a busy machine only measures the other load.
#include "backup/ldbmaintenancethread.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {
// Entrances of a run; the first argument may choose another number.
int entrances = 100000;
constexpr int rmChunk = 5000;
// Older than "maintenance/minVekPrerus" (24 hours), backed up and sent.
const QString oldRows = QStringLiteral("backup = 1 AND syn > 0 AND time < 1700000000");

bool runShell(const QString &sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), { QStringLiteral("data.db"), sql });
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", shell.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The rows and their photos (1 kB each), as recording and backup leave them.
bool fill()
{
    if (!runShell(
            QStringLiteral(
                "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                "INSERT INTO prerusenia (id, time, pid, smer, uid, karta, syn, backup) "
                "SELECT x, 1600000000 + x, x % 7 + 1, 1, 0, 'CARD' || x, x, 1 FROM n;")
                .arg(entrances)))
        return false;
    const QByteArray jpeg(1024, 'j');
    for (int id = 1; id <= entrances; ++id) {
        QFile photo(EntrancePhoto::path(uint(id)));
        if (!photo.open(QIODevice::WriteOnly) || photo.write(jpeg) != jpeg.size())
            return false;
    }
    return true;
}

int photoCount()
{
    return QDir(ZepFiles::entrancePhotos).entryList(QDir::Files).size();
}

// The time of the shell's DELETE and of the whole, in ms; -1 on failure.
double baseline(double &deleteMs)
{
    QElapsedTimer timer;
    timer.start();
    if (!runShell(QStringLiteral("BEGIN; DELETE FROM prerusenia WHERE %1; COMMIT;").arg(oldRows)))
        return -1;
    deleteMs = timer.nsecsElapsed() / 1e6;
    for (int from = 1; from <= entrances; from += rmChunk) {
        QStringList files { QStringLiteral("-f") };
        for (int id = from; id < from + rmChunk && id <= entrances; ++id)
            files.append(EntrancePhoto::path(uint(id)));
        if (QProcess::execute(QStringLiteral("rm"), files) != 0)
            return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        entrances = qMax(1, QString::fromLocal8Bit(argv[1]).toInt());
    Zep::debugLevel = 0;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QTemporaryDir dir(QDir::current().absoluteFilePath(QStringLiteral("bench-maintenance-XXXXXX")));
    if (!dir.isValid() || !QDir::setCurrent(dir.path()) || !EntrancePhoto::ensureFolder())
        return 1;
    std::printf("folder: %s (same disk for both)\n", qPrintable(dir.path()));

    DataDBManager db(QStringLiteral("data.db"), true);
    if (!fill())
        return 1;
    LDBMaintenanceThread pass(&db);
    QElapsedTimer timer;
    timer.start();
    pass.start();
    pass.wait();
    const double maintained = timer.nsecsElapsed() / 1e6;
    const int removed = pass.removedPhotos();
    if (removed != entrances || photoCount() != 0)
        return 1;

    if (!fill())
        return 1;
    double rawDelete = 0;
    const double raw = baseline(rawDelete);
    if (raw < 0 || photoCount() != 0)
        return 1;

    std::printf("maintenance pass, %d entrances with photos: %.0f ms (%d photos removed)\n",
                entrances,
                maintained,
                removed);
    std::printf("sqlite3 shell, one DELETE transaction + rm in chunks of %d: %.0f ms "
                "(DELETE %.0f ms, rm %.0f ms)\n",
                rmChunk,
                raw,
                rawDelete,
                raw - rawDelete);
    std::printf("ratio maintainer / baseline: %.2f (goal <= 2)\n", maintained / raw);
    return 0;
}
