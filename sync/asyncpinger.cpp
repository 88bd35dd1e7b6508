#include "sync/asyncpinger.h"

#include "foundation/globals.h"
#include "foundation/networkaccess.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

AsyncPinger::AsyncPinger(const QString &aHost, uint aPort, QObject *parent)
    : QObject(parent)
    , host(aHost)
    , port(aPort)
    , mTimer(new QTimer(this))
    , mNetworkManager(new NetworkAccess(this))
{
    mTimer->setInterval(defaultTimeoutMs);
    mTimer->setSingleShot(true);
    connect(mTimer, &QTimer::timeout, this, &AsyncPinger::doAbort);
    connect(mNetworkManager, &NetworkAccess::finished, this, &AsyncPinger::replyFinished);
}

QNetworkProxy AsyncPinger::proxy() const
{
    return mNetworkManager->proxy();
}

void AsyncPinger::setProxy(const QNetworkProxy &proxy)
{
    mNetworkManager->setProxy(proxy);
}

void AsyncPinger::setTimeout(uint tout)
{
    mTimer->setInterval(int(tout));
}

QUrl AsyncPinger::pingUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPath(QStringLiteral("/ping.html"));
    if (port != 80)
        url.setPort(int(port));
    return url;
}

void AsyncPinger::doPing()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger::doPing() host=" << host << " port=" << port;
    mFinished = false;
    const QUrl url = pingUrl();
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger URL:" << url;
    mTimer->start();
    QNetworkRequest request(url);
    // A probe never outlives its verdict by much; the late reply is only released.
    request.setTransferTimeout(4 * mTimer->interval());
    mNetworkManager->manager()->get(request);
}

void AsyncPinger::replyFinished(QNetworkReply *reply)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger::replyFinished()";
    const uint status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toUInt();
    const bool failed = reply->error() != QNetworkReply::NoError;
    if (failed)
        qWarning() << "AsyncPinger - reply ERROR:" << reply->errorString();
    reply->deleteLater();
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger - isOK:" << (failed ? "false" : "true")
                 << " status code:" << status;
    slotFinished(status - 200 < 200);
}

void AsyncPinger::slotFinished(bool status)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger::slotFinished(" << (status ? "true" : "false");
    if (!mFinished) {
        mFinished = true;
        emit pingFinished(status);
    }
    if (mTimer->isActive())
        mTimer->stop();
}

void AsyncPinger::doAbort()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "AsyncPinger::doAbort()";
    mTimer->stop();
    if (!mFinished) {
        mFinished = true;
        emit pingFinished(false);
    }
}
