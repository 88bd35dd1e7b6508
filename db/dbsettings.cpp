#include "db/dbsettings.h"

#include "foundation/globals.h"

#include <QSettings>

QVariant DbSettings::value(const SettingKey &key)
{
    // A settings object of its own: the process-wide one belongs to the main
    // thread, and the database is also read from worker threads. Objects on one
    // file share its cached contents.
    return readSetting(QSettings(ZepFiles::settingsFile, QSettings::IniFormat), key);
}
