#pragma once

#include "devserver/devexchange.h"

// Answers "/ntph/<t1>" with "NTPH:t1:t2:t3": the client's send time echoed, the time the
// request arrived and the time the answer leaves, in milliseconds since 1970 UTC. To give
// clients something to measure, the server's clock may run a fixed offset from the
// machine's, and the way in may be held up by a random delay (the way back is not).
class NtphResponder
{
public:
    explicit NtphResponder(qint64 clockOffsetMs = 0, int maxInboundDelayMs = 0);

    static bool handles(const QString &path);
    // Called from the HTTP threads.
    DevResponse reply(const DevRequest &request) const;

private:
    qint64 now() const;

    qint64 mClockOffsetMs;
    int mMaxInboundDelayMs;
};
