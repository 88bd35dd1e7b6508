#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>

// A TCP server whose connections are TLS once it has a certificate: each incoming
// socket is a QSslSocket that starts the server side of the handshake.
class TlsTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

    void setCertificate(const QSslCertificate &certificate, const QSslKey &key);

    // The self-signed certificate of tests/support/tls, for 127.0.0.1 and localhost.
    static QSslCertificate loopbackCertificate();
    static QSslKey loopbackKey();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QSslCertificate mCertificate;
    QSslKey mKey;
};
