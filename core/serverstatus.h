#pragma once

#include "sync/serverstate.h"

#include <QObject>

class TulDbManager;

// The attendance server as the UI shows it: the connection state, whether a synchronisation
// has ended since the start (until then a state left by the start is no news), and a
// synchronisation on request.
class ServerStatus : public QObject
{
    Q_OBJECT
    // A ServerState, from 0 (networking off) to 4 (online).
    Q_PROPERTY(int state READ state NOTIFY stateChanged)
    Q_PROPERTY(bool answered READ answered NOTIFY answeredChanged)
public:
    explicit ServerStatus(TulDbManager *protocol, QObject *parent = nullptr);

    int state() const { return mState; }
    bool answered() const { return mAnswered; }

    Q_INVOKABLE void synchronise();

signals:
    void stateChanged(int state);
    void answeredChanged(bool answered);
    // A synchronisation ended; state() tells whether the server took it.
    void syncFinished();
    // A request of the synchronisation went unanswered.
    void syncUnanswered();

private:
    void setState(ServerState state);
    void setAnswered();

    TulDbManager *mProtocol;
    int mState;
    bool mAnswered = false;
};
