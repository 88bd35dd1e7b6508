#include "sync/entranceuploader.h"

#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/settingkeys.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "sync/requestbuilder.h"
#include "sync/syncthread.h"
#include "sync/tuldbmanager.h"

#include <QDebug>

EntranceUploader::EntranceUploader(TulDbManager *protocol,
                                   DataDBManager *db,
                                   ZEPSettings *settings,
                                   QObject *parent)
    : QObject(parent)
    , mProtocol(protocol)
    , mDb(db)
    // A modulo divisor of the tick count.
    , mIntersSyncInterval(qMax(1u, settings->value(Setting::intersSyncInterval).toUInt()))
    , mSyncThread(new SyncThread(db, &mBackoff, this))
{
    connect(mSyncThread, &SyncThread::syncBegin, this, &EntranceUploader::syncBegin);
    connect(mSyncThread, &SyncThread::syncEnd, this, &EntranceUploader::syncEnd);
    connect(
        mSyncThread, &SyncThread::sigZapisPrerusenie, this, &EntranceUploader::doZapisPrerusenie);
    connect(protocol, &TulDbManager::serverStateChanged, this, &EntranceUploader::srvChangedState);
    connect(
        protocol, &TulDbManager::sigAddEntranceOK, this, &EntranceUploader::onEntranceConfirmed);
    connect(protocol, &TulDbManager::entranceDeleted, this, &EntranceUploader::doEntranceDeleted);
    connect(protocol, &TulDbManager::requestEnded, this, &EntranceUploader::onRequestEnded);
}

EntranceUploader::~EntranceUploader()
{
    mSyncThread->doTerminate();
    HappensBefore::wait(mSyncThread);
}

void EntranceUploader::addEntrance(
    uint aIid, uint aType, uint aPid, uint aRefId, const QString &imgPath, uint localId, uint time)
{
    if (!mProtocol->isServerAccessible()) {
        if (Zep::debugLevel >= 1)
            qDebug("TulDbManager::addEntrance() - server is not accessible!");
        return;
    }
    try {
        post(RequestBuilder::entranceBody(aIid, aType, aPid, aRefId, localId, imgPath, time));
    } catch (...) {
        qCritical("TulDbManager::addEntrance() - FAILURE!");
    }
}

void EntranceUploader::doZapisPrerusenie(
    uint aIid, uint aSmer, uint aDochId, uint aRefId, QString imgPath, uint localPid, uint time)
{
    if (Zep::debugLevel >= 2)
        qDebug("DBSync::doZapisPrerusenie()");
    // The sweep read it earlier: it may have been confirmed or deleted since.
    const EntranceData entrance = mDb->loadEntrance(localPid);
    if (localPid != 0 && (entrance.id == 0 || entrance.syn != 0))
        return;
    post(RequestBuilder::entranceBody(
        aIid, aSmer == 1 ? 1u : 0u, aDochId, aRefId, localPid, imgPath, time));
}

void EntranceUploader::post(QVariantMap data)
{
    const uint id = data.value(QStringLiteral("refId")).toUInt();
    if (mInFlight.contains(id)) {
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager::sendAddEntrance(%u) - already on the way", id);
        return;
    }
    const quint64 request = mProtocol->sendAddEntrance(data);
    if (request == 0)
        return;
    mInFlight.insert(id);
    mPosts.insert(request, id);
}

void EntranceUploader::onEntranceConfirmed(uint id, uint refId)
{
    mInFlight.remove(id);
    doSetEntranceSyn(id, refId);
}

// Follows the reply to the same request.
void EntranceUploader::onRequestEnded(quint64 request, bool refused)
{
    const auto post = mPosts.constFind(request);
    if (post == mPosts.constEnd())
        return;
    const uint id = post.value();
    mPosts.erase(post);
    if (!mInFlight.remove(id))
        return;
    emit entranceUploadFailed(id, refused);
    if (id != 0)
        mBackoff.failed(id, refused, UploadBackoff::now());
}

void EntranceUploader::sendDeleteEntrance(uint pid, uint refId)
{
    // Addressed by the local id alone, it could overtake the upload still on the way; the
    // upload's answer brings the server id instead.
    if (refId == 0 && mInFlight.contains(pid)) {
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager::sendDeleteEntrance(%u) - its upload is not answered yet", pid);
        return;
    }
    mProtocol->sendDeleteEntrance(pid, refId);
}

void EntranceUploader::doSetEntranceSyn(uint pid, uint refId)
{
    // Without the server's id the reply confirms nothing: the entrance stays as it is.
    if (refId == 0) {
        qWarning() << "DBSync::doSetEntranceSyn(" << pid << refId
                   << "): no server id - not confirmed";
        return;
    }
    // Deleted while its upload was on the way: the server must delete it too.
    if (mDb->loadEntrance(pid).id == 0 && EntranceDeletions(mDb).learnServerId(pid, refId)) {
        sendDeleteEntrance(pid, refId);
        return;
    }
    if (!mDb->setPrerusSyn(pid, refId)) {
        qCritical() << "DBSync::doSetEntranceSyn(" << pid << refId << "): FAILURE";
        return;
    }
    mBackoff.forget(pid);
    if (Zep::debugLevel >= 2)
        qDebug() << "DBSync::doSetEntranceSyn(" << pid << refId << "): OK";
}

void EntranceUploader::doEntranceDeleted(uint pid, uint refId)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DBSync::doEntranceDeleted(" << pid << refId << ")";
    EntranceDeletions(mDb).done(pid);
}

void EntranceUploader::doSync()
{
    ++mSyncCounter;
    if (mServerState != ServerOnline)
        return;
    for (const EntranceDeletions::Deletion &deletion : EntranceDeletions(mDb).ready())
        sendDeleteEntrance(deletion.first, deletion.second);
    if (mSweepInterrupted || mSyncCounter % mIntersSyncInterval == 0)
        startUploadSweep();
}

void EntranceUploader::startUploadSweep()
{
    if (mSyncThread->isRunning())
        return;
    mSweepInterrupted = false;
    mSyncThread->startSweep(QThread::LowPriority);
}

void EntranceUploader::doTerminate()
{
    if (Zep::debugLevel >= 2)
        qDebug("DBSync::doTerminate()");
    if (mSyncThread->isRunning())
        mSweepInterrupted = true;
    mSyncThread->doTerminate();
}

void EntranceUploader::srvChangedState(ServerState status)
{
    const bool answersAgain = status == ServerOnline && mServerState != ServerOnline;
    mServerState = status;
    // What the fault kept back goes up now, not at the next sweep.
    if (answersAgain) {
        mBackoff.serverRecovered();
        startUploadSweep();
    }
}
