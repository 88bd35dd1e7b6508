#include "tests/support/pluggeddrive.h"

#include <QDir>

PluggedDrive::PluggedDrive(const QString &folder)
    : mFolder(QDir(folder).absolutePath())
{
    DriveMount::setInstance(this);
}

PluggedDrive::~PluggedDrive()
{
    DriveMount::setInstance(nullptr);
}

bool PluggedDrive::deviceOf(const QString &path, quint64 *device) const
{
    if (!DriveMount::deviceOf(path, device))
        return false;
    if (mPlugged && QDir(path).absolutePath() == mFolder)
        *device = ~*device;
    return true;
}
