#include "tests/support/scriptedsyncserver.h"

#include "foundation/bodyencoding.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QByteArray basePath("/zepsync/");
}

ScriptedSyncServer::ScriptedSyncServer()
{
    server.setHandler(
        [this](const ScriptedHttpServer::Request &request) { return answer(request); });
}

void ScriptedSyncServer::script(const QString &key, int status, const QVariantMap &envelope)
{
    script(key, Answer { status, envelope, ScriptedHttpServer::Reply::Complete });
}

QStringList ScriptedSyncServer::calls() const
{
    QStringList out;
    for (const auto &r : server.requests())
        if (r.path.startsWith(basePath))
            out << QString::fromLatin1(r.method + ' ' + r.path.mid(basePath.size()));
    return out;
}

QList<QVariantMap> ScriptedSyncServer::bodies(const QString &prefix) const
{
    QList<QVariantMap> out;
    for (const auto &r : server.requests()) {
        const QString call = QString::fromLatin1(r.method + ' ' + r.path.mid(basePath.size()));
        if (r.path.startsWith(basePath) && call.startsWith(prefix))
            out << QJsonDocument::fromJson(decodeBody(r.body)).object().toVariantMap();
    }
    return out;
}

ScriptedHttpServer::Reply ScriptedSyncServer::answer(const ScriptedHttpServer::Request &request)
{
    if (request.path == "/ping.html")
        return ScriptedHttpServer::reply(pingStatus, "ok", "text/html");
    const QString path = QString::fromLatin1(request.path.mid(basePath.size()));
    const QString key = QString::fromLatin1(request.method) + QLatin1Char(' ')
        + path.section(QLatin1Char('/'), 0, 0);
    Answer a;
    if (!mScript.value(key).isEmpty())
        a = mScript[key].takeFirst();
    QVariantMap envelope = a.envelope;
    if (!envelope.contains("request"))
        envelope.insert(
            "request",
            QVariantMap { { "method", QString::fromLatin1(request.method) }, { "path", path } });
    if (!envelope.contains("err"))
        envelope.insert("err", 0);
    if (!envelope.contains("ver"))
        envelope.insert("ver", "0.1.0");
    if (!envelope.contains("st"))
        envelope.insert("st", 1000);
    ScriptedHttpServer::Reply r = ScriptedHttpServer::reply(
        a.status, encodeBody(QJsonDocument::fromVariant(envelope).toJson()), "application/zep");
    r.mode = a.mode;
    return r;
}
