#include "core/dutyschedule.h"

#include "foundation/zepsettings.h"

namespace {

// A period of 0 switches the duty off instead of dividing by zero.
bool isMultiple(uint count, uint period)
{
    return period != 0 && count % period == 0;
}

} // namespace

DutySchedule DutySchedule::fromSettings(ZEPSettings &settings)
{
    DutySchedule schedule;
    schedule.orvelPeriod = settings.value(Setting::orvelSyncInterval).toUInt();
    schedule.hwInfoPeriod
        = qMax(29u, settings.value(Setting::hardwareInfoInterval).toUInt());
    schedule.tulSyncPeriod
        = qMax(31u, settings.value(Setting::serverSyncInterval).toUInt());
    schedule.maintenancePeriod
        = settings.value(Setting::maintenanceDays).toUInt();
    return schedule;
}

DutySchedule::SecondDuties DutySchedule::dueAtSecond(uint count, bool networking) const
{
    SecondDuties due;
    due.orvelUpdate = networking && isMultiple(count, orvelPeriod);
    due.hwInfoRefresh = isMultiple(count, hwInfoPeriod);
    due.tulSync = networking && isMultiple(count, tulSyncPeriod);
    return due;
}

bool DutySchedule::maintenanceDueAtHour(uint hours) const
{
    return isMultiple(hours, maintenancePeriod);
}
