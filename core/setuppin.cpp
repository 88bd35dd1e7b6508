#include "core/setuppin.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSettings>

namespace {

const QString organization = QStringLiteral("VELNIK");
const QString application = QStringLiteral("ZEP");
const QString pinKey = QStringLiteral("setup");
// Marks a PIN stored as text; without it the stored value is an earlier number.
const QString formatKey = QStringLiteral("setupFormat");
const QString textFormat = QStringLiteral("text");

QSettings nativeSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

qint64 monotonicMsecs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

SetupPin::SetupPin(QObject *parent)
    : QObject(parent)
    , mNow(&monotonicMsecs)
{
}

bool SetupPin::isSet() const
{
    return nativeSettings().value(pinKey, false).toBool();
}

bool SetupPin::verify(const QString &entered)
{
    if (secondsLocked() > 0) {
        qWarning("SetupPin: entry refused, locked for %d s", secondsLocked());
        return false;
    }
    if (matches(entered)) {
        mFailures = 0;
        mLocks = 0;
        return true;
    }
    countFailure();
    return false;
}

int SetupPin::secondsLocked() const
{
    const qint64 left = mLockedUntil - mNow();
    return left > 0 ? int((left + 999) / 1000) : 0;
}

bool SetupPin::save(const QString &pin)
{
    if (!isAcceptable(pin))
        return false;
    QSettings native = nativeSettings();
    native.setValue(pinKey, pin);
    native.setValue(formatKey, textFormat);
    native.sync();
    emit isSetChanged();
    return native.status() == QSettings::NoError;
}

bool SetupPin::isAcceptable(const QString &pin) const
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,%1}$").arg(maximumLength));
    return digits.match(pin).hasMatch() && pin.count(QLatin1Char('0')) != pin.size();
}

bool SetupPin::matches(const QString &entered) const
{
    const QSettings native = nativeSettings();
    if (native.contains(pinKey) && native.value(formatKey).toString() == textFormat)
        return native.value(pinKey).toString() == entered;
    bool isNumber = false;
    const uint number = entered.toUInt(&isNumber);
    return isNumber && native.value(pinKey, 0).toUInt() == number;
}

void SetupPin::countFailure()
{
    ++mFailures;
    qWarning("SetupPin: wrong setup PIN entered (%d in a row)", mFailures);
    if (mFailures < lockAfterFailures)
        return;
    const int seconds = qMin(longestLockSeconds, firstLockSeconds << qMin(mLocks, 7));
    ++mLocks;
    mFailures = 0;
    mLockedUntil = mNow() + qint64(seconds) * 1000;
    qWarning("SetupPin: administration locked for %d s", seconds);
}
