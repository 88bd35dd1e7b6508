#include "backup/drivemount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

DriveMount::~DriveMount() = default;

bool DriveMount::deviceOf(const QString &path, quint64 *device) const
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    *device = quint64(status.st_dev);
    return true;
}

bool DriveMount::isMounted(const QString &mountPoint) const
{
    const QString folder = QDir(mountPoint).absolutePath();
    quint64 drive = 0;
    quint64 parent = 0;
    quint64 working = 0;
    // A mount point's filesystem differs from its parent folder's.
    return QFileInfo(folder).isDir() && deviceOf(folder, &drive)
        && deviceOf(QFileInfo(folder).path(), &parent) && deviceOf(QDir::currentPath(), &working)
        && drive != parent && drive != working;
}
