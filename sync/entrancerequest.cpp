#include "sync/entrancerequest.h"

namespace EntranceRequest {

QVariantMap map(
    uint iid, uint type, uint pid, uint uid, uint localId, const QString &imgPath, uint time)
{
    QVariantMap data { { QStringLiteral("iid"), iid }, { QStringLiteral("type"), type } };
    if (pid != 0)
        data.insert(QStringLiteral("pid"), pid);
    if (localId != 0)
        data.insert(QStringLiteral("refId"), localId);
    if (uid != 0)
        data.insert(QStringLiteral("uid"), uid);
    if (!imgPath.isEmpty())
        data.insert(QStringLiteral("imgPath"), imgPath);
    if (time != 0)
        data.insert(QStringLiteral("date"), time);
    return data;
}

} // namespace EntranceRequest
