#pragma once

#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QUrl>

class NetworkAccess;
class QNetworkReply;
class QTimer;

// Non-blocking reachability probe: fetches "/ping.html" from a web server and
// reports once per probe whether it answered with a status from 200 to 399.
class AsyncPinger : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTimeoutMs = 5000;

    AsyncPinger(const QString &host, uint port, QObject *parent = nullptr);

    // "/ping.html" on the host; the port is left out when it is 80.
    QUrl pingUrl() const;
    QNetworkProxy proxy() const;
    void setProxy(const QNetworkProxy &proxy);

    QString host;
    uint port = 0;

signals:
    void pingFinished(bool status);

public slots:
    void doPing();
    void setHost(const QString &aHost) { host = aHost; }
    void setPort(uint aPort) { port = aPort; }
    void setTimeout(uint tout);

private slots:
    void doAbort();
    void slotFinished(bool status);
    void replyFinished(QNetworkReply *reply);

private:
    QTimer *mTimer;
    NetworkAccess *mNetworkManager;
    bool mFinished = true;
};
