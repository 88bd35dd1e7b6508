#pragma once

#include "core/foundation/filelog.h"

// The interruption log: each recorded entrance as one line that carries its own time,
// on the disk when loguj() returns.
class PrerusLog : public FileLog
{
public:
    explicit PrerusLog(const QString &fileName);

    // False when the line did not reach the file.
    bool loguj(const QString &line);
};
