#include "foundation/clock.h"

Clock::~Clock() = default;

qint64 Clock::msSinceEpoch() const
{
    return QDateTime::currentMSecsSinceEpoch();
}
