#pragma once

#include "core/dutyschedule.h"
#include "sync/serverstate.h"

#include <QList>
#include <QObject>

class Cron;
class ZEPSettings;

// Runs the periodic duties on the scheduler's ticks: what is due at a second,
// minute or hour is announced by a signal that the controller wires to the
// component doing it. User activity in a watched window pauses the ticks and
// the background work; the screen saver coming up resumes them.
class DutyRunner : public QObject
{
    Q_OBJECT
public:
    explicit DutyRunner(ZEPSettings *settings, QObject *parent = nullptr);

    // Creates the tick (stopped until now) and starts it.
    void start();
    Cron *cron() const { return mCron; }
    // Every pointer and key event of the object counts as user activity.
    void watchUserActivity(QObject *window);

    bool isNetworking() const { return mNetworking; }
    void setNetworking(bool networking) { mNetworking = networking; }
    // Rereads the periods.
    void reloadSchedule();
    const DutySchedule &schedule() const { return mSchedule; }

    ServerState serverState() const { return mServerState; }
    // A drop of the state stops the background work.
    void setServerState(ServerState state);

    // The current CPU load: the mean of the samples at the last flushUsagesCPU().
    uint cpuAverage() const { return mCpuAverage; }
    // A CPU usage figure, kept for the next average.
    void addCpuSample(uint percent);

public slots:
    void onCronSec(uint cnt);
    void onCronMin(uint cnt);
    void onCronHour(uint cnt);
    void pauseCron();
    void sSaverLevelChanged(int level);
    void restoreScreenSaver();
    // Stores the mean of the samples as the current load; false (the load unchanged)
    // without samples.
    bool flushUsagesCPU();

signals:
    void orvelUpdateDue();
    void serverSyncDue();
    void applierSyncDue();
    void clockCorrectionDue();
    void hwInfoRefreshDue();
    void backupDue();
    // A minute of the tick, which only runs while nobody uses the terminal.
    void idleMinute();
    void maintenanceDue();
    void stopBackgroundActivity();
    void screenSaverLevelChanged(int level);
    // flushUsagesCPU() stored a new mean.
    void cpuAverageChanged(uint percent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Cron *mCron = nullptr;
    DutySchedule mSchedule;
    bool mNetworking = true;
    ZEPSettings *mSettings;
    ServerState mServerState = ServerDisabled;
    int mScreenSaverLevel = 0;
    QList<uint> mCpuSamples;
    uint mCpuAverage = 0;
};
