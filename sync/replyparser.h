#pragma once

#include "sync/syncreply.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <rapidjson/fwd.h>

#include <memory>

// The JSON object of a reply. Its values read as variants, with the variant conversions the
// protocol relies on (as Qt's JSON values convert: whole numbers as qlonglong, others as
// double, null as nullptr; of a repeated key the last one counts); the change lists are read
// from the JSON itself, never turned into variants first.
class ReplyEnvelope
{
public:
    // Empty, as the envelope of bytes that are no JSON object.
    ReplyEnvelope();
    // The JSON object in data; empty, with error set, when the bytes are not JSON.
    static ReplyEnvelope parse(const QByteArray &data, QString *error);

    QVariant value(const QString &key) const;
    bool contains(const QString &key) const;
    QVariantMap toVariantMap() const;
    // The value of a key, nullptr when there is none.
    const rapidjson::Value *member(const char *key) const;

private:
    struct Parsed; // the document with the text it was read from in place
    explicit ReplyEnvelope(std::shared_ptr<const Parsed> parsed);
    const rapidjson::Value *root() const;

    std::shared_ptr<const Parsed> mParsed;
};

// Turns the attendance server's replies into values: no state, no signals, no database.
namespace ReplyParser {

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
