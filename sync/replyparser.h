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
// Whether the server refuses the request (a status or "err" of 400 to 499), rather than it
// or the way to it failing.
bool refuses(int status, int err);
// Whether the error of a sync reply says that the server has forgotten this terminal.
bool forgotTerminal(int err, const QString &errText);

} // namespace ReplyParser
