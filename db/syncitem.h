#pragma once

#include <QMetaType>
#include <QString>

// One row of the outgoing sync queue (table "sync").
struct SyncItem
{
    uint ts = 0; // when the item was queued, seconds since 1970-01-01 00:00 UTC
    QString field;
    QString data;
    qint64 id = 0; // the row's id
};

Q_DECLARE_METATYPE(SyncItem)
