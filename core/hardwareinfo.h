#pragma once

#include <QString>

class DutyRunner;
class Informator;
class TerminalRecord;

// The figures the system page asks for by key: "tid" (terminal id), "cpu" (the
// mean of the CPU samples at the last report), "ramTotal", "hddTotal" (in MB), "ram", "hdd" (usage
// in percent as last sampled) and "btime" (the application's start, as the record reports it).
class HardwareInfo
{
public:
    HardwareInfo(const TerminalRecord *terminal, const DutyRunner *duties);

    // The sampler of the usage figures; until it is set they read 0.
    void setInformator(const Informator *informator) { mInformator = informator; }

    // The figure as text; an empty text for an unknown key.
    QString value(const QString &key) const;

private:
    const TerminalRecord *mTerminal;
    const DutyRunner *mDuties;
    const Informator *mInformator = nullptr;
};
