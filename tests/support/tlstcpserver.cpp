#include "tlstcpserver.h"

#include <QFile>
#include <QSslSocket>

namespace {

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(ZEP_SOURCE_DIR "/tests/support/tls/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TlsTcpServer::setCertificate(const QSslCertificate &certificate, const QSslKey &key)
{
    mCertificate = certificate;
    mKey = key;
}

QSslCertificate TlsTcpServer::loopbackCertificate()
{
    return QSslCertificate(fixture("loopback.crt"), QSsl::Pem);
}

QSslKey TlsTcpServer::loopbackKey()
{
    return QSslKey(fixture("loopback.key"), QSsl::Ec, QSsl::Pem);
}

void TlsTcpServer::incomingConnection(qintptr descriptor)
{
    if (mCertificate.isNull()) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(mCertificate);
    socket->setPrivateKey(mKey);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    addPendingConnection(socket);
    socket->startServerEncryption();
}
