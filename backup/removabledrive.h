#pragma once

#include <QString>

class QSettings;

// The removable drive, "usb/mountPoint" (default "/udisk"), and the folder copied
// onto it: "usb/backupPath" when it is set, otherwise the backup tree the
// terminal writes ("global/backup", default "backup").
namespace RemovableDrive {
QString mountPoint(QSettings &settings);
QString backupPath(QSettings &settings);
} // namespace RemovableDrive
