#include "remote/orvel.h"

#include "foundation/clock.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "remote/logmask.h"
#include "remote/orvelcrypto.h"
#include "remote/orvelstatussource.h"
#include "sync/asyncpinger.h"
#include "foundation/bodyencoding.h"
#include "sync/httpmanager.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QStringList>

namespace {

// A reply whose key is older (or newer) than this is a replay, not an answer.
constexpr qint64 replyKeyMaxAgeSecs = 3600;

// The request a reply answers travels with the network request.
QNetworkRequest protocolRequest(const QUrl &url, const QString &plainRequest)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::User, plainRequest);
    return request;
}

} // namespace

Orvel::Orvel(ZEPSettings *settings, OrvelStatusSource *source, QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mSource(source)
{
    readServiceAddress();
    mNetworking = mSettings->value(Setting::networking).toBool();
    mCleanUrl = mSettings->value(Setting::orvelCleanUrl).toBool();
    setVerbose(int(Zep::debugLevel));

    mHttp = new HttpManager(this);
    mHttp->debugLevel = quint8(qMin(Zep::debugLevel, 255u));
    connect(mHttp, &HttpManager::sigReplyFinished, this, &Orvel::httpReply);
    connect(mHttp, &HttpManager::dataReaded, this, &Orvel::httpDataReaded);
    connect(mSettings, &ZEPSettings::onWrite, this, &Orvel::onSettingsChanged);
    mPinger = new AsyncPinger(mHost, uint(mPort), this);
    connect(mPinger, &AsyncPinger::pingFinished, this, &Orvel::pingFinished);
}

QString Orvel::terminalToken(int tid)
{
    return QString::fromLatin1(encodeBody(QString::asprintf("%09d", tid).toUtf8()));
}

bool Orvel::lastPingResult(bool refresh)
{
    if (refresh)
        doPing();
    return mLastPing;
}

QUrl Orvel::requestUrl(const QString &encrypted) const
{
    const QString token = terminalToken(mSource->terminalRecord().tid);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(mHost, QUrl::DecodedMode);
    if (mPort != 80)
        url.setPort(mPort);
    if (mCleanUrl) {
        url.setPath(mPath + token + encrypted);
    } else {
        url.setPath(mPath);
        url.setQuery(QStringLiteral("q=") + token + encrypted);
    }
    return url;
}

QString Orvel::sendRequest(const QString &data)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel::sendRequest(" << LogMask::request(data) << ")";
    QUrl query;
    query.setQuery(data, QUrl::TolerantMode);
    QString prepared = query.toString(QUrl::FullyEncoded);
    if (prepared.startsWith(QLatin1Char('?')))
        prepared.remove(0, 1);
    if (Zep::debugLevel >= 3)
        qDebug() << "Orvel::sendRequest() prepared DATA =" << LogMask::request(prepared);
    const QString encrypted = orvelEncrypt(prepared);
    if (encrypted.isEmpty()) {
        qCritical("Orvel::sendRequest() - request not encrypted, not sent!");
        return QString();
    }
    const QUrl url = requestUrl(encrypted);
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel::sendRequest() URL = " << url;
    ++mOutstanding;
    mHttp->getData(protocolRequest(url, prepared));
    return url.toString();
}

void Orvel::updateTerminalData()
{
    try {
        const TermData &record = mSource->terminalRecord();
        setTermData(record.tid, record.skey, record.sn);
    } catch (...) {
        qCritical("Orvel::updateTerminalData(): Exception while updating terminal data!");
    }
}

bool Orvel::uploadFile(const QString &filePath,
                       const QString &type,
                       uint eid,
                       const QString &fileMime)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel::uploadFile(" << filePath << type << eid << ")";
    if (type.isEmpty()) {
        qCritical("Orvel::uploadFile() - type is empty!");
        return false;
    }
    const QFileInfo info(filePath);
    if (!info.isFile()) {
        qCritical("Orvel::uploadFile() - file is not valid!");
        return false;
    }
    const QString fileName = info.fileName();
    if (fileName.isEmpty()) {
        qCritical("Orvel::uploadFile() - empty fileName!");
        return false;
    }
    QByteArray fileData;
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly))
        fileData = file.readAll();
    else
        qCritical("Orvel::uploadFile() - Failure while read file!");
    if (fileData.isEmpty()) {
        qCritical("Orvel::uploadFile() - 'fileData' is empty!");
        return false;
    }

    const QString request = QStringLiteral("op=upload&cmd=%1&eid=%2").arg(type).arg(eid);
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel::uploadFile() - request=" << request;
    updateTerminalData();
    const QString encrypted = orvelEncrypt(request);
    if (Zep::debugLevel >= 3)
        qDebug() << "Orvel::uploadFile() - encRequest=" << encrypted;
    if (encrypted.isEmpty()) {
        qCritical("Orvel::uploadFile() - request not encrypted!");
        return false;
    }
    const QUrl url = requestUrl(encrypted);
    qDebug() << "Orvel::uploadFile() - url=" << url;

    QByteArray boundary;
    for (int i = 0; i < 8; ++i)
        boundary.append(char(35 + QRandomGenerator::global()->bounded(91)));
    QByteArray body;
    body += "--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"action\"\r\n\r\n";
    body += "index.php\r\n";
    body += "--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"upfile\"; filename=\"" + fileName.toLatin1()
        + "\"\r\n";
    body += "Content-Type: " + fileMime.toLatin1() + "\r\n\r\n";
    body += fileData + "\r\n";
    body += "--" + boundary + "--\r\n";

    QNetworkRequest post = protocolRequest(url, request);
    post.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary);
    post.setRawHeader("Content-Length", QByteArray::number(body.size()));
    ++mOutstanding;
    mHttp->postData(post, body);
    return true;
}

void Orvel::doUpdate()
{
    if (!mNetworking) {
        emit updateNotSent();
        return;
    }
    ++mUpdateCount;
    if (Zep::debugLevel >= 1)
        qDebug() << "Orvel::doUpdate():" << mUpdateCount;
    doPing();
}

void Orvel::doPing()
{
    if (Zep::debugLevel >= 1)
        qDebug("Orvel::doPing()");
    if (mSettings->value(Setting::orvelPingEnabled).toBool())
        mPinger->doPing();
    else
        pingFinished(true);
}

void Orvel::pingFinished(bool isOK)
{
    mLastPing = isOK;
    if (!isOK) {
        qWarning() << "Orvel::pingFinished() - " << mHost << "is not accessible!";
        emit updateNotSent();
        return;
    }
    if (Zep::debugLevel >= 2)
        qDebug("Orvel::pingFinished() - OK");
    const TermData &record = mSource->terminalRecord();
    if (mUpdateCount == 1) {
        if (record.tid == 0) {
            emit updateNotSent();
            return;
        }
        if (Zep::debugLevel >= 1)
            qDebug("Orvel:: Ziskavam info z Orvelu..");
        updateTerminalData();
        sendRequest(QStringLiteral("op=get&cmd=term&id=%1").arg(record.tid));
        return;
    }
    if (record.tid == 0 || record.sn.isEmpty() || record.skey.isEmpty()) {
        emit updateNotSent();
        return;
    }
    sendStatusReport();
}

void Orvel::sendStatusReport()
{
    mSource->flushUsagesCPU();
    const TermData &record = mSource->terminalRecord();
    const QStringList fields {
        QStringLiteral("sw=")
            + (record.model.isEmpty() ? QStringLiteral("?") : record.model.left(1)),
        QStringLiteral("tid=") + QString::number(record.tid),
        QStringLiteral("ver=") + record.ver,
        QStringLiteral("rev=") + record.rev,
        QStringLiteral("btime=") + QString::number(record.btime),
        QStringLiteral("prxstate=") + QString::number(mSource->proxyState()),
    };
    QString data = QStringLiteral("op=sync&") + fields.join(QLatin1Char('&'));
    const QString items = mSource->getSyncItems();
    if (!items.isEmpty())
        data += QStringLiteral("&items=%1").arg(items);
    updateTerminalData();
    sendRequest(data);
}

void Orvel::httpReply(QNetworkReply *networkReply)
{
    if (Zep::debugLevel >= 1)
        qDebug("Orvel::httpReply()");
    --mOutstanding;
    int status = networkReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString url = networkReply->url().toString();
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel: URL = " << url;
    const QByteArray bytes = networkReply->readAll();
    if (bytes.isEmpty()) {
        if (Zep::debugLevel >= 2)
            qDebug("Orvel: bytes is empty");
    } else if (Zep::debugLevel >= 3) {
        qDebug() << "BYTES = " << bytes.size() << "bytes";
    }
    // Plain replies are UTF-8 JSON; encrypted ones are ASCII.
    const QString data = QString::fromUtf8(bytes.constData());
    if (Zep::debugLevel >= 3) {
        if (data.isEmpty())
            qDebug("Orvel: data is empty");
        else
            qDebug() << "Orvel: DATA = " << LogMask::reply(data);
    }
    QString errMsg;
    if (status > 200 || networkReply->error() != QNetworkReply::NoError) {
        errMsg = networkReply->errorString();
        if (errMsg.isEmpty())
            errMsg = HttpManager::errorText(networkReply->error());
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "Orvel: STATUS = " << status << errMsg;

    const QString request = networkReply->request().attribute(QNetworkRequest::User).toString();
    if (data.isEmpty()) {
        emit reply(data, status, errMsg, request);
    } else if (data.startsWith(QLatin1Char('{'))) {
        // Anybody on the way can write plain JSON: it may tell of an error, never command.
        errMsg += QStringLiteral("\nPLAIN REPLY");
        emit reply(data, status, errMsg, request);
    } else {
        uint sentAt = 0;
        const QString decrypted = orvelDecrypt(data, &sentAt);
        if (!decrypted.startsWith(QLatin1Char('{'))) {
            errMsg += QStringLiteral("\nDECRYPT ERROR");
            emit reply(QString(), status + 2000, errMsg, request);
        } else if (qAbs(Clock::instance()->secsSinceEpoch() - qint64(sentAt)) > replyKeyMaxAgeSecs) {
            errMsg += QStringLiteral("\nDECRYPT ERROR (stale key)");
            emit reply(QString(), status + 2000, errMsg, request);
        } else {
            if (Zep::debugLevel >= 3)
                qDebug() << "Orvel: Decrypted DATA = " << LogMask::reply(decrypted);
            emit reply(decrypted, status, errMsg, request);
        }
    }
    networkReply->deleteLater();
}

void Orvel::httpDataReaded(const QString &data)
{
    if (Zep::debugLevel >= 3)
        qDebug() << "Orvel::httpDataReaded(" << data << ")";
}

void Orvel::setNetworkProxy(const QNetworkProxy &proxy)
{
    mPinger->setProxy(proxy);
    // The HTTP manager's access manager follows the application proxy unless told.
    mHttp->setProxy(proxy);
}

void Orvel::onSettingsChanged(const QString &key)
{
    if (key == Setting::networking.name) {
        mNetworking = mSettings->value(Setting::networking).toBool();
    } else if (key == Setting::orvelHost.name || key == Setting::orvelPort.name
               || key == Setting::orvelPath.name) {
        readServiceAddress();
        mPinger->setHost(mHost);
        mPinger->setPort(uint(mPort));
    }
}

void Orvel::readServiceAddress()
{
    mHost = mSettings->value(Setting::orvelHost).toString();
    mPort = mSettings->value(Setting::orvelPort).toInt();
    mPath = mSettings->value(Setting::orvelPath).toString();
}
