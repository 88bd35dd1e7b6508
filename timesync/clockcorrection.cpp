#include "timesync/clockcorrection.h"

#include "core/foundation/commandrunner.h"
#include "core/foundation/globals.h"
#include "core/foundation/zepsettings.h"
#include "timesync/ntphclient.h"

#include <QDateTime>
#include <QDebug>
#include <QTimer>

namespace {
const int bootDelayMs = 10000;
const int deadBandMs = 499;
const quint8 maxRetries = 3;
} // namespace

ClockCorrection::ClockCorrection(ZEPSettings *settings,
                                 const FileLog &applicationLog,
                                 QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mLog(applicationLog)
    , mNow(&QDateTime::currentMSecsSinceEpoch)
{
}

void ClockCorrection::start()
{
    if (mClient || !mSettings->value(QStringLiteral("time/useNTPH"), true).toBool())
        return;
    mLog.loguj("Inicializujem NtphClient...");
    mClient = new NtphClient(quint8(Zep::debugLevel), this);
    connect(mClient, &NtphClient::currentOffsetMs, this, &ClockCorrection::currentNtphOffset);
    if (mSettings->value(QStringLiteral("time/ntpOnBoot"), true).toBool())
        QTimer::singleShot(bootDelayMs, this, &ClockCorrection::getNtphOffset);
}

void ClockCorrection::updateTimeNTP()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::updateTimeNTP()");
    if (mSettings->value(QStringLiteral("global/networking"), true).toBool()
        && mSettings->value(QStringLiteral("time/useNTPH"), true).toBool())
        getNtphOffset();
}

void ClockCorrection::getNtphOffset()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::getNtphOffset()");
    if (!mClient) {
        qWarning("NTPH Client not initialized!");
        return;
    }
    const quint16 port = quint16(mSettings->value(QStringLiteral("serverKLD/port"), 88).toUInt());
    const QString host
        = mSettings->value(QStringLiteral("serverKLD/ip"), QStringLiteral("0.0.0.0")).toString();
    mClient->getOffset(host, port);
}

void ClockCorrection::currentNtphOffset(int offset, bool validResult)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::currentNtphOffset(" << offset << validResult << ")";
    if (!validResult) {
        if (mRetries < maxRetries) {
            ++mRetries;
            getNtphOffset();
        } else {
            mRetries = 0;
        }
        return;
    }
    // A valid answer ends a row of failures.
    mRetries = 0;
    if (offset >= -deadBandMs && offset <= deadBandMs)
        return;
    // Two masters of one clock fight each other: leave it to the system's time service.
    if (clockKeptBySystem()) {
        mLog.loguj(
            QStringLiteral("NTPH offset %1 ms: clock kept by the system time service").arg(offset));
        return;
    }
    // The date text carries whole seconds: set it when the corrected clock reaches one,
    // so that no fraction of a second is lost.
    const qint64 corrected = mNow() + offset;
    const qint64 untilWholeSecond = (1000 - ((corrected % 1000) + 1000) % 1000) % 1000;
    QTimer::singleShot(int(untilWholeSecond), Qt::PreciseTimer, this, [this, offset] {
        setCorrectedTime(offset);
    });
}

void ClockCorrection::setCorrectedTime(int offset)
{
    const qint64 corrected = mNow() + offset;
    const qint64 nearestSecond = (corrected + 500) / 1000 * 1000;
    const int result = setSystemDate(
        QDateTime::fromMSecsSinceEpoch(nearestSecond).toString(QStringLiteral("yyyyMMddhhmm.ss")));
    if (result != 0)
        qWarning() << "Set system date FAILED with error:" << result;
}

int ClockCorrection::setSystemDate(const QString &newDate)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::setSystemDate(" << newDate << ")";
    const QString format
        = newDate.size() < 13 ? QStringLiteral("yyyyMMddhhmm") : QStringLiteral("yyyyMMddhhmm.ss");
    const QDateTime parsed = QDateTime::fromString(newDate, format);
    if (!parsed.isValid())
        return -1;
    // Date and time together: a correction across midnight must not lose or gain a day.
    const QString dateTime = parsed.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    qDebug() << "new time:" << dateTime;
    return CommandRunner::instance()->run(QStringLiteral("date"),
                                          { QStringLiteral("-s"), dateTime });
}

bool ClockCorrection::clockKeptBySystem() const
{
    QByteArray answer;
    const int status
        = CommandRunner::instance()->capture(QStringLiteral("timedatectl"),
                                             { QStringLiteral("show"),
                                               QStringLiteral("--property=NTPSynchronized"),
                                               QStringLiteral("--value") },
                                             answer,
                                             5000);
    return status == 0 && answer.trimmed() == "yes";
}
