#include "sync/zepsynclient.h"

#include "foundation/networkaccess.h"
#include "foundation/bodyencoding.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace {
const char *const tooLargeProperty = "zepBodyTooLarge";
const char *const requestProperty = "zepRequest";
const QByteArray contentType = QByteArrayLiteral("application/zep");
} // namespace

ZepSynClient::ZepSynClient(QObject *parent)
    : QObject(parent)
    , mNetworkManager(new NetworkAccess(this))
{
    connect(mNetworkManager, &NetworkAccess::finished, this, &ZepSynClient::requestFinished);
}

QNetworkRequest ZepSynClient::makeRequest(const QString &path)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(QStringLiteral("/zepsync/%1").arg(path));
    if (debugLevel >= 2)
        qDebug("ZepSynClient::makeRequest(): %s", qPrintable(url.toString()));

    QNetworkRequest request(url);
    request.setTransferTimeout(mTransferTimeoutMs);
    request.setRawHeader(QByteArrayLiteral("Content-Type"), contentType);
    if (!token.isEmpty())
        request.setRawHeader(QByteArrayLiteral("Pragma"),
                             QStringLiteral("token = %1").arg(token).toUtf8());
    if (!mCredential.isEmpty())
        request.setRawHeader(QByteArrayLiteral("Authorization"),
                             QStringLiteral("ZEPSYNC %1").arg(mCredential).toUtf8());
    return request;
}

QNetworkRequest ZepSynClient::makeBodyRequest(const QString &path, const QByteArray &encoded)
{
    QNetworkRequest request = makeRequest(path);
    request.setTransferTimeout(mUploadTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    request.setHeader(QNetworkRequest::ContentLengthHeader, encoded.size());
    return request;
}

quint64 ZepSynClient::sendGetRequest(const QString &path)
{
    if (debugLevel >= 2)
        qDebug("ZepSynClient::sendGetRequest(%s)", qPrintable(path));
    return track(mNetworkManager->manager()->get(makeRequest(path)));
}

quint64 ZepSynClient::sendDeleteRequest(const QString &path)
{
    if (debugLevel >= 2)
        qDebug("ZepSynClient::sendDeleteRequest(%s)", qPrintable(path));
    return track(mNetworkManager->manager()->deleteResource(makeRequest(path)));
}

quint64 ZepSynClient::sendPostRequest(const QString &path, const QByteArray &data)
{
    if (debugLevel >= 2)
        qDebug(
            "ZepSynClient::sendPostRequest(%s, data size: %i)", qPrintable(path), int(data.size()));
    const QByteArray encoded = encodeBody(data);
    return track(mNetworkManager->manager()->post(makeBodyRequest(path, encoded), encoded));
}

quint64 ZepSynClient::sendPutRequest(const QString &path, const QByteArray &data)
{
    if (debugLevel >= 2)
        qDebug(
            "ZepSynClient::sendPutRequest(%s, data size: %i)", qPrintable(path), int(data.size()));
    const QByteArray encoded = encodeBody(data);
    return track(mNetworkManager->manager()->put(makeBodyRequest(path, encoded), encoded));
}

void ZepSynClient::setAuth(uint lid, const QString &tkn)
{
    if (lid != 0 && !tkn.isEmpty())
        mCredential = QString::fromLatin1(
            encodeBody(QStringLiteral("%1:%2").arg(tkn).arg(lid).toLocal8Bit()));
    else
        mCredential.clear();
}

// Numbers the request, and aborts its reply as soon as the body is known to exceed
// the bound, so that it is never buffered whole.
quint64 ZepSynClient::track(QNetworkReply *reply)
{
    reply->setProperty(requestProperty, ++mLastRequest);
    const qint64 limit = mMaxBodySize;
    auto refuse = [reply, limit](qint64 size) {
        if (size <= limit || reply->property(tooLargeProperty).toBool())
            return;
        reply->setProperty(tooLargeProperty, true);
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, refuse] {
        refuse(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong());
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [refuse](qint64 received, qint64) {
        refuse(received);
    });
    return mLastRequest;
}

void ZepSynClient::requestFinished(QNetworkReply *reply)
{
    quint16 status = quint16(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
    const QString path = reply->url().path(QUrl::FullyDecoded);
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const bool failed = reply->error() != QNetworkReply::NoError;
    const bool tooLarge = reply->property(tooLargeProperty).toBool();
    const quint64 request = reply->property(requestProperty).toULongLong();
    // A transfer cut short (time-out, closed connection, refused body) is no
    // answer, whatever status line may have come before.
    if (tooLarge || (failed && reply->error() < QNetworkReply::ContentAccessDenied))
        status = 0;

    if (tooLarge) {
        const QString error
            = QStringLiteral("Reply body larger than %1 bytes refused").arg(mMaxBodySize);
        emit networkError(error);
        qCritical("ZepSynClient - %s: %s", qPrintable(error), qPrintable(path));
        reply->deleteLater();
        emit replyFinished(status, QByteArray());
        emit requestEnded(request);
        return;
    }
    if (failed)
        emit networkError(reply->errorString());

    const QByteArray body = reply->readAll();
    if (debugLevel >= 2)
        qDebug("ZepSynClient::requestFinished()  path: %s, status: %i, Content-type: %s",
               qPrintable(path),
               int(status),
               qPrintable(type));
    if (failed)
        qWarning("ZepSynClient - Network ERROR: %s", qPrintable(reply->errorString()));

    if (!body.isEmpty()) {
        if (debugLevel >= 2)
            qDebug("ZepSynClient::requestFinished()  - first 200 chars of BYTES: '%s'",
                   body.left(200).constData());
        emit replyFinished(status, type.contains(QLatin1String("/json")) ? body : decodeBody(body));
    } else {
        qWarning("ZepSynClient::requestFinished() - NO DATA");
        emit replyFinished(status, QByteArray());
    }
    reply->deleteLater();
    emit requestEnded(request);
}
