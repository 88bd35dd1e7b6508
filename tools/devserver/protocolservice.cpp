#include "devserver/protocolservice.h"

#include "foundation/bodyencoding.h"
#include "devserver/devcatalogue.h"
#include "devserver/devdatabase.h"
#include "devserver/duplicatingjsonwriter.h"
#include "devserver/entrancestore.h"
#include "devserver/identifierpair.h"
#include "devserver/requestauthenticator.h"
#include "devserver/serverbehaviour.h"
#include "devserver/serverconfig.h"
#include "devserver/syncconfirmations.h"
#include "devserver/synclistbuilder.h"
#include "devserver/terminalstore.h"
#include "devserver/wirerecords.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString basePath = QStringLiteral("/zepsync/");
const QString protocolVersion = QStringLiteral("0.1.0");
} // namespace

ProtocolService::ProtocolService(Components components)
    : mC(components)
{
}

bool ProtocolService::handles(const QString &path)
{
    return path.startsWith(basePath);
}

DevResponse ProtocolService::handle(const DevRequest &request)
{
    const QString operationPath = request.path.mid(basePath.size());
    Call call;
    call.method = request.method;
    call.segments = operationPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    call.st = uint(QDateTime::currentSecsSinceEpoch());

    Result result;
    QString message;
    mC.db.transaction();
    if (const int status = mC.authenticator.check(request, message)) {
        result = Result::error(status, message);
    } else if (!request.body.isEmpty()) {
        const QByteArray plain = request.header("Content-Type").contains("/json")
            ? request.body
            : decodeBody(request.body);
        const QJsonDocument document = QJsonDocument::fromJson(plain);
        if (document.isObject()) {
            call.body = document.object();
            result = dispatch(call);
        } else {
            result = Result::error(400, QStringLiteral("Invalid body"));
        }
    } else {
        result = dispatch(call);
    }
    mC.db.commit();

    QJsonObject envelope = result.extra;
    envelope.insert(QStringLiteral("err"), result.err);
    envelope.insert(QStringLiteral("request"),
                    QJsonObject { { "method", request.method }, { "path", operationPath } });
    if (!mC.behaviour.omitState) {
        envelope.insert(QStringLiteral("ver"), protocolVersion);
        envelope.insert(QStringLiteral("st"), qint64(call.st));
    }
    if (result.err != 0)
        envelope.insert(QStringLiteral("err_msg"), result.res.toString());

    DevResponse response;
    response.status = result.err == 0 ? 200 : result.err;
    response.contentType = "application/json; charset=utf-8";
    if (mC.behaviour.duplicates) {
        response.body = QJsonDocument(envelope).toJson(QJsonDocument::Compact);
        response.body.insert(response.body.size() - 1,
                             ",\"res\":" + DuplicatingJsonWriter::write(result.res));
    } else {
        envelope.insert(QStringLiteral("res"), result.res);
        response.body = QJsonDocument(envelope).toJson(QJsonDocument::Compact);
    }
    return response;
}

ProtocolService::Result ProtocolService::dispatch(Call &call)
{
    const QString operation = call.segments.value(0).toLower();
    const QString route = call.method + QLatin1Char(' ') + operation;
    if (route == QLatin1String("POST term"))
        return registerTerminal(call);

    static const QStringList keyed { "GET sync",       "DELETE sync", "PUT term",
                                     "GET person",     "POST person", "PUT person",
                                     "DELETE person",  "GET inters",  "POST entrance",
                                     "DELETE entrance" };
    if (!keyed.contains(route))
        return Result::error(404, QStringLiteral("Unknown operation '%1'").arg(route));
    Result failure;
    if (!resolveTerminal(call, failure))
        return failure;
    // The identifier pair after the key; a forced sync has "fs" there instead.
    static const QStringList needPair {
        "DELETE sync", "PUT person", "DELETE person", "DELETE entrance"
    };
    const QString pair = call.segments.value(2);
    call.hasPair = !pair.isEmpty() && pair != QLatin1String("fs");
    if ((call.hasPair && !IdentifierPair::decode(pair, call.first, call.second))
        || (!call.hasPair && needPair.contains(route)))
        return Result::error(400, QStringLiteral("Invalid identifier"));

    if (route == QLatin1String("GET sync"))
        return getSync(call);
    if (route == QLatin1String("DELETE sync"))
        return confirmSync(call);
    if (route == QLatin1String("PUT term"))
        return updateTerminal(call);
    if (route == QLatin1String("GET person"))
        return getPeople(call);
    if (route == QLatin1String("POST person"))
        return savePerson(call, call.body.value(QStringLiteral("refId")).toVariant().toUInt());
    if (route == QLatin1String("PUT person"))
        return savePerson(call, call.first);
    if (route == QLatin1String("DELETE person"))
        return deletePerson(call);
    if (route == QLatin1String("GET inters"))
        return getInters(call);
    if (route == QLatin1String("POST entrance"))
        return addEntrance(call);
    return deleteEntrance(call);
}

bool ProtocolService::resolveTerminal(Call &call, Result &failure) const
{
    uint term = 0;
    uint fid = 0;
    if (!IdentifierPair::decode(call.segments.value(1), term, fid)) {
        failure = Result::error(400, QStringLiteral("Invalid hash"));
        return false;
    }
    const QVariantMap terminal = mC.terminals.find(term);
    if (terminal.isEmpty() || terminal.value(QStringLiteral("fid")).toUInt() != fid) {
        failure = Result::error(404, QStringLiteral("Terminal not found"));
        return false;
    }
    call.term = term;
    return true;
}

ProtocolService::Result ProtocolService::getSync(const Call &call)
{
    const bool force = call.segments.mid(2).contains(QStringLiteral("fs"));
    QJsonObject lists = mC.syncLists.build(call.term, force, call.st);
    if (mC.behaviour.omitState)
        lists.remove(QStringLiteral("st"));
    if (const uint lastId = mC.entrances.lastLocalId(call.term))
        lists.insert(QStringLiteral("lastId"), qint64(lastId));
    const uint flags = mC.terminals.find(call.term).value(QStringLiteral("flags")).toUInt();
    return { 0, lists, { { "flags", qint64(flags) } } };
}

ProtocolService::Result ProtocolService::confirmSync(const Call &call)
{
    const uint ts = call.first;
    const uint lists = call.second;
    return { 0, qint64(mC.confirmations.confirm(call.term, ts, lists)), {} };
}

ProtocolService::Result ProtocolService::registerTerminal(const Call &call)
{
    const uint id
        = mC.terminals.registerTerminal(call.body.toVariantMap(), mC.config.terminalFlags);
    if (id == 0)
        return Result::error(500, QStringLiteral("Terminal not stored"));
    // A terminal registering again lost its key, and with it what it had.
    mC.confirmations.forget(id);
    return { 0, qint64(id), { { "colorGroups", mC.config.colorGroups } } };
}

ProtocolService::Result ProtocolService::updateTerminal(const Call &call)
{
    if (!mC.terminals.update(call.term, call.body.toVariantMap()))
        return Result::error(500, QStringLiteral("Terminal not stored"));
    return { 0, qint64(call.term), {} };
}

static QJsonObject personReply(const QVariantMap &row)
{
    QJsonObject person = WireRecords::person(row);
    person.insert(QStringLiteral("uid"), row.value(QStringLiteral("uid")).toLongLong());
    person.insert(QStringLiteral("present"), row.value(QStringLiteral("present")).toLongLong());
    return person;
}

ProtocolService::Result ProtocolService::getPeople(const Call &call)
{
    QJsonArray people;
    if (!call.hasPair) {
        for (const QVariantMap &row : mC.catalogue.people().rows())
            people.append(personReply(row));
        return { 0, people, {} };
    }
    const uint uid = call.first;
    const uint pid = call.second;
    const QVariantMap row = uid != 0 ? mC.catalogue.people().find({ { "uid", uid } })
                                     : mC.catalogue.people().find({ { "pid", pid } });
    if (row.isEmpty())
        return Result::error(404, QStringLiteral("Person not found"));
    people.append(personReply(row));
    return { 0, people, {} };
}

ProtocolService::Result ProtocolService::savePerson(const Call &call, uint refId)
{
    const QVariantMap body = call.body.toVariantMap();
    const uint pid = body.value(QStringLiteral("pid")).toUInt();
    ChangeTable &people = mC.catalogue.people();
    // The terminal may not know the server's id yet: a person with its number is the same person.
    QVariantMap existing = refId != 0 ? people.find({ { "uid", refId } }) : QVariantMap();
    if (existing.isEmpty() && pid != 0)
        existing = people.find({ { "pid", pid } });

    // Balance and presence are the server's own; the terminal edits the rest.
    QVariantMap person { { "uid", existing.value(QStringLiteral("uid"), 0) }, { "pid", pid } };
    for (const char *key : { "card", "name", "surname", "title", "admin", "access" }) {
        if (body.contains(QLatin1String(key)))
            person.insert(QLatin1String(key), body.value(QLatin1String(key)));
    }
    if (body.contains(QStringLiteral("colorGroup")))
        person.insert(QStringLiteral("grp"), body.value(QStringLiteral("colorGroup")));

    const QVariantMap stored = people.upsert(person);
    if (stored.isEmpty())
        return Result::error(500, QStringLiteral("Person not stored"));
    if (body.value(QStringLiteral("del")).toBool())
        people.remove({ { "uid", stored.value(QStringLiteral("uid")) } });
    return { 0,
             QJsonObject { { "pid", stored.value("pid").toLongLong() },
                           { "uid", stored.value("uid").toLongLong() } },
             {} };
}

ProtocolService::Result ProtocolService::deletePerson(const Call &call)
{
    const uint refId = call.first;
    const uint pid = call.second;
    ChangeTable &people = mC.catalogue.people();
    const QVariantMap row
        = refId != 0 ? people.find({ { "uid", refId } }) : people.find({ { "pid", pid } });
    if (row.isEmpty() || !people.remove({ { "uid", row.value(QStringLiteral("uid")) } }))
        return Result::error(404, QStringLiteral("Person not found"));
    return { 0, row.value(QStringLiteral("uid")).toLongLong(), {} };
}

ProtocolService::Result ProtocolService::getInters(const Call &)
{
    QJsonArray inters;
    for (const QVariantMap &row : mC.catalogue.inters().rows()) {
        QJsonObject inter = WireRecords::inter(row);
        inter.insert(QStringLiteral("iid"), row.value(QStringLiteral("id")).toLongLong());
        inters.append(inter);
    }
    return { 0, inters, {} };
}

ProtocolService::Result ProtocolService::addEntrance(const Call &call)
{
    const QVariantMap entrance = call.body.toVariantMap();
    const uint rid = entrance.value(QStringLiteral("refId")).toUInt();
    if (mC.behaviour.rejectedEntrances.contains(rid))
        return Result::error(422, QStringLiteral("Entrance %1 rejected").arg(rid));
    const QByteArray image
        = decodeBody(entrance.value(QStringLiteral("image")).toString().toLatin1());
    const uint eid = mC.entrances.add(call.term, entrance, image, !mC.behaviour.countUploads);
    if (eid == 0)
        return Result::error(500, QStringLiteral("Entrance not stored"));
    return { 0, QJsonObject { { "rid", qint64(rid) }, { "eid", qint64(eid) } }, {} };
}

ProtocolService::Result ProtocolService::deleteEntrance(const Call &call)
{
    const uint eid = call.first;
    const uint rid = call.second;
    if (!mC.entrances.remove(call.term, eid, rid))
        return Result::error(404, QStringLiteral("Entrance not found"));
    return { 0, qint64(eid), {} };
}
