#include "devices/systemsampler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

QByteArray readProcFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    // Files of /proc report no size: read until the end.
    return file.readAll();
}

uint megabytes(qint64 bytes)
{
    return uint(qMax<qint64>(bytes, 0) / (1024 * 1024));
}

} // namespace

SystemSampler::SystemSampler(const QString &drivePath)
    : mDrivePath(drivePath)
{
}

QList<SystemSampler::Sample> SystemSampler::sample()
{
    const CpuTimes cpu = cpuTimes(readProcFile(QStringLiteral("/proc/stat")));
    const Sample cpuSample = cpuUsage(mCpu, cpu);
    mCpu = cpu;
    return { cpuSample,
             memoryUsage(readProcFile(QStringLiteral("/proc/meminfo"))),
             storageUsage(QStringLiteral("HDD"), QDir::currentPath(), false),
             storageUsage(QStringLiteral("SDC"), mDrivePath, true) };
}

SystemSampler::CpuTimes SystemSampler::cpuTimes(const QByteArray &stat)
{
    CpuTimes times;
    for (const QByteArray &line : stat.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.value(0) != "cpu")
            continue;
        // user nice system idle iowait irq softirq steal (guest time is in user).
        for (int i = 1; i < fields.size() && i <= 8; ++i) {
            const quint64 value = fields.at(i).toULongLong();
            times.total += value;
            if (i != 4 && i != 5)
                times.busy += value;
        }
        break;
    }
    return times;
}

SystemSampler::Sample SystemSampler::cpuUsage(const CpuTimes &previous, const CpuTimes &current)
{
    Sample sample { QStringLiteral("CPU"), 1000, 0 };
    const bool counted = current.total > previous.total && current.busy >= previous.busy;
    const quint64 total = counted ? current.total - previous.total : current.total;
    const quint64 busy = counted ? current.busy - previous.busy : current.busy;
    if (total == 0)
        sample.total = 0;
    else
        sample.used = uint(qMin<quint64>(busy, total) * 1000 / total);
    return sample;
}

SystemSampler::Sample SystemSampler::memoryUsage(const QByteArray &meminfo)
{
    quint64 total = 0;
    quint64 available = 0;
    for (const QByteArray &line : meminfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        if (fields.at(0) == "MemTotal:")
            total = fields.at(1).toULongLong();
        else if (fields.at(0) == "MemAvailable:")
            available = fields.at(1).toULongLong();
    }
    Sample sample { QStringLiteral("RAM"), uint(total), 0 };
    if (available <= total)
        sample.used = uint(total - available);
    return sample;
}

// With mountPointOnly the path counts only where a file system is mounted on
// it: an empty mount-point folder belongs to the terminal's own disk.
SystemSampler::Sample
SystemSampler::storageUsage(const QString &name, const QString &path, bool mountPointOnly)
{
    Sample sample { name, 0, 0 };
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return sample;
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady())
        return sample;
    if (mountPointOnly
        && QFileInfo(storage.rootPath()).canonicalFilePath() != QFileInfo(path).canonicalFilePath())
        return sample;
    sample.total = megabytes(storage.bytesTotal());
    sample.used = megabytes(storage.bytesTotal() - storage.bytesAvailable());
    return sample;
}
