#include "backup/removabledrive.h"

#include <QSettings>

namespace RemovableDrive {

QString mountPoint(QSettings &settings)
{
    return settings.value(QStringLiteral("usb/mountPoint"), QStringLiteral("/udisk")).toString();
}

QString backupPath(QSettings &settings)
{
    return settings.value(QStringLiteral("usb/backupPath"), QStringLiteral("/sdcard/backup"))
        .toString();
}

} // namespace RemovableDrive
