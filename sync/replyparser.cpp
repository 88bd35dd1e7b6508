#include "sync/replyparser.h"

#include "sync/syncmask.h"

#include <QPair>
#include <QVector>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
using rapidjson::SizeType;
using rapidjson::Value;

// As deep as Qt's JSON parser lets a document nest: the conversions into variants recurse.
const int maxNesting = 1024;

// Whole documents are validated as UTF-8, numbers read exactly, and nesting never recurses.
constexpr unsigned parseFlags = rapidjson::kParseInsituFlag | rapidjson::kParseIterativeFlag
    | rapidjson::kParseFullPrecisionFlag | rapidjson::kParseValidateEncodingFlag;

// Passes the reader's events on to the document, refusing to nest deeper than maxNesting.
template<typename Handler> class NestingLimit
{
public:
    explicit NestingLimit(Handler &handler)
        : mHandler(handler)
    {
    }

    bool Null() { return mHandler.Null(); }
    bool Bool(bool b) { return mHandler.Bool(b); }
    bool Int(int i) { return mHandler.Int(i); }
    bool Uint(unsigned u) { return mHandler.Uint(u); }
    bool Int64(int64_t i) { return mHandler.Int64(i); }
    bool Uint64(uint64_t u) { return mHandler.Uint64(u); }
    bool Double(double d) { return mHandler.Double(d); }
    bool RawNumber(const char *s, SizeType n, bool copy) { return mHandler.RawNumber(s, n, copy); }
    bool String(const char *s, SizeType n, bool copy) { return mHandler.String(s, n, copy); }
    bool Key(const char *s, SizeType n, bool copy) { return mHandler.Key(s, n, copy); }
    bool StartObject() { return enter() && mHandler.StartObject(); }
    bool EndObject(SizeType members) { return leave() && mHandler.EndObject(members); }
    bool StartArray() { return enter() && mHandler.StartArray(); }
    bool EndArray(SizeType elements) { return leave() && mHandler.EndArray(elements); }

    bool tooDeep() const { return mDepth > maxNesting; }

private:
    bool enter() { return ++mDepth <= maxNesting; }
    bool leave()
    {
        --mDepth;
        return true;
    }

    Handler &mHandler;
    int mDepth = 0;
};

QString textOf(const Value &value)
{
    return QString::fromUtf8(value.GetString(), int(value.GetStringLength()));
}

bool nameIs(const Value &name, const char *key, SizeType length)
{
    return name.GetStringLength() == length && std::memcmp(name.GetString(), key, length) == 0;
}

// The value of a key of an object (of a repeated key the last one); nullptr when it has none.
const Value *memberOf(const Value *object, const char *key)
{
    if (!object || !object->IsObject())
        return nullptr;
    const auto length = SizeType(std::strlen(key));
    const Value *found = nullptr;
    for (auto it = object->MemberBegin(); it != object->MemberEnd(); ++it) {
        if (nameIs(it->name, key, length))
            found = &it->value;
    }
    return found;
}

// A JSON value as Qt's JSON values convert to variants.
QVariant variantOf(const Value &value)
{
    switch (value.GetType()) {
    case rapidjson::kNullType:
        return QVariant::fromValue(nullptr);
    case rapidjson::kFalseType:
        return false;
    case rapidjson::kTrueType:
        return true;
    case rapidjson::kStringType:
        return textOf(value);
    case rapidjson::kNumberType: {
        if (value.IsInt64())
            return qlonglong(value.GetInt64());
        // Whole numbers within the range of qlonglong read as one, also when written as 2.0
        // or 1e3.
        const double number = value.GetDouble();
        if (number >= -9223372036854775808.0 && number < 9223372036854775808.0
            && number == std::trunc(number))
            return qlonglong(number);
        return number;
    }
    case rapidjson::kArrayType: {
        QVariantList list;
        list.reserve(int(value.Size()));
        for (const Value &entry : value.GetArray())
            list.append(variantOf(entry));
        return list;
    }
    case rapidjson::kObjectType: {
        // Inserted in their order, so that of a repeated key the last one stays.
        QVariantMap map;
        for (auto it = value.MemberBegin(); it != value.MemberEnd(); ++it)
            map.insert(textOf(it->name), variantOf(it->value));
        return map;
    }
    }
    return {};
}

// A value of a record as a variant: numbers and texts convert as the protocol has always read
// them, a missing key gives an invalid variant (0, false or an empty text).
QVariant field(const Value *record, const char *key)
{
    const Value *value = memberOf(record, key);
    return value ? variantOf(*value) : QVariant();
}

// One value of a record, converted as its variant converts; the usual types (texts, whole
// numbers, true and false) without making one.
class Field
{
public:
    explicit Field(const Value *value)
        : mValue(value)
    {
    }

    uint toUInt() const
    {
        return mValue && mValue->IsInt64() ? uint(mValue->GetInt64()) : variant().toUInt();
    }
    int toInt() const
    {
        return mValue && mValue->IsInt64() ? int(mValue->GetInt64()) : variant().toInt();
    }
    bool toBool() const
    {
        return mValue && mValue->IsBool() ? mValue->GetBool() : variant().toBool();
    }
    QString toString() const
    {
        return mValue && mValue->IsString() ? textOf(*mValue) : variant().toString();
    }
    // A change record's "type": the first character of its text.
    QChar toType() const
    {
        const QString text = toString();
        return text.isEmpty() ? QChar() : text.at(0);
    }

private:
    QVariant variant() const { return mValue ? variantOf(*mValue) : QVariant(); }

    const Value *mValue;
};

// The names of the fields of one kind of record. The records of a list name their fields in
// one order, so the name found at a place of the record before is tried there first.
template<int Count> class FieldNames
{
public:
    explicit FieldNames(const char *const (&names)[Count])
    {
        for (int i = 0; i < Count; ++i) {
            mNames[i] = names[i];
            mLengths[i] = SizeType(std::strlen(names[i]));
            mAtPlace[i] = -1;
        }
    }

    // The index of the name, -1 when it is none of them.
    int indexOf(const Value &name, int place)
    {
        const bool remembered = place < Count && mAtPlace[place] >= 0;
        if (remembered && nameIs(name, mNames[mAtPlace[place]], mLengths[mAtPlace[place]]))
            return mAtPlace[place];
        for (int i = 0; i < Count; ++i) {
            if (nameIs(name, mNames[i], mLengths[i])) {
                if (place < Count)
                    mAtPlace[place] = i;
                return i;
            }
        }
        return -1;
    }

private:
    const char *mNames[Count];
    SizeType mLengths[Count];
    int mAtPlace[Count];
};

// The values of the named fields of a record, read in one pass over its members (of a
// repeated name the last one); a record that is no object has none.
template<int Count> class Fields
{
public:
    Fields(const Value &record, FieldNames<Count> &names)
    {
        if (!record.IsObject())
            return;
        int place = 0;
        for (auto it = record.MemberBegin(); it != record.MemberEnd(); ++it, ++place) {
            const int i = names.indexOf(it->name, place);
            if (i >= 0)
                mValues[i] = &it->value;
        }
    }

    Field operator[](int i) const { return Field(mValues[i]); }

private:
    const Value *mValues[Count] = {};
};

enum PersonField {
    Pid,
    Name,
    Surname,
    Title,
    Title2,
    Card,
    Saldo,
    Admin,
    Access,
    Grp,
    PersonType,
    PersonTsc,
    PersonUid,
    PersonFieldCount
};
const char *const personFieldNames[PersonFieldCount]
    = { "pid",   "name",   "surname", "title", "title2", "card", "saldo",
        "admin", "access", "grp",     "type",  "tsc",    "uid" };

PersonSynData personFrom(uint uid, const Fields<PersonFieldCount> &f)
{
    PersonSynData p;
    p.uid = uid;
    p.pid = f[Pid].toUInt();
    p.name = f[Name].toString();
    p.surname = f[Surname].toString();
    p.title = f[Title].toString();
    p.title2 = f[Title2].toString();
    p.card = f[Card].toString();
    p.saldo = f[Saldo].toInt();
    p.admin = f[Admin].toBool();
    p.access = f[Access].toBool();
    p.grp = f[Grp].toUInt();
    return p;
}

enum InterField {
    Iid,
    InterName,
    Shortcut,
    Color,
    Start,
    Stop,
    Weight,
    InterType,
    InterTsc,
    InterFieldCount
};
const char *const interFieldNames[InterFieldCount]
    = { "iid", "name", "shortcut", "color", "start", "stop", "weight", "type", "tsc" };

InterSynData interFrom(uint id, const Fields<InterFieldCount> &f)
{
    InterSynData i;
    i.id = id;
    i.name = f[InterName].toString();
    i.shortcut = f[Shortcut].toString();
    i.color = f[Color].toString();
    i.start = f[Start].toString();
    i.stop = f[Stop].toString();
    i.weight = f[Weight].toInt();
    return i;
}

// The members of an object in the order of their keys (as Qt's JSON objects hold them), of a
// repeated key the last one.
QVector<QPair<QString, const Value *>> membersByKey(const Value *object)
{
    QVector<QPair<QString, const Value *>> members;
    if (!object || !object->IsObject())
        return members;
    members.reserve(int(object->MemberCount()));
    for (auto it = object->MemberBegin(); it != object->MemberEnd(); ++it)
        members.append({ textOf(it->name), &it->value });
    const auto byKey = [](const auto &a, const auto &b) { return a.first < b.first; };
    if (!std::is_sorted(members.cbegin(), members.cend(), byKey))
        std::stable_sort(members.begin(), members.end(), byKey);
    const auto last = std::unique(members.rbegin(),
                                  members.rend(),
                                  [](const auto &a, const auto &b) { return a.first == b.first; });
    members.erase(members.begin(), last.base());
    return members;
}

// The records of an object keyed by id, in key order.
template<typename Record, typename Make> QList<Record> keyed(const Value *object, Make make)
{
    const auto members = membersByKey(object);
    QList<Record> list;
    list.reserve(members.size());
    for (const auto &member : members)
        list.append(make(member.first.toUInt(), *member.second));
    return list;
}

void readTimezones(const Value *object, SyncReply &reply)
{
    static const char *const zoneFieldNames[]
        = { "days", "from_time", "to_time", "status", "type", "tsc" };
    FieldNames<6> zoneFields(zoneFieldNames);
    reply.zones = keyed<ZoneSynData>(memberOf(object, "zones"), [&](uint id, const Value &value) {
        const Fields<6> f(value, zoneFields);
        ZoneSynData z;
        z.id = id;
        z.days = quint8(f[0].toUInt());
        z.from_time = f[1].toUInt();
        z.to_time = f[2].toUInt();
        z.status = f[3].toBool();
        z.type = f[4].toType();
        z.tsc = f[5].toUInt();
        return z;
    });
    const Value *links = memberOf(object, "pzt");
    if (!links || !links->IsArray())
        return;
    static const char *const linkFieldNames[] = { "zid", "uid", "type", "tsc" };
    FieldNames<4> linkFields(linkFieldNames);
    for (const Value &entry : links->GetArray()) {
        const Fields<4> f(entry, linkFields);
        reply.pzt.append({ f[0].toUInt(), f[1].toUInt(), f[2].toType(), f[3].toUInt() });
    }
}

// The entries of a list reply ("res" a list) with the reply's server time.
template<typename Read> void forEachListed(const ReplyEnvelope &envelope, Read read)
{
    const uint ts = envelope.value(QStringLiteral("st")).toUInt();
    const Value *res = envelope.member("res");
    if (!res || !res->IsArray())
        return;
    for (const Value &entry : res->GetArray())
        read(entry, ts);
}

} // namespace

struct ReplyEnvelope::Parsed
{
    QByteArray text; // the document's texts point into it
    rapidjson::Document document;
};

ReplyEnvelope::ReplyEnvelope()
    : ReplyEnvelope(nullptr)
{
}

ReplyEnvelope::ReplyEnvelope(std::shared_ptr<const Parsed> parsed)
    : mParsed(std::move(parsed))
{
}

ReplyEnvelope ReplyEnvelope::parse(const QByteArray &data, QString *error)
{
    auto parsed = std::make_shared<Parsed>();
    rapidjson::Document &document = parsed->document;
    QString problem;
    // A NUL byte is no part of a JSON text; the reader would take it for the end.
    if (std::memchr(data.constData(), 0, size_t(data.size()))) {
        problem = QStringLiteral("illegal value");
    } else {
        rapidjson::ParseResult result;
        bool tooDeep = false;
        // Read in place, from a copy of its own that ends in a NUL: texts are not copied again.
        parsed->text = QByteArray(data.constData(), data.size());
        auto generate = [&](rapidjson::Document &handler) {
            NestingLimit<rapidjson::Document> limited(handler);
            rapidjson::InsituStringStream stream(parsed->text.data());
            result = rapidjson::Reader().Parse<parseFlags>(stream, limited);
            tooDeep = limited.tooDeep();
            return !result.IsError();
        };
        document.Populate(generate);
        if (tooDeep)
            problem = QStringLiteral("too deeply nested document");
        else if (result.IsError())
            problem = QString::fromUtf8(rapidjson::GetParseError_En(result.Code()));
        // A reply is an object; a list reads as an empty one, any other value is no reply.
        else if (!document.IsObject() && !document.IsArray())
            problem = QStringLiteral("illegal value");
    }
    if (!problem.isEmpty() && error)
        *error = problem;
    if (!problem.isEmpty() || !document.IsObject())
        return ReplyEnvelope();
    return ReplyEnvelope(std::move(parsed));
}

const Value *ReplyEnvelope::root() const
{
    return mParsed ? &mParsed->document : nullptr;
}

const Value *ReplyEnvelope::member(const char *key) const
{
    return memberOf(root(), key);
}

QVariant ReplyEnvelope::value(const QString &key) const
{
    return field(root(), key.toUtf8().constData());
}

bool ReplyEnvelope::contains(const QString &key) const
{
    return member(key.toUtf8().constData()) != nullptr;
}

QVariantMap ReplyEnvelope::toVariantMap() const
{
    return mParsed ? variantOf(mParsed->document).toMap() : QVariantMap();
}

namespace ReplyParser {

SyncReply syncReply(const ReplyEnvelope &envelope)
{
    SyncReply reply;
    const Value *res = envelope.member("res");
    reply.mask = field(res, "sync").toUInt();
    // Servers before 0.1.0 put the time into the result.
    const bool olderServer
        = envelope.value(QStringLiteral("ver")).toString() < QLatin1String("0.1.0");
    reply.ts = (olderServer ? field(res, "st") : envelope.value(QStringLiteral("st")))
                   .toUInt(&reply.hasTime);
    reply.hasFlags = envelope.contains(QStringLiteral("flags"));
    reply.flags = ushort(envelope.value(QStringLiteral("flags")).toUInt());
    reply.lastId = field(res, "lastId").toUInt();

    FieldNames<InterFieldCount> interFields(interFieldNames);
    if (reply.mask & SyncMask::Inters)
        reply.inters
            = keyed<InterSynData>(memberOf(res, "inters"), [&](uint id, const Value &value) {
                  const Fields<InterFieldCount> f(value, interFields);
                  InterSynData i = interFrom(id, f);
                  i.type = f[InterType].toType();
                  i.tsc = f[InterTsc].toUInt();
                  return i;
              });
    FieldNames<PersonFieldCount> personFields(personFieldNames);
    if (reply.mask & SyncMask::People)
        reply.people
            = keyed<PersonSynData>(memberOf(res, "people"), [&](uint uid, const Value &value) {
                  const Fields<PersonFieldCount> f(value, personFields);
                  PersonSynData p = personFrom(uid, f);
                  p.type = f[PersonType].toType();
                  p.tsc = f[PersonTsc].toUInt();
                  return p;
              });
    if (reply.mask & SyncMask::Saldo)
        reply.saldo = keyed<SaldoSynData>(memberOf(res, "saldo"), [](uint uid, const Value &value) {
            return SaldoSynData { uid, Field(&value).toInt() };
        });
    if (reply.mask & SyncMask::Present)
        reply.present
            = keyed<PresentSynData>(memberOf(res, "present"), [](uint uid, const Value &value) {
                  return PresentSynData { uid, Field(&value).toUInt() };
              });
    if (reply.mask & SyncMask::Zones)
        readTimezones(memberOf(res, "timezones"), reply);
    if (reply.mask & SyncMask::Grp)
        reply.grp = keyed<GrpSynData>(memberOf(res, "grp"), [](uint uid, const Value &value) {
            return GrpSynData { uid, quint8(Field(&value).toUInt()) };
        });
    return reply;
}

PersonSynDataList personList(const ReplyEnvelope &envelope)
{
    PersonSynDataList list;
    FieldNames<PersonFieldCount> personFields(personFieldNames);
    forEachListed(envelope, [&](const Value &entry, uint ts) {
        if (!entry.IsObject() || entry.MemberCount() == 0)
            return;
        const Fields<PersonFieldCount> f(entry, personFields);
        PersonSynData p = personFrom(f[PersonUid].toUInt(), f);
        p.type = QLatin1Char('I');
        p.tsc = ts;
        list.append(p);
    });
    return list;
}

InterSynDataList interList(const ReplyEnvelope &envelope)
{
    InterSynDataList list;
    FieldNames<InterFieldCount> interFields(interFieldNames);
    forEachListed(envelope, [&](const Value &entry, uint ts) {
        const Fields<InterFieldCount> f(entry, interFields);
        InterSynData i = interFrom(f[Iid].toUInt(), f);
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
