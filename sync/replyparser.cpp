#include "sync/replyparser.h"

#include "sync/syncmask.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// A value of a record as a variant: numbers and texts convert as the protocol has always read
// them, a missing key gives an invalid variant (0, false or an empty text).
QVariant field(const QJsonObject &record, QLatin1String key)
{
    return record.value(key).toVariant();
}

// A change record's "type": a character, or the first character of its text.
QChar typeChar(const QVariant &value)
{
    if (value.type() == QVariant::Char)
        return value.toChar();
    const QString text = value.toString();
    return text.isEmpty() ? QChar() : text.at(0);
}

QChar typeOf(const QJsonObject &record)
{
    return typeChar(field(record, QLatin1String("type")));
}

uint tscOf(const QJsonObject &record)
{
    return field(record, QLatin1String("tsc")).toUInt();
}

PersonSynData personFrom(uint uid, const QJsonObject &o)
{
    PersonSynData p;
    p.uid = uid;
    p.pid = field(o, QLatin1String("pid")).toUInt();
    p.name = field(o, QLatin1String("name")).toString();
    p.surname = field(o, QLatin1String("surname")).toString();
    p.title = field(o, QLatin1String("title")).toString();
    p.title2 = field(o, QLatin1String("title2")).toString();
    p.card = field(o, QLatin1String("card")).toString();
    p.saldo = field(o, QLatin1String("saldo")).toInt();
    p.admin = field(o, QLatin1String("admin")).toBool();
    p.access = field(o, QLatin1String("access")).toBool();
    p.grp = field(o, QLatin1String("grp")).toUInt();
    return p;
}

InterSynData interFrom(uint id, const QJsonObject &o)
{
    InterSynData i;
    i.id = id;
    i.name = field(o, QLatin1String("name")).toString();
    i.shortcut = field(o, QLatin1String("shortcut")).toString();
    i.color = field(o, QLatin1String("color")).toString();
    i.start = field(o, QLatin1String("start")).toString();
    i.stop = field(o, QLatin1String("stop")).toString();
    i.weight = field(o, QLatin1String("weight")).toInt();
    return i;
}

// The records of an object keyed by id, in key order.
template<typename Record, typename Make> QList<Record> keyed(const QJsonValue &object, Make make)
{
    const QJsonObject records = object.toObject();
    QList<Record> list;
    list.reserve(records.size());
    for (auto it = records.constBegin(); it != records.constEnd(); ++it)
        list.append(make(it.key().toUInt(), it.value()));
    return list;
}

void readTimezones(const QJsonObject &object, SyncReply &reply)
{
    reply.zones = keyed<ZoneSynData>(
        object.value(QLatin1String("zones")), [](uint id, const QJsonValue &value) {
            const QJsonObject o = value.toObject();
            ZoneSynData z;
            z.id = id;
            z.days = quint8(field(o, QLatin1String("days")).toUInt());
            z.from_time = field(o, QLatin1String("from_time")).toUInt();
            z.to_time = field(o, QLatin1String("to_time")).toUInt();
            z.status = field(o, QLatin1String("status")).toBool();
            z.type = typeOf(o);
            z.tsc = tscOf(o);
            return z;
        });
    for (const QJsonValue &entry : object.value(QLatin1String("pzt")).toArray()) {
        const QJsonObject o = entry.toObject();
        reply.pzt.append({ field(o, QLatin1String("zid")).toUInt(),
                           field(o, QLatin1String("uid")).toUInt(),
                           typeOf(o),
                           tscOf(o) });
    }
}

// The entries of a list reply ("res" a list) with the reply's server time.
template<typename Read> void forEachListed(const ReplyEnvelope &envelope, Read read)
{
    const uint ts = envelope.value(QStringLiteral("st")).toUInt();
    for (const QJsonValue &entry : envelope.json().value(QLatin1String("res")).toArray())
        read(entry.toObject(), ts);
}

} // namespace

namespace ReplyParser {

ReplyEnvelope envelope(const QByteArray &data, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError && error)
        *error = parseError.errorString();
    return ReplyEnvelope(document.object());
}

SyncReply syncReply(const ReplyEnvelope &envelope)
{
    SyncReply reply;
    const QJsonObject res = envelope.json().value(QLatin1String("res")).toObject();
    reply.mask = field(res, QLatin1String("sync")).toUInt();
    // Servers before 0.1.0 put the time into the result.
    const bool olderServer
        = envelope.value(QStringLiteral("ver")).toString() < QLatin1String("0.1.0");
    reply.ts
        = (olderServer ? field(res, QLatin1String("st")) : envelope.value(QStringLiteral("st")))
              .toUInt(&reply.hasTime);
    reply.hasFlags = envelope.contains(QStringLiteral("flags"));
    reply.flags = ushort(envelope.value(QStringLiteral("flags")).toUInt());
    reply.lastId = field(res, QLatin1String("lastId")).toUInt();

    if (reply.mask & SyncMask::Inters)
        reply.inters = keyed<InterSynData>(res.value(QLatin1String("inters")),
                                           [](uint id, const QJsonValue &value) {
                                               const QJsonObject o = value.toObject();
                                               InterSynData i = interFrom(id, o);
                                               i.type = typeOf(o);
                                               i.tsc = tscOf(o);
                                               return i;
                                           });
    if (reply.mask & SyncMask::People)
        reply.people = keyed<PersonSynData>(res.value(QLatin1String("people")),
                                            [](uint uid, const QJsonValue &value) {
                                                const QJsonObject o = value.toObject();
                                                PersonSynData p = personFrom(uid, o);
                                                p.type = typeOf(o);
                                                p.tsc = tscOf(o);
                                                return p;
                                            });
    if (reply.mask & SyncMask::Saldo)
        reply.saldo = keyed<SaldoSynData>(
            res.value(QLatin1String("saldo")), [](uint uid, const QJsonValue &value) {
                return SaldoSynData { uid, value.toVariant().toInt() };
            });
    if (reply.mask & SyncMask::Present)
        reply.present = keyed<PresentSynData>(
            res.value(QLatin1String("present")), [](uint uid, const QJsonValue &value) {
                return PresentSynData { uid, value.toVariant().toUInt() };
            });
    if (reply.mask & SyncMask::Zones)
        readTimezones(res.value(QLatin1String("timezones")).toObject(), reply);
    if (reply.mask & SyncMask::Grp)
        reply.grp = keyed<GrpSynData>(
            res.value(QLatin1String("grp")), [](uint uid, const QJsonValue &value) {
                return GrpSynData { uid, quint8(value.toVariant().toUInt()) };
            });
    return reply;
}

PersonSynDataList personList(const ReplyEnvelope &envelope)
{
    PersonSynDataList list;
    forEachListed(envelope, [&list](const QJsonObject &o, uint ts) {
        if (o.isEmpty())
            return;
        PersonSynData p = personFrom(field(o, QLatin1String("uid")).toUInt(), o);
        p.type = QLatin1Char('I');
        p.tsc = ts;
        list.append(p);
    });
    return list;
}

InterSynDataList interList(const ReplyEnvelope &envelope)
{
    InterSynDataList list;
    forEachListed(envelope, [&list](const QJsonObject &o, uint ts) {
        InterSynData i = interFrom(field(o, QLatin1String("iid")).toUInt(), o);
        i.type = QLatin1Char('I');
        i.tsc = ts;
        list.append(i);
    });
    return list;
}

bool refuses(int status, int err)
{
    const int refusal = err != 0 ? err : status;
    return status < 500 && refusal >= 400 && refusal < 500;
}

bool forgotTerminal(int err, const QString &errText)
{
    return (err == 400 && errText.contains(QLatin1String("Invalid hash")))
        || (err == 404 && errText.contains(QLatin1String("Terminal"), Qt::CaseInsensitive));
}

} // namespace ReplyParser
