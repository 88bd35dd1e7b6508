#include "db/dbsettings.h"

#include "foundation/globals.h"

#include <QSettings>

QVariant DbSettings::value(const QString &key, const QVariant &defaultValue)
{
    // A settings object of its own: the process-wide one belongs to the main
    // thread, and the database is also read from worker threads. Objects on one
    // file share its cached contents.
    return QSettings(ZepFiles::settingsFile, QSettings::IniFormat).value(key, defaultValue);
}
