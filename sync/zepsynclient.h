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
    // Replies larger than this are refused instead of being buffered.
    static constexpr qint64 defaultMaxBodySize = 64 * 1024 * 1024;

    explicit ZepSynClient(QObject *parent = nullptr);

    QNetworkRequest makeRequest(const QString &path);
    void sendGetRequest(const QString &path);
    void sendDeleteRequest(const QString &path);
    void sendPostRequest(const QString &path, const QByteArray &data);
    void sendPutRequest(const QString &path, const QByteArray &data);

    int debugLevel = 0;
    QString host;
    QString token;
    quint16 port = 0;

    QString credential() const { return mCredential; }
    void setTransferTimeout(int ms) { mTransferTimeoutMs = ms; }
    void setMaxBodySize(qint64 bytes) { mMaxBodySize = bytes; }

signals:
    void networkError(QString error);
    void replyFinished(quint16 status, QByteArray data);

public slots:
    void setAuth(uint lid, const QString &tkn);

private slots:
    void requestFinished(QNetworkReply *reply);

private:
    void track(QNetworkReply *reply);
    QNetworkRequest makeBodyRequest(const QString &path, const QByteArray &encoded);

    NetworkAccess *mNetworkManager;
    QString mCredential;
    int mTransferTimeoutMs = defaultTransferTimeoutMs;
    qint64 mMaxBodySize = defaultMaxBodySize;
};
