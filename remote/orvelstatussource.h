#pragma once

#include "db/termdata.h"

#include <QString>

// What the remote-management client reports: the terminal as the controller holds it.
class OrvelStatusSource
{
public:
    virtual ~OrvelStatusSource() = default;

    virtual const TermData &terminalRecord() const = 0;
    // The attendance-server state code (signed).
    virtual int proxyState() const = 0;
    // The queued configuration changes as "ts:field:data|..."; may be empty.
    virtual QString getSyncItems() = 0;
    // Averages the CPU samples into the record before a report.
    virtual void flushUsagesCPU() = 0;
};
