#pragma once

#include <QString>
#include <QVariantMap>

// The map an add-entrance request is made of; the numbers that are 0 and an empty photo path
// are left out.
namespace EntranceRequest {
QVariantMap map(
    uint iid, uint type, uint pid, uint uid, uint localId, const QString &imgPath, uint time);
} // namespace EntranceRequest
