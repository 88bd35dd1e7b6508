#pragma once

#include "db/persondata.h"
#include "sync/changelists.h"
#include "sync/applyrun.h"
#include "sync/personrecords.h"
#include "sync/serverstate.h"

#include <QMap>
#include <QObject>
#include <QVariantMap>

class DataDBManager;
class PrerusenieModel;
class ZepDBManager;
class ZEPSettings;

// Applies the attendance server's change lists to the local databases and pushes the local
// changes of people.
class DBSync : public QObject
{
    Q_OBJECT
public:
    DBSync(ZepDBManager *zepDb,
           DataDBManager *db,
           PrerusenieModel *model,
           ZEPSettings *settings,
           QObject *parent = nullptr);

    // Unsent entrances whose person cannot be resolved, for the administration.
    Q_INVOKABLE uint unsendableEntranceCount() const;
    bool hasPendingBatches() const { return !mBatches.isEmpty(); }

signals:
    void syncBegin(QString typ);
    void syncEnd(QString typ, int uprav, int chyb);
    void sigDeleteSyncFlags(uint ts, ushort flags);
    void sendGetInters();
    void sendGetPeople();
    void sigWriteToLog(QString txt);
    void sigPersonUpdated(PersonData data);

public slots:
    void doSync();
    void doSyncPeople();
    void onNeedSyncInters(InterSynDataList list, uint ts);
    void onNeedSyncPeople(PersonSynDataList list, uint ts);
    void onNeedSyncSaldo(SaldoSynDataList list, uint ts);
    void onNeedSyncPresent(PresentSynDataList list, uint ts);
    void onNeedSyncGrp(GrpSynDataList list, uint ts);
    void onNeedSyncZones(ZoneSynDataList list, uint ts);
    void onNeedSyncPZT(PZTSynDataList list, uint ts);
    void onCompletePeople(PersonSynDataList list);
    void onCompleteInters(InterSynDataList list);
    void doSyncInters(InterSynDataList list);
    void doSyncPeople(PersonSynDataList list);
    void doSyncSaldo(SaldoSynDataList list);
    void doSyncPresent(PresentSynDataList list);
    void doSyncGrp(GrpSynDataList list);
    void doSyncZones(ZoneSynDataList list);
    void doSyncPZT(PZTSynDataList list);
    void doSetPersonSyn(uint pid, uint refId);
    // Entrance ids continue above the highest one the server holds (data.db may be new).
    void doFixSequence(uint maxId);
    void doObnovPrerusenia(bool canEmit = true);
    void doSyncItems(bool force);
    void srvChangedState(ServerState status);

private slots:
    void doIncPrerusCount();
    void doSyncBatches();

private:
    // The change lists delivered by the replies of one server time.
    struct Batch : ChangeSet
    {
        bool force = false; // part of a forced full synchronisation
        bool complete = false; // holds a whole list fetched on its own
    };
    // How an apply run announces its list: by syncBegin and syncEnd.
    ApplyRun::Announce announce();
    template<typename List>
    void queue(const char *logFormat, List ChangeSet::*lists, const List &list, uint ts);
    void applyBatch(uint ts, const Batch &batch);
    // Runs one step of a batch; false when a write of it could not be committed.
    template<typename Apply> bool applyStep(Apply apply);
    void confirm(uint ts, ushort flag, bool committed);
    // Writes one value per person (found by the server's id) from a list.
    template<typename Record, typename Write>
    void applyPersonValues(const QString &typ,
                           const QList<Record> &list,
                           Write write,
                           const char *failure);

    ZepDBManager *mZepDb;
    DataDBManager *mDb;
    PrerusenieModel *mModel;
    ZEPSettings *mSettings;
    PersonRecords mPeople;
    uint mPrerusCount = 0;
    uint mPrerusInterval;
    QMap<uint, Batch> mBatches;
    ServerState mServerState = ServerDisabled;
    bool mInitialCheckDone = false;
    bool mForce = false;
    uint mSyncCounter = 0;
    bool mApplying = false;
    bool mCommitFailed = false;
};
