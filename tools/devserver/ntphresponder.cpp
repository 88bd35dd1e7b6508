#include "devserver/ntphresponder.h"

#include <QDateTime>

#include <chrono>
#include <thread>

namespace NtphResponder {

namespace {
const QString prefix = QStringLiteral("/ntph/");
}

bool handles(const QString &path)
{
    return path.startsWith(prefix);
}

DevResponse reply(const DevRequest &request)
{
    DevResponse response;
    bool ok = false;
    const qint64 t1 = request.path.mid(prefix.size()).toLongLong(&ok);
    if (!ok) {
        response.status = 400;
        response.body = "bad client time";
        return response;
    }
    const qint64 t2 = request.receivedMs;
    // The send time must follow the receive time: wait for the clock to move on.
    qint64 t3 = QDateTime::currentMSecsSinceEpoch();
    while (t3 <= t2) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        t3 = QDateTime::currentMSecsSinceEpoch();
    }
    response.body = QStringLiteral("NTPH:%1:%2:%3").arg(t1).arg(t2).arg(t3).toLatin1();
    return response;
}

} // namespace NtphResponder
