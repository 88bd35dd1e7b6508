#include "sync/applierwiring.h"

#include "sync/dbsync.h"
#include "sync/tuldbmanager.h"

namespace ApplierWiring {

void connect(TulDbManager *protocol, DBSync *applier)
{
    QObject::connect(
        protocol, &TulDbManager::serverStateChanged, applier, &DBSync::srvChangedState);
    QObject::connect(protocol, &TulDbManager::needSyncInters, applier, &DBSync::onNeedSyncInters);
    QObject::connect(protocol, &TulDbManager::needSyncPeople, applier, &DBSync::onNeedSyncPeople);
    QObject::connect(protocol, &TulDbManager::needSyncSaldo, applier, &DBSync::onNeedSyncSaldo);
    QObject::connect(protocol, &TulDbManager::needSyncPresent, applier, &DBSync::onNeedSyncPresent);
    QObject::connect(protocol, &TulDbManager::needSyncGrp, applier, &DBSync::onNeedSyncGrp);
    QObject::connect(protocol, &TulDbManager::needSyncZones, applier, &DBSync::onNeedSyncZones);
    QObject::connect(protocol, &TulDbManager::needSyncPZT, applier, &DBSync::onNeedSyncPZT);
    QObject::connect(
        protocol, &TulDbManager::completePeopleReceived, applier, &DBSync::onCompletePeople);
    QObject::connect(
        protocol, &TulDbManager::completeIntersReceived, applier, &DBSync::onCompleteInters);
    QObject::connect(protocol, &TulDbManager::parseSyncFinished, applier, &DBSync::doSyncItems);
    QObject::connect(protocol, &TulDbManager::maxRefIdReceived, applier, &DBSync::doFixSequence);
    QObject::connect(protocol, &TulDbManager::sigSyncPersonOK, applier, &DBSync::doSetPersonSyn);

    QObject::connect(
        applier, &DBSync::sigDeleteSyncFlags, protocol, &TulDbManager::sendDeleteSyncFlags);
    QObject::connect(applier, &DBSync::sendGetInters, protocol, &TulDbManager::sendGetInters);
    QObject::connect(
        applier, &DBSync::sendGetPeople, protocol, [protocol] { protocol->sendGetPerson(); });
    QObject::connect(applier, &DBSync::sigPersonUpdated, protocol, &TulDbManager::sendUpdatePerson);
}

} // namespace ApplierWiring
