#pragma once

#include <QtGlobal>

// One time exchange with the attendance server; times in milliseconds since 1970 UTC.
struct NtphSample
{
    qint64 t1 = 0; // client send time, as echoed by the server
    qint64 t2 = 0; // server receive time
    qint64 t3 = 0; // server send time
    qint64 t4 = 0; // client receive time
    quint32 delay = 0; // round trip without the server's own time
    qint32 offset = 0; // server clock minus client clock
    qint32 csDelay = 0; // deviation of the client-to-server leg from the mean leg
    qint32 scDelay = 0; // deviation of the server-to-client leg from the mean leg
};
