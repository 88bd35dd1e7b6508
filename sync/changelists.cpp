#include "sync/changelists.h"

#include "sync/serverstate.h"

QString ZoneSynData::toString() const
{
    return QStringLiteral("%1|%2|%3|%4|%5-%6|%7")
        .arg(id)
        .arg(days)
        .arg(from_time)
        .arg(to_time)
        .arg(status ? 1 : 0)
        .arg(type)
        .arg(tsc);
}

QString PZTSynData::toString() const
{
    return QStringLiteral("%1|%2-%3|%4").arg(zid).arg(uid).arg(type).arg(tsc);
}

namespace ChangeLists {

void registerMetaTypes()
{
    qRegisterMetaType<ServerState>("ServerState");
    qRegisterMetaType<InterSynDataList>("InterSynDataList");
    qRegisterMetaType<PersonSynDataList>("PersonSynDataList");
    qRegisterMetaType<SaldoSynDataList>("SaldoSynDataList");
    qRegisterMetaType<PresentSynDataList>("PresentSynDataList");
    qRegisterMetaType<GrpSynDataList>("GrpSynDataList");
    qRegisterMetaType<ZoneSynDataList>("ZoneSynDataList");
    qRegisterMetaType<PZTSynDataList>("PZTSynDataList");
}

QString typeText(QChar type)
{
    return type.isNull() ? QString() : QString(type);
}

} // namespace ChangeLists
