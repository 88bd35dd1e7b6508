#pragma once

#include <QMap>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class NetworkAccess;
class QNetworkRequest;

// General HTTP helper of the remote-management side: sends GET and POST
// requests, aborts replies that run too long and delivers each finished reply
// as text or as an error.
class HttpManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int checkIntervalMs = 60000;

    explicit HttpManager(QObject *parent = nullptr);

    void postData(const QString &url, const QString &data);
    void postData(const QUrl &url, const QByteArray &data);
    void postData(const QNetworkRequest &request, const QByteArray &data);
    void getData(const QString &url);
    void getData(const QUrl &url);
    void getData(const QNetworkRequest &request);
    // Requests go through this proxy instead of the application's.
    void setProxy(const QNetworkProxy &proxy);

    // A reply older than one check interval is aborted at the next check.
    void setCheckInterval(int ms) { mCheckTimer.setInterval(ms); }
    int runningReplies() const { return mRunningReplies.size(); }

    // The text of a network error in remote-management messages; empty for
    // codes without one.
    static QString errorText(QNetworkReply::NetworkError code);

    quint8 debugLevel = 0;

signals:
    void dataReaded(QString data);
    void requestError(QString error, int code);
    void sigReplyFinished(QNetworkReply *reply);

public slots:
    void replyFinished(QNetworkReply *reply);
    void addReply(QNetworkReply *reply);
    void delFinishedReply(QNetworkReply *reply);
    void checkTimeoutConnections();

private:
    NetworkAccess *mNetworkManager;
    QMap<QNetworkReply *, qint64> mRunningReplies;
    QTimer mCheckTimer;
};
