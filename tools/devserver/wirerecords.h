#pragma once

#include <QJsonObject>
#include <QVariantMap>

// The JSON form of the server's rows as terminals receive them.
namespace WireRecords {
QJsonObject inter(const QVariantMap &row); // without the id, which is the key or "iid"
QJsonObject person(const QVariantMap &row); // without "uid"
QJsonObject zone(const QVariantMap &row);
QJsonObject zoneLink(const QVariantMap &row);
} // namespace WireRecords
