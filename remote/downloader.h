#pragma once

#include <QAuthenticator>
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QNetworkProxy>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QUrl>

class NetworkAccess;
class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

// Fetches files over HTTP into a target folder or file; one numbered job per call,
// each reported once by downloadFinished with 0 or an error code. The body is
// written as it arrives into a file that takes the target's name only when it is
// complete: a 2xx reply, within the size limit, with the expected checksum. A file
// name that would leave the target folder is refused.
class Downloader : public QObject
{
    Q_OBJECT
public:
    enum Result {
        Saved = 0,
        NoFileName = 11,
        NoData = 20,
        NotAFile = 21, // the final reply's status was not 2xx
        WriteFailed = 30,
        OpenFailed = 31,
        TooLarge = 32,
        ChecksumMismatch = 33,
    };

    static constexpr int maxRedirects = 5;

    explicit Downloader(QObject *parent = nullptr);
    ~Downloader() override;

    // The job id, or -1 for an empty or invalid URL. The target is a file, or a folder
    // that receives fileName (default: the URL's file name). With sha256 (hex), the file
    // is kept only when its SHA-256 digest is that one.
    int downloadFile(const QUrl &url,
                     const QString &target,
                     const QString &fileName = QString(),
                     const QByteArray &sha256 = QByteArray());
    // Bodies larger than this are not saved.
    void setMaxSize(qint64 bytes) { mMaxSize = bytes; }
    void setProxy(const QNetworkProxy &proxy);

signals:
    void downloadFinished(int jobID, int errCode);
    void replyError(int jobID, QString error);

public slots:
    void authenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    void proxyAuthenticationRequired(const QNetworkProxy &proxy, QAuthenticator *authenticator);
    void sslErrors(const QList<QSslError> &errors);

private:
    struct Job;

    QNetworkAccessManager *manager();
    // The file a job writes to; empty when no safe name can be found.
    QString targetFile(const QString &target, const QString &fileName) const;
    void readBody(int jobID);
    // Writes what has arrived; Saved, or why the job cannot go on.
    int writeBody(Job &job);
    void replyFinished(int jobID);
    // Saved when the complete body is in the file.
    int completeFile(Job &job);
    void stop(int jobID, int errCode);
    void finish(int jobID, int errCode);

    NetworkAccess *mNetwork;
    bool mManagerConnected = false;
    int mCounter = 0;
    qint64 mMaxSize = 512LL * 1024 * 1024;
    QMap<int, Job *> mJobs;
};
