#pragma once

#include <QMetaType>

// Connection state of the attendance server, ordered from worst to best; the
// controller compares values, so a lower state is a drop.
enum ServerState {
    ServerDisabled = 0, // networking is switched off
    ServerUnreachable = 1, // the probe failed
    ServerFailed = 2, // no HTTP answer, or a status of 500 or more
    ServerRejected = 3, // a status from 400 to 499
    ServerOnline = 4 // a sync or an entrance was answered
};

Q_DECLARE_METATYPE(ServerState)
