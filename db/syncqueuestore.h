#pragma once

#include "db/syncitem.h"

#include <QList>
#include <QString>
#include <QVariant>

class SQLiteManager;

// The outgoing sync queue (table sync) and the key-value store of variables (table vars).
class SyncQueueStore
{
public:
    explicit SyncQueueStore(SQLiteManager &db);

    bool addSyncItem(const QString &field, const QVariant &data);
    void delSyncItem(const QString &field, uint ts);
    bool delSyncItemById(qint64 id);
    // Queues the item in place of the rows of its field still waiting; those are removed
    // only once the new row is in.
    bool replaceSyncItem(const QString &field, const QVariant &data);
    QList<SyncItem> loadSyncItems();
    bool var_set(const QString &key, const QVariant &value);
    QVariant var_get(const QString &key, const QVariant &defaultValue = QVariant());
    bool var_del(const QString &key);

private:
    // The new row's id; 0 when it was not inserted.
    qint64 insertSyncItem(const QString &field, const QVariant &data);

    SQLiteManager &mDb;
};
