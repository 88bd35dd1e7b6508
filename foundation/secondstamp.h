#pragma once

#include <QString>

#include <limits>
#include <mutex>

// The local time as text in one format, worked out once per second: converting
// to local time costs microseconds, and the logs write many lines in a second.
// Any thread may ask.
class SecondStamp
{
public:
    explicit SecondStamp(const QString &format);

    QString now();

private:
    const QString mFormat;
    std::mutex mMutex;
    qint64 mSecond = std::numeric_limits<qint64>::min();
    QString mText;
};
