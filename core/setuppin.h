#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The PIN in front of the administration, kept as text (leading zeros count) in
// the platform's native settings, not in "zep.ini". A PIN stored as a number by
// earlier versions still verifies. After lockAfterFailures wrong entries in a row
// the gate stays shut, longer after each further lock; every wrong entry is logged.
class SetupPin : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSet READ isSet NOTIFY isSetChanged)
public:
    using Clock = std::function<qint64()>;

    static constexpr int lockAfterFailures = 3;
    static constexpr int firstLockSeconds = 30;
    static constexpr int longestLockSeconds = 3600;
    static constexpr int maximumLength = 9;

    explicit SetupPin(QObject *parent = nullptr);

    // Replaces the source of the monotonic time in milliseconds (for tests).
    void setClock(Clock msecs) { mNow = std::move(msecs); }

    bool isSet() const;
    // Whether entered is the stored PIN; false without comparing while locked.
    Q_INVOKABLE bool verify(const QString &entered);
    // Seconds until the next entry is compared again (0 = not locked).
    Q_INVOKABLE int secondsLocked() const;
    // Stores 1 to maximumLength digits, not all zeros; false when refused or not written.
    Q_INVOKABLE bool save(const QString &pin);
    // A new PIN must have digits only and not only zeros (those leave the gate open).
    Q_INVOKABLE bool isAcceptable(const QString &pin) const;

signals:
    void isSetChanged();

private:
    bool matches(const QString &entered) const;
    void countFailure();

    Clock mNow;
    int mFailures = 0;
    int mLocks = 0;
    qint64 mLockedUntil = 0;
};
