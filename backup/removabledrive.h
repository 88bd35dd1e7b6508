#pragma once

#include <QString>

class QSettings;

// The removable drive and the folder copied onto it, from "usb/mountPoint"
// (default "/udisk") and "usb/backupPath" (default "/sdcard/backup").
namespace RemovableDrive {
QString mountPoint(QSettings &settings);
QString backupPath(QSettings &settings);
} // namespace RemovableDrive
