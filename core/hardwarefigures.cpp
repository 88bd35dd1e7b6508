#include "core/hardwarefigures.h"

#include "core/dutyrunner.h"
#include "core/terminalrecord.h"
#include "devices/informator.h"

#include <QDateTime>
#include <QLocale>

HardwareFigures::HardwareFigures(const TerminalRecord *terminal,
                                 const DutyRunner *duties,
                                 QObject *parent)
    : QObject(parent)
    , mTerminal(terminal)
    , mDuties(duties)
{
    connect(duties, &DutyRunner::cpuAverageChanged, this, &HardwareFigures::changed);
}

void HardwareFigures::setInformator(const Informator *informator)
{
    mInformator = informator;
    connect(informator, &Informator::usageChanged, this, &HardwareFigures::changed);
    connect(informator, &Informator::totalChanged, this, &HardwareFigures::changed);
}

uint HardwareFigures::usage(const char *name) const
{
    return mInformator ? mInformator->usage(QLatin1String(name)) : 0;
}

uint HardwareFigures::total(const char *name) const
{
    return mInformator ? mInformator->total(QLatin1String(name)) : 0;
}

int HardwareFigures::cpu() const
{
    return int(mDuties->cpuAverage());
}

int HardwareFigures::ram() const
{
    return int(usage("RAM"));
}

int HardwareFigures::hdd() const
{
    return int(usage("HDD"));
}

// The sampler counts memory in kB.
int HardwareFigures::ramTotal() const
{
    return int(total("RAM") / 1024);
}

int HardwareFigures::hddTotal() const
{
    return int(total("HDD"));
}

QString HardwareFigures::value(const QString &key) const
{
    if (key == QLatin1String("tid"))
        return QString::number(mTerminal->data().tid);
    if (key == QLatin1String("cpu"))
        return QString::number(cpu());
    if (key == QLatin1String("ram"))
        return QString::number(ram());
    if (key == QLatin1String("hdd"))
        return QString::number(hdd());
    if (key == QLatin1String("ramTotal"))
        return QString::number(ramTotal());
    if (key == QLatin1String("hddTotal"))
        return QString::number(hddTotal());
    // The application's start, as the terminal record reports it.
    if (key == QLatin1String("btime"))
        return QLocale().toString(QDateTime::fromSecsSinceEpoch(mTerminal->data().btime),
                                  QLocale::ShortFormat);
    return QString();
}
