#include "backup/removabledrive.h"

#include "backup/backuptree.h"
#include "foundation/settingkeys.h"

#include <QSettings>

namespace RemovableDrive {

QString mountPoint(QSettings &settings)
{
    return readSetting(settings, Setting::usbMountPoint).toString();
}

QString backupPath(QSettings &settings)
{
    if (settings.contains(Setting::usbBackupPath.name))
        return readSetting(settings, Setting::usbBackupPath).toString();
    return BackupTree::root(settings);
}

} // namespace RemovableDrive
