#include "timesync/clockcorrection.h"

#include "foundation/clock.h"
#include "foundation/commandrunner.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "timesync/ntphclient.h"

#include <QDateTime>
#include <QDebug>
#include <QTimer>

namespace {
const int bootDelayMs = 10000;
const int deadBandMs = 499;
const quint8 maxRetries = 3;
// Two measurements of a large step agree when they are this close.
const qint64 stepAgreementMs = 1000;
} // namespace

ClockCorrection::ClockCorrection(ZEPSettings *settings,
                                 const FileLog &applicationLog,
                                 QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mLog(applicationLog)
{
}

void ClockCorrection::start()
{
    if (mClient || !mSettings->value(Setting::useNtph).toBool())
        return;
    mLog.loguj("Inicializujem NtphClient...");
    mClient = new NtphClient(quint8(Zep::debugLevel), this);
    connect(mClient, &NtphClient::currentOffsetMs, this, &ClockCorrection::currentNtphOffset);
    if (mSettings->value(Setting::ntpOnBoot).toBool())
        QTimer::singleShot(bootDelayMs, this, &ClockCorrection::getNtphOffset);
}

void ClockCorrection::updateTimeNTP()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::updateTimeNTP()");
    if (mSettings->value(Setting::networking).toBool()
        && mSettings->value(Setting::useNtph).toBool())
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
    const quint16 port = quint16(mSettings->value(Setting::timeOffsetPort).toUInt());
    const QString host
        = mSettings->value(Setting::serverHost).toString();
    // Without a server the requests would go to this machine itself.
    if (host.isEmpty() || host == QLatin1String("0.0.0.0"))
        return;
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
    if (offset >= -deadBandMs && offset <= deadBandMs) {
        mStepToConfirm.reset();
        return;
    }
    // Two masters of one clock fight each other: leave it to the system's time service.
    if (clockKeptBySystem()) {
        mLog.loguj(
            QStringLiteral("NTPH offset %1 ms: clock kept by the system time service").arg(offset));
        return;
    }
    if (!confirmedStep(offset))
        return;
    // The command takes whole seconds: set it when the corrected clock reaches one,
    // so that no fraction of a second is lost.
    const qint64 corrected = Clock::instance()->msSinceEpoch() + offset;
    const qint64 untilWholeSecond = (1000 - ((corrected % 1000) + 1000) % 1000) % 1000;
    QTimer::singleShot(int(untilWholeSecond), Qt::PreciseTimer, this, [this, offset] {
        setCorrectedTime(offset);
    });
}

bool ClockCorrection::confirmedStep(int offset)
{
    const qint64 maxStepMs
        = mSettings->value(Setting::maxClockStep).toLongLong() * 1000;
    if (qAbs(qint64(offset)) <= maxStepMs) {
        mStepToConfirm.reset();
        return true;
    }
    if (!mStepToConfirm) {
        // One series of replies may lie or be broken: a large step needs a second opinion.
        mStepToConfirm = offset;
        const int delaySecs
            = mSettings->value(Setting::clockStepConfirmDelay).toInt();
        mLog.loguj(QStringLiteral("NTPH offset %1 ms beyond the step limit: measuring again in "
                                  "%2 s")
                       .arg(offset)
                       .arg(delaySecs));
        QTimer::singleShot(delaySecs * 1000, this, &ClockCorrection::getNtphOffset);
        return false;
    }
    const int first = *mStepToConfirm;
    mStepToConfirm.reset();
    if (qAbs(qint64(offset) - first) > stepAgreementMs) {
        mLog.loguj(QStringLiteral("NTPH offsets %1 ms and %2 ms disagree: clock left alone")
                       .arg(first)
                       .arg(offset));
        return false;
    }
    mLog.loguj(
        QStringLiteral("NTPH offsets %1 ms and %2 ms agree: clock stepped").arg(first).arg(offset));
    return true;
}

void ClockCorrection::setCorrectedTime(int offset)
{
    const qint64 corrected = Clock::instance()->msSinceEpoch() + offset;
    const qint64 nearestSecond = (corrected + 500) / 1000;
    const int result = setSystemClock(nearestSecond);
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
    return setSystemClock(parsed.toSecsSinceEpoch());
}

int ClockCorrection::setSystemClock(qint64 secsSinceEpoch)
{
    // In UTC: a local time of day is ambiguous in the hour that autumn repeats.
    const QString time = QStringLiteral("@%1").arg(secsSinceEpoch);
    qDebug() << "new time:" << time;
    return CommandRunner::instance()->run(QStringLiteral("date"),
                                          { QStringLiteral("-u"), QStringLiteral("-s"), time });
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
