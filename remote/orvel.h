#pragma once

#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QUrl>

class AsyncPinger;
class HttpManager;
class OrvelStatusSource;
class QNetworkReply;
class ZEPSettings;

// Client of the remote-management service: a periodic encrypted status report
// (an HTTP GET), multipart uploads, and every reply handed on, decrypted, as `reply`.
class Orvel : public QObject
{
    Q_OBJECT
public:
    Orvel(ZEPSettings *settings, OrvelStatusSource *source, QObject *parent = nullptr);

    // The terminal id as nine digits, body-encoded.
    static QString terminalToken(int tid);

    uint updateCount() const { return mUpdateCount; }
    int outstandingRequests() const { return mOutstanding; }
    // The last probe result; with refresh, a new probe is started first.
    bool lastPingResult(bool refresh = false);
    // The URL of an encrypted request in the configured form.
    QUrl requestUrl(const QString &encrypted) const;

signals:
    // One per reply. data is JSON only when it came encrypted with a current key; a plain
    // reply comes with its data and an error text. replyRequest is the plain request
    // ("op=...&cmd=...") the reply answers.
    void reply(QString data, int status, QString errMsg, QString replyRequest);
    // An update ended before any request: networking off, the service not reachable, or the
    // terminal without its identity.
    void updateNotSent();

public slots:
    // Returns the request URL as text; empty when the request could not be encrypted.
    QString sendRequest(const QString &data);
    void updateTerminalData();
    bool
    uploadFile(const QString &filePath, const QString &type, uint eid, const QString &fileMime);
    void doUpdate();
    void doPing();
    void pingFinished(bool isOK);
    void httpReply(QNetworkReply *networkReply);
    void httpDataReaded(const QString &data);
    void setNetworkProxy(const QNetworkProxy &proxy);
    void onSettingsChanged(const QString &key);

private:
    void sendStatusReport();
    // Host, port and path of the service from the settings.
    void readServiceAddress();

    ZEPSettings *mSettings;
    OrvelStatusSource *mSource;
    QString mHost;
    QString mPath;
    int mPort = 80;
    bool mNetworking = true;
    bool mLastPing = false;
    int mOutstanding = 0;
    HttpManager *mHttp;
    bool mCleanUrl = false;
    AsyncPinger *mPinger;
    uint mUpdateCount = 0;
};
