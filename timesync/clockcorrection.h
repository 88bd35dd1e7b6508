#pragma once

#include "foundation/filelog.h"

#include <QObject>
#include <QString>

#include <optional>

class NtphClient;
class ZEPSettings;

// Keeps the terminal's clock on the attendance server's time: asks NtphClient for the
// offset (once after start and on every hourly correction) and, when the clock is off by
// more than the dead band, sets the local date and time through the command runner.
class ClockCorrection : public QObject
{
    Q_OBJECT
public:
    ClockCorrection(ZEPSettings *settings,
                    const FileLog &applicationLog,
                    QObject *parent = nullptr);

    // With "time/useNTPH": creates the time-offset client and, with "time/ntpOnBoot",
    // asks for the offset once 10 s later.
    void start();
    NtphClient *client() const { return mClient; }

public slots:
    // The hourly correction: measures when networking and "time/useNTPH" are on.
    void updateTimeNTP();
    // Measures the offset to the attendance server; the answer comes to currentNtphOffset().
    void getNtphOffset();
    void currentNtphOffset(int offset, bool validResult);
    // Sets the local date and time from "yyyyMMddhhmm" or "yyyyMMddhhmm.ss"; returns 0 on
    // success, the command's status on failure and -1 for a text that is not a date.
    int setSystemDate(const QString &newDate);

private:
    bool clockKeptBySystem() const;
    // Whether the offset may be applied now. One beyond "time/maxStep" seconds is applied
    // only when a second measurement "time/stepConfirmDelay" seconds later agrees.
    bool confirmedStep(int offset);
    void setCorrectedTime(int offset);
    // Sets the system clock; 0 on success, else the command's status.
    int setSystemClock(qint64 secsSinceEpoch);

    ZEPSettings *mSettings;
    FileLog mLog;
    NtphClient *mClient = nullptr; // child; only with "time/useNTPH"
    quint8 mRetries = 0;
    std::optional<int> mStepToConfirm; // a large offset waiting for its second measurement
};
