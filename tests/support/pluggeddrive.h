#pragma once

#include "backup/drivemount.h"

#include <QString>

#include <atomic>

// Makes a plain folder pass for a mounted drive while plugged in (a device id of its
// own); pulled out, it is the folder of the disk it lies on again. Installed as
// the process-wide DriveMount for the lifetime of the object.
class PluggedDrive : public DriveMount
{
public:
    explicit PluggedDrive(const QString &folder);
    ~PluggedDrive() override;

    void pullOut() { mPlugged = false; }
    bool deviceOf(const QString &path, quint64 *device) const override;

private:
    QString mFolder;
    std::atomic<bool> mPlugged { true };
};
