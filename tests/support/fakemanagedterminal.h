#pragma once

#include "remote/managedterminal.h"

#include <QStringList>

// A terminal for remote-management tests: the record and the settings text live in
// memory, the settings file is written for real; saves and restarts are counted.
class FakeManagedTerminal : public ManagedTerminal
{
public:
    explicit FakeManagedTerminal(const QString &settingsFile);

    TermData &terminalRecord() override { return record; }
    bool saveData() override;
    QString loadIni(bool sync) override;
    bool saveIni(const QString &text) override;
    int getProxyState() const override { return 4; }
    void addCpuSample(uint percent) override { cpuSamples << percent; }
    void flushUsagesCPU() override { ++flushes; }
    bool doReboot(const QString &reason) override
    {
        reboots << reason;
        return true;
    }

    TermData record;
    bool saveSucceeds = true;
    int saves = 0;
    int flushes = 0;
    QList<uint> cpuSamples;
    QStringList reboots;

private:
    QString mSettingsFile;
};
