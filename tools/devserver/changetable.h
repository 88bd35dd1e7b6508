#pragma once

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariantMap>

class DevDatabase;

// What ChangeTable needs to know about one of the server's data tables.
struct ChangeTableLayout
{
    QString table;
    QStringList keys; // primary key columns
    QStringList fields; // value columns a change may set
    QHash<QString, QString> fieldSeq; // value column -> change-number column; "seq" when absent
    bool autoKey = false; // single integer key given by the database when 0 or absent
};

// A table whose rows are delivered to terminals as changes: every write that alters a
// value stamps its change-number column with the next number of the database, so a
// terminal can be given exactly what changed since the number it confirmed.
// Deletions only mark the row, so they can be delivered too.
class ChangeTable
{
public:
    ChangeTable(DevDatabase &db, ChangeTableLayout layout);

    const ChangeTableLayout &layout() const { return mLayout; }

    // Inserts or updates the row named by the keys in `record` (a deleted row comes back);
    // returns the stored row, empty on failure.
    QVariantMap upsert(const QVariantMap &given);
    // Marks the row deleted; false when there is no such live row.
    bool remove(const QVariantMap &keys);

    QVariantMap find(const QVariantMap &match) const; // first live row whose columns equal `match`
    QList<QVariantMap> rows() const; // live rows in key order
    QList<QVariantMap> changedSince(const QString &seqColumn,
                                    qint64 since) const; // deleted ones included

private:
    QList<QVariantMap> select(const QString &where, const QVariantMap &bindings) const;
    QStringList seqColumns() const;
    static QString whereClause(const QVariantMap &match);

    DevDatabase &mDb;
    ChangeTableLayout mLayout;
};
