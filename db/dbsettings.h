#pragma once

#include "foundation/settingkeys.h"

#include <QVariant>

// Reads a setting of "zep.ini" for the database managers.
class DbSettings
{
public:
    static QVariant value(const SettingKey &key);
};
