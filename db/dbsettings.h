#pragma once

#include <QString>
#include <QVariant>

// Reads a setting of "zep.ini" for the database managers.
class DbSettings
{
public:
    static QVariant value(const QString &key, const QVariant &defaultValue);
};
