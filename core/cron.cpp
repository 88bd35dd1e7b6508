#include "core/cron.h"

#include "foundation/globals.h"

#include <QDebug>
#include <QTimer>

Cron::Cron(bool autoStart, QObject *parent)
    : QObject(parent)
    , mTimer(new QTimer(this))
{
    mTimer->setInterval(mInterval);
    connect(mTimer, &QTimer::timeout, this, &Cron::doTimeout);
    if (autoStart)
        start();
}

bool Cron::isActive() const
{
    return mTimer->isActive();
}

void Cron::setTimeout(int tout)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Cron::setTimeout(" << tout << ")";
    mInterval = tout;
    mTimer->setInterval(mInterval);
}

void Cron::start()
{
    if (Zep::debugLevel != 0)
        qDebug() << "Cron::start() interval=" << mInterval;
    mTimer->start();
}

void Cron::stop()
{
    if (Zep::debugLevel != 0)
        qDebug() << "Cron::stop()";
    mTimer->stop();
}

void Cron::doTimeout()
{
    ++mSeconds;
    if (Zep::debugLevel > 2)
        qDebug() << "Cron::doTimeout():" << mSeconds;
    emit timeout1(mSeconds);

    const struct
    {
        uint period;
        uint *count;
        void (Cron::*signal)(uint);
    } ticks[] = {
        { 5, &mCount5, &Cron::timeout5 },    { 10, &mCount10, &Cron::timeout10 },
        { 15, &mCount15, &Cron::timeout15 }, { 30, &mCount30, &Cron::timeout30 },
        { 60, &mCount60, &Cron::timeout60 }, { 3600, &mCount3600, &Cron::timeout3600 },
    };
    for (const auto &tick : ticks) {
        if (mSeconds % tick.period == 0)
            emit(this->*tick.signal)(++*tick.count);
    }
}
