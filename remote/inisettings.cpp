#include "remote/inisettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

bool isIniSettings(const QString &text)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    const QString fileName = dir.filePath(QStringLiteral("check.ini"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toLatin1()) != text.size())
        return false;
    file.close();
    const QSettings settings(fileName, QSettings::IniFormat);
    return settings.status() == QSettings::NoError && !settings.allKeys().isEmpty();
}
