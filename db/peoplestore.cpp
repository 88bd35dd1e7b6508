#include "db/peoplestore.h"

#include "foundation/globals.h"
#include "db/dbsettings.h"
#include "db/dochidwidth.h"
#include "db/fingerprintstore.h"
#include "db/personcolumns.h"
#include "db/personrowreader.h"
#include "db/sqlitestatement.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {
const QString personColumns = QStringLiteral(
    "SELECT l.uid, dochid, karta, meno, priez, titul, admin, syn, saldo1, saldo2, saldo3, "
    "(SELECT COUNT(*) FROM fingers f WHERE f.uid=l.uid) fingers, fpID, acc, colorGrp, refId, "
    "present, updated");
} // namespace

PeopleStore::PeopleStore(SQLiteManager &db, FingerprintStore &fingerprints, QObject *parent)
    : QObject(parent)
    , mDb(db)
    , mFingerprints(fingerprints)
{
}

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

PersonData PeopleStore::nacitajCloveka(uint id, bool byDochid, bool includeDeleted, bool *ok)
{
    QString where;
    if (byDochid)
        where = includeDeleted ? QStringLiteral("WHERE dochid = :id")
                               : QStringLiteral("WHERE del=0 AND dochid = :id");
    else
        where = includeDeleted ? QStringLiteral("WHERE l.uid = :id")
                               : QStringLiteral("WHERE del=0 AND l.uid = :id");
    mDb.ensureOpen();
    QSqlQuery q(mDb.database());
    q.prepare(personColumns + QStringLiteral(", del FROM ludia l ") + where);
    q.bindValue(QStringLiteral(":id"), id);
    const PersonData p = runPersonQuery(q, ok);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajCloveka(" << id << ") = " << p.debugText();
    return p;
}

PersonData PeopleStore::nacitajCloveka(const QString &karta, bool *ok)
{
    mDb.ensureOpen();
    QSqlQuery q(mDb.database());
    q.prepare(personColumns + QStringLiteral(" FROM ludia l WHERE del=0 AND karta = :karta"));
    q.bindValue(QStringLiteral(":karta"), karta);
    const PersonData p = runPersonQuery(q, ok);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::nacitajCloveka(" << karta << ") = " << p.debugText();
    return p;
}

PersonData PeopleStore::loadPersonByRefId(uint refId)
{
    if (refId == 0)
        return PersonData();
    QSqlQuery q(mDb.database());
    q.prepare(personColumns + QStringLiteral(" FROM ludia l WHERE del=0 AND refId = :refId"));
    q.bindValue(QStringLiteral(":refId"), refId);
    const PersonData p = runPersonQuery(q, nullptr);
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::loadPersonByRefId(" << refId
                           << ") = " << p.debugText();
    return p;
}

uint PeopleStore::getPeopleCount()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ludia l WHERE del=0"))) {
        qCritical("DataDBManager::getPeopleCount() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return 0;
    }
    const uint count = q.next() ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::getPeopleCount(): %u", count);
    return count;
}

bool PeopleStore::hasPeople()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ludia WHERE del=0)"))) {
        qCritical("DataDBManager::hasPeople() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return false;
    }
    return q.next() && q.value(0).toBool();
}

uint PeopleStore::getPeopleCountWithoutRefId()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ludia l WHERE del=0 AND refId = 0"))) {
        qCritical("DataDBManager::getPeopleCountWithoutRefId() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return 0;
    }
    const uint count = q.next() ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::getPeopleCountWithoutRefId(): %u", count);
    return count;
}

int PeopleStore::pocetAdminov()
{
    QSqlQuery q(mDb.database());
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

bool PeopleStore::addPerson(const PersonData &person, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::addPerson(" << person.debugText() << ")";
    if (person.dochid == 0) {
        qWarning() << "DataDBManager::addPerson() - dochid is required!";
        return false;
    }
    // Only whether the number is taken: reading the whole person here doubled the cost of
    // a server list of new people.
    QSqlQuery exists(mDb.database());
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

uint PeopleStore::insertPerson(const PersonData &person)
{
    static const QByteArray sql = QByteArrayLiteral(
        "INSERT INTO ludia (dochid, karta, titul, meno, priez, admin, syn, saldo1, saldo2, "
        "saldo3, acc, colorGrp, refId, present, del, updated) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, "
        "?8, ?9, ?10, ?11, ?12, ?13, ?14, 0, ?15)");
    const QVariant newId
        = mDb.execListed(
                 sql,
                 [&person](SqliteStatement &s) { PersonColumns::bindPerson(s, person); },
                 [](const QString &error) {
                     qCritical() << "DataDBManager::addPerson() - SQL ERROR:" << error;
                     qCritical() << "SQL:" << sql;
                 })
              .insertId;
    if (newId.isValid()) {
        mDb.commitWrites();
        emit sigSync();
    }
    return newId.toUInt();
}

bool PeopleStore::updatePerson(const PersonData &person, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::updatePerson(" << person.debugText()
                           << (emitSignals ? "true" : "false") << ")";
    const SQLiteManager::Result updated = mDb.execListed(
        QByteArrayLiteral(
            "UPDATE ludia SET dochid = ?1, karta = ?2, titul = ?3, meno = ?4, priez "
            "= ?5, admin = ?6, syn = ?7, saldo1 = ?8, saldo2 = ?9, saldo3 = ?10, acc "
            "= ?11, colorGrp = ?12, refId = ?13, present = ?14, del = 0, updated= ?15 "
            "WHERE uid = ?16 "),
        [&person](SqliteStatement &s) {
            PersonColumns::bindPerson(s, person);
            s.bindInt(PersonColumns::count + 2, person.uid);
        },
        SQLiteManager::logStreamed("DataDBManager::updatePerson() - SQL ERROR:"));
    if (!updated.changed())
        return false;
    mDb.commitWrites();
    if (emitSignals) {
        emit sigSync();
        emit sigUpravCloveka(uint(person.uid));
        emit sigPersonUpdated(person);
    }
    return true;
}

bool PeopleStore::updatePersonChanges(const PersonData &stored, const PersonData &person)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::updatePersonChanges(" << person.debugText() << ")";
    const PersonColumnChanges changes(stored, person);
    // Few choices of columns occur; a bound keeps a strange list from piling texts up.
    if (mChangeStatements.size() >= 64 && !mChangeStatements.contains(changes.key()))
        mChangeStatements.clear();
    QByteArray &sql = mChangeStatements[changes.key()];
    if (sql.isEmpty())
        sql = changes.updateStatement();
    const SQLiteManager::Result updated = mDb.execListed(
        sql,
        [&](SqliteStatement &s) { changes.bind(s, person); },
        SQLiteManager::logStreamed("DataDBManager::updatePerson() - SQL ERROR:"));
    if (!updated.changed())
        return false;
    mDb.commitWrites();
    return true;
}

bool PeopleStore::deletePerson(uint uid, bool emitSignals)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deletePerson(" << uid << emitSignals << ")";
    if (emitSignals) {
        emit sigZmazCloveka(uid);
        const PersonData p = nacitajCloveka(uid, false, false);
        if (p.refId != 0)
            emit sigPersonDeleted(uint(p.dochid), p.refId);
    }
    const SQLiteManager::Result marked
        = mDb.exec(QStringLiteral("UPDATE ludia SET del=1 WHERE uid = :uid "),
                   { { ":uid", uid } },
                   SQLiteManager::logStreamed());
    if (!marked.ok)
        return false;
    const int changed = marked.rows;
    if (!mFingerprints.deleteFingerTemplateByUid(uid, -1) && Zep::debugLevel >= 1)
        qDebug() << "fingers not removed!";
    if (changed < 1)
        return false;
    mDb.commitWrites();
    if (emitSignals)
        emit sigSync();
    return true;
}

bool PeopleStore::delAllPeople(const QStringList &keepUids)
{
    if (Zep::debugLevel >= 1)
        qDebug("DataDBManager::delAllPeople(%s)",
               keepUids.join(QLatin1Char(',')).toLocal8Bit().constData());
    // An empty list comes from a missing or failed list, never from a server without people.
    if (keepUids.isEmpty()) {
        qWarning("DataDBManager::delAllPeople() - empty keep list, nobody is removed");
        return false;
    }
    const SQLiteManager::FailureLog log
        = SQLiteManager::logPlain("DataDBManager::delAllPeople() - ERROR: ");
    QSet<qulonglong> kept;
    for (const QString &text : keepUids) {
        bool ok = false;
        const qulonglong uid = text.trimmed().toULongLong(&ok, 10);
        if (!ok) {
            qCritical("DataDBManager::delAllPeople() - ERROR: %s",
                      qPrintable(QStringLiteral("not a person id: '%1'").arg(text)));
            return false;
        }
        kept.insert(uid);
    }
    // Rows stay (their entrances still need the person's number) and are only marked deleted;
    // people created here and not yet confirmed by the server (refId 0) are not the server's.
    // The few that are gone are found here: a statement naming thousands of kept ids took
    // longer than the search.
    QVector<qint64> gone;
    {
        SqliteStatement known(
            mDb.database(),
            QByteArrayLiteral("SELECT uid FROM ludia WHERE del = 0 AND refId != 0"));
        while (known.next()) {
            if (!kept.contains(qulonglong(known.integer(0))))
                gone.append(known.integer(0));
        }
        if (known.failed()) {
            log(known.errorText());
            return false;
        }
    }
    int removed = 0;
    for (const qint64 uid : qAsConst(gone)) {
        const auto bindUid = [uid](SqliteStatement &s) { s.bindInt(1, uid); };
        if (!mDb.execListed(QByteArrayLiteral("DELETE FROM fingers WHERE uid = ?1"), bindUid, log)
                 .ok)
            return false;
        const SQLiteManager::Result marked = mDb.execListed(
            QByteArrayLiteral("UPDATE ludia SET del = 1 WHERE uid = ?1"), bindUid, log);
        if (!marked.ok)
            return false;
        removed += marked.rows;
    }
    mDb.commitWrites();
    return removed > 0;
}

bool PeopleStore::setClovekSyn(uint uid, uint syn)
{
    return mDb
        .exec(QStringLiteral("UPDATE ludia SET syn = :syn WHERE uid = :uid"),
              { { ":syn", syn }, { ":uid", uid } },
              SQLiteManager::logStreamed())
        .changed();
}

void PeopleStore::setClovekIOstatus(uint uid, uint status)
{
    mDb.exec(QStringLiteral("UPDATE ludia SET IOstatus = :status WHERE uid = :uid"),
             { { ":status", status }, { ":uid", uid } },
             SQLiteManager::logStreamed());
}

uint PeopleStore::getClovekIOstatus(uint uid)
{
    QSqlQuery q(mDb.database());
    q.prepare(QStringLiteral("SELECT IOstatus FROM ludia WHERE uid = :uid LIMIT 1"));
    q.bindValue(QStringLiteral(":uid"), uid);
    if (!q.exec()) {
        qCritical("DataDBManager::getPersonIOstatus() - SQl ERROR: '%s'",
                  SQLiteManager::errorText(q).constData());
        return 255;
    }
    const uint status = q.next() ? q.value(0).toUInt() : 255;
    if (Zep::debugLevel >= 3)
        qDebug() << "DataDBManager::getClovekIOstatus(" << uid << ") =" << status;
    return status;
}

bool PeopleStore::updateByRefId(const QString &sql, const SQLiteManager::Binding &value, uint refId)
{
    // 0 is the refId of every person the server has not confirmed yet.
    if (refId == 0)
        return false;
    return mDb.execKept(sql, { value, { ":refId", refId } }, SQLiteManager::logStreamed())
        .changed();
}

bool PeopleStore::updatePersonSaldo(uint refId, double saldo)
{
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::updatePersonSaldo(%u, %f)", refId, saldo);
    return updateByRefId(QStringLiteral("UPDATE ludia SET saldo1 = :s1 WHERE refId = :refId"),
                         { ":s1", saldo },
                         refId);
}

bool PeopleStore::updatePersonPresent(uint refId, uint present)
{
    if (Zep::debugLevel >= 2)
        qDebug("DataDBManager::updatePersonPresent(%u, %u)", refId, present);
    return updateByRefId(QStringLiteral("UPDATE ludia SET present = :present WHERE refId = :refId"),
                         { ":present", present },
                         refId);
}

bool PeopleStore::updatePersonColorGrp(uint refId, uint colorGrp)
{
    return updateByRefId(
        QStringLiteral("UPDATE ludia SET colorGrp = :colorGrp WHERE refId = :refId"),
        { ":colorGrp", colorGrp },
        refId);
}

bool PeopleStore::loadPeopleForModel(QVector<PersonData> &list)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(LudiaModel *model): mazem zoznam";
    list.clear();
    QString tail;
    switch (DbSettings::value(Setting::orderPeople).toUInt()) {
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
    QSqlQuery q(mDb.database());
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

bool PeopleStore::readDochidWidth()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT MAX(dochid) FROM ludia WHERE del=0"))) {
        qCritical("DataDBManager::readDochidWidth() - ERROR: %s",
                  SQLiteManager::errorText(q).constData());
        return false;
    }
    DochidWidth::set(q.next() ? DochidWidth::digitsOf(q.value(0).toUInt()) : 0);
    return true;
}

bool PeopleStore::nacitajLudi(QList<PersonData> &list, bool onlyUnsynced)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::nacitajLudi(QList<ClovekData>&)";
    list.clear();
    QString sql = personColumns + QStringLiteral("  FROM ludia l WHERE del=0");
    if (onlyUnsynced)
        sql += QStringLiteral(" AND syn = 0");
    sql += QStringLiteral(" ORDER BY dochid ;");
    QSqlQuery q(mDb.database());
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

bool PeopleStore::loadPeopleToCompare(QHash<int, PersonData> &byDochid)
{
    byDochid.clear();
    SqliteStatement q(
        mDb.database(),
        QByteArrayLiteral("SELECT uid, dochid, karta, meno, priez, titul, admin, syn, "
                          "saldo1, acc, colorGrp, refId, updated FROM ludia WHERE "
                          "del=0"));
    while (q.next()) {
        // Filled in place: the numbers are unique.
        PersonData &p = byDochid[int(q.integer(1))];
        p.uid = int(q.integer(0));
        p.dochid = int(q.integer(1));
        p.karta = q.text(2);
        p.meno = q.text(3);
        p.priez = q.text(4);
        p.titul = q.text(5);
        p.admin = int(q.integer(6));
        p.syn = int(q.integer(7));
        p.saldo1 = q.real(8);
        p.acc = q.integer(9) != 0;
        p.colorGrp = quint8(q.integer(10));
        p.refId = uint(q.integer(11));
        p.updated = uint(q.integer(12));
    }
    if (q.failed()) {
        qCritical() << "DataDBManager::loadPeopleToCompare() - SQL ERROR:" << q.errorText();
        return false;
    }
    return true;
}
