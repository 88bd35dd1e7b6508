#include "foundation/secondstamp.h"

#include <QDateTime>

SecondStamp::SecondStamp(const QString &format)
    : mFormat(format)
{
}

QString SecondStamp::now()
{
    const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
    std::lock_guard<std::mutex> lock(mMutex);
    if (second != mSecond) {
        mSecond = second;
        mText = QDateTime::fromMSecsSinceEpoch(second * 1000).toString(mFormat);
    }
    return mText;
}
