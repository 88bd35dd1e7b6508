#include "db/dbsettings.h"

#include "core/globals.h"

#include <QSettings>

QVariant DbSettings::value(const QString &key, const QVariant &defaultValue)
{
    return QSettings(ZepFiles::settingsFile, QSettings::IniFormat).value(key, defaultValue);
}
