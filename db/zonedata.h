#pragma once

#include <QMetaType>

// One time zone; only zones with status set are active.
struct ZoneData
{
    uint zid = 0;
    quint8 days = 0; // day mask
    uint from_time = 0;
    uint to_time = 0;
    bool status = false;
};

Q_DECLARE_METATYPE(ZoneData)
