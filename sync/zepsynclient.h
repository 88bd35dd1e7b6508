#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

class NetworkAccess;
class QNetworkReply;

// HTTP transport of the attendance-server protocol: fixed headers, the body
// encoding, and one replyFinished per request.
class ZepSynClient : public QObject
{
    Q_OBJECT

public:
    // Time without progress after which a request is abandoned.
    static constexpr int defaultTransferTimeoutMs = 30000;
    // The same for requests with a body (they create or change something on the server):
    // an upload given up on may still be stored there, and sending it again can store it
    // twice, so a slow or hanging server is waited for longer.
    static constexpr int defaultUploadTimeoutMs = 5 * 60 * 1000;
    // Replies larger than this are refused instead of being buffered.
    static constexpr qint64 defaultMaxBodySize = 64 * 1024 * 1024;

    explicit ZepSynClient(QObject *parent = nullptr);

    QNetworkRequest makeRequest(const QString &path);
    // Each sender returns the number of its request, which requestEnded names.
    quint64 sendGetRequest(const QString &path);
    quint64 sendDeleteRequest(const QString &path);
    quint64 sendPostRequest(const QString &path, const QByteArray &data);
    quint64 sendPutRequest(const QString &path, const QByteArray &data);

    int debugLevel = 0;
    QString host;
    QString token;
    quint16 port = 0;

    QString credential() const { return mCredential; }
    void setTransferTimeout(int ms) { mTransferTimeoutMs = ms; }
    void setUploadTimeout(int ms) { mUploadTimeoutMs = ms; }
    void setMaxBodySize(qint64 bytes) { mMaxBodySize = bytes; }

signals:
    void networkError(QString error);
    void replyFinished(quint16 status, QByteArray data);
    // Follows the replyFinished of the same request: it is over.
    void requestEnded(quint64 request);

public slots:
    void setAuth(uint lid, const QString &tkn);

private slots:
    void requestFinished(QNetworkReply *reply);

private:
    quint64 track(QNetworkReply *reply);
    QNetworkRequest makeBodyRequest(const QString &path, const QByteArray &encoded);

    NetworkAccess *mNetworkManager;
    QString mCredential;
    int mTransferTimeoutMs = defaultTransferTimeoutMs;
    int mUploadTimeoutMs = defaultUploadTimeoutMs;
    quint64 mLastRequest = 0;
    qint64 mMaxBodySize = defaultMaxBodySize;
};
