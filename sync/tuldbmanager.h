#pragma once

#include "db/persondata.h"
#include "db/termdata.h"
#include "sync/changelists.h"
#include "sync/requestbuilder.h"
#include "sync/serverstate.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class AsyncPinger;
class FileLog;
class ReplyEnvelope;
class ZEPSettings;
class ZepSynClient;

// The terminal's side of the attendance-server protocol: connection settings,
// the probe-and-sync cycle, every request, the server state, and the replies
// turned into typed change lists. It never touches the local databases.
class TulDbManager : public QObject
{
    Q_OBJECT

public:
    explicit TulDbManager(ZEPSettings *settings, QObject *parent = nullptr);
    ~TulDbManager() override;

    void loadSettings();
    void init();
    void setServerIp(const QString &ip);
    void setServerPort(quint16 port);
    void setSchemaToken(const QString &token);
    void setMac(const QString &mac);
    void setTerminalName(const QString &name);
    void setNetworkingEnabled(bool on);
    void checkColorGroups(const QString &text);
    void setColorGroups(const QString &text);
    void sendAddTerm();
    void sendUpdateTerm();
    QVariantMap jsonDataToMap(const QByteArray &data);

    // While a reboot is in progress doSync does nothing.
    void setRebootInProgress(bool on) { mRebootInProgress = on; }
    // When not 0, only every n-th doSync probes (incompatible server version).
    void setVersionSkipDivisor(uint divisor) { mVersionSkipDivisor = divisor; }

    ServerState serverState() const { return mServerState; }
    bool isServerAccessible() const { return mServerAccessible; }
    bool forceSync() const { return mForceSync; }
    int outstandingRequests() const { return mOutstandingRequests; }
    QString terminalKey() const { return mRequests.terminalKey(); }
    QString colorGroups() const { return mColorGroups; }
    QVariantMap pendingTerminalChanges() const { return mPendingTermChanges; }
    ZepSynClient *client() const { return mClient; }
    AsyncPinger *probe() const { return mProbe; }

signals:
    void serverStateChanged(ServerState state);
    void syncTermData();
    void syncFinished();
    // A request went unanswered: the probe failed or no HTTP answer came.
    void syncUnanswered();
    void colorGroupsChanged(const QString &colorGroups);
    void terminalRegistered(uint id);
    void needSyncInters(InterSynDataList list, uint ts);
    void needSyncPeople(PersonSynDataList list, uint ts);
    void needSyncSaldo(SaldoSynDataList list, uint ts);
    void needSyncPresent(PresentSynDataList list, uint ts);
    void needSyncGrp(GrpSynDataList list, uint ts);
    void needSyncZones(ZoneSynDataList list, uint ts);
    void needSyncPZT(PZTSynDataList list, uint ts);
    // A whole list fetched on its own: it replaces the local one.
    void completePeopleReceived(PersonSynDataList list);
    void completeIntersReceived(InterSynDataList list);
    // The server confirmed the deletion of an entrance (or no longer has it).
    void entranceDeleted(uint pid, uint refId);
    void parseSyncFinished(bool force);
    void sigAddEntranceOK(uint id, uint refId);
    // A request is over, after its reply was handled; refused: the server answered that it
    // refuses it (a status or "err" of 400 to 499), not that it or the way to it failed.
    void requestEnded(quint64 request, bool refused);
    void sigSyncPersonOK(uint id, uint refId);
    void maxRefIdReceived(uint id);
    void terminalSyncFlagsChanged(ushort flags);

public slots:
    void doSync();
    void setTermData(const TermData &data);
    void resetServerState();
    void sendDeleteSyncFlags(uint ts, ushort flags);
    // Posts an entrance; the number of the request, 0 when it was not sent.
    quint64 sendAddEntrance(QVariantMap data);
    void sendGetPerson(uint uid = 0, uint pid = 0);
    void sendGetInters();
    void sendAddPerson(const PersonData &data);
    void sendUpdatePerson(const PersonData &data);
    void sendDeletePerson(uint pid, uint refId);
    void sendDeleteEntrance(uint pid, uint refId);
    void setForceSync(bool force);

private slots:
    void doPing();
    void pingFinished(bool isOK);
    void sendGetSync();
    void clientReply(ushort status, const QByteArray &data);
    void clientError(const QString &err);
    void onRequestEnded(quint64 request);
    void setServerState(ServerState state);

private:
    bool canSend(const char *request);
    void updateTerminalKey();
    ReplyEnvelope jsonEnvelope(const QByteArray &data);
    void dispatchReply(const QString &method,
                       const QString &oper,
                       const QStringList &segments,
                       const ReplyEnvelope &map,
                       int err);
    void handleSyncResult(const ReplyEnvelope &map, const QStringList &segments);
    void handlePersonList(const ReplyEnvelope &map, const QStringList &segments);
    void handleIntersList(const ReplyEnvelope &map);
    void handlePersonConfirmation(const QVariantMap &map);
    template<typename Record>
    void
    emitList(const QList<Record> &list, uint ts, void (TulDbManager::*signal)(QList<Record>, uint));

    ZEPSettings *mSettings;
    QString mServerIp;
    quint16 mServerPort = 0;
    QString mMac;
    QString mTerminalName;
    RequestBuilder mRequests;
    bool mNetworkingEnabled = false;
    bool mServerAccessible = false;
    int mOutstandingRequests = 0;
    // The last reply handled refused its request (status or "err" 400 to 499).
    bool mReplyRefused = false;
    QString mColorGroups;
    std::unique_ptr<FileLog> mSyncLog;
    bool mRebootInProgress = false;
    bool mForceSync = true;
    uint mDoSyncCounter = 0;
    uint mVersionSkipDivisor = 0;
    ServerState mServerState = ServerDisabled;
    AsyncPinger *mProbe;
    TermData mTermData;
    QVariantMap mPendingTermChanges;
    ushort mTerminalSyncFlags = 0;
    ZepSynClient *mClient;
};
