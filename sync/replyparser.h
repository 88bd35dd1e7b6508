#pragma once

#include "sync/syncreply.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// The JSON object of a reply. Its values read as variants, with the variant conversions the
// protocol relies on; the change lists are read from the JSON itself, never turned into maps
// of variants first.
class ReplyEnvelope
{
public:
    ReplyEnvelope() = default;
    explicit ReplyEnvelope(const QJsonObject &object)
        : mObject(object)
    {
    }

    QVariant value(const QString &key) const { return mObject.value(key).toVariant(); }
    bool contains(const QString &key) const { return mObject.contains(key); }
    const QJsonObject &json() const { return mObject; }
    QVariantMap toVariantMap() const { return mObject.toVariantMap(); }

private:
    QJsonObject mObject;
};

// Turns the attendance server's replies into values: no state, no signals, no database.
namespace ReplyParser {

// The JSON object of a reply; empty, with error set, when the bytes are not one.
ReplyEnvelope envelope(const QByteArray &data, QString *error);
// The state and change lists of a sync reply.
SyncReply syncReply(const ReplyEnvelope &envelope);
// The people of a person request, as records of type 'I' at the reply's server time; entries
// that are not objects are left out.
PersonSynDataList personList(const ReplyEnvelope &envelope);
// The interruption types of an inters request, as records of type 'I'.
InterSynDataList interList(const ReplyEnvelope &envelope);
// Whether the server refuses the request (a status or "err" of 400 to 499), rather than it
// or the way to it failing.
bool refuses(int status, int err);
// Whether the error of a sync reply says that the server has forgotten this terminal.
bool forgotTerminal(int err, const QString &errText);

} // namespace ReplyParser
