#include "db/dbmetatypes.h"

#include "db/entrancedata.h"
#include "db/fingerdata.h"
#include "db/persondata.h"
#include "db/preruseniedata.h"
#include "db/syncitem.h"
#include "db/termdata.h"
#include "db/zonedata.h"

#include <QList>
#include <QMetaType>

void DbMetaTypes::registerAll()
{
    qRegisterMetaType<PersonData>("PersonData");
    qRegisterMetaType<PersonData>("ClovekData");
    qRegisterMetaType<FingerData>("FingerData");
    qRegisterMetaType<EntranceData>("EntranceData");
    qRegisterMetaType<PrerusenieData>("PrerusenieData");
    qRegisterMetaType<TermData>("TermData");
    qRegisterMetaType<SyncItem>("SyncItem");
    qRegisterMetaType<ZoneData>("ZoneData");
    qRegisterMetaType<QList<PersonData>>("QList<PersonData>");
    qRegisterMetaType<QList<EntranceData>>("QList<EntranceData>");
    qRegisterMetaType<QList<PrerusenieData>>("QList<PrerusenieData>");
}
