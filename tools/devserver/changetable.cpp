#include "devserver/changetable.h"

#include "devserver/devdatabase.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>

ChangeTable::ChangeTable(DevDatabase &db, ChangeTableLayout layout)
    : mDb(db)
    , mLayout(std::move(layout))
{
}

QStringList ChangeTable::seqColumns() const
{
    QStringList columns { QStringLiteral("seq") };
    for (const QString &column : mLayout.fieldSeq) {
        if (!columns.contains(column))
            columns << column;
    }
    return columns;
}

QString ChangeTable::whereClause(const QVariantMap &match)
{
    QStringList terms;
    for (auto it = match.cbegin(); it != match.cend(); ++it)
        terms << QStringLiteral("%1 = :%1").arg(it.key());
    return terms.join(QStringLiteral(" AND "));
}

QList<QVariantMap> ChangeTable::select(const QString &where, const QVariantMap &bindings) const
{
    QList<QVariantMap> result;
    QSqlQuery query(mDb.handle());
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3")
                            .arg(mLayout.table, where, mLayout.keys.join(QLatin1Char(',')));
    if (!mDb.exec(query, sql, bindings))
        return result;
    while (query.next()) {
        const QSqlRecord record = query.record();
        QVariantMap row;
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), record.value(i));
        result << row;
    }
    return result;
}

QVariantMap ChangeTable::find(const QVariantMap &match) const
{
    const QList<QVariantMap> found
        = select(whereClause(match) + QStringLiteral(" AND del = 0"), match);
    return found.value(0);
}

QList<QVariantMap> ChangeTable::rows() const
{
    return select(QStringLiteral("del = 0"), {});
}

QList<QVariantMap> ChangeTable::changedSince(const QString &seqColumn, qint64 since) const
{
    return select(QStringLiteral("%1 > :since").arg(seqColumn),
                  { { QStringLiteral("since"), since } });
}

// Booleans are stored as 0/1, so that comparing with a stored value works.
static QVariant storable(const QVariant &value)
{
    return value.type() == QVariant::Bool ? QVariant(value.toBool() ? 1 : 0) : value;
}

QVariantMap ChangeTable::upsert(const QVariantMap &given)
{
    QVariantMap record;
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        record.insert(it.key(), storable(it.value()));
    QVariantMap keys;
    for (const QString &key : mLayout.keys)
        keys.insert(key, record.value(key));
    const bool newAutoKey = mLayout.autoKey && keys.first().toLongLong() == 0;
    const QList<QVariantMap> existing
        = newAutoKey ? QList<QVariantMap>() : select(whereClause(keys), keys);
    const qint64 seq = mDb.nextSeq();
    QVariantMap values { { QStringLiteral("tsc"), QDateTime::currentSecsSinceEpoch() },
                         { QStringLiteral("del"), 0 } };

    if (existing.isEmpty()) {
        for (const QString &column : seqColumns())
            values.insert(column, seq);
        for (const QString &field : mLayout.fields) {
            if (record.contains(field))
                values.insert(field, record.value(field));
        }
        if (!newAutoKey)
            values.insert(keys);
        QStringList names = values.keys();
        QStringList placeholders;
        for (const QString &name : names)
            placeholders << QLatin1Char(':') + name;
        QSqlQuery query(mDb.handle());
        if (!mDb.exec(query,
                      QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(mLayout.table,
                               names.join(QLatin1Char(',')),
                               placeholders.join(QLatin1Char(','))),
                      values))
            return {};
        if (newAutoKey)
            keys.insert(mLayout.keys.first(), query.lastInsertId());
        return select(whereClause(keys), keys).value(0);
    }

    const QVariantMap old = existing.first();
    const bool revived = old.value(QStringLiteral("del")).toInt() != 0;
    for (const QString &field : mLayout.fields) {
        if (!record.contains(field)
            || record.value(field).toString() == old.value(field).toString())
            continue;
        values.insert(field, record.value(field));
        values.insert(mLayout.fieldSeq.value(field, QStringLiteral("seq")), seq);
    }
    if (revived) {
        for (const QString &column : seqColumns())
            values.insert(column, seq);
    }
    if (values.size() == 2 && !revived)
        return old; // nothing changed: keep the row's change numbers

    QStringList assignments;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        assignments << QStringLiteral("%1 = :%1").arg(it.key());
    QVariantMap bindings = values;
    QStringList keyTerms;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        keyTerms << QStringLiteral("%1 = :key_%1").arg(it.key());
        bindings.insert(QStringLiteral("key_") + it.key(), it.value());
    }
    if (!mDb.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                      .arg(mLayout.table,
                           assignments.join(QLatin1Char(',')),
                           keyTerms.join(QStringLiteral(" AND "))),
                  bindings))
        return {};
    return select(whereClause(keys), keys).value(0);
}

bool ChangeTable::remove(const QVariantMap &keys)
{
    if (find(keys).isEmpty())
        return false;
    QStringList assignments { QStringLiteral("del = 1"), QStringLiteral("tsc = :tsc") };
    const qint64 seq = mDb.nextSeq();
    QVariantMap bindings = keys;
    bindings.insert(QStringLiteral("tsc"), QDateTime::currentSecsSinceEpoch());
    for (const QString &column : seqColumns()) {
        assignments << QStringLiteral("%1 = :%1").arg(column);
        bindings.insert(column, seq);
    }
    return mDb.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                        .arg(mLayout.table, assignments.join(QLatin1Char(',')), whereClause(keys)),
                    bindings);
}
