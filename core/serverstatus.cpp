#include "core/serverstatus.h"

#include "sync/tuldbmanager.h"

ServerStatus::ServerStatus(TulDbManager *protocol, QObject *parent)
    : QObject(parent)
    , mProtocol(protocol)
    , mState(protocol->serverState())
{
    connect(protocol, &TulDbManager::serverStateChanged, this, &ServerStatus::setState);
    connect(protocol, &TulDbManager::syncFinished, this, [this] {
        setAnswered();
        emit syncFinished();
    });
    connect(protocol, &TulDbManager::syncUnanswered, this, [this] {
        setAnswered();
        emit syncUnanswered();
    });
}

void ServerStatus::synchronise()
{
    mProtocol->doSync();
}

void ServerStatus::setState(ServerState state)
{
    if (int(state) == mState)
        return;
    mState = state;
    emit stateChanged(mState);
}

void ServerStatus::setAnswered()
{
    if (mAnswered)
        return;
    mAnswered = true;
    emit answeredChanged(true);
}
