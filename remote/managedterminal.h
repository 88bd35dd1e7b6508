#pragma once

#include "db/termdata.h"

#include <QString>

// The terminal as remote management changes it: its record, its settings file as
// text, its CPU figures and its restart. The controller implements it.
class ManagedTerminal
{
public:
    virtual ~ManagedTerminal() = default;

    virtual TermData &terminalRecord() = 0;
    // Stores the record and hands it to its users; false when it was not stored.
    virtual bool saveData() = 0;
    virtual QString loadIni(bool sync) = 0;
    virtual bool saveIni(const QString &text) = 0;
    virtual int getProxyState() const = 0;
    virtual void addCpuSample(uint percent) = 0;
    virtual void flushUsagesCPU() = 0;
    // False when the new instance could not be started.
    virtual bool doReboot(const QString &reason) = 0;
};
