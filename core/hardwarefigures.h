#pragma once

#include <QObject>
#include <QString>

class DutyRunner;
class Informator;
class TerminalRecord;

// The terminal's figures as the system page shows them, announced when they change: the CPU
// load (the mean of the samples at the last report), the memory and disk use in percent as
// last sampled and their sizes in MB. value() gives them by key: "tid" (terminal id), "cpu",
// "ram", "hdd", "ramTotal", "hddTotal" and "btime" (the application's start, as the record
// reports it).
class HardwareFigures : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int cpu READ cpu NOTIFY changed)
    Q_PROPERTY(int ram READ ram NOTIFY changed)
    Q_PROPERTY(int hdd READ hdd NOTIFY changed)
    Q_PROPERTY(int ramTotal READ ramTotal NOTIFY changed)
    Q_PROPERTY(int hddTotal READ hddTotal NOTIFY changed)
public:
    HardwareFigures(const TerminalRecord *terminal,
                    const DutyRunner *duties,
                    QObject *parent = nullptr);

    // The sampler of the usage figures; until it is set they read 0.
    void setInformator(const Informator *informator);

    int cpu() const;
    int ram() const;
    int hdd() const;
    int ramTotal() const;
    int hddTotal() const;

    // The figure as text; an empty text for an unknown key.
    QString value(const QString &key) const;

signals:
    void changed();

private:
    uint usage(const char *name) const;
    uint total(const char *name) const;

    const TerminalRecord *mTerminal;
    const DutyRunner *mDuties;
    const Informator *mInformator = nullptr;
};
