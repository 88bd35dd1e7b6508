#pragma once

#include <QMetaType>
#include <QString>

// One recorded entrance as loaded from the attendance database.
struct EntranceData
{
    uint id = 0;
    uint time = 0; // seconds since 1970-01-01 00:00 UTC
    uint pid = 0; // interruption type
    uint smer = 0; // direction chosen
    uint uid = 0; // local person id, 0 when the person was not identified
    QString karta;
    uint syn = 0; // 0 = not uploaded, otherwise the value stored on upload
    uint dochid = 0;
    uint backup = 0; // 1 = photo backed up
    uint refId = 0;
};

Q_DECLARE_METATYPE(EntranceData)
