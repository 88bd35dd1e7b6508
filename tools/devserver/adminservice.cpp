#include "devserver/adminservice.h"

#include "devserver/connectionrefusal.h"
#include "devserver/devcatalogue.h"
#include "devserver/devdatabase.h"
#include "devserver/entrancestore.h"
#include "devserver/faultinjector.h"
#include "devserver/requestjournal.h"
#include "devserver/serverbehaviour.h"
#include "devserver/terminalstore.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString basePath = QStringLiteral("/admin/");

DevResponse json(const QJsonValue &value, int status = 200)
{
    DevResponse response;
    response.status = status;
    response.contentType = "application/json; charset=utf-8";
    response.body = value.isArray()
        ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
        : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return response;
}

DevResponse error(int status, const QString &message)
{
    return json(QJsonObject { { "error", message } }, status);
}

QJsonArray rowsToJson(const QList<QVariantMap> &rows)
{
    QJsonArray array;
    for (const QVariantMap &row : rows)
        array.append(QJsonObject::fromVariantMap(row));
    return array;
}

} // namespace

AdminService::AdminService(Components components)
    : mC(components)
{
}

bool AdminService::handles(const QString &path)
{
    return path.startsWith(basePath);
}

DevResponse AdminService::handle(const DevRequest &request)
{
    if (!QHostAddress(request.remoteAddress).isLoopback())
        return error(403, QStringLiteral("loopback clients only"));
    mC.db.transaction();
    const DevResponse response = route(request, request.path.mid(basePath.size()));
    mC.db.commit();
    return response;
}

DevResponse AdminService::route(const DevRequest &request, const QString &what)
{
    const QString route = request.method + QLatin1Char(' ') + what;
    const auto count = [&](const char *name, int fallback) {
        return request.query.hasQueryItem(QLatin1String(name))
            ? request.query.queryItemValue(QLatin1String(name)).toInt()
            : fallback;
    };

    if (route == QLatin1String("GET terms"))
        return json(mC.terminals.list());
    if (route == QLatin1String("GET entrances"))
        return json(mC.entrances.list());
    if (route == QLatin1String("GET repeats"))
        return json(mC.entrances.repeats());
    if (route == QLatin1String("GET requests"))
        return json(mC.journal.entries());
    if (route == QLatin1String("DELETE requests")) {
        mC.journal.clear();
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("POST fail")) {
        mC.faults.failNext(count("count", 1), count("status", 500), count("after", 0));
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("POST stall")) {
        mC.faults.stallNext(count("count", 1), count("after", 0));
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("POST slow")) {
        mC.faults.slowNext(count("count", 1), count("ms", 1000), count("after", 0));
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("POST drop") || route == QLatin1String("POST garble")) {
        mC.faults.damageNext(what == QLatin1String("drop") ? FaultInjector::Kind::Drop
                                                           : FaultInjector::Kind::Garble,
                             count("count", 1),
                             count("after", 0));
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("GET refuse"))
        return json(QJsonObject { { "refusing", mC.refusal.isRefusing() } });
    if (route == QLatin1String("POST refuse")) {
        // Answered before the listener stops; the port is back after "ms". Held requests
        // go on first: the listener stops only once its connections are done.
        mC.faults.release();
        if (!mC.refusal.refuseFor(count("ms", 1000)))
            return error(409, QStringLiteral("already refusing"));
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("POST release")) {
        mC.faults.release();
        return json(QJsonObject { { "ok", true } });
    }
    if (route == QLatin1String("DELETE term")) {
        if (!mC.terminals.remove(uint(count("id", 0))))
            return error(404, QStringLiteral("no such terminal"));
        return json(QJsonObject { { "ok", true } });
    }

    const QJsonDocument document = QJsonDocument::fromJson(request.body);
    const QVariantMap body = document.object().toVariantMap();
    if (route == QLatin1String("PUT term")) {
        if (!mC.terminals.setFlags(body.value(QStringLiteral("id")).toUInt(),
                                   body.value(QStringLiteral("flags")).toUInt()))
            return error(404, QStringLiteral("no such terminal"));
        return json(QJsonObject::fromVariantMap(
            mC.terminals.find(body.value(QStringLiteral("id")).toUInt())));
    }

    if (route == QLatin1String("GET behaviour"))
        return json(mC.behaviour.toJson());
    if (route == QLatin1String("PUT behaviour")) {
        QString message;
        if (!document.isObject() || !mC.behaviour.update(document.object(), message))
            return error(
                400, message.isEmpty() ? QStringLiteral("body must be a JSON object") : message);
        return json(mC.behaviour.toJson());
    }

    const QHash<QString, ChangeTable *> tables {
        { QStringLiteral("people"), &mC.catalogue.people() },
        { QStringLiteral("inters"), &mC.catalogue.inters() },
        { QStringLiteral("zones"), &mC.catalogue.zones() },
        { QStringLiteral("pzt"), &mC.catalogue.pzt() }
    };
    ChangeTable *table = tables.value(what);
    if (!table)
        return error(404, QStringLiteral("unknown admin route %1").arg(route));
    if (request.method == QLatin1String("GET"))
        return json(rowsToJson(table->rows()));
    if (request.method != QLatin1String("PUT"))
        return error(405, QStringLiteral("use GET or PUT"));
    if (!document.isObject())
        return error(400, QStringLiteral("body must be a JSON object"));

    // A row marked "del": true is deleted; anything else is inserted or updated.
    if (body.value(QStringLiteral("del")).toBool()) {
        QVariantMap keys;
        for (const QString &key : table->layout().keys)
            keys.insert(key, body.value(key));
        if (!table->remove(keys))
            return error(404, QStringLiteral("no such row"));
        return json(QJsonObject { { "ok", true } });
    }
    QVariantMap record = body;
    record.remove(QStringLiteral("del"));
    const QVariantMap stored = table->upsert(record);
    if (stored.isEmpty())
        return error(500, QStringLiteral("not stored"));
    return json(QJsonObject::fromVariantMap(stored));
}
