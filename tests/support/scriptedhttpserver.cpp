#include "scriptedhttpserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

ScriptedHttpServer::ScriptedHttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&mServer, &QTcpServer::newConnection, this, &ScriptedHttpServer::onConnection);
}

bool ScriptedHttpServer::listen()
{
    return mServer.listen(QHostAddress::LocalHost, 0);
}

bool ScriptedHttpServer::listenWithTls()
{
    mServer.setCertificate(TlsTcpServer::loopbackCertificate(), TlsTcpServer::loopbackKey());
    return listen();
}

ScriptedHttpServer::Reply
ScriptedHttpServer::reply(int status, const QByteArray &body, const QByteArray &contentType)
{
    Reply r;
    r.status = status;
    r.body = body;
    r.contentType = contentType;
    return r;
}

void ScriptedHttpServer::onConnection()
{
    while (QTcpSocket *socket = mServer.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            mBuffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void ScriptedHttpServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = mBuffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines.at(i).indexOf(':');
            if (colon > 0)
                request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                       lines.at(i).mid(colon + 1).trimmed());
        }
        const int length = request.headers.value("content-length").toInt();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        mRequests.append(request);
        emit requestReceived();
        answer(socket, request);
    }
}

void ScriptedHttpServer::answer(QTcpSocket *socket, const Request &request)
{
    Reply r;
    if (!mQueue.isEmpty())
        r = mQueue.takeFirst();
    else if (mHandler)
        r = mHandler(request);
    else
        r = reply(200, QByteArrayLiteral("{}"));
    if (r.mode == Reply::NoAnswer)
        return;

    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " Scripted\r\n";
    if (!r.contentType.isEmpty())
        head += "Content-Type: " + r.contentType + "\r\n";
    for (const auto &header : qAsConst(r.headers))
        head += header.first + ": " + header.second + "\r\n";
    head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n\r\n";
    const QByteArray payload
        = r.mode == Reply::Stall ? head + r.body.left(r.body.size() / 2) : head + r.body;

    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(r.delayMs, this, [guarded, payload] {
        if (guarded)
            guarded->write(payload);
    });
}
