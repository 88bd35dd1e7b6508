#include "db/dbsettings.h"

#include "core/globals.h"
#include "core/zepsettings.h"

#include <QSettings>

QVariant DbSettings::value(const QString &key, const QVariant &defaultValue)
{
    // A settings object of its own: the process-wide one belongs to the main
    // thread, and the database is also read from worker threads. Objects on one
    // file share its cached contents.
    const QString file = Zep::settings ? Zep::settings->fileName() : ZepFiles::settingsFile;
    return QSettings(file, QSettings::IniFormat).value(key, defaultValue);
}
