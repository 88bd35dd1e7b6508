#include "db/fingerdata.h"

QString FingerData::debugText() const
{
    return QString::asprintf(
        "%d|%d|%d|%d|%d", int(fpID), int(uid), int(tpl.size()), int(tplID), int(finger));
}
