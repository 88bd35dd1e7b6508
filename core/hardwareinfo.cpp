#include "core/hardwareinfo.h"

#include "core/terminalrecord.h"
#include "devices/informator.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace {

// Boot time of the machine from the kernel's statistics; invalid when unknown.
QDateTime bootTime()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly | QIODevice::Text))
        return QDateTime();
    while (!stat.atEnd()) {
        const QByteArray line = stat.readLine().trimmed();
        if (line.startsWith("btime "))
            return QDateTime::fromSecsSinceEpoch(line.mid(6).toLongLong());
    }
    return QDateTime();
}

} // namespace

HardwareInfo::HardwareInfo(const TerminalRecord *terminal)
    : mTerminal(terminal)
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
        return usage("CPU");
    if (key == QLatin1String("ram"))
        return usage("RAM");
    if (key == QLatin1String("hdd"))
        return usage("HDD");
    if (key == QLatin1String("btime"))
        return QLocale().toString(bootTime(), QLocale::ShortFormat);
    return QString();
}
