#pragma once

#include "devserver/serverconfig.h"

#include <QJsonObject>
#include <QString>

class DevCatalogue;

// The JSON seed file: server settings, and the people, interruption types, time zones
// and zone links a new server database starts with.
class DevSeed
{
public:
    bool load(const QString &fileName, QString &error);

    ServerConfig config() const;
    bool importInto(DevCatalogue &catalogue) const;

private:
    QJsonObject mSeed;
};
