#include "db/syncqueuestore.h"

#include "foundation/clock.h"
#include "foundation/globals.h"
#include "db/sqlitemanager.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

SyncQueueStore::SyncQueueStore(SQLiteManager &db)
    : mDb(db)
{
}

bool SyncQueueStore::addSyncItem(const QString &field, const QVariant &data)
{
    return insertSyncItem(field, data) != 0;
}

qint64 SyncQueueStore::insertSyncItem(const QString &field, const QVariant &data)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::addSyncItem(" << field << data.toString().size()
                 << "characters )"; // the value may be the settings text
    return mDb
        .exec(QStringLiteral("INSERT INTO sync (field, data, ts) VALUES(:field, :data, :ts)"),
              { { ":field", field },
                { ":data", data },
                { ":ts", uint(Clock::instance()->secsSinceEpoch()) } },
              SQLiteManager::logStreamed())
        .insertId.toLongLong();
}

void SyncQueueStore::delSyncItem(const QString &field, uint ts)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::delSyncItem(" << field << ts << ")";
    const QString sql = ts == 0
        ? QStringLiteral("DELETE FROM sync WHERE field = :field ")
        : QStringLiteral("DELETE FROM sync WHERE field = :field AND ts <= :ts");
    QVector<SQLiteManager::Binding> bindings { { ":field", field } };
    if (ts != 0)
        bindings.append({ ":ts", ts });
    mDb.exec(sql, bindings, SQLiteManager::logStreamed("delSyncItem() ERROR:"));
    if (Zep::debugLevel >= 3)
        qDebug() << "DataDBManager::delSyncItem() Last query: " << sql;
}

bool SyncQueueStore::delSyncItemById(qint64 id)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::delSyncItemById(" << id << ")";
    return mDb
        .exec(QStringLiteral("DELETE FROM sync WHERE id = :id"),
              { { ":id", id } },
              SQLiteManager::logStreamed("delSyncItem() ERROR:"))
        .ok;
}

bool SyncQueueStore::replaceSyncItem(const QString &field, const QVariant &data)
{
    const qint64 id = insertSyncItem(field, data);
    if (id == 0)
        return false;
    return mDb
        .exec(QStringLiteral("DELETE FROM sync WHERE field = :field AND id < :id"),
              { { ":field", field }, { ":id", id } },
              SQLiteManager::logStreamed("delSyncItem() ERROR:"))
        .ok;
}

QList<SyncItem> SyncQueueStore::loadSyncItems()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadSyncItems()";
    QList<SyncItem> items;
    QSqlQuery q(mDb.database());
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

bool SyncQueueStore::var_set(const QString &key, const QVariant &value)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_set(" << key << value << ")";
    return mDb
        .exec(QStringLiteral("INSERT OR REPLACE INTO vars (key, value) VALUES(:key, :value)"),
              { { ":key", key }, { ":value", value } },
              [&key](const QString &error) {
                  qCritical() << "DataDBManager::var_set(" << key << ") ERROR:" << error;
              })
        .ok;
}

QVariant SyncQueueStore::var_get(const QString &key, const QVariant &defaultValue)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_get(" << key << ")";
    QSqlQuery q(mDb.database());
    q.prepare(QStringLiteral("SELECT value FROM vars WHERE key=:key"));
    q.bindValue(QStringLiteral(":key"), key);
    if (!q.exec()) {
        qCritical() << "DataDBManager::var_del(" << key << ") ERROR:" << q.lastError().text();
        return defaultValue;
    }
    return q.next() ? q.value(0) : defaultValue;
}

bool SyncQueueStore::var_del(const QString &key)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::var_del(" << key << ")";
    return mDb
        .exec(QStringLiteral("DELETE FROM vars WHERE key = :key"),
              { { ":key", key } },
              [&key](const QString &error) {
                  qCritical() << "DataDBManager::var_del(" << key << ") ERROR:" << error;
              })
        .changed();
}
