#include "db/zepdbmanager.h"

#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "db/dbsettings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QtDebug>

#include <iterator>

namespace {
// The columns added to "term" since the first layout, one migration step each; a file
// that has them all is marked with their number as its schema version.
constexpr int columnSteps = 5;

const QString termCreate = QStringLiteral(
    "CREATE TABLE term (tid INT NOT NULL,nazov VARCHAR(128),model VARCHAR(128),pn "
    "VARCHAR(128),sn VARCHAR(128),pcn8v VARCHAR(128),pcn8d VARCHAR(128),skey VARCHAR(128),memu "
    "TINYINT NOT NULL DEFAULT 0,cpuu TINYINT NOT NULL DEFAULT 0,sdu TINYINT NOT NULL DEFAULT "
    "0,vid INT NOT NULL DEFAULT 0,syn TINYINT NOT NULL DEFAULT 0,colorGroups TEXT,token "
    "TEXT,refId INT NOT NULL DEFAULT 0,li INT NOT NULL DEFAULT 0,lt TEXT,flags SMALLINT "
    "DEFAULT 0)");
const QString prerusCreate = QStringLiteral(
    "CREATE TABLE prerusenia (pid INT PRIMARY KEY  NOT NULL ,nazov VARCHAR(32),poradie TINYINT "
    "NOT NULL  DEFAULT (50000) ,skratka CHAR(3),typ INTEGER NOT NULL  DEFAULT (0) ,farba1 "
    "VARCHAR(20) DEFAULT (null) ,farba2 VARCHAR(20) DEFAULT (null) )");
const QString intersQuery
    = QStringLiteral("SELECT pid, nazov, skratka, poradie FROM prerusenia ORDER BY poradie, pid");
} // namespace

ZepDBManager::ZepDBManager(const QString &dbFileName, bool openAtOnce, QObject *parent)
    : SQLiteManager(dbFileName, openAtOnce, parent)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Construct ZepDBManager";
    // A file marked with the current version has both tables and every column.
    if (schemaVersion() != columnSteps)
        migrate();

    const QStringList disabled
        = DbSettings::value(Setting::disabledTypes).toStringList();
    for (const QString &entry : disabled) {
        bool ok = false;
        const uint pid = entry.toUInt(&ok, 10);
        if (ok)
            mDisabled.append(pid);
    }
}

void ZepDBManager::migrate()
{
    auto create = [this](const QString &sql, const char *table) {
        if (exec(sql, {}, logStreamed()).ok)
            return true;
        writeAppLog(QStringLiteral("FAILED: ZepDbManager::createTable(%1)")
                        .arg(QString::fromLatin1(table)));
        return false;
    };
    bool complete = checkTable(QStringLiteral("term")) || create(termCreate, "term");
    complete = (checkTable(QStringLiteral("prerusenia")) || create(prerusCreate, "prerusenia"))
        && complete;

    const struct
    {
        const char *column;
        const char *debugLine;
        QStringList statements;
    } columns[] = {
        { "colorGroups",
          "ZepDBManager: vytvorit stlpec colorGroups",
          { QStringLiteral("ALTER TABLE term ADD COLUMN colorGroups TEXT") } },
        { "token",
          "ZepDBManager: vytvorit stlpec token",
          { QStringLiteral("ALTER TABLE term ADD COLUMN token TEXT") } },
        { "refId",
          "ZepDBManager: vytvorit stlpec refId",
          { QStringLiteral("ALTER TABLE term ADD COLUMN refId INT NOT NULL DEFAULT 0") } },
        { "lt",
          "ZepDBManager: vytvorit stlpce 'li' a 'lt'",
          { QStringLiteral("ALTER TABLE term ADD COLUMN li INT NOT NULL DEFAULT 0"),
            QStringLiteral("ALTER TABLE term ADD COLUMN lt TEXT") } },
        { "flags",
          "ZepDBManager: vytvorit stlpec flags",
          { QStringLiteral("ALTER TABLE term ADD COLUMN flags SMALLINT DEFAULT 0") } },
    };
    static_assert(std::size(columns) == columnSteps, "a new column is a new schema version");
    for (const auto &c : columns) {
        const QString column = QString::fromLatin1(c.column);
        if (checkColumn(QStringLiteral("term"), column))
            continue;
        if (Zep::debugLevel >= 2)
            qDebug() << c.debugLine;
        for (const QString &sql : c.statements)
            exec(sql, {}, logStreamed());
        complete = checkColumn(QStringLiteral("term"), column) && complete;
    }
    if (complete)
        setSchemaVersion(columnSteps);
}

ZepDBManager::~ZepDBManager()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Destruct ZepDBManager";
}

void ZepDBManager::ensureOpen()
{
    if (!isOpen())
        openDB();
}

uint ZepDBManager::getIntersCount()
{
    ensureOpen();
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM prerusenia"))) {
        qCritical("ZepDBManager::getIntersCount() - ERROR: %s", errorText(q).constData());
        return 0;
    }
    const uint count = q.next() ? q.value(0).toUInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug("ZepDBManager::getIntersCount(): %u", count);
    return count;
}

int ZepDBManager::syncPrerus(const PrerusenieData &data)
{
    ensureOpen();
    const QVector<Binding> bindings { { ":pid", int(data.pid) },
                                      { ":nazov", data.nazov },
                                      { ":skratka", data.skratka } };
    const Result updated
        = exec(QStringLiteral(
                   "UPDATE prerusenia SET nazov = :nazov, skratka = :skratka WHERE pid = :pid "),
               bindings,
               logStreamed("ZepDbManager::syncPrerus() - UPDATE: "));
    if (!updated.ok)
        return -1;
    if (updated.rows > 0)
        return updated.rows;
    const Result inserted
        = exec(QStringLiteral(
                   "INSERT INTO prerusenia (pid, nazov, skratka) VALUES(:pid, :nazov, :skratka)"),
               bindings,
               logStreamed("ZepDbManager::syncPrerus() - INSERT: "));
    return inserted.ok ? inserted.rows : -1;
}

bool ZepDBManager::delOtherPrerus(const QList<uint> &ids)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "ZepDbManager::delOtherPrerus()";
    if (ids.isEmpty())
        return false;
    ensureOpen();
    QStringList placeholders;
    for (int i = 1; i <= ids.size(); ++i)
        placeholders.append(QStringLiteral(":pid_%1").arg(i));
    const QString sql = QStringLiteral("DELETE FROM prerusenia WHERE pid NOT IN(%1)")
                            .arg(placeholders.join(QLatin1String(", ")));
    if (Zep::debugLevel >= 3)
        qDebug() << "delOtherPrerus()-sql: " << sql;
    QSqlQuery q(database());
    q.prepare(sql);
    for (int i = 0; i < ids.size(); ++i)
        q.bindValue(placeholders.at(i), ids.at(i));
    if (!q.exec()) {
        qCritical() << "ZepDbManager::delOtherPrerus(): " << q.lastError().text();
        return false;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "q.numRowsAffected() = " << q.numRowsAffected();
    return true;
}

bool ZepDBManager::delPrerus(uint pid)
{
    if (Zep::debugLevel >= 2)
        qDebug("ZepDbManager::delPrerus(%u)", pid);
    ensureOpen();
    const Result deleted = exec(QStringLiteral("DELETE FROM prerusenia WHERE pid = %1").arg(pid),
                                {},
                                logStreamed("ZepDbManager::delPrerus(): "));
    if (!deleted.ok)
        return false;
    if (Zep::debugLevel >= 2)
        qDebug("ZepDbManager::delPrerus() affected: %i", deleted.rows);
    return true;
}

int ZepDBManager::deleteAllAndVacuum(const QString &table, const char *operation)
{
    if (Zep::debugLevel >= 1)
        qDebug("ZepDbManager::%s()", operation);
    ensureOpen();
    const Result deleted = exec(QStringLiteral("DELETE FROM %1 ").arg(table),
                                {},
                                logPlain(QByteArray("ZepDbManager::") + operation + "(): "));
    if (!deleted.ok)
        return -1;
    const int removed = deleted.rows;
    QSqlQuery v(database());
    if (!v.exec(QStringLiteral("VACUUM")))
        qWarning() << "ZepDbManager: SQLite ERROR: " << v.lastError().text();
    return removed;
}

bool ZepDBManager::delAllInters()
{
    return deleteAllAndVacuum(QStringLiteral("prerusenia"), "delAllInters") > 0;
}

bool ZepDBManager::deleteTerminal()
{
    return deleteAllAndVacuum(QStringLiteral("term"), "deleteTerminal") >= 0;
}

bool ZepDBManager::decPrerusOrder(uint pid)
{
    ensureOpen();
    return exec(QStringLiteral("UPDATE prerusenia SET  poradie = poradie - 1  WHERE pid = :pid "),
                { { ":pid", pid } },
                logStreamed("ZepDbManager::decPrerusOrder(): "))
        .changed();
}

bool ZepDBManager::setPrerusPoradie(uint pid, int poradie)
{
    ensureOpen();
    return exec(QStringLiteral("UPDATE prerusenia SET poradie = :poradie WHERE pid = :pid "),
                { { ":poradie", poradie }, { ":pid", pid } },
                logStreamed("ZepDbManager::setPrerusPoradie() - UPDATE: "))
        .changed();
}

bool ZepDBManager::setColorGroups(const QString &grps)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ZepDbManager::setColorGroups(" << grps << ")";
    ensureOpen();
    return exec(QStringLiteral("UPDATE term SET colorGroups = :cg"),
                { { ":cg", grps } },
                logStreamed("ZepDbManager::setColorGroups() - UPDATE: "))
        .changed();
}

QString ZepDBManager::getColorGroups()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ZepDbManager::getColorGroups()";
    ensureOpen();
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT colorGroups FROM term ORDER BY rowid DESC LIMIT 1"))) {
        qCritical() << q.lastError().text();
        return QString();
    }
    return q.next() ? q.value(0).toString() : QString();
}

bool ZepDBManager::setSyncFlags(uint flags)
{
    if (Zep::debugLevel >= 2)
        qDebug("ZepDbManager::setSyncFlags(%u)", flags);
    ensureOpen();
    if (!exec(QStringLiteral("UPDATE term SET flags = %1").arg(flags),
              {},
              logPlain("ZepDbManager::setSyncFlags() - SQL ERROR: "))
             .changed())
        return false;
    commitWrites();
    return true;
}

bool ZepDBManager::checkTerminal(int tid)
{
    ensureOpen();
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT COUNT(tid) FROM term WHERE tid = :tid"));
    q.bindValue(QStringLiteral(":tid"), tid);
    if (!q.exec()) {
        writeAppLog(QString::asprintf(
            "ZepDbManager::checkTerminal(%d): %s", tid, errorText(q).constData()));
        return false;
    }
    return q.next() && q.value(0).toInt() != 0;
}

bool ZepDBManager::saveTerminal(const TermData &data)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "ZepDbManager::saveTerminal()";
    if (data.tid == 0)
        return false;
    ensureOpen();
    const QString sql = checkTerminal(data.tid)
        ? QStringLiteral(
            "UPDATE term SET nazov = :nazov, model = :model, pn = :pn, sn = :sn, pcn8v = :pcn8v, "
            "pcn8d = :pcn8d, skey = :skey, memu = :memu, cpuu = :cpuu, sdu = :sdu, vid = :vid, "
            "syn  = :syn, colorGroups = :clrGrps, token = :token, refId = :refId, li = :li, lt = "
            ":lt WHERE tid = :tid ")
        : QStringLiteral(
            "INSERT INTO term (tid, nazov, model, pn, sn, pcn8v, pcn8d, skey, memu, cpuu, sdu, "
            "vid, syn, colorGroups, token, refId, li, lt) VALUES(:tid, :nazov, :model, :pn, :sn, "
            ":pcn8v, :pcn8d, :skey, :memu, :cpuu, :sdu, :vid, :syn, :clrGrps, :token, :refId, "
            ":li, :lt)");
    const Result saved = exec(sql,
                              { { ":tid", data.tid },
                                { ":nazov", data.nazov },
                                { ":model", data.model },
                                { ":pn", data.pn },
                                { ":sn", data.sn },
                                { ":pcn8v", data.pcn8v },
                                { ":pcn8d", data.pcn8d },
                                { ":skey", data.skey },
                                { ":memu", data.memu },
                                { ":cpuu", data.cpuu },
                                { ":sdu", data.sdu },
                                { ":vid", data.vid },
                                { ":syn", data.syn },
                                { ":clrGrps", data.colorGroups },
                                { ":token", data.token },
                                { ":refId", data.refId },
                                { ":li", data.li },
                                { ":lt", data.lt } },
                              logStreamed("ZepDbManager::saveTerminal(): "));
    if (!saved.changed())
        return false;
    commitWrites();
    return true;
}

bool ZepDBManager::loadTerminal(TermData &data)
{
    ensureOpen();
    TermData t;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral(
            "SELECT tid, nazov, model, pn, sn, pcn8v, pcn8d, skey, memu, cpuu, sdu, vid, syn, "
            "colorGroups, token, refId, li, lt, flags FROM term ORDER BY rowid DESC LIMIT 1"))) {
        qCritical() << "ZepDbManager::loadTerminal() ERROR: " << q.lastError().text();
    } else if (q.next()) {
        t.tid = q.value(0).toInt();
        t.nazov = q.value(1).toString();
        t.model = q.value(2).toString();
        t.pn = q.value(3).toString();
        t.sn = q.value(4).toString();
        t.pcn8v = q.value(5).toString();
        t.pcn8d = q.value(6).toString();
        t.skey = q.value(7).toString();
        t.memu = q.value(8).toInt();
        t.cpuu = q.value(9).toInt();
        t.sdu = q.value(10).toInt();
        t.vid = q.value(11).toInt();
        t.syn = q.value(12).toInt();
        t.colorGroups = q.value(13).toString();
        t.token = q.value(14).toString();
        t.refId = q.value(15).toInt();
        t.li = q.value(16).toInt();
        t.lt = q.value(17).toString();
        t.flags = q.value(18).toInt();
    }
    data = t;
    return t.tid != 0;
}

QString ZepDBManager::nacitajPrerusenia(uint pid)
{
    ensureOpen();
    QString name = QStringLiteral("?");
    {
        QSqlQuery q(database());
        q.prepare(QStringLiteral("SELECT nazov FROM prerusenia WHERE pid = :pid"));
        q.bindValue(QStringLiteral(":pid"), pid);
        if (!q.exec())
            qCritical() << "ZepDbManager::nacitajPrerusenia: " << q.lastError().text();
        else if (q.next())
            name = q.value(0).toString();
    }
    closeDB();
    return name;
}

template<typename Add>
void ZepDBManager::loadEnabledInters(const char *rowsLine, const char *doneLine, Add add)
{
    ensureOpen();
    {
        QSqlQuery q(database());
        q.setForwardOnly(true);
        if (!q.exec(intersQuery)) {
            qCritical() << "ZepDbManager::nacitajPrerusenia: " << q.lastError().text();
        } else {
            if (Zep::debugLevel >= 2)
                qDebug() << rowsLine;
            while (q.next()) {
                const uint pid = q.value(0).toUInt();
                if (mDisabled.contains(pid))
                    continue;
                PrerusenieData d(qint32(pid),
                                 q.value(1).toString(),
                                 q.value(2).toString(),
                                 0,
                                 q.value(3).toInt());
                if (Zep::debugLevel >= 3)
                    qDebug().noquote() << pid << d.nazov + QStringLiteral(" - ") + d.skratka;
                add(d);
            }
            if (Zep::debugLevel >= 2)
                qDebug() << doneLine;
        }
    }
    closeDB();
}

void ZepDBManager::loadInters(QList<PrerusenieData> &list)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "ZepDbManager::loadInters()";
    list.clear();
    loadEnabledInters("ZepDbManager::nacitajPrerusenia(): nacitavam z DB",
                      "ZepDbManager::nacitajPrerusenia(): DONE",
                      [&list](const PrerusenieData &d) { list.append(d); });
}

void ZepDBManager::loadInters(QHash<uint, PrerusenieData> &hash)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "ZepDbManager::loadInters()";
    hash.clear();
    loadEnabledInters("ZepDbManager::loadInters(): nacitavam z DB",
                      "ZepDbManager::loadInters(): DONE",
                      [&hash](const PrerusenieData &d) { hash.insert(uint(d.pid), d); });
}

void ZepDBManager::writeAppLog(const QString &line)
{
    FileLog(ZepFiles::appLog).loguj(line);
}
