#pragma once

#include "remote/orvelstatussource.h"
#include "remote/remotereply.h"
#include "sync/jsonhelper.h"

#include <QMap>
#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class DataDBManager;
class Downloader;
class ManagedTerminal;
class Orvel;
class TulDbManager;
class ZEPSettings;

// The terminal's side of remote management: builds the report's item list, reads
// the service's replies, applies configuration items and carries out events
// ("LOGS", "UPDATE", "INFO", "REBOOT"), keeping the books on which ones the service
// has yet to confirm. Owns the client and the downloader.
class RemoteManagement : public QObject, public OrvelStatusSource
{
    Q_OBJECT
public:
    // The folder an "UPDATE" event downloads into, relative to the working directory.
    static const QString updateFolder;
    // The folder log packages are written to before their upload.
    static const QString packageFolder;

    RemoteManagement(ZEPSettings *settings,
                     ManagedTerminal *terminal,
                     DataDBManager *dataDb,
                     TulDbManager *syncProtocol,
                     QObject *parent = nullptr);

    Orvel *orvel() const { return mOrvel; }
    Downloader *downloader() const { return mDownloader; }
    // Events received and not yet confirmed by the service, eid to type.
    QMap<int, QString> pendingEvents() const { return mPendingTypes; }

    // OrvelStatusSource
    const TermData &terminalRecord() const override;
    int proxyState() const override;
    QString getSyncItems() override;
    void flushUsagesCPU() override;

signals:
    void orvelReplyFinished();
    // The end of a contact with the service: answered without an error, or not.
    void contactFinished(bool answered);
    void workingStart();
    void workingEnd();
    void hwInfoChanged();

public slots:
    bool applyOrvelItem(const QString &field, const QVariant &data);
    // replyRequest: the plain request the reply answers; a reply to another request is refused.
    void
    orvelReply(const QString &data, int status, const QString &errMsg, const QString &replyRequest);
    void doSyncOrvel();
    void doOrvelEvent(int eid, const QString &type);
    void setTermSchema(const QVariantMap &map, bool save);
    void downloadFinished(int jobID, int errCode);
    void tarbalFinished(QObject *object, const QString &file, int status);
    void sendLogsDoneFailed(int eid);
    void onCamRestart();
    void sysInfoChanged(const QString &name, uint value);
    void setNetworkProxy(const QNetworkProxy &proxy);

private:
    void handleSyncReply(const RemoteReply &reply, const QString &reportedItems);
    void confirmReportedItems(const QStringList &fields, const QString &reportedItems);
    void handleDoneEvents(const RemoteReply &reply);
    void handleEvents(const QList<RemoteReply::Event> &events);
    void sendDone(const QString &cmd, const QList<int> &ids);
    bool storeItem(const QString &field, const QVariant &data);
    void startLogPackage(int eid);
    void startUpdateDownload(int eid);

    ZEPSettings *mSettings;
    ManagedTerminal *mTerminal;
    DataDBManager *mDataDb;
    TulDbManager *mSyncProtocol;
    Orvel *mOrvel;
    Downloader *mDownloader;
    JsonHelper mJson; // reads the service's replies

    QMap<int, QString> mPendingTypes; // eid -> type, until the service confirms it
    QMap<int, QVariantMap> mEventData; // eid -> data of an event being carried out
    QMap<int, int> mDownloadJobs; // download job -> eid
    QMap<QObject *, int> mTarballJobs; // packaging worker -> eid
    uint mCamRestarts = 0;
    uint mCamRestartsLimit = 0;
};
