#include "devserver/wirerecords.h"

namespace WireRecords {

QJsonObject inter(const QVariantMap &row)
{
    return { { "name", row.value("name").toString() },
             { "shortcut", row.value("shortcut").toString() },
             { "color", row.value("color").toString() },
             { "start", row.value("start").toString() },
             { "stop", row.value("stop").toString() },
             { "weight", row.value("weight").toInt() } };
}

QJsonObject person(const QVariantMap &row)
{
    return { { "pid", row.value("pid").toLongLong() },
             { "name", row.value("name").toString() },
             { "surname", row.value("surname").toString() },
             { "title", row.value("title").toString() },
             { "title2", row.value("title2").toString() },
             { "card", row.value("card").toString() },
             { "saldo", row.value("saldo").toLongLong() },
             { "admin", row.value("admin").toInt() != 0 },
             { "access", row.value("access").toInt() != 0 },
             { "grp", row.value("grp").toLongLong() } };
}

QJsonObject zone(const QVariantMap &row)
{
    return { { "days", row.value("days").toInt() },
             { "from_time", row.value("from_time").toLongLong() },
             { "to_time", row.value("to_time").toLongLong() },
             { "status", row.value("status").toInt() != 0 } };
}

QJsonObject zoneLink(const QVariantMap &row)
{
    return { { "zid", row.value("zid").toLongLong() }, { "uid", row.value("uid").toLongLong() } };
}

} // namespace WireRecords
