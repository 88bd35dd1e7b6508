#include "core/hardwareinfo.h"

#include "core/dutyrunner.h"
#include "core/terminalrecord.h"
#include "devices/informator.h"

#include <QDateTime>
#include <QLocale>

HardwareInfo::HardwareInfo(const TerminalRecord *terminal, const DutyRunner *duties)
    : mTerminal(terminal)
    , mDuties(duties)
{
}

QString HardwareInfo::value(const QString &key) const
{
    if (key == QLatin1String("tid"))
        return QString::number(mTerminal->data().tid);
    const auto usage = [this](const char *name) {
        return QString::number(mInformator ? mInformator->usage(QLatin1String(name)) : 0);
    };
    if (key == QLatin1String("cpu"))
        return QString::number(mDuties->cpuAverage());
    if (key == QLatin1String("ram"))
        return usage("RAM");
    if (key == QLatin1String("hdd"))
        return usage("HDD");
    // Totals in MB (the sampler counts memory in kB).
    const auto total = [this](const char *name) {
        return mInformator ? mInformator->total(QLatin1String(name)) : 0;
    };
    if (key == QLatin1String("ramTotal"))
        return QString::number(total("RAM") / 1024);
    if (key == QLatin1String("hddTotal"))
        return QString::number(total("HDD"));
    // The application's start, as the terminal record reports it.
    if (key == QLatin1String("btime"))
        return QLocale().toString(QDateTime::fromSecsSinceEpoch(mTerminal->data().btime),
                                  QLocale::ShortFormat);
    return QString();
}
