#pragma once

#include "tests/support/scriptedhttpserver.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariantMap>

// An attendance server for fault injection: replies are scripted per
// "METHOD operation"; anything not scripted gets an envelope echoing the
// request with err 0. "/ping.html" answers with pingStatus.
class ScriptedSyncServer
{
public:
    struct Answer
    {
        int status = 200;
        QVariantMap envelope;
        ScriptedHttpServer::Reply::Mode mode = ScriptedHttpServer::Reply::Complete;
    };

    ScriptedSyncServer();

    void script(const QString &key, const Answer &answer) { mScript[key].append(answer); }
    void script(const QString &key, int status, const QVariantMap &envelope);

    // Requests to the protocol's base path, as "METHOD path".
    QStringList calls() const;
    // Decoded JSON bodies of the requests whose "METHOD path" starts with the
    // prefix, in arrival order.
    QList<QVariantMap> bodies(const QString &prefix) const;
    QVariantMap body(const QString &prefix) const { return bodies(prefix).value(0); }

    int pingStatus = 200;
    ScriptedHttpServer server;

private:
    ScriptedHttpServer::Reply answer(const ScriptedHttpServer::Request &request);

    QHash<QString, QList<Answer>> mScript;
};
