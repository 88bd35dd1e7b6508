#include "sync/httpmanager.h"

#include "foundation/clock.h"
#include "foundation/networkaccess.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

HttpManager::HttpManager(QObject *parent)
    : QObject(parent)
    , mNetworkManager(new NetworkAccess(this))
{
    connect(mNetworkManager, &NetworkAccess::finished, this, &HttpManager::replyFinished);
    mCheckTimer.setInterval(checkIntervalMs);
    connect(&mCheckTimer, &QTimer::timeout, this, &HttpManager::checkTimeoutConnections);
    mCheckTimer.start();
}

void HttpManager::postData(const QString &url, const QString &data)
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::postData(QString " << url;
    postData(QUrl(url), data.toUtf8());
}

void HttpManager::postData(const QUrl &url, const QByteArray &data)
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::postData(QUrl " << url;
    postData(QNetworkRequest(url), data);
}

void HttpManager::postData(const QNetworkRequest &request, const QByteArray &data)
{
    if (debugLevel >= 2)
        qDebug()
            << "HttpManager::postData(const QNetworkRequest &request, const QByteArray & data)";
    try {
        addReply(mNetworkManager->manager()->post(request, data));
    } catch (...) {
        qCritical("HttpManager::postData() - FAILURE!");
    }
}

void HttpManager::getData(const QString &url)
{
    getData(QUrl(url));
}

void HttpManager::getData(const QUrl &url)
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::getData(QUrl " << url;
    getData(QNetworkRequest(url));
}

void HttpManager::getData(const QNetworkRequest &request)
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::getData(const QNetworkRequest &request)";
    try {
        addReply(mNetworkManager->manager()->get(request));
    } catch (...) {
        qCritical("HttpManager::getData() - FAILURE!");
    }
}

void HttpManager::setProxy(const QNetworkProxy &proxy)
{
    mNetworkManager->setProxy(proxy);
}

void HttpManager::replyFinished(QNetworkReply *reply)
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::replyFinished(" << reply << ")";
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200 && status != 0)
        qWarning() << "HttpManager::replyFinished()status code =" << status;
    const QVariant redirect = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (redirect.isValid() && debugLevel >= 2)
        qDebug() << "HttpManager: Redirection target url = " << redirect.toUrl();

    emit sigReplyFinished(reply);
    if (reply->error() == QNetworkReply::NoError) {
        const QByteArray body = reply->readAll();
        emit dataReaded(QString::fromUtf8(body.constData())); // up to the first zero byte
    } else {
        qWarning() << "HttpManager::replyFinished() error:" << reply->errorString();
        emit requestError(reply->errorString(), status);
    }
    reply->close();
    reply->deleteLater();
}

void HttpManager::addReply(QNetworkReply *reply)
{
    if (!reply)
        return;
    const qint64 now = Clock::instance()->msSinceEpoch();
    mRunningReplies.insert(reply, now);
    if (debugLevel >= 2)
        qDebug() << "HttpManager::addReply(" << reply << ") time:" << now;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { delFinishedReply(reply); });
}

void HttpManager::delFinishedReply(QNetworkReply *reply)
{
    const int removed = mRunningReplies.remove(reply);
    if (debugLevel >= 2)
        qDebug() << "HttpManager::delFinishedReply() reply:" << reply << " remove:" << removed;
}

void HttpManager::checkTimeoutConnections()
{
    if (debugLevel >= 2)
        qDebug() << "HttpManager::checkTimeoutConnections()";
    if (mRunningReplies.isEmpty())
        return;
    const qint64 refTime = Clock::instance()->msSinceEpoch() - mCheckTimer.interval();
    if (debugLevel >= 2)
        qDebug() << "HttpManager::checkTimeoutConnections() active reply count:"
                 << mRunningReplies.size() << " refTime:" << refTime;
    // Aborting finishes the reply, which removes it from the map: work on a copy.
    const auto running = mRunningReplies;
    for (auto it = running.cbegin(); it != running.cend(); ++it) {
        QNetworkReply *reply = it.key();
        if (!mRunningReplies.contains(reply) || reply->isFinished() || it.value() > refTime)
            continue;
        if (debugLevel >= 2)
            qDebug() << "HttpManager: Aborting reply" << reply << " ( time:" << it.value() << ")";
        reply->abort();
    }
}

QString HttpManager::errorText(QNetworkReply::NetworkError code)
{
    switch (code) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Error: Connection Refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Error: Remote Host Closed");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Error: Host Not Found");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("Error: Timeout");
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Error: Operation Canceled");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Error: SSL Handshake Failed");
    case QNetworkReply::TemporaryNetworkFailureError:
        return QStringLiteral("Error: Temporary Network Failure");
    case QNetworkReply::UnknownNetworkError:
        return QStringLiteral("Error: Unknown Network Error");
    case QNetworkReply::ProxyConnectionRefusedError:
        return QStringLiteral("Error: Proxy Connection Refused");
    case QNetworkReply::ProxyConnectionClosedError:
        return QStringLiteral("Error: Proxy Connection Closed");
    case QNetworkReply::ProxyNotFoundError:
        return QStringLiteral("Error: Proxy Not Found");
    case QNetworkReply::ProxyTimeoutError:
        return QStringLiteral("Error: Proxy Timeout");
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("Error: Proxy Authentication Required");
    case QNetworkReply::UnknownProxyError:
        return QStringLiteral("Error: Unknown Proxy Error");
    case QNetworkReply::ContentAccessDenied:
        return QStringLiteral("Error: Content Access Denied");
    case QNetworkReply::ContentOperationNotPermittedError:
        return QStringLiteral("Error: Content Operation Not Permitted");
    case QNetworkReply::ContentNotFoundError:
        return QStringLiteral("Error: Content Not Found");
    case QNetworkReply::AuthenticationRequiredError:
        return QStringLiteral("Error: Authentication Required");
    case QNetworkReply::ContentReSendError:
        return QStringLiteral("Error: Content ReSend Error");
    case QNetworkReply::UnknownContentError:
        return QStringLiteral("Error: Unknown Content Error");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("Error: Protocol Unknown");
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("Error: Protocol Invalid Operation");
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("Error: Protocol Failure");
    default:
        return QString();
    }
}
