#include "devserver/ntphresponder.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <chrono>
#include <thread>

namespace {
const QString prefix = QStringLiteral("/ntph/");
}

NtphResponder::NtphResponder(qint64 clockOffsetMs, int maxInboundDelayMs)
    : mClockOffsetMs(clockOffsetMs)
    , mMaxInboundDelayMs(maxInboundDelayMs)
{
}

bool NtphResponder::handles(const QString &path)
{
    return path.startsWith(prefix);
}

qint64 NtphResponder::now() const
{
    return QDateTime::currentMSecsSinceEpoch() + mClockOffsetMs;
}

DevResponse NtphResponder::reply(const DevRequest &request) const
{
    DevResponse response;
    bool ok = false;
    const qint64 t1 = request.path.mid(prefix.size()).toLongLong(&ok);
    if (!ok) {
        response.status = 400;
        response.body = "bad client time";
        return response;
    }
    qint64 t2 = request.receivedMs + mClockOffsetMs;
    if (mMaxInboundDelayMs > 0) {
        // The request "arrives" late: the delay belongs to the client-to-server leg.
        const int delayUs = QRandomGenerator::global()->bounded(mMaxInboundDelayMs * 1000 + 1);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
        t2 = now();
    }
    // The send time must follow the receive time: wait for the clock to move on.
    qint64 t3 = now();
    while (t3 <= t2) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        t3 = now();
    }
    response.body = QStringLiteral("NTPH:%1:%2:%3").arg(t1).arg(t2).arg(t3).toLatin1();
    return response;
}
