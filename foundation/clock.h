#pragma once

#include "foundation/replaceableinstance.h"

#include <QDate>
#include <QDateTime>

// Where the terminal reads the current time. A test replaces the instance to run
// the code on a time of its own; the system clock otherwise.
class Clock : public ReplaceableInstance<Clock>
{
public:
    virtual ~Clock();

    // Milliseconds since 1970 UTC.
    virtual qint64 msSinceEpoch() const;
    qint64 secsSinceEpoch() const { return msSinceEpoch() / 1000; }
    // The same moment in local time.
    QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(msSinceEpoch()); }
    QDate today() const { return now().date(); }
};
