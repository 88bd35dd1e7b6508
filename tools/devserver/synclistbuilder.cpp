#include "devserver/synclistbuilder.h"

#include "devserver/devcatalogue.h"
#include "devserver/devdatabase.h"
#include "devserver/serverbehaviour.h"
#include "devserver/syncconfirmations.h"
#include "devserver/wirerecords.h"

#include <QJsonArray>

namespace {

struct ListInfo
{
    SyncListBuilder::List list;
    const char *name;
};

const ListInfo lists[] = {
    { SyncListBuilder::Inters, "inters" },       { SyncListBuilder::People, "people" },
    { SyncListBuilder::Saldo, "saldo" },         { SyncListBuilder::Present, "present" },
    { SyncListBuilder::Timezones, "timezones" }, { SyncListBuilder::Grp, "grp" },
};

bool isDeleted(const QVariantMap &row)
{
    return row.value(QStringLiteral("del")).toInt() != 0;
}

// The change type of a record: complete lists and plain upserts use the given letters.
QString changeType(const QVariantMap &row, bool full, const char *fullType, const char *changedType)
{
    if (full)
        return QString::fromLatin1(fullType);
    return isDeleted(row) ? QStringLiteral("D") : QString::fromLatin1(changedType);
}

QJsonObject stamped(QJsonObject record, const QVariantMap &row, const QString &type)
{
    record.insert(QStringLiteral("type"), type);
    record.insert(QStringLiteral("tsc"), row.value(QStringLiteral("tsc")).toLongLong());
    return record;
}

} // namespace

SyncListBuilder::SyncListBuilder(DevDatabase &db,
                                 DevCatalogue &catalogue,
                                 SyncConfirmations &confirmations,
                                 const ServerBehaviour &behaviour)
    : mDb(db)
    , mCatalogue(catalogue)
    , mConfirmations(confirmations)
    , mBehaviour(behaviour)
{
}

QJsonObject SyncListBuilder::build(uint term, bool force, uint st)
{
    const qint64 covered = mDb.currentSeq();
    QJsonObject result;
    uint mask = 0;
    for (const ListInfo &info : lists) {
        const qint64 confirmed = mConfirmations.confirmed(term, info.list);
        bool empty = true;
        const QJsonValue content = buildList(info.list, force ? 0 : confirmed, empty);
        if (force && mBehaviour.omitUnchangedLists && confirmed != 0) {
            bool unchanged = true;
            buildList(info.list, confirmed, unchanged);
            if (unchanged)
                continue;
        }
        if (empty && !force)
            continue;
        mask |= info.list;
        result.insert(QLatin1String(info.name), content);
        mConfirmations.remember(term, st, info.list, covered);
    }
    result.insert(QStringLiteral("sync"), qint64(mask));
    result.insert(QStringLiteral("st"), qint64(st));
    return result;
}

QJsonObject
SyncListBuilder::keyedRecords(const QList<QVariantMap> &rows,
                              const QString &key,
                              const std::function<QJsonValue(const QVariantMap &)> &toJson) const
{
    QJsonObject records;
    for (const QVariantMap &row : rows) {
        const QJsonValue value = toJson(row);
        if (!value.isUndefined())
            records.insert(row.value(key).toString(), value);
    }
    return records;
}

QJsonValue SyncListBuilder::buildList(List list, qint64 since, bool &empty)
{
    const bool full = since == 0;
    const auto pick = [&](ChangeTable &table, const QString &seqColumn) {
        return full ? table.rows() : table.changedSince(seqColumn, since);
    };
    const auto value = [](const QString &column) {
        return [column](const QVariantMap &row) -> QJsonValue {
            if (isDeleted(row))
                return QJsonValue(QJsonValue::Undefined);
            return row.value(column).toLongLong();
        };
    };

    QJsonObject records;
    switch (list) {
    case Inters:
        records = keyedRecords(
            pick(mCatalogue.inters(), QStringLiteral("seq")),
            QStringLiteral("id"),
            [full](const QVariantMap &row) -> QJsonValue {
                return stamped(WireRecords::inter(row), row, changeType(row, full, "F", "U"));
            });
        break;
    case People:
        records = keyedRecords(
            pick(mCatalogue.people(), QStringLiteral("seq")),
            QStringLiteral("uid"),
            [full](const QVariantMap &row) -> QJsonValue {
                return stamped(WireRecords::person(row), row, changeType(row, full, "F", "U"));
            });
        break;
    case Saldo:
        records = keyedRecords(pick(mCatalogue.people(), QStringLiteral("saldo_seq")),
                               QStringLiteral("uid"),
                               value(QStringLiteral("saldo")));
        break;
    case Present:
        records = keyedRecords(pick(mCatalogue.people(), QStringLiteral("present_seq")),
                               QStringLiteral("uid"),
                               value(QStringLiteral("present")));
        break;
    case Grp:
        records = keyedRecords(pick(mCatalogue.people(), QStringLiteral("grp_seq")),
                               QStringLiteral("uid"),
                               value(QStringLiteral("grp")));
        break;
    case Timezones: {
        const QJsonObject zones = keyedRecords(
            pick(mCatalogue.zones(), QStringLiteral("seq")),
            QStringLiteral("id"),
            [full](const QVariantMap &row) -> QJsonValue {
                return stamped(WireRecords::zone(row), row, changeType(row, full, "I", "U"));
            });
        QJsonArray links;
        for (const QVariantMap &row : pick(mCatalogue.pzt(), QStringLiteral("seq")))
            links.append(stamped(WireRecords::zoneLink(row), row, changeType(row, full, "I", "I")));
        empty = zones.isEmpty() && links.isEmpty();
        return QJsonObject { { "zones", zones }, { "pzt", links } };
    }
    }
    empty = records.isEmpty();
    return records;
}
