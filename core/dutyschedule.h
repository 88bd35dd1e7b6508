#pragma once

#include <QtGlobal>

class ZEPSettings;

// The periods of the scheduler's duties and the rule of which duty is due at a tick.
class DutySchedule
{
public:
    struct SecondDuties
    {
        bool orvelUpdate = false;
        bool hwInfoRefresh = false;
        bool tulSync = false;
    };

    // Reads the periods; system-information periods up to 28 become 29, server
    // sync periods up to 30 become 31.
    static DutySchedule fromSettings(ZEPSettings &settings);

    SecondDuties dueAtSecond(uint count, bool networking) const;
    bool maintenanceDueAtHour(uint hours) const;

    uint orvelPeriod = 293;
    uint hwInfoPeriod = 139;
    uint tulSyncPeriod = 61;
    uint maintenancePeriod = 2;
};
