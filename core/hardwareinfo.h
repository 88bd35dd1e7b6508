#pragma once

#include <QString>

class Informator;
class TerminalRecord;

// The figures the system page asks for by key: "tid" (terminal id), "cpu",
// "ram", "hdd" (usage in percent as last sampled) and "btime" (boot time).
class HardwareInfo
{
public:
    explicit HardwareInfo(const TerminalRecord *terminal);

    // The sampler of the usage figures; until it is set they read 0.
    void setInformator(const Informator *informator) { mInformator = informator; }

    // The figure as text; an empty text for an unknown key.
    QString value(const QString &key) const;

private:
    const TerminalRecord *mTerminal;
    const Informator *mInformator = nullptr;
};
