#pragma once

#include <QString>

// The line of one entrance in the interruption log; the same text names the
// entrance photo in the backup tree.
class InterruptLogLine
{
public:
    // "yyyyMMddhhmmss-dochid(8 digits)-pid-direction-"; the direction is 1 for
    // smer 1 and 0 otherwise, the time is local.
    static QString make(uint time, uint dochid, uint pid, uint smer);
};
