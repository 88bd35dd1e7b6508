#include "remote/downloader.h"

#include "foundation/networkaccess.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

#include <memory>

namespace {

// A name that stays inside its folder: no separators, not "." or "..".
bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Read at most this much ahead of the file: the body is never held whole.
constexpr qint64 readBufferSize = 1024 * 1024;
// A transfer that moves nothing for this long is aborted.
constexpr int transferTimeoutMs = 60000;

bool isSuccess(QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 200 && status < 300;
}

} // namespace

struct Downloader::Job
{
    QNetworkReply *reply = nullptr;
    std::unique_ptr<QSaveFile> file;
    QByteArray sha256;
    QCryptographicHash hash { QCryptographicHash::Sha256 };
    qint64 written = 0;
    int stoppedWith = Saved; // set when the job was stopped before the reply ended
};

Downloader::Downloader(QObject *parent)
    : QObject(parent)
    , mNetwork(new NetworkAccess(this))
{
}

Downloader::~Downloader()
{
    // Replies still running are aborted with the access manager; their files are dropped.
    qDeleteAll(mJobs);
}

QNetworkAccessManager *Downloader::manager()
{
    QNetworkAccessManager *manager = mNetwork->manager();
    if (!mManagerConnected) {
        mManagerConnected = true;
        connect(manager,
                &QNetworkAccessManager::authenticationRequired,
                this,
                &Downloader::authenticationRequired);
        connect(manager,
                &QNetworkAccessManager::proxyAuthenticationRequired,
                this,
                &Downloader::proxyAuthenticationRequired);
    }
    return manager;
}

void Downloader::setProxy(const QNetworkProxy &proxy)
{
    mNetwork->setProxy(proxy);
}

int Downloader::downloadFile(const QUrl &url,
                             const QString &target,
                             const QString &fileName,
                             const QByteArray &sha256)
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
    auto *job = new Job;
    mJobs.insert(jobID, job);
    // The last segment of the decoded path: "a%2F..%2Fb" must not climb out.
    const QString filePath
        = targetFile(target, fileName.isEmpty() ? url.fileName(QUrl::FullyDecoded) : fileName);
    if (filePath.isEmpty()) {
        qDebug("Downloader::replyFinished() - fileName.isEmpty()");
        stop(jobID, NoFileName);
        return jobID;
    }
    qDebug() << "Downloader::replyFinished() - filepath = " << filePath;
    job->file = std::make_unique<QSaveFile>(filePath);
    if (!job->file->open(QIODevice::WriteOnly)) {
        qDebug("Downloader::replyFinished() - file not open");
        stop(jobID, OpenFailed);
        return jobID;
    }
    job->sha256 = sha256.toLower();

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setTransferTimeout(transferTimeoutMs);
    QNetworkReply *reply = manager()->get(request);
    reply->setReadBufferSize(readBufferSize);
    job->reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, jobID] { readBody(jobID); });
    connect(reply, &QNetworkReply::finished, this, [this, jobID] { replyFinished(jobID); });
    connect(reply, &QNetworkReply::sslErrors, this, &Downloader::sslErrors);
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

int Downloader::writeBody(Job &job)
{
    const QVariant announced = job.reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > mMaxSize)
        return TooLarge;
    const QByteArray chunk = job.reply->readAll();
    if (job.written + chunk.size() > mMaxSize)
        return TooLarge;
    if (job.file->write(chunk) != chunk.size()) {
        qDebug("Downloader::replyFinished() - file write failed");
        return WriteFailed;
    }
    job.hash.addData(chunk);
    job.written += chunk.size();
    return Saved;
}

void Downloader::readBody(int jobID)
{
    Job *job = mJobs.value(jobID);
    // The body of an error page or of a redirect is no file.
    if (!job || job->stoppedWith != Saved || !isSuccess(job->reply))
        return;
    const int result = writeBody(*job);
    if (result != Saved)
        stop(jobID, result);
}

void Downloader::replyFinished(int jobID)
{
    qDebug("Downloader::replyFinished()");
    Job *job = mJobs.value(jobID);
    if (!job)
        return;
    QNetworkReply *reply = job->reply;
    reply->deleteLater();
    if (job->stoppedWith != Saved) {
        finish(jobID, job->stoppedWith);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Downloader::replyFinished() - error:" << reply->errorString();
        emit replyError(jobID, reply->errorString());
        finish(jobID, int(reply->error()));
        return;
    }
    if (!isSuccess(reply)) {
        qDebug() << "Downloader::replyFinished() - not a file, status"
                 << reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        finish(jobID, NotAFile);
        return;
    }
    const int result = writeBody(*job);
    finish(jobID, result != Saved ? result : completeFile(*job));
}

int Downloader::completeFile(Job &job)
{
    qDebug() << "Downloader::replyFinished() - data length:" << job.written;
    if (job.written == 0) {
        qDebug("Downloader::replyFinished() - data.isNull()");
        return NoData;
    }
    if (!job.sha256.isEmpty() && job.hash.result().toHex() != job.sha256) {
        qWarning() << "Downloader::replyFinished() - checksum mismatch:"
                   << job.hash.result().toHex();
        return ChecksumMismatch;
    }
    if (!job.file->commit()) {
        qDebug() << "Downloader::replyFinished() - file not saved:" << job.file->errorString();
        return WriteFailed;
    }
    return Saved;
}

// Ends a job before its reply has ended; the reply's end reports it.
void Downloader::stop(int jobID, int errCode)
{
    Job *job = mJobs.value(jobID);
    job->stoppedWith = errCode;
    if (job->reply) {
        job->reply->abort();
        return;
    }
    // No request was made: report once the caller has the job id.
    QMetaObject::invokeMethod(
        this, [this, jobID, errCode] { finish(jobID, errCode); }, Qt::QueuedConnection);
}

void Downloader::finish(int jobID, int errCode)
{
    // An unfinished save file leaves the target as it was.
    delete mJobs.take(jobID);
    emit downloadFinished(jobID, errCode);
}

void Downloader::authenticationRequired(QNetworkReply *, QAuthenticator *)
{
    qDebug("Downloader::authenticationRequired()");
}

void Downloader::proxyAuthenticationRequired(const QNetworkProxy &, QAuthenticator *)
{
    qDebug("Downloader::proxyAuthenticationRequired()");
}

void Downloader::sslErrors(const QList<QSslError> &errors)
{
    qDebug() << "Downloader::sslErrors()" << errors;
}
