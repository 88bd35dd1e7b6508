#include "backup/removabledrive.h"

#include "backup/backuptree.h"

#include <QSettings>

namespace RemovableDrive {

QString mountPoint(QSettings &settings)
{
    return settings.value(QStringLiteral("usb/mountPoint"), QStringLiteral("/udisk")).toString();
}

QString backupPath(QSettings &settings)
{
    const QString key = QStringLiteral("usb/backupPath");
    if (settings.contains(key))
        return settings.value(key).toString();
    return BackupTree::root(settings);
}

} // namespace RemovableDrive
