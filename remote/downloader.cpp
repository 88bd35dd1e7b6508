#include "remote/downloader.h"

#include "sync/httpmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>

namespace {

// A name that stays inside its folder: no separators, not "." or "..".
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

Downloader::Downloader(QObject *parent)
    : QObject(parent)
    , mHttp(new HttpManager(this))
{
    connect(mHttp, &HttpManager::sigReplyFinished, this, &Downloader::replyFinished);
    connect(mHttp, &HttpManager::requestError, this, &Downloader::requestError);
}

int Downloader::downloadFile(const QUrl &url, const QString &target, const QString &fileName)
{
    qDebug() << "Downloader::downloadFile(" << url << ")";
    if (url.isEmpty()) {
        qDebug() << "Downloader::downloadFile(" << url << ") - empty URL!";
        return -1;
    }
    if (!url.isValid()) {
        qDebug() << "Downloader::downloadFile(" << url << ") - invalid URL!";
        return -1;
    }
    const int jobID = ++mCounter;
    mUrls.insert(jobID, url.toString());
    mTargets.insert(jobID, target);
    // The last segment of the decoded path: "a%2F..%2Fb" must not climb out.
    mFileNames.insert(jobID, fileName.isEmpty() ? url.fileName(QUrl::FullyDecoded) : fileName);
    mHttp->getData(url);
    return jobID;
}

QString Downloader::targetFile(const QString &target, const QString &fileName) const
{
    const QFileInfo pathInfo(target);
    if (pathInfo.isDir()) {
        qDebug("Downloader::replyFinished() - pathInfo.isDir()");
        qDebug() << "Downloader::replyFinished() - fileName = " << fileName;
        if (!isPlainFileName(fileName))
            return QString();
        return target.endsWith(QLatin1Char('/')) ? target + fileName
                                                 : target + QLatin1Char('/') + fileName;
    }
    qDebug() << "Downloader::replyFinished() - fileName = " << pathInfo.fileName();
    if (!isPlainFileName(pathInfo.fileName()))
        return QString();
    return target;
}

void Downloader::replyFinished(QNetworkReply *reply)
{
    qDebug("Downloader::replyFinished()");
    const QString urlText = reply->url().toString();
    const int jobID = mUrls.key(urlText, 0);
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Downloader::replyFinished() - error:" << reply->errorString();
        emit replyError(jobID, reply->errorString());
        finish(jobID, int(reply->error()));
        return;
    }
    const QString filePath = targetFile(mTargets.value(jobID), mFileNames.value(jobID));
    if (filePath.isEmpty()) {
        qDebug("Downloader::replyFinished() - fileName.isEmpty()");
        finish(jobID, NoFileName);
        return;
    }
    qDebug() << "Downloader::replyFinished() - filepath = " << filePath;
    finish(jobID, saveReply(reply, filePath));
}

int Downloader::saveReply(QNetworkReply *reply, const QString &filePath)
{
    const QByteArray data = reply->readAll();
    qDebug() << "Downloader::replyFinished() - data length:" << data.size();
    if (data.isNull()) {
        qDebug("Downloader::replyFinished() - data.isNull()");
        return NoData;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug("Downloader::replyFinished() - file not open");
        return OpenFailed;
    }
    try {
        if (file.write(data) != data.size())
            return WriteFailed;
    } catch (...) {
        qDebug("Downloader::replyFinished() -file save exception");
        return WriteFailed;
    }
    return Saved;
}

void Downloader::finish(int jobID, int errCode)
{
    mUrls.remove(jobID);
    mTargets.remove(jobID);
    mFileNames.remove(jobID);
    emit downloadFinished(jobID, errCode);
}

void Downloader::requestError(const QString &error, int code)
{
    qDebug() << "Downloader::requestError()" << error << code;
}

void Downloader::authenticationRequired(QNetworkReply *, QAuthenticator *)
{
    qDebug("Downloader::authenticationRequired()");
}

void Downloader::proxyAuthenticationRequired(const QNetworkProxy &, QAuthenticator *)
{
    qDebug("Downloader::proxyAuthenticationRequired()");
}

void Downloader::sslErrors(const QList<QSslError> &)
{
    qDebug("Downloader::sslErrors()");
}
