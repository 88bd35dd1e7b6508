#include "sync/replyparser.h"

#include "sync/syncmask.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QVariantList>

namespace {

// A change record's "type": a character, or the first character of its text.
QChar typeChar(const QVariant &value)
{
    if (value.type() == QVariant::Char)
        return value.toChar();
    const QString text = value.toString();
    return text.isEmpty() ? QChar() : text.at(0);
}

PersonSynData personFromMap(uint uid, const QVariantMap &m)
{
    PersonSynData p;
    p.uid = uid;
    p.pid = m.value(QStringLiteral("pid")).toUInt();
    p.name = m.value(QStringLiteral("name")).toString();
    p.surname = m.value(QStringLiteral("surname")).toString();
    p.title = m.value(QStringLiteral("title")).toString();
    p.title2 = m.value(QStringLiteral("title2")).toString();
    p.card = m.value(QStringLiteral("card")).toString();
    p.saldo = m.value(QStringLiteral("saldo")).toInt();
    p.admin = m.value(QStringLiteral("admin")).toBool();
    p.access = m.value(QStringLiteral("access")).toBool();
    p.grp = m.value(QStringLiteral("grp")).toUInt();
    return p;
}

InterSynData interFromMap(uint id, const QVariantMap &m)
{
    InterSynData i;
    i.id = id;
    i.name = m.value(QStringLiteral("name")).toString();
    i.shortcut = m.value(QStringLiteral("shortcut")).toString();
    i.color = m.value(QStringLiteral("color")).toString();
    i.start = m.value(QStringLiteral("start")).toString();
    i.stop = m.value(QStringLiteral("stop")).toString();
    i.weight = m.value(QStringLiteral("weight")).toInt();
    return i;
}

// The records of an object keyed by id.
template<typename Record, typename Make>
QList<Record> keyed(const QVariantMap &object, Make make)
{
    QList<Record> list;
    list.reserve(object.size());
    for (auto it = object.cbegin(); it != object.cend(); ++it)
        list.append(make(it.key().toUInt(), it.value()));
    return list;
}

void readTimezones(const QVariantMap &object, SyncReply &reply)
{
    reply.zones = keyed<ZoneSynData>(object.value(QStringLiteral("zones")).toMap(),
                                     [](uint id, const QVariant &value) {
                                         const QVariantMap m = value.toMap();
                                         ZoneSynData z;
                                         z.id = id;
                                         z.days = quint8(m.value(QStringLiteral("days")).toUInt());
                                         z.from_time = m.value(QStringLiteral("from_time")).toUInt();
                                         z.to_time = m.value(QStringLiteral("to_time")).toUInt();
                                         z.status = m.value(QStringLiteral("status")).toBool();
                                         z.type = typeChar(m.value(QStringLiteral("type")));
                                         z.tsc = m.value(QStringLiteral("tsc")).toUInt();
                                         return z;
                                     });
    for (const QVariant &entry : object.value(QStringLiteral("pzt")).toList()) {
        const QVariantMap m = entry.toMap();
        reply.pzt.append({ m.value(QStringLiteral("zid")).toUInt(),
                           m.value(QStringLiteral("uid")).toUInt(),
                           typeChar(m.value(QStringLiteral("type"))),
                           m.value(QStringLiteral("tsc")).toUInt() });
    }
}

} // namespace

namespace ReplyParser {

QVariantMap envelope(const QByteArray &data, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError && error)
        *error = parseError.errorString();
    return document.object().toVariantMap();
}

SyncReply syncReply(const QVariantMap &envelope)
{
    SyncReply reply;
    const QVariantMap res = envelope.value(QStringLiteral("res")).toMap();
    reply.mask = res.value(QStringLiteral("sync")).toUInt();
    // Servers before 0.1.0 put the time into the result.
    const bool olderServer
        = envelope.value(QStringLiteral("ver")).toString() < QLatin1String("0.1.0");
    reply.ts = (olderServer ? res : envelope).value(QStringLiteral("st")).toUInt(&reply.hasTime);
    reply.hasFlags = envelope.contains(QStringLiteral("flags"));
    reply.flags = ushort(envelope.value(QStringLiteral("flags")).toUInt());
    reply.lastId = res.value(QStringLiteral("lastId")).toUInt();

    if (reply.mask & SyncMask::Inters)
        reply.inters = keyed<InterSynData>(res.value(QStringLiteral("inters")).toMap(),
                                           [](uint id, const QVariant &value) {
                                               const QVariantMap m = value.toMap();
                                               InterSynData i = interFromMap(id, m);
                                               i.type = typeChar(m.value(QStringLiteral("type")));
                                               i.tsc = m.value(QStringLiteral("tsc")).toUInt();
                                               return i;
                                           });
    if (reply.mask & SyncMask::People)
        reply.people = keyed<PersonSynData>(res.value(QStringLiteral("people")).toMap(),
                                            [](uint uid, const QVariant &value) {
                                                const QVariantMap m = value.toMap();
                                                PersonSynData p = personFromMap(uid, m);
                                                p.type = typeChar(m.value(QStringLiteral("type")));
                                                p.tsc = m.value(QStringLiteral("tsc")).toUInt();
                                                return p;
                                            });
    if (reply.mask & SyncMask::Saldo)
        reply.saldo = keyed<SaldoSynData>(res.value(QStringLiteral("saldo")).toMap(),
                                          [](uint uid, const QVariant &value) {
                                              return SaldoSynData { uid, value.toInt() };
                                          });
    if (reply.mask & SyncMask::Present)
        reply.present = keyed<PresentSynData>(res.value(QStringLiteral("present")).toMap(),
                                              [](uint uid, const QVariant &value) {
                                                  return PresentSynData { uid, value.toUInt() };
                                              });
    if (reply.mask & SyncMask::Zones)
        readTimezones(res.value(QStringLiteral("timezones")).toMap(), reply);
    if (reply.mask & SyncMask::Grp)
        reply.grp = keyed<GrpSynData>(res.value(QStringLiteral("grp")).toMap(),
                                      [](uint uid, const QVariant &value) {
                                          return GrpSynData { uid, quint8(value.toUInt()) };
                                      });
    return reply;
}

PersonSynDataList personList(const QVariantMap &envelope)
{
    const uint ts = envelope.value(QStringLiteral("st")).toUInt();
    PersonSynDataList list;
    for (const QVariant &entry : envelope.value(QStringLiteral("res")).toList()) {
        const QVariantMap m = entry.toMap();
        if (m.isEmpty())
            continue;
        PersonSynData p = personFromMap(m.value(QStringLiteral("uid")).toUInt(), m);
        p.type = QLatin1Char('I');
        p.tsc = ts;
        list.append(p);
    }
    return list;
}

InterSynDataList interList(const QVariantMap &envelope)
{
    const uint ts = envelope.value(QStringLiteral("st")).toUInt();
    InterSynDataList list;
    for (const QVariant &entry : envelope.value(QStringLiteral("res")).toList()) {
        const QVariantMap m = entry.toMap();
        InterSynData i = interFromMap(m.value(QStringLiteral("iid")).toUInt(), m);
        i.type = QLatin1Char('I');
        i.tsc = ts;
        list.append(i);
    }
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
