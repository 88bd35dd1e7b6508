#pragma once

#include <QAuthenticator>
#include <QList>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QUrl>

class HttpManager;
class QNetworkReply;

// Fetches files over HTTP into a target folder or file; one numbered job per call,
// each reported once by downloadFinished with 0 or an error code. A file name that
// would leave the target folder is refused.
class Downloader : public QObject
{
    Q_OBJECT
public:
    enum Result {
        Saved = 0,
        NoFileName = 11,
        NoData = 20,
        WriteFailed = 30,
        OpenFailed = 31,
    };

    explicit Downloader(QObject *parent = nullptr);

    // The job id, or -1 for an empty or invalid URL. The target is a file, or a folder
    // that receives fileName (default: the URL's file name).
    int downloadFile(const QUrl &url, const QString &target, const QString &fileName = QString());

signals:
    void downloadFinished(int jobID, int errCode);
    void replyError(int jobID, QString error);

public slots:
    void replyFinished(QNetworkReply *reply);
    void requestError(const QString &error, int code);
    void authenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    void proxyAuthenticationRequired(const QNetworkProxy &proxy, QAuthenticator *authenticator);
    void sslErrors(const QList<QSslError> &errors);

private:
    // The file a finished job writes to; empty when no safe name can be found.
    QString targetFile(const QString &target, const QString &fileName) const;
    int saveReply(QNetworkReply *reply, const QString &filePath);
    void finish(int jobID, int errCode);

    int mCounter = 0;
    QMap<int, QString> mUrls;
    QMap<int, QString> mTargets;
    QMap<int, QString> mFileNames;
    HttpManager *mHttp;
};
