#pragma once

#include "sync/syncreply.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Turns the attendance server's replies into values: no state, no signals, no database.
namespace ReplyParser {

// The JSON object of a reply; empty, with error set, when the bytes are not one.
QVariantMap envelope(const QByteArray &data, QString *error);
// The state and change lists of a sync reply.
SyncReply syncReply(const QVariantMap &envelope);
// The people of a person request, as records of type 'I' at the reply's server time; entries
// that are not objects are left out.
PersonSynDataList personList(const QVariantMap &envelope);
// The interruption types of an inters request, as records of type 'I'.
InterSynDataList interList(const QVariantMap &envelope);

} // namespace ReplyParser
