#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include "tlstcpserver.h"

#include <functional>

class QTcpSocket;

// A tiny HTTP/1.1 server on loopback for fault injection: it answers each
// request with a scripted reply (status, body, delay, or a stall) and records
// every request it received.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    struct Reply
    {
        enum Mode {
            Complete, // status line, headers and the whole body
            Stall, // headers and half of the body, then silence
            NoAnswer // the request is read and never answered
        };
        int status = 200;
        QByteArray contentType = QByteArrayLiteral("application/json");
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers; // further header lines
        int delayMs = 0;
        Mode mode = Complete;
    };

    using Handler = std::function<Reply(const Request &)>;

    explicit ScriptedHttpServer(QObject *parent = nullptr);

    bool listen();
    // Answers over TLS with the loopback certificate of tests/support/tls.
    bool listenWithTls();
    quint16 port() const { return mServer.serverPort(); }

    // Replies are taken from the queue first, then from the handler; with
    // neither, the answer is 200 with an empty JSON object.
    void enqueue(const Reply &reply) { mQueue.append(reply); }
    void setHandler(Handler handler) { mHandler = std::move(handler); }

    QList<Request> requests() const { return mRequests; }
    void clearRequests() { mRequests.clear(); }

    static Reply reply(int status,
                       const QByteArray &body,
                       const QByteArray &contentType = QByteArrayLiteral("application/json"));

signals:
    void requestReceived();

private:
    void onConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Request &request);

    TlsTcpServer mServer;
    QHash<QTcpSocket *, QByteArray> mBuffers;
    QList<Reply> mQueue;
    Handler mHandler;
    QList<Request> mRequests;
};
