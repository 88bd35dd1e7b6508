#include "db/persondata.h"

QString PersonData::debugText() const
{
    return QString::asprintf("%d|%d|%s|%s|%s|%s|%s|%s|%f|%f|%f|%d|%d|%s|%d|%d|%d|%s|%u-%u",
                             uid,
                             dochid,
                             karta.toLatin1().constData(),
                             meno.toLatin1().constData(),
                             priez.toLatin1().constData(),
                             titul.toLatin1().constData(),
                             admin ? "true" : "false",
                             syn ? "true" : "false",
                             saldo1,
                             saldo2,
                             saldo3,
                             int(fingers),
                             int(fpID),
                             acc ? "true" : "false",
                             int(colorGrp),
                             int(refId),
                             int(present),
                             del ? "TRUE" : "FALSE",
                             updated,
                             del ? 1u : 0u);
}
