#include "devserver/devdatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>

DevDatabase::~DevDatabase()
{
    if (mConnectionName.isEmpty())
        return;
    mDb.close();
    mDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(mConnectionName);
}

bool DevDatabase::open(const QString &fileName)
{
    mConnectionName = QStringLiteral("devserver");
    mDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnectionName);
    mDb.setDatabaseName(fileName);
    if (!mDb.open()) {
        std::fprintf(stderr,
                     "cannot open %s: %s\n",
                     qPrintable(fileName),
                     qPrintable(mDb.lastError().text()));
        return false;
    }
    return createSchema();
}

bool DevDatabase::createSchema()
{
    const QStringList statements = {
        // Safe against a crash of this process; a power loss may lose the last transactions.
        "PRAGMA journal_mode = WAL",
        "PRAGMA synchronous = NORMAL",
        "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value INTEGER NOT NULL)",
        "INSERT OR IGNORE INTO meta (key, value) VALUES ('seq', 0)",
        "CREATE TABLE IF NOT EXISTS inters (id INTEGER PRIMARY KEY, name TEXT NOT NULL DEFAULT '',"
        " shortcut TEXT NOT NULL DEFAULT '', color TEXT NOT NULL DEFAULT '', start TEXT NOT NULL "
        "DEFAULT '',"
        " stop TEXT NOT NULL DEFAULT '', weight INTEGER NOT NULL DEFAULT 0,"
        " del INTEGER NOT NULL DEFAULT 0, tsc INTEGER NOT NULL DEFAULT 0, seq INTEGER NOT NULL "
        "DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS people (uid INTEGER PRIMARY KEY AUTOINCREMENT, pid INTEGER NOT "
        "NULL DEFAULT 0,"
        " name TEXT NOT NULL DEFAULT '', surname TEXT NOT NULL DEFAULT '', title TEXT NOT NULL "
        "DEFAULT '',"
        " title2 TEXT NOT NULL DEFAULT '', card TEXT NOT NULL DEFAULT '', admin INTEGER NOT NULL "
        "DEFAULT 0,"
        " access INTEGER NOT NULL DEFAULT 1, saldo INTEGER NOT NULL DEFAULT 0, present INTEGER NOT "
        "NULL DEFAULT 0,"
        " grp INTEGER NOT NULL DEFAULT 0, del INTEGER NOT NULL DEFAULT 0, tsc INTEGER NOT NULL "
        "DEFAULT 0,"
        " seq INTEGER NOT NULL DEFAULT 0, saldo_seq INTEGER NOT NULL DEFAULT 0,"
        " present_seq INTEGER NOT NULL DEFAULT 0, grp_seq INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS zones (id INTEGER PRIMARY KEY, days INTEGER NOT NULL DEFAULT 0,"
        " from_time INTEGER NOT NULL DEFAULT 0, to_time INTEGER NOT NULL DEFAULT 0, status INTEGER "
        "NOT NULL DEFAULT 1,"
        " del INTEGER NOT NULL DEFAULT 0, tsc INTEGER NOT NULL DEFAULT 0, seq INTEGER NOT NULL "
        "DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS pzt (zid INTEGER NOT NULL, uid INTEGER NOT NULL,"
        " del INTEGER NOT NULL DEFAULT 0, tsc INTEGER NOT NULL DEFAULT 0, seq INTEGER NOT NULL "
        "DEFAULT 0,"
        " PRIMARY KEY (zid, uid))",
        "CREATE TABLE IF NOT EXISTS terms (id INTEGER PRIMARY KEY AUTOINCREMENT, fid INTEGER NOT "
        "NULL DEFAULT 0,"
        " attrs TEXT NOT NULL DEFAULT '{}', flags INTEGER NOT NULL DEFAULT 0, registered INTEGER "
        "NOT NULL DEFAULT 0,"
        " updated INTEGER NOT NULL DEFAULT 0, del INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS term_sync (term INTEGER NOT NULL, list INTEGER NOT NULL,"
        " seq INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (term, list))",
        "CREATE TABLE IF NOT EXISTS term_snapshots (term INTEGER NOT NULL, st INTEGER NOT NULL,"
        " list INTEGER NOT NULL, seq INTEGER NOT NULL, PRIMARY KEY (term, st, list))",
        "CREATE TABLE IF NOT EXISTS entrances (eid INTEGER PRIMARY KEY AUTOINCREMENT, term INTEGER "
        "NOT NULL,"
        " rid INTEGER NOT NULL DEFAULT 0, iid INTEGER NOT NULL DEFAULT 0, type INTEGER NOT NULL "
        "DEFAULT 0,"
        " pid INTEGER NOT NULL DEFAULT 0, uid INTEGER NOT NULL DEFAULT 0, date INTEGER NOT NULL "
        "DEFAULT 0,"
        " img_path TEXT NOT NULL DEFAULT '', image_file TEXT NOT NULL DEFAULT '',"
        " received INTEGER NOT NULL DEFAULT 0, del INTEGER NOT NULL DEFAULT 0)",
    };
    for (const QString &sql : statements) {
        if (!exec(sql))
            return false;
    }
    return true;
}

bool DevDatabase::isEmpty() const
{
    QSqlQuery query(mDb);
    return exec(query, QStringLiteral("SELECT value FROM meta WHERE key = 'seq'")) && query.next()
        && query.value(0).toLongLong() == 0;
}

bool DevDatabase::exec(QSqlQuery &query, const QString &sql, const QVariantMap &bindings) const
{
    if (!query.prepare(sql)) {
        std::fprintf(
            stderr, "SQL error: %s in %s\n", qPrintable(query.lastError().text()), qPrintable(sql));
        return false;
    }
    for (auto it = bindings.cbegin(); it != bindings.cend(); ++it)
        query.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (!query.exec()) {
        std::fprintf(
            stderr, "SQL error: %s in %s\n", qPrintable(query.lastError().text()), qPrintable(sql));
        return false;
    }
    return true;
}

bool DevDatabase::exec(const QString &sql, const QVariantMap &bindings) const
{
    QSqlQuery query(mDb);
    return exec(query, sql, bindings);
}

qint64 DevDatabase::nextSeq() const
{
    exec(QStringLiteral("UPDATE meta SET value = value + 1 WHERE key = 'seq'"));
    return currentSeq();
}

qint64 DevDatabase::currentSeq() const
{
    QSqlQuery query(mDb);
    if (exec(query, QStringLiteral("SELECT value FROM meta WHERE key = 'seq'")) && query.next())
        return query.value(0).toLongLong();
    return 0;
}
