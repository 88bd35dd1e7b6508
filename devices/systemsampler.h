#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Samples the usage of the terminal's resources on Linux: "CPU" from
// /proc/stat (per mille since the previous sample), "RAM" from /proc/meminfo
// (kB), "HDD" the file system of the working folder (MB) and "SDC" the
// removable drive (MB; 0 of 0 when no drive is mounted there).
class SystemSampler
{
public:
    struct Sample
    {
        QString name;
        uint total = 0;
        uint used = 0;
    };
    struct CpuTimes
    {
        quint64 total = 0;
        quint64 busy = 0;
    };

    explicit SystemSampler(const QString &drivePath = QString());

    void setDrivePath(const QString &path) { mDrivePath = path; }
    QList<Sample> sample();

    // The first "cpu" line of /proc/stat; busy is all but idle and iowait.
    static CpuTimes cpuTimes(const QByteArray &stat);
    // Per mille of busy time between two readings.
    static Sample cpuUsage(const CpuTimes &previous, const CpuTimes &current);
    // MemTotal and MemTotal less MemAvailable, in kB.
    static Sample memoryUsage(const QByteArray &meminfo);

private:
    static Sample storageUsage(const QString &name, const QString &path, bool mountPointOnly);

    QString mDrivePath;
    CpuTimes mCpu;
};
