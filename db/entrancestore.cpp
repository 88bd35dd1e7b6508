#include "db/entrancestore.h"

#include "foundation/clock.h"
#include "foundation/globals.h"
#include "db/datarows.h"
#include "db/dbsettings.h"
#include "db/interruptlogline.h"
#include "db/sqlitemanager.h"
#include "db/transactionguard.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {
// The line first, then the driver's error text on a line of its own.
SQLiteManager::FailureLog logOnTwoLines(const char *line)
{
    return [line](const QString &error) {
        qCritical() << line;
        qCritical() << error;
    };
}
} // namespace

EntranceStore::EntranceStore(SQLiteManager &db, QObject *parent)
    : QObject(parent)
    , mDb(db)
{
}

EntranceWrite EntranceStore::recordEntrance(
    uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::zapisPrerusenie(" << pid << ", " << smer << ", " << karta
                 << ")";
    EntranceWrite result;
    try {
        if (!mDb.ensureOpen()) {
            qCritical() << "nemozem zapisat prerusenie - databaza nieje otvorena!";
            return result;
        }
        if (time == 0)
            time = uint(Clock::instance()->secsSinceEpoch());
        // The line goes onto the disk while the row is written; the row is committed only
        // once the line is there.
        const PrerusLog::Line line
            = mInterruptLog.write(InterruptLogLine::make(time, dochid, pid, smer));
        const auto takeBackLine = [this, &line] {
            if (line.offset >= 0)
                mInterruptLog.takeBack(line);
        };

        // A list applied in one transaction meanwhile must not hold the entrance back.
        const SQLiteManager::ImmediateWrites immediate(&mDb);
        // The row and the person's counter are written in one transaction of their own: one
        // synchronous commit, never a counter without its entrance, and never the fate of
        // someone else's transaction.
        TransactionGuard transaction(mDb.database(), true);
        if (!transaction.isActive()) {
            qCritical() << "INSERT INTO prerusenia FAILURE!";
            qCritical() << transaction.errorText();
            takeBackLine();
            return result;
        }
        const SQLiteManager::Result inserted
            = mDb.execKept(QStringLiteral("INSERT INTO prerusenia (time, pid, smer, karta, uid) "
                                          "VALUES(:time, :pid, :smer, :karta, :uid)"),
                           { { ":time", time },
                             { ":pid", pid },
                             { ":smer", smer },
                             { ":karta", karta },
                             { ":uid", uid } },
                           logOnTwoLines("INSERT INTO prerusenia FAILURE!"));
        if (!inserted.ok) {
            takeBackLine();
            return result;
        }
        const int id = inserted.insertId.toInt();
        if (uid != 0)
            mDb.execKept(
                QStringLiteral("UPDATE ludia SET numprerus = numprerus +1 WHERE uid = :uid"),
                { { ":uid", uid } },
                logOnTwoLines("Inkrementacia numprerus zlyhala:"));
        // An entrance is recorded only with its line on the disk.
        if (!line.synced.get()) {
            qCritical() << "interrupts.log: the line of the entrance is not on the disk; the "
                           "entrance is not recorded";
            transaction.rollback();
            takeBackLine();
            return result;
        }
        if (!transaction.commit()) {
            qCritical() << "INSERT INTO prerusenia FAILURE!";
            qCritical() << transaction.errorText();
            result.outcome = entranceAfterFailedCommit(id, time, karta);
            if (result.outcome == EntranceWrite::NotRecorded)
                takeBackLine();
            if (result.outcome != EntranceWrite::Recorded)
                return result;
        }
        result.outcome = EntranceWrite::Recorded;
        result.id = id;
        emit sigPrerusenieZapisane(pid);
        return result;
    } catch (...) {
        qCritical() << "DataDBManager::zapisPrerusenie() - FAILURE!";
        return result;
    }
}

EntranceWrite::Outcome
EntranceStore::entranceAfterFailedCommit(int id, uint time, const QString &karta)
{
    if (!mDb.reopenAlone()) {
        qCritical() << "DataDBManager: whether entrance" << id << "stays cannot be found out";
        return EntranceWrite::Undecided;
    }
    QSqlQuery q(mDb.database());
    q.prepare(QStringLiteral(
        "SELECT COUNT(*) FROM prerusenia WHERE id = :id AND time = :time AND karta = :karta"));
    q.bindValue(QStringLiteral(":id"), id);
    q.bindValue(QStringLiteral(":time"), time);
    q.bindValue(QStringLiteral(":karta"), karta);
    if (!q.exec() || !q.next()) {
        qCritical() << "DataDBManager: whether entrance" << id
                    << "stays cannot be found out:" << q.lastError().text();
        return EntranceWrite::Undecided;
    }
    const bool kept = q.value(0).toInt() == 1;
    qCritical() << "DataDBManager: after the failed commit entrance" << id
                << (kept ? "is in the database" : "is not in the database");
    return kept ? EntranceWrite::Recorded : EntranceWrite::NotRecorded;
}

namespace {
// The first entrance of a query of the short entrance columns, or none.
EntranceData firstEntrance(QSqlQuery &q)
{
    EntranceData e;
    if (!q.exec()) {
        qCritical() << "SQL Error: " << q.lastError().text();
        return e;
    }
    if (q.next())
        e = DataRows::entranceFromRow(q, false);
    return e;
}

const QString entranceColumns = QStringLiteral(
    "SELECT p.id, p.time, p.pid, p.smer, p.uid, p.karta, p.syn, l.dochid  FROM prerusenia p "
    "LEFT JOIN ludia l ON p.uid = l.uid ");
} // namespace

EntranceData EntranceStore::nacitajPoslednePrerusenie(uint uid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajPoslednePrerusenie(" << uid << ")";
    QSqlQuery q(mDb.database());
    q.prepare(entranceColumns + QStringLiteral("WHERE p.uid = :uid ORDER BY p.id DESC LIMIT 1;"));
    q.bindValue(QStringLiteral(":uid"), uid);
    return firstEntrance(q);
}

EntranceData EntranceStore::nacitajPoslednePrerusenie(uint uid, uint pid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajPoslednePrerusenie(" << uid << pid << ")";
    QSqlQuery q(mDb.database());
    q.prepare(entranceColumns
              + QStringLiteral("WHERE p.uid = :uid AND p.pid = :pid ORDER BY p.id DESC LIMIT 1;"));
    q.bindValue(QStringLiteral(":uid"), uid);
    q.bindValue(QStringLiteral(":pid"), pid);
    return firstEntrance(q);
}

EntranceData EntranceStore::loadEntrance(uint id)
{
    QSqlQuery q(mDb.database());
    q.prepare(entranceColumns + QStringLiteral("WHERE p.id = :id"));
    q.bindValue(QStringLiteral(":id"), id);
    return firstEntrance(q);
}

uint EntranceStore::countUnsendableEntrances()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM prerusenia p LEFT JOIN ludia l ON p.uid = "
                               "l.uid WHERE p.syn = 0 AND IFNULL(l.dochid, 0) = 0"))) {
        qCritical("DataDBManager::countUnsendableEntrances() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return 0;
    }
    return q.next() ? q.value(0).toUInt() : 0;
}

bool EntranceStore::entranceCountsByType(uint since, QHash<uint, int> &counts)
{
    counts.clear();
    QSqlQuery q(mDb.database());
    q.prepare(
        QStringLiteral("SELECT pid, COUNT(*) FROM prerusenia WHERE time >= :since GROUP BY pid"));
    q.bindValue(QStringLiteral(":since"), since);
    if (!q.exec()) {
        qCritical("DataDBManager::entranceCountsByType() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return false;
    }
    while (q.next())
        counts.insert(q.value(0).toUInt(), q.value(1).toInt());
    return true;
}

bool EntranceStore::vymazPrerusenie(uint id)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::vymazPrerusenie(" << id << ")";
    return mDb
        .exec(QStringLiteral("DELETE FROM prerusenia WHERE id = :id ;"),
              { { ":id", id } },
              SQLiteManager::logStreamed("SQL Error: "))
        .changed();
}

bool EntranceStore::setPrerusSyn(uint id, uint syn)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::setPrerusSyn(" << id << ", " << syn << ")";
    return mDb
        .exec(QStringLiteral("UPDATE prerusenia SET syn = :syn WHERE id = :id "),
              { { ":syn", syn }, { ":id", id } },
              SQLiteManager::logStreamed())
        .changed();
}

bool EntranceStore::setPrerusBackup(uint id, uint backup)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::setPrerusBackup(" << id << ", " << backup << ")";
    return mDb
        .exec(QStringLiteral("UPDATE prerusenia SET backup = :bckp WHERE id = :id"),
              { { ":bckp", backup }, { ":id", id } },
              SQLiteManager::logStreamed())
        .changed();
}

bool EntranceStore::nacitajPrerusenia(QList<EntranceData> &list, bool forSyn, bool forBackup)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajPrerusenia(forSyn="
                           << (forSyn ? "true" : "false")
                           << ", forBackup=" << (forBackup ? "true" : "false") << ")";
    list.clear();
    QString sql = QStringLiteral(
        "SELECT p.id, p.time, p.pid, p.smer, p.uid, p.karta, p.syn, l.dochid, p.backup, l.refId  "
        "FROM prerusenia p LEFT JOIN ludia l ON p.uid = l.uid");
    QSqlQuery q(mDb.database());
    q.setForwardOnly(true);
    if (forBackup) {
        const uint timeout
            = DbSettings::value(Setting::deleteWindow).toUInt();
        const qint64 limit = qint64(uint(Clock::instance()->secsSinceEpoch())) - timeout;
        if (Zep::debugLevel >= 3)
            qDebug() << "DataDBManager::nacitajPrerusenia(): timeout:" << timeout
                     << " interval: " << limit;
        q.prepare(sql + QStringLiteral(" WHERE p.backup = 0 AND p.time < :tm LIMIT 1000;"));
        q.bindValue(QStringLiteral(":tm"), limit);
    } else if (forSyn) {
        q.prepare(sql + QStringLiteral(" WHERE p.syn = 0 ORDER BY p.id LIMIT 1000;"));
    } else {
        q.prepare(sql + QStringLiteral(" ;"));
    }
    if (!q.exec()) {
        qCritical() << "DataDBManager::nacitajPrerusenia() - SQL ERROR:" << q.lastError().text();
        return false;
    }
    while (q.next())
        list.append(DataRows::entranceFromRow(q, true));
    return true;
}

bool EntranceStore::nacitajNepotrebnePrerusenia(QList<uint> &list, bool isSyn)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajNepotrebnePrerusenia(isSyn="
                           << (isSyn ? "true" : "false") << ")";
    list.clear();
    const uint hours = DbSettings::value(Setting::minEntranceAgeHours).toUInt();
    const qint64 limit = qint64(uint(Clock::instance()->secsSinceEpoch())) - qint64(hours) * 3600;
    QSqlQuery q(mDb.database());
    q.setForwardOnly(true);
    q.prepare(isSyn
                  ? QStringLiteral(
                      "SELECT id  FROM prerusenia WHERE backup = 1 AND syn > 0 AND time < :tm ;")
                  : QStringLiteral("SELECT id  FROM prerusenia WHERE backup = 1 AND time < :tm ;"));
    q.bindValue(QStringLiteral(":tm"), limit);
    if (!q.exec()) {
        qCritical() << "SQL Error: " << q.lastError().text();
        qCritical() << "Last Query: " << q.lastQuery();
        return false;
    }
    while (q.next())
        list.append(q.value(0).toUInt());
    return true;
}

void EntranceStore::fixSequence(uint maxId)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::fixSequence(%u)", maxId);
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'prerusenia' "))) {
        qCritical("DataDBManager::fixSequence() - SQl ERROR: '%s'",
                  SQLiteManager::errorText(q).constData());
        return;
    }
    const bool hasRow = q.next();
    const uint seq = hasRow ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::fixSequence() seq=%u; maxId=%u", seq, maxId);
    if (seq >= maxId)
        return;
    qDebug("DataDBManager - updating sequence on 'prerusenia' from %u to %u..", seq, maxId);
    const QString sql = hasRow
        ? QStringLiteral("UPDATE 'sqlite_sequence' SET seq = %1 WHERE name = 'prerusenia'")
        : QStringLiteral("INSERT INTO 'sqlite_sequence' (seq, name)  VALUES(%1, 'prerusenia')");
    QSqlQuery u(mDb.database());
    if (!u.exec(sql.arg(maxId)))
        qCritical("DataDBManager::fixSequence() - SQl ERROR: '%s'",
                  SQLiteManager::errorText(u).constData());
}

bool EntranceStore::oldestUnsentTime(uint *time)
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT MIN(time) FROM prerusenia WHERE syn = 0")) || !q.next()) {
        qCritical("DataDBManager::oldestUnsentTime() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return false;
    }
    *time = q.value(0).toUInt();
    return true;
}
