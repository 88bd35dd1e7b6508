#include "db/datadbmanager.h"

#include "foundation/globals.h"
#include "db/datademodata.h"
#include "db/datarows.h"
#include "db/dataschema.h"
#include "db/dbsettings.h"
#include "db/dochidwidth.h"
#include "db/interruptlogline.h"
#include "db/personrowreader.h"
#include "db/transactionguard.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>
#include <exception>

namespace {
const char *boolText(bool b)
{
    return b ? "true" : "false";
}

uint now()
{
    return uint(QDateTime::currentSecsSinceEpoch());
}

// The line first, then the driver's error text on a line of its own.
SQLiteManager::FailureLog logOnTwoLines(const char *line)
{
    return [line](const QString &error) {
        qCritical() << line;
        qCritical() << error;
    };
}

const QString personColumns = QStringLiteral(
    "SELECT l.uid, dochid, karta, meno, priez, titul, admin, syn, saldo1, saldo2, saldo3, "
    "(SELECT COUNT(*) FROM fingers f WHERE f.uid=l.uid) fingers, fpID, acc, colorGrp, refId, "
    "present, updated");

} // namespace

DataDBManager::DataDBManager(const QString &dbFileName, bool openAtOnce, QObject *parent)
    : SQLiteManager(dbFileName, openAtOnce, parent)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Construct DataDBManager";
    mCreated = false;

    if (isOpen()) {
        // Readers and writers of other threads then wait on each other less.
        QSqlQuery q(database());
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            qCritical() << "DataDBManager: journal_mode:" << q.lastError().text();
    }

    // A file marked with the current version has every table and step. Otherwise a
    // file without entrances is created; then step 1 is asked for and the others only
    // when their probe fails, and the file is marked once every probe succeeds.
    if (schemaVersion() == DataSchema::version())
        return;
    if (!QFileInfo(dbFileName).isFile() || !checkTable(QStringLiteral("prerusenia"))) {
        if (createDB())
            mCreated = true;
        else
            qCritical() << "create DB FAILURE!";
    }

    updateDB(1);
    const QList<DataSchema::Step> &steps = DataSchema::steps();
    for (const DataSchema::Step &step : steps) {
        if (step.step > 1 && !hasStep(step))
            updateDB(step.step);
    }
    if (std::all_of(steps.cbegin(), steps.cend(), [this](const DataSchema::Step &step) {
            return hasStep(step);
        }))
        setSchemaVersion(DataSchema::version());
}

bool DataDBManager::hasStep(const DataSchema::Step &step)
{
    const QString table = QString::fromLatin1(step.table);
    return step.column ? checkColumn(table, QString::fromLatin1(step.column)) : checkTable(table);
}

DataDBManager::~DataDBManager()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Destruct DataDBManager";
}

bool DataDBManager::createDB()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::createDB()";
    const QStringList &statements = DataSchema::createStatements();
    bool ok[3] = { false, false, false };
    for (int i = 0; i < statements.size(); ++i) {
        const bool done = exec(statements.at(i), {}, logStreamed()).ok;
        if (i < 3)
            ok[i] = done;
    }
    const bool result = ok[0] && ok[1] && ok[2];
    if (result) {
        database().commit();
        if (Zep::argumentLine.contains(QLatin1String("-fillDemoData")))
            fillDemoData();
    } else {
        qCritical().noquote() << "createDB FAILURE! (create table = " << boolText(ok[0])
                              << " create index iPid = " << boolText(ok[1])
                              << " create index iKarta = " << boolText(ok[2]) << ")";
    }
    return result;
}

void DataDBManager::updateDB(uint n)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::updateDB(" << n << ")";
    const QList<DataSchema::Step> &steps = DataSchema::steps();
    const auto step = std::find_if(
        steps.cbegin(), steps.cend(), [n](const DataSchema::Step &s) { return s.step == n; });
    // Never twice: step 2 marks the entrances of its time as uploaded.
    if (step == steps.cend() || hasStep(*step))
        return;
    if (step->debugLine && Zep::debugLevel >= 2)
        qDebug() << step->debugLine;
    const FailureLog log = logPlain(QByteArray("DataDBManager::updateDB(") + QByteArray::number(n)
                                    + ") - SQl ERROR: ");
    for (const QString &sql : step->statements) {
        if (!exec(sql, {}, log).ok)
            return;
    }
}

void DataDBManager::fillDemoData()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::fillDemoData()";
    DataDemoData::fill(database(), !Zep::argumentLine.contains(QLatin1String("-noRandomData")));
}

// ---- Entrances ----

int DataDBManager::zapisPrerusenie(
    uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time)
{
    return recordEntrance(pid, smer, karta, uid, dochid, time).id;
}

EntranceWrite DataDBManager::recordEntrance(
    uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::zapisPrerusenie(" << pid << ", " << smer << ", " << karta
                 << ")";
    EntranceWrite result;
    try {
        if (!ensureOpen()) {
            qCritical() << "nemozem zapisat prerusenie - databaza nieje otvorena!";
            return result;
        }
        if (time == 0)
            time = now();
        // The line goes onto the disk while the row is written; the row is committed only
        // once the line is there.
        const PrerusLog::Line line
            = mInterruptLog.write(InterruptLogLine::make(time, dochid, pid, smer));
        const auto takeBackLine = [this, &line] {
            if (line.offset >= 0)
                mInterruptLog.takeBack(line);
        };

        // A list applied in one transaction meanwhile must not hold the entrance back.
        const ImmediateWrites immediate(this);
        // The row and the person's counter are written in one transaction of their own: one
        // synchronous commit, never a counter without its entrance, and never the fate of
        // someone else's transaction.
        TransactionGuard transaction(database(), true);
        if (!transaction.isActive()) {
            qCritical() << "INSERT INTO prerusenia FAILURE!";
            qCritical() << transaction.errorText();
            takeBackLine();
            return result;
        }
        const Result inserted
            = exec(QStringLiteral("INSERT INTO prerusenia (time, pid, smer, karta, uid) "
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
            exec(QStringLiteral("UPDATE ludia SET numprerus = numprerus +1 WHERE uid = :uid"),
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
DataDBManager::entranceAfterFailedCommit(int id, uint time, const QString &karta)
{
    if (!reopenAlone()) {
        qCritical() << "DataDBManager: whether entrance" << id << "stays cannot be found out";
        return EntranceWrite::Undecided;
    }
    QSqlQuery q(database());
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

EntranceData DataDBManager::nacitajPoslednePrerusenie(uint uid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajPoslednePrerusenie(" << uid << ")";
    QSqlQuery q(database());
    q.prepare(entranceColumns + QStringLiteral("WHERE p.uid = :uid ORDER BY p.id DESC LIMIT 1;"));
    q.bindValue(QStringLiteral(":uid"), uid);
    return firstEntrance(q);
}

EntranceData DataDBManager::nacitajPoslednePrerusenie(uint uid, uint pid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajPoslednePrerusenie(" << uid << pid << ")";
    QSqlQuery q(database());
    q.prepare(entranceColumns
              + QStringLiteral("WHERE p.uid = :uid AND p.pid = :pid ORDER BY p.id DESC LIMIT 1;"));
    q.bindValue(QStringLiteral(":uid"), uid);
    q.bindValue(QStringLiteral(":pid"), pid);
    return firstEntrance(q);
}

EntranceData DataDBManager::loadEntrance(uint id)
{
    QSqlQuery q(database());
    q.prepare(entranceColumns + QStringLiteral("WHERE p.id = :id"));
    q.bindValue(QStringLiteral(":id"), id);
    return firstEntrance(q);
}

uint DataDBManager::countUnsendableEntrances()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM prerusenia p LEFT JOIN ludia l ON p.uid = "
                               "l.uid WHERE p.syn = 0 AND IFNULL(l.dochid, 0) = 0"))) {
        qCritical("DataDBManager::countUnsendableEntrances() - ERROR: %s",
                  errorText(q).constData());
        return 0;
    }
    return q.next() ? q.value(0).toUInt() : 0;
}

bool DataDBManager::entranceCountsByType(uint since, QHash<uint, int> &counts)
{
    counts.clear();
    QSqlQuery q(database());
    q.prepare(
        QStringLiteral("SELECT pid, COUNT(*) FROM prerusenia WHERE time >= :since GROUP BY pid"));
    q.bindValue(QStringLiteral(":since"), since);
    if (!q.exec()) {
        qCritical("DataDBManager::entranceCountsByType() - ERROR: %s", errorText(q).constData());
        return false;
    }
    while (q.next())
        counts.insert(q.value(0).toUInt(), q.value(1).toInt());
    return true;
}

bool DataDBManager::vymazPrerusenie(uint id)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::vymazPrerusenie(" << id << ")";
    return exec(QStringLiteral("DELETE FROM prerusenia WHERE id = :id ;"),
                { { ":id", id } },
                logStreamed("SQL Error: "))
        .changed();
}

bool DataDBManager::setPrerusSyn(uint id, uint syn)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::setPrerusSyn(" << id << ", " << syn << ")";
    return exec(QStringLiteral("UPDATE prerusenia SET syn = :syn WHERE id = :id "),
                { { ":syn", syn }, { ":id", id } },
                logStreamed())
        .changed();
}

bool DataDBManager::setPrerusBackup(uint id, uint backup)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::setPrerusBackup(" << id << ", " << backup << ")";
    return exec(QStringLiteral("UPDATE prerusenia SET backup = :bckp WHERE id = :id"),
                { { ":bckp", backup }, { ":id", id } },
                logStreamed())
        .changed();
}

bool DataDBManager::nacitajPrerusenia(QList<EntranceData> &list, bool forSyn, bool forBackup)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajPrerusenia(forSyn=" << boolText(forSyn)
                           << ", forBackup=" << boolText(forBackup) << ")";
    list.clear();
    QString sql = QStringLiteral(
        "SELECT p.id, p.time, p.pid, p.smer, p.uid, p.karta, p.syn, l.dochid, p.backup, l.refId  "
        "FROM prerusenia p LEFT JOIN ludia l ON p.uid = l.uid");
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (forBackup) {
        const uint timeout
            = DbSettings::value(QStringLiteral("timeout/zmazaniePrerusenia"), 60).toUInt();
        const qint64 limit = qint64(now()) - timeout;
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

bool DataDBManager::nacitajNepotrebnePrerusenia(QList<uint> &list, bool isSyn)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajNepotrebnePrerusenia(isSyn=" << boolText(isSyn)
                           << ")";
    list.clear();
    const uint hours = DbSettings::value(QStringLiteral("maintenance/minVekPrerus"), 24).toUInt();
    const qint64 limit = qint64(now()) - qint64(hours) * 3600;
    QSqlQuery q(database());
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

void DataDBManager::fixSequence(uint maxId)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::fixSequence(%u)", maxId);
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'prerusenia' "))) {
        qCritical("DataDBManager::fixSequence() - SQl ERROR: '%s'", errorText(q).constData());
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
    QSqlQuery u(database());
    if (!u.exec(sql.arg(maxId)))
        qCritical("DataDBManager::fixSequence() - SQl ERROR: '%s'", errorText(u).constData());
}

// ---- People ----

namespace {
// The person of a prepared query (the last row when there are several); *ok tells whether the
// query ran, which an empty record alone does not.
PersonData runPersonQuery(QSqlQuery &q, bool *ok)
{
    PersonData p;
    const bool ran = q.exec();
    if (!ran)
        qCritical() << q.lastError().text();
    if (ok)
        *ok = ran;
    const PersonRowReader reader(q);
    while (q.next())
        p = reader.read(q);
    return p;
}
} // namespace

PersonData DataDBManager::nacitajCloveka(uint id, bool byDochid, bool includeDeleted, bool *ok)
{
    QString where;
    if (byDochid)
        where = includeDeleted ? QStringLiteral("WHERE dochid = :id")
                               : QStringLiteral("WHERE del=0 AND dochid = :id");
    else
        where = includeDeleted ? QStringLiteral("WHERE l.uid = :id")
                               : QStringLiteral("WHERE del=0 AND l.uid = :id");
    ensureOpen();
    QSqlQuery q(database());
    q.prepare(personColumns + QStringLiteral(", del FROM ludia l ") + where);
    q.bindValue(QStringLiteral(":id"), id);
    const PersonData p = runPersonQuery(q, ok);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajCloveka(" << id << ") = " << p.debugText();
    return p;
}

PersonData DataDBManager::nacitajCloveka(const QString &karta, bool *ok)
{
    ensureOpen();
    QSqlQuery q(database());
    q.prepare(personColumns + QStringLiteral(" FROM ludia l WHERE del=0 AND karta = :karta"));
    q.bindValue(QStringLiteral(":karta"), karta);
    const PersonData p = runPersonQuery(q, ok);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajCloveka(" << karta << ") = " << p.debugText();
    return p;
}

PersonData DataDBManager::loadPersonByRefId(uint refId)
{
    if (refId == 0)
        return PersonData();
    QSqlQuery q(database());
    q.prepare(personColumns + QStringLiteral(" FROM ludia l WHERE del=0 AND refId = :refId"));
    q.bindValue(QStringLiteral(":refId"), refId);
    const PersonData p = runPersonQuery(q, nullptr);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::loadPersonByRefId(" << refId
                           << ") = " << p.debugText();
    return p;
}

uint DataDBManager::getPeopleCount()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ludia l WHERE del=0"))) {
        qCritical("DataDBManager::getPeopleCount() - ERROR: %s", errorText(q).constData());
        return 0;
    }
    const uint count = q.next() ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::getPeopleCount(): %u", count);
    return count;
}

bool DataDBManager::hasPeople()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ludia WHERE del=0)"))) {
        qCritical("DataDBManager::hasPeople() - ERROR: %s", errorText(q).constData());
        return false;
    }
    return q.next() && q.value(0).toBool();
}

bool DataDBManager::oldestUnsentTime(uint *time)
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT MIN(time) FROM prerusenia WHERE syn = 0")) || !q.next()) {
        qCritical("DataDBManager::oldestUnsentTime() - ERROR: %s", errorText(q).constData());
        return false;
    }
    *time = q.value(0).toUInt();
    return true;
}

uint DataDBManager::getPeopleCountWithoutRefId()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ludia l WHERE del=0 AND refId = 0"))) {
        qCritical("DataDBManager::getPeopleCountWithoutRefId() - ERROR: %s",
                  errorText(q).constData());
        return 0;
    }
    const uint count = q.next() ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::getPeopleCountWithoutRefId(): %u", count);
    return count;
}

int DataDBManager::pocetAdminov()
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT COUNT(uid) FROM ludia WHERE admin=:adm"));
    q.bindValue(QStringLiteral(":adm"), 1);
    if (!q.exec()) {
        qCritical() << "DataDBManager::pocetAdminov(): " << q.lastError().text();
        return -1;
    }
    const int count = q.next() ? q.value(0).toInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::pocetAdminov()=" << count;
    return count;
}

namespace {
// The person fields shared by the insert and the update statements.
QVector<SQLiteManager::Binding> personBindings(const PersonData &p)
{
    return { { ":did", p.dochid },  { ":karta", p.karta },     { ":titul", p.titul },
             { ":meno", p.meno },   { ":priez", p.priez },     { ":adm", p.admin },
             { ":syn", p.syn },     { ":s1", p.saldo1 },       { ":s2", p.saldo2 },
             { ":s3", p.saldo3 },   { ":acc", p.acc ? 1 : 0 }, { ":clrGrp", uint(p.colorGrp) },
             { ":refId", p.refId }, { ":present", p.present }, { ":upd", now() } };
}
} // namespace

bool DataDBManager::addPerson(const PersonData &person, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::addPerson(" << person.debugText() << ")";
    if (person.dochid == 0) {
        qWarning() << "DataDBManager::addPerson() - dochid is required!";
        return false;
    }
    // Only whether the number is taken: reading the whole person here doubled the cost of
    // a server list of new people.
    QSqlQuery exists(database());
    exists.prepare(QStringLiteral("SELECT 1 FROM ludia WHERE del=0 AND dochid = :id"));
    exists.bindValue(QStringLiteral(":id"), person.dochid);
    if (exists.exec() && exists.next()) {
        if (Zep::debugLevel >= 1)
            qWarning("DataDBManager::addPerson() - person with dochid '%u' exists, calling "
                     "updatePerson instead of addPerson!",
                     uint(person.dochid));
        return updatePerson(person, emitSignals);
    }
    const uint newUid = insertPerson(person);
    if (emitSignals && newUid != 0) {
        emit sigPridajCloveka(newUid);
        emit sigPersonCreated(person);
    }
    return newUid != 0;
}

uint DataDBManager::insertPerson(const PersonData &person)
{
    const QString sql = QStringLiteral(
        "INSERT INTO ludia (dochid, karta, titul, meno, priez, admin, syn, saldo1, saldo2, "
        "saldo3, acc, colorGrp, refId, present, del, updated) VALUES(:did, :karta, :titul, "
        ":meno, :priez, :adm, :syn, :s1, :s2, :s3, :acc, :clrGrp, :refId, :present, :del, "
        ":upd)");
    QVector<Binding> bindings = personBindings(person);
    bindings.append({ ":del", 0 });
    const QVariant newId = exec(sql, bindings, [&sql](const QString &error) {
                               qCritical() << "DataDBManager::addPerson() - SQL ERROR:" << error;
                               qCritical() << "SQL:" << sql;
                           }).insertId;
    if (newId.isValid()) {
        commitWrites();
        emit sigSync();
    }
    return newId.toUInt();
}

bool DataDBManager::updatePerson(const PersonData &person, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::updatePerson(" << person.debugText()
                           << boolText(emitSignals) << ")";
    QVector<Binding> bindings = personBindings(person);
    bindings.append({ ":uid", person.uid });
    const Result updated = exec(
        QStringLiteral(
            "UPDATE ludia SET dochid = :did, karta = :karta, titul = :titul, meno = :meno, priez = "
            ":priez, admin = :adm, syn = :syn, saldo1 = :s1, saldo2 = :s2, saldo3 = :s3, acc = "
            ":acc, colorGrp = :clrGrp, refId = :refId, present = :present, del = 0, updated= :upd "
            "WHERE uid = :uid "),
        bindings,
        logStreamed("DataDBManager::updatePerson() - SQL ERROR:"));
    if (!updated.changed())
        return false;
    commitWrites();
    if (emitSignals) {
        emit sigSync();
        emit sigUpravCloveka(uint(person.uid));
        emit sigPersonUpdated(person);
    }
    return true;
}

bool DataDBManager::deletePerson(uint uid, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deletePerson(" << uid << emitSignals << ")";
    if (emitSignals) {
        emit sigZmazCloveka(uid);
        const PersonData p = nacitajCloveka(uid, false, false);
        if (p.refId != 0)
            emit sigPersonDeleted(uint(p.dochid), p.refId);
    }
    const Result marked = exec(QStringLiteral("UPDATE ludia SET del=1 WHERE uid = :uid "),
                               { { ":uid", uid } },
                               logStreamed());
    if (!marked.ok)
        return false;
    const int changed = marked.rows;
    if (!deleteFingerTemplateByUid(uid, -1) && Zep::debugLevel >= 1)
        qDebug() << "fingers not removed!";
    if (changed < 1)
        return false;
    commitWrites();
    if (emitSignals)
        emit sigSync();
    return true;
}

bool DataDBManager::delAllPeople(const QStringList &keepUids)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::delAllPeople(%s)",
               keepUids.join(QLatin1Char(',')).toLocal8Bit().constData());
    // An empty list comes from a missing or failed list, never from a server without people.
    if (keepUids.isEmpty()) {
        qWarning("DataDBManager::delAllPeople() - empty keep list, nobody is removed");
        return false;
    }
    // Only decimal numbers reach the statement text; anything else would be SQL.
    QStringList numbers;
    for (const QString &text : keepUids) {
        bool ok = false;
        const qulonglong uid = text.trimmed().toULongLong(&ok, 10);
        if (!ok) {
            qCritical("DataDBManager::delAllPeople() - ERROR: %s",
                      qPrintable(QStringLiteral("not a person id: '%1'").arg(text)));
            return false;
        }
        numbers.append(QString::number(uid));
    }
    // Rows stay (their entrances still need the person's number) and are only marked deleted;
    // people created here and not yet confirmed by the server (refId 0) are not the server's.
    const QString gone = QStringLiteral("SELECT uid FROM ludia WHERE del = 0 AND refId != 0 AND "
                                        "uid NOT IN(%1)")
                             .arg(numbers.join(QLatin1Char(',')));
    const FailureLog log = logPlain("DataDBManager::delAllPeople() - ERROR: ");
    if (!exec(QStringLiteral("DELETE FROM fingers WHERE uid IN(%1)").arg(gone), {}, log).ok)
        return false;
    const Result marked
        = exec(QStringLiteral("UPDATE ludia SET del = 1 WHERE uid IN(%1)").arg(gone), {}, log);
    if (!marked.ok)
        return false;
    const int removed = marked.rows;
    commitWrites();
    return removed > 0;
}

bool DataDBManager::setClovekSyn(uint uid, uint syn)
{
    return exec(QStringLiteral("UPDATE ludia SET syn = :syn WHERE uid = :uid"),
                { { ":syn", syn }, { ":uid", uid } },
                logStreamed())
        .changed();
}

void DataDBManager::setClovekIOstatus(uint uid, uint status)
{
    exec(QStringLiteral("UPDATE ludia SET IOstatus = :status WHERE uid = :uid"),
         { { ":status", status }, { ":uid", uid } },
         logStreamed());
}

uint DataDBManager::getClovekIOstatus(uint uid)
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT IOstatus FROM ludia WHERE uid = :uid LIMIT 1"));
    q.bindValue(QStringLiteral(":uid"), uid);
    if (!q.exec()) {
        qCritical("DataDBManager::getPersonIOstatus() - SQl ERROR: '%s'", errorText(q).constData());
        return 255;
    }
    const uint status = q.next() ? q.value(0).toUInt() : 255;
    if (Zep::debugLevel >= 3)
        qDebug() << "DataDBManager::getClovekIOstatus(" << uid << ") =" << status;
    return status;
}

bool DataDBManager::updateByRefId(const QString &sql, const Binding &value, uint refId)
{
    // 0 is the refId of every person the server has not confirmed yet.
    if (refId == 0)
        return false;
    return exec(sql, { value, { ":refId", refId } }, logStreamed()).changed();
}

bool DataDBManager::updatePersonSaldo(uint refId, double saldo)
{
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::updatePersonSaldo(%u, %f)", refId, saldo);
    return updateByRefId(QStringLiteral("UPDATE ludia SET saldo1 = :s1 WHERE refId = :refId"),
                         { ":s1", saldo },
                         refId);
}

bool DataDBManager::updatePersonPresent(uint refId, uint present)
{
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::updatePersonPresent(%u, %u)", refId, present);
    return updateByRefId(QStringLiteral("UPDATE ludia SET present = :present WHERE refId = :refId"),
                         { ":present", present },
                         refId);
}

bool DataDBManager::updatePersonColorGrp(uint refId, uint colorGrp)
{
    return updateByRefId(
        QStringLiteral("UPDATE ludia SET colorGrp = :colorGrp WHERE refId = :refId"),
        { ":colorGrp", colorGrp },
        refId);
}

bool DataDBManager::loadPeopleForModel(QVector<PersonData> &list)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(LudiaModel *model): mazem zoznam";
    list.clear();
    QString tail;
    switch (DbSettings::value(QStringLiteral("global/orderPeople"), 0).toUInt()) {
    case 1:
        tail = QStringLiteral("dochid");
        break;
    case 2:
        tail = QStringLiteral("meno");
        break;
    case 3:
        tail = QStringLiteral("priez");
        break;
    default:
        tail = QStringLiteral("numprerus DESC, dochid");
    }
    QSqlQuery q(database());
    q.setForwardOnly(true);
    int width = 4;
    if (!q.exec(QStringLiteral("SELECT l.uid, dochid, karta, meno, priez, titul, admin, syn, "
                               "(SELECT COUNT(*) FROM fingers f WHERE f.uid=l.uid) fingers, fpID, "
                               "acc, colorGrp, refId, present FROM ludia l WHERE del=0 ORDER BY "
                               "colorGrp, ")
                + tail)) {
        qCritical() << q.lastError().text();
        DochidWidth::set(width);
        return false;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(): nacitavam z DB";
    const PersonRowReader reader(q);
    while (q.next()) {
        list.append(reader.read(q));
        width = qMax(width, DochidWidth::digitsOf(uint(list.constLast().dochid)));
    }
    DochidWidth::set(width);
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(): DONE " << list.size();
    return true;
}

bool DataDBManager::readDochidWidth()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT MAX(dochid) FROM ludia WHERE del=0"))) {
        qCritical("DataDBManager::readDochidWidth() - ERROR: %s", errorText(q).constData());
        return false;
    }
    DochidWidth::set(q.next() ? DochidWidth::digitsOf(q.value(0).toUInt()) : 0);
    return true;
}

bool DataDBManager::nacitajLudi(QList<PersonData> &list, bool onlyUnsynced)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(QList<ClovekData>&)";
    list.clear();
    QString sql = personColumns + QStringLiteral("  FROM ludia l WHERE del=0");
    if (onlyUnsynced)
        sql += QStringLiteral(" AND syn = 0");
    sql += QStringLiteral(" ORDER BY dochid ;");
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        qCritical() << "DataDBManager::nacitajLudi() - SQL ERROR:" << q.lastError().text();
        return false;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(QList<ClovekData>&): nacitavam z DB";
    const PersonRowReader reader(q);
    while (q.next())
        list.append(reader.read(q));
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(QList<ClovekData>&): DONE:" << list.size();
    return true;
}

QHash<int, uint> DataDBManager::uidsByDochid()
{
    QHash<int, uint> uids;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT dochid, uid FROM ludia WHERE del=0"))) {
        qCritical() << "DataDBManager::uidsByDochid() - SQL ERROR:" << q.lastError().text();
        return uids;
    }
    while (q.next())
        uids.insert(q.value(0).toInt(), q.value(1).toUInt());
    return uids;
}

// ---- Fingerprint templates ----

FingerData DataDBManager::loadFinger(uint fpID)
{
    QSqlQuery q(database());
    q.prepare(QStringLiteral(
        "SELECT fpID, uid, template, tplID, finger FROM fingers WHERE fpID = :fpid"));
    q.bindValue(QStringLiteral(":fpid"), fpID);
    FingerData f;
    if (!q.exec())
        qCritical() << q.lastError().text();
    else if (q.next()) {
        f.fpID = q.value(0).toUInt();
        f.uid = q.value(1).toUInt();
        f.tpl = q.value(2).toByteArray();
        f.tplID = q.value(3).toUInt();
        f.finger = quint16(q.value(4).toUInt());
    }
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::loadFinger(" << fpID << ") = " << f.debugText();
    return f;
}

bool DataDBManager::saveFinger(const FingerData &finger)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::saveFinger(" << finger.debugText() << ")";
    const FailureLog log = logStreamed("DataDBManager::saveFinger() ERROR:");
    const Result inserted
        = exec(QStringLiteral("INSERT INTO fingers (fpID, uid, template, tplID, "
                              "finger) VALUES(:fpID, :uid, :tpl, :tplID, :finger)"),
               { { ":fpID", finger.fpID },
                 { ":uid", finger.uid },
                 { ":tpl", finger.tpl },
                 { ":tplID", finger.tplID },
                 { ":finger", uint(finger.finger) } },
               log);
    if (!inserted.ok)
        return false;
    const Result linked = exec(QStringLiteral("UPDATE ludia SET fpID = :fpID WHERE uid = :uid "),
                               { { ":fpID", finger.fpID }, { ":uid", finger.uid } },
                               log);
    return linked.ok && inserted.rows > 0 && linked.rows > 0;
}

QByteArray DataDBManager::getFingerTemplate(uint fpID, uint tplID)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::getFingerTemplate(" << fpID << tplID << ")";
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT template FROM fingers WHERE fpID=%1 AND tplID = %2;")
                    .arg(fpID)
                    .arg(tplID))) {
        qCritical() << q.lastError().text();
        return {};
    }
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

bool DataDBManager::deleteFingerTemplate(uint fpID, uint tplID)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deleteFingerTemplate(" << fpID << tplID << ")";
    return exec(QStringLiteral("DELETE FROM fingers WHERE fpID=%1 AND tplID = %2;")
                    .arg(fpID)
                    .arg(tplID),
                {},
                logStreamed("DataDBManager::deleteFingerTemplate() FAILED! ERROR:"))
        .changed();
}

bool DataDBManager::deleteFingerTemplateByUid(uint uid, int finger)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deleteFingerTemplateByUid(" << uid << finger << ")";
    const QString sql = finger < 0
        ? QStringLiteral("DELETE FROM fingers WHERE uid=%1;").arg(uid)
        : QStringLiteral("DELETE FROM fingers WHERE uid=%1 AND finger = %2;").arg(uid).arg(finger);
    return exec(sql, {}, logStreamed("DataDBManager::deleteFingerTemplateByUid() FAILED! ERROR:"))
        .changed();
}

bool DataDBManager::loadFingers(QList<FingerData> &list, uint uid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): mazem zoznam";
    list.clear();
    const QString sql = uid == 0
        ? QStringLiteral("SELECT fpID, uid, tplID, finger FROM fingers ORDER BY uid ;")
        : QStringLiteral("SELECT fpID, uid, tplID, finger FROM fingers WHERE uid=%1;").arg(uid);
    QSqlQuery q(database());
    if (!q.exec(sql)) {
        qCritical() << q.lastError().text();
        return false;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): nacitavam z DB";
    while (q.next()) {
        FingerData f;
        f.fpID = q.value(0).toUInt();
        f.uid = q.value(1).toUInt();
        f.tplID = q.value(2).toUInt();
        f.finger = quint16(q.value(3).toUInt());
        if (Zep::debugLevel >= 2)
            qDebug().noquote() << f.debugText();
        list.append(f);
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): DONE " << list.size();
    return true;
}

int DataDBManager::countFingers()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM fingers"))) {
        qCritical("DataDBManager::countFingers() - SQl ERROR: '%s'", errorText(q).constData());
        return 0;
    }
    const int count = q.next() ? q.value(0).toInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::countFingers()=" << count;
    return count;
}

// ---- Sync queue and variables ----

bool DataDBManager::addSyncItem(const QString &field, const QVariant &data)
{
    return insertSyncItem(field, data) != 0;
}

qint64 DataDBManager::insertSyncItem(const QString &field, const QVariant &data)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::addSyncItem(" << field << data.toString().size()
                 << "characters )"; // the value may be the settings text
    return exec(QStringLiteral("INSERT INTO sync (field, data, ts) VALUES(:field, :data, :ts)"),
                { { ":field", field }, { ":data", data }, { ":ts", now() } },
                logStreamed())
        .insertId.toLongLong();
}

void DataDBManager::delSyncItem(const QString &field, uint ts)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::delSyncItem(" << field << ts << ")";
    const QString sql = ts == 0
        ? QStringLiteral("DELETE FROM sync WHERE field = :field ")
        : QStringLiteral("DELETE FROM sync WHERE field = :field AND ts <= :ts");
    QVector<Binding> bindings { { ":field", field } };
    if (ts != 0)
        bindings.append({ ":ts", ts });
    exec(sql, bindings, logStreamed("delSyncItem() ERROR:"));
    if (Zep::debugLevel >= 3)
        qDebug() << "DataDBManager::delSyncItem() Last query: " << sql;
}

bool DataDBManager::delSyncItemById(qint64 id)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::delSyncItemById(" << id << ")";
    return exec(QStringLiteral("DELETE FROM sync WHERE id = :id"),
                { { ":id", id } },
                logStreamed("delSyncItem() ERROR:"))
        .ok;
}

bool DataDBManager::replaceSyncItem(const QString &field, const QVariant &data)
{
    const qint64 id = insertSyncItem(field, data);
    if (id == 0)
        return false;
    return exec(QStringLiteral("DELETE FROM sync WHERE field = :field AND id < :id"),
                { { ":field", field }, { ":id", id } },
                logStreamed("delSyncItem() ERROR:"))
        .ok;
}

QList<SyncItem> DataDBManager::loadSyncItems()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadSyncItems()";
    QList<SyncItem> items;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT ts, field, data, id FROM sync ;"))) {
        qCritical() << q.lastError().text();
        return items;
    }
    while (q.next())
        items.append({ q.value(0).toUInt(),
                       q.value(1).toString(),
                       q.value(2).toString(),
                       q.value(3).toLongLong() });
    return items;
}

bool DataDBManager::var_set(const QString &key, const QVariant &value)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_set(" << key << value << ")";
    return exec(QStringLiteral("INSERT OR REPLACE INTO vars (key, value) VALUES(:key, :value)"),
                { { ":key", key }, { ":value", value } },
                [&key](const QString &error) {
                    qCritical() << "DataDBManager::var_set(" << key << ") ERROR:" << error;
                })
        .ok;
}

QVariant DataDBManager::var_get(const QString &key, const QVariant &defaultValue)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_get(" << key << ")";
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT value FROM vars WHERE key=:key"));
    q.bindValue(QStringLiteral(":key"), key);
    if (!q.exec()) {
        qCritical() << "DataDBManager::var_del(" << key << ") ERROR:" << q.lastError().text();
        return defaultValue;
    }
    return q.next() ? q.value(0) : defaultValue;
}

bool DataDBManager::var_del(const QString &key)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_del(" << key << ")";
    return exec(QStringLiteral("DELETE FROM vars WHERE key = :key"),
                { { ":key", key } },
                [&key](const QString &error) {
                    qCritical() << "DataDBManager::var_del(" << key << ") ERROR:" << error;
                })
        .changed();
}

// ---- Time zones ----

bool DataDBManager::addZone(const ZoneData &zone)
{
    return writeZone("add",
                     QStringLiteral("INSERT INTO zones (zid, from_time, to_time, days, status) "
                                    "VALUES(:zid, :fromTime, :toTime, :days, :status)"),
                     zone);
}

bool DataDBManager::updateZone(const ZoneData &zone)
{
    return writeZone("update",
                     QStringLiteral("UPDATE zones SET from_time=:fromTime, to_time=:toTime, "
                                    "days=:days, status=:status WHERE zid=:zid;"),
                     zone);
}

bool DataDBManager::writeZone(const char *operation, const QString &sql, const ZoneData &zone)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::%sZone(%s)", operation, qPrintable(DataRows::zoneText(zone)));
    if (zone.zid == 0) {
        qWarning("DataDBManager::%sZone() - Can not %s zone without ID!", operation, operation);
        return false;
    }
    return exec(sql,
                { { ":zid", zone.zid },
                  { ":fromTime", zone.from_time },
                  { ":toTime", zone.to_time },
                  { ":days", uint(zone.days) },
                  { ":status", zone.status ? 1 : 0 } },
                logPlain(QByteArray("DataDBManager::") + operation + "Zone() - ERROR: "))
        .changed();
}

bool DataDBManager::deleteAllZones()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::deleteAllZones()";
    const FailureLog log = logPlain("DataDBManager::deleteAllZones() - ERROR: ");
    const Result linksDeleted = exec(QStringLiteral("DELETE FROM pzt"), {}, log);
    if (!linksDeleted.ok)
        return false;
    const int links = linksDeleted.rows;
    if (links > 0 && Zep::debugLevel >= 1)
        qDebug("DataDBManager::deleteAllZones() - deleted pzt: %u", uint(links));
    const Result zonesDeleted = exec(QStringLiteral("DELETE FROM zones"), {}, log);
    if (!zonesDeleted.ok)
        return false;
    const int zones = zonesDeleted.rows;
    if (zones > 0 && Zep::debugLevel >= 1)
        qDebug("DataDBManager::deleteAllZones() - deleted zones: %u", uint(zones));
    return links + zones > 0;
}

ZoneData DataDBManager::getZone(uint zid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::getZone(%u)", zid);
    ZoneData zone;
    if (zid == 0)
        return zone;
    QSqlQuery q(database());
    if (!q.exec(
            QStringLiteral("SELECT zid, from_time, to_time, days, status FROM zones WHERE zid = %1")
                .arg(zid))) {
        qCritical("DataDBManager::getZone() - ERROR: %s", errorText(q).constData());
        return zone;
    }
    if (q.next()) {
        zone.zid = q.value(0).toUInt();
        zone.from_time = q.value(1).toUInt();
        zone.to_time = q.value(2).toUInt();
        zone.days = quint8(q.value(3).toUInt());
        zone.status = q.value(4).toInt() > 0;
    }
    return zone;
}

int DataDBManager::zonesCount()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM zones WHERE status > 0"))) {
        qCritical("DataDBManager::zonesCount() - ERROR: %s", errorText(q).constData());
        return -1;
    }
    return q.next() ? q.value(0).toInt() : 0;
}

QList<ZoneData> DataDBManager::loadZones()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::loadZones()";
    QList<ZoneData> zones;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral(
            "SELECT zid, days, from_time, to_time, status  FROM zones WHERE status > 0"))) {
        qCritical("DataDBManager::loadZones() - ERROR: %s", errorText(q).constData());
        return zones;
    }
    while (q.next())
        zones.append(DataRows::zoneFromRow(q));
    return zones;
}

QList<ZoneData> DataDBManager::loadZones4Person(uint uid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::loadZones4Person(%u)", uid);
    QList<ZoneData> zones;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT z.zid, days, from_time, to_time, status FROM pzt JOIN "
                               "zones z USING(zid) WHERE status > 0 AND uid = %1")
                    .arg(uid))) {
        qCritical("DataDBManager::loadZones4Person() - ERROR: %s", errorText(q).constData());
        return zones;
    }
    while (q.next())
        zones.append(DataRows::zoneFromRow(q));
    return zones;
}

bool DataDBManager::addPZT(uint zid, uint uid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::addPZT(%u, %u)", zid, uid);
    QSqlQuery c(database());
    if (!c.exec(
            QStringLiteral("SELECT COUNT(*) FROM pzt WHERE zid=%1 AND uid=%2").arg(zid).arg(uid)))
        qWarning("DataDBManager::addPZT() - SELECT ERROR: %s", errorText(c).constData());
    else if (c.next() && c.value(0).toInt() > 0)
        return true;
    return exec(QStringLiteral("INSERT INTO pzt (zid, uid) VALUES(%1, %2);").arg(zid).arg(uid),
                {},
                logPlain("DataDBManager::addPZT() - ERROR: "))
        .ok;
}

bool DataDBManager::deletePZT(uint uid, uint zid)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::deletePZT(uid: %u, zid: %u)", uid, zid);
    return exec(QStringLiteral("DELETE FROM pzt WHERE zid=%1 AND uid=%2;").arg(zid).arg(uid),
                {},
                logPlain("DataDBManager::deletePZT() - ERROR: "))
        .changed();
}
