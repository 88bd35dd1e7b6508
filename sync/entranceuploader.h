#pragma once

#include "sync/serverstate.h"
#include "sync/uploadbackoff.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

class DataDBManager;
class SyncThread;
class TulDbManager;
class ZEPSettings;

// An entrance's trip to the attendance server: the post right after it was recorded, the
// sweep of those still unsent (with the back-off of failed posts), the server's id written
// when the server confirms, and the deletions the server has to learn about. The requests
// themselves are the protocol's.
class EntranceUploader : public QObject
{
    Q_OBJECT
public:
    EntranceUploader(TulDbManager *protocol,
                     DataDBManager *db,
                     ZEPSettings *settings,
                     QObject *parent = nullptr);
    ~EntranceUploader() override;

    SyncThread *syncThread() const { return mSyncThread; }
    int entranceUploadsInFlight() const { return int(mInFlight.size()); }

signals:
    // Begin and end of a sweep ("prerus_history").
    void syncBegin(QString typ);
    void syncEnd(QString typ, int uprav, int chyb);
    // A post of the entrance ended without its confirmation; rejected: the server answered
    // that it refuses this request (a status or "err" of 400 to 499), not that it or the
    // way to it failed.
    void entranceUploadFailed(uint id, bool rejected);

public slots:
    // Posts a recorded entrance at once when the server is reachable.
    void addEntrance(uint aIid,
                     uint aType,
                     uint aPid,
                     uint aRefId,
                     const QString &imgPath = QString(),
                     uint localId = 0,
                     uint time = 0);
    void sendDeleteEntrance(uint pid, uint refId);
    // Minute tick: while the server is online, resends the deletions and sweeps the unsent
    // entrances every "timeout/intersSyncInterval" ticks.
    void doSync();
    // Stops a running sweep; the next tick resumes it.
    void doTerminate();
    void doSetEntranceSyn(uint pid, uint refId);
    void doEntranceDeleted(uint pid, uint refId);
    void srvChangedState(ServerState status);

private slots:
    void doZapisPrerusenie(uint aIid,
                           uint aSmer,
                           uint aDochId,
                           uint aRefId,
                           QString imgPath = QString(),
                           uint localPid = 0,
                           uint time = 0);
    void onEntranceConfirmed(uint id, uint refId);
    void onRequestEnded(quint64 request, bool refused);

private:
    void post(QVariantMap data);
    void startUploadSweep();

    TulDbManager *mProtocol;
    DataDBManager *mDb;
    uint mIntersSyncInterval;
    uint mSyncCounter = 0;
    ServerState mServerState = ServerDisabled;
    UploadBackoff mBackoff;
    SyncThread *mSyncThread;
    // A sweep was stopped before its end: the next tick resumes it.
    bool mSweepInterrupted = false;
    // Entrances posted and neither confirmed nor ended yet: a sweep must not post them a
    // second time while the server may still store them.
    QSet<uint> mInFlight;
    QHash<quint64, uint> mPosts; // request number -> entrance id
};
