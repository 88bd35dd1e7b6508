#include "foundation/disksync.h"

#include <QDebug>
#include <QFileDevice>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

DiskSync::~DiskSync() = default;

bool DiskSync::syncFile(QFileDevice &file)
{
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        qCritical() << "DiskSync: cannot sync" << file.fileName();
        return false;
    }
    return true;
}

bool DiskSync::syncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        qCritical() << "DiskSync: cannot sync the folder of" << path;
    return synced;
}
