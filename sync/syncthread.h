#pragma once

#include "sync/uploadbackoff.h"

#include <QSet>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

class DataDBManager;
struct EntranceData;

// Background sweep that hands unconfirmed entrances, one at a time, to the entrance uploader.
class SyncThread : public QThread
{
    Q_OBJECT
public:
    // Entrances the back-off holds are skipped.
    SyncThread(DataDBManager *db, UploadBackoff *backoff, QObject *parent = nullptr);

    // Clears the stop flag and starts one sweep (no-op while a sweep runs).
    void startSweep(QThread::Priority priority = QThread::LowPriority);
    // Asks a running sweep to stop before its next entrance; safe from any thread.
    void doTerminate();

    // Pause after each entrance handed on, so that a backlog does not flood the server.
    void setPauseMs(int ms) { mPauseMs = ms; }
    int pauseMs() const { return mPauseMs; }

signals:
    void syncBegin(QString typ);
    void syncEnd(QString typ, int uprav, int chyb);
    void sigZapisPrerusenie(uint aPid,
                            uint aSmer,
                            uint aDochId,
                            uint aRefId,
                            QString imgPath = QString(),
                            uint localPid = 0,
                            uint time = 0);

protected:
    void run() override;

private:
    bool terminated() const { return mTerminate.load(); }
    // Waits the pause, or less when the sweep is told to stop.
    void pause();
    void giveUp(uint id);
    // Entrances whose person cannot be resolved stay unsent; each is reported once.
    void reportWithoutPerson(const EntranceData &entrance);

    DataDBManager *mDb;
    std::atomic<bool> mTerminate { false };
    std::atomic<int> mPauseMs { 500 };
    std::mutex mPauseMutex;
    std::condition_variable mPauseWake;
    UploadBackoff *mBackoff;
    // Used by the sweep only; one sweep runs at a time.
    QSet<uint> mReportedWithoutPerson;
};
