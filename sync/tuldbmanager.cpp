#include "sync/tuldbmanager.h"

#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "sync/asyncpinger.h"
#include "sync/idpairencoding.h"
#include "sync/replyparser.h"
#include "sync/syncmask.h"
#include "sync/zepsynclient.h"

#include <QDateTime>
#include <QHostAddress>

TulDbManager::TulDbManager(ZEPSettings *settings, QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mSyncLog(std::make_unique<FileLog>(ZepFiles::appLog))
    , mProbe(new AsyncPinger(QString(), 0, this))
    , mClient(new ZepSynClient(this))
{
    ChangeLists::registerMetaTypes();
    mClient->debugLevel = int(Zep::debugLevel);
    connect(mClient, &ZepSynClient::networkError, this, &TulDbManager::clientError);
    connect(mClient, &ZepSynClient::replyFinished, this, &TulDbManager::clientReply);
    connect(mClient, &ZepSynClient::requestEnded, this, &TulDbManager::onRequestEnded);
    connect(mProbe, &AsyncPinger::pingFinished, this, &TulDbManager::pingFinished);
}

TulDbManager::~TulDbManager() = default;

void TulDbManager::loadSettings()
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::loadSettings()");
    setNetworkingEnabled(mSettings->value(Setting::networking).toBool());
    setServerIp(mSettings->value(Setting::serverHost).toString());
    setServerPort(quint16(mSettings->value(Setting::serverPort).toInt()));
    // While the file names no terminal, the model and the terminal id do.
    const QString defaultName = QStringLiteral("%1 #%2").arg(mTermData.model).arg(mTermData.tid);
    setTerminalName(mSettings->value(Setting::terminalName.name, defaultName).toString());
}

void TulDbManager::init()
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::init()");
    if (mNetworkingEnabled)
        doPing();
}

void TulDbManager::setServerIp(const QString &ip)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setServerIp(" << ip << ")";
    mServerIp = ip;
    mProbe->setHost(ip);
    mClient->host = ip;
}

void TulDbManager::setServerPort(quint16 port)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setServerPort(" << port << ")";
    mServerPort = port;
    mProbe->setPort(port);
    mClient->port = port;
}

void TulDbManager::setSchemaToken(const QString &token)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setSchemaToken( token.length:" << token.length() << ")";
    mClient->token = token;
}

void TulDbManager::setMac(const QString &mac)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setMac(" << mac << ")";
    mMac = mac;
    mPendingTermChanges.insert(QStringLiteral("mac"), mac);
}

void TulDbManager::setTerminalName(const QString &name)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setTerminalName(" << name << ")";
    mTerminalName = name;
    mPendingTermChanges.insert(QStringLiteral("name"), name);
}

void TulDbManager::setNetworkingEnabled(bool on)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setNetworkingEnabled(" << on << ")";
    mNetworkingEnabled = on;
    if (!on) {
        mServerAccessible = false;
        setServerState(ServerDisabled);
    }
}

void TulDbManager::setForceSync(bool force)
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::setForceSync( %s )", force ? "TRUE" : "FALSE");
    mForceSync = force;
}

void TulDbManager::setColorGroups(const QString &text)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setColorGroups(" << text << ")";
    mColorGroups = text;
}

void TulDbManager::checkColorGroups(const QString &text)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::checkColorGroups(" << text << ")";
    if (text.isEmpty() || text == mColorGroups)
        return;
    mColorGroups = text;
    emit colorGroupsChanged(text);
}

void TulDbManager::resetServerState()
{
    mServerState = ServerDisabled;
}

void TulDbManager::setServerState(ServerState state)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::setServerState(" << int(state) << ")";
    if (state == mServerState)
        return;
    mServerState = state;
    emit serverStateChanged(state);
}

void TulDbManager::setTermData(const TermData &data)
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::setTermData()");
    RequestBuilder::addTerminalChanges(mPendingTermChanges, mTermData, data);
    setSchemaToken(data.token);
    if (data.li != mTermData.li || data.lt != mTermData.lt)
        mClient->setAuth(uint(data.li), data.lt);
    mTermData = data;
    updateTerminalKey();
}

void TulDbManager::updateTerminalKey()
{
    mRequests.setTerminal(uint(mTermData.refId), uint(mTermData.tid));
}

void TulDbManager::doSync()
{
    ++mDoSyncCounter;
    if (mRebootInProgress) {
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager::doSync() [%u] - skipping (rebootInProgress)", mDoSyncCounter);
        return;
    }
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::doSync() [%u]", mDoSyncCounter);
    if (mVersionSkipDivisor != 0 && mDoSyncCounter % mVersionSkipDivisor != 0) {
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager::doSync() [%u] {%u} - skipping (incompatible version)",
                   mDoSyncCounter,
                   mVersionSkipDivisor);
        return;
    }
    doPing();
}

void TulDbManager::doPing()
{
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager::doPing()");
    if (!mNetworkingEnabled)
        return;
    // The default address means that no server is set up: the requests would
    // reach whatever listens on the terminal itself.
    if (mServerIp.isEmpty() || QHostAddress(mServerIp) == QHostAddress::AnyIPv4) {
        if (Zep::debugLevel >= 1)
            qDebug("TulDbManager::doPing() - no server address");
        return;
    }
    if (mSettings->value(Setting::serverPingEnabled).toBool())
        mProbe->doPing();
    else
        pingFinished(true);
}

void TulDbManager::pingFinished(bool isOK)
{
    mServerAccessible = isOK;
    if (!isOK) {
        setServerState(ServerUnreachable);
        emit syncUnanswered();
    }
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::pingFinished() ServerAccessible = " << isOK;
    if (!mNetworkingEnabled || !mServerAccessible) {
        if (Zep::debugLevel >= 1)
            qDebug().noquote()
                << QStringLiteral("TulDbManager::pingFinished() [%1] - server is not accessible!")
                       .arg(mDoSyncCounter);
        return;
    }
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << QStringLiteral("TulDbManager::pingFinished() [%1] {%2} ")
                                  .arg(mDoSyncCounter)
                                  .arg(mOutstandingRequests);
    if (mTermData.tid != 0 && mTermData.refId == 0) {
        sendAddTerm();
        return;
    }
    if (!mPendingTermChanges.isEmpty())
        sendUpdateTerm();
    sendGetSync();
}

bool TulDbManager::canSend(const char *request)
{
    if (!mServerAccessible) {
        mSyncLog->loguj(QStringLiteral("TulDbManager: Server is not accessible - %1 not sent")
                            .arg(QLatin1String(request)));
        return false;
    }
    ++mOutstandingRequests;
    return true;
}

void TulDbManager::sendGetSync()
{
    if (!canSend("GetSync"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendGetSync()");
    mClient->sendGetRequest(mRequests.syncPath(mForceSync));
}

void TulDbManager::sendDeleteSyncFlags(uint ts, ushort flags)
{
    if (!canSend("DeleteSyncFlags"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendDeleteSyncFlags(%u, %u)", ts, uint(flags));
    mClient->sendDeleteRequest(mRequests.syncConfirmationPath(ts, flags));
}

void TulDbManager::sendGetPerson(uint uid, uint pid)
{
    if (!canSend("GetPerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendGetPerson(%u, %u)", uid, pid);
    mClient->sendGetRequest(uid != 0 || pid != 0 ? mRequests.personPath(uid, pid)
                                                 : mRequests.peoplePath());
}

void TulDbManager::sendGetInters()
{
    if (!canSend("GetInters"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendGetInters()");
    mClient->sendGetRequest(mRequests.intersPath());
}

void TulDbManager::sendAddTerm()
{
    if (!canSend("AddTerm"))
        return;
    const QByteArray body = RequestBuilder::json(mPendingTermChanges);
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendAddTerm()");
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager::sendAddTerm() - DATA: %s", body.constData());
    mClient->sendPostRequest(RequestBuilder::registrationPath(), body);
}

void TulDbManager::sendUpdateTerm()
{
    if (!canSend("UpdateTerm"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendUpdateTerm()");
    mClient->sendPutRequest(mRequests.terminalPath(), RequestBuilder::json(mPendingTermChanges));
}

void TulDbManager::sendAddPerson(const PersonData &data)
{
    if (!canSend("AddPerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendAddPerson(" << data.debugText() << ")";
    mClient->sendPostRequest(mRequests.peoplePath(),
                             RequestBuilder::json(RequestBuilder::personBody(data)));
}

void TulDbManager::sendUpdatePerson(const PersonData &data)
{
    if (data.refId == 0) {
        qWarning(
            "TulDbManager: refId is not set on person '%s' - 'update' was transformed to 'add'.",
            qPrintable(data.debugText()));
        sendAddPerson(data);
        return;
    }
    if (!canSend("UpdatePerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendUpdatePerson(" << data.debugText() << ")";
    mClient->sendPutRequest(mRequests.personPath(data.refId, uint(data.dochid)),
                            RequestBuilder::json(RequestBuilder::personBody(data)));
}

void TulDbManager::sendDeletePerson(uint pid, uint refId)
{
    if (!canSend("DeletePerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendDeletePerson(" << pid << refId << ")";
    mClient->sendDeleteRequest(mRequests.personPath(refId, pid));
}

void TulDbManager::sendDeleteEntrance(uint pid, uint refId)
{
    if (!canSend("DeleteEntrance"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendDeleteEntrance(" << pid << refId << ")";
    mClient->sendDeleteRequest(mRequests.entrancePath(refId, pid));
}

quint64 TulDbManager::sendAddEntrance(QVariantMap data)
{
    if (!canSend("AddEntrance"))
        return 0;
    RequestBuilder::addImage(data);
    const QByteArray body = RequestBuilder::json(data);
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendAddEntrance()");
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager::sendAddEntrance(data: %s)", body.constData());
    return mClient->sendPostRequest(mRequests.entrancesPath(), body);
}

// Follows clientReply() for the same request.
void TulDbManager::onRequestEnded(quint64 request)
{
    emit requestEnded(request, mReplyRefused);
}

void TulDbManager::clientError(const QString &err)
{
    mSyncLog->loguj(QStringLiteral("TulDbManager - client ERROR: ") + err);
}

QVariantMap TulDbManager::jsonDataToMap(const QByteArray &data)
{
    return jsonEnvelope(data).toVariantMap();
}

ReplyEnvelope TulDbManager::jsonEnvelope(const QByteArray &data)
{
    QString error;
    const ReplyEnvelope map = ReplyEnvelope::parse(data, &error);
    if (!error.isEmpty()) {
        qWarning("TulDbManager::jsonDataToMap() - parse ERROR: %s", qPrintable(error));
        if (Zep::debugLevel >= 1)
            qDebug("TulDbManager::jsonDataToMap() - first 64 chars of DATA: %s",
                   data.left(64).constData());
    }
    return map;
}

void TulDbManager::clientReply(ushort status, const QByteArray &data)
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::clientReply(status: %u)", uint(status));
    --mOutstandingRequests;
    mReplyRefused = false;
    if (status < 100 || status > 599) {
        qCritical("TulDbManager: Client reply - BAD status: %u!", uint(status));
        if (status == 0)
            setServerState(ServerFailed);
        emit syncUnanswered();
        return;
    }

    const ReplyEnvelope map = jsonEnvelope(data);
    const int err = map.value(QStringLiteral("err")).toInt();
    mReplyRefused = ReplyParser::refuses(status, err);
    const QVariantMap request = map.value(QStringLiteral("request")).toMap();
    const QString method = request.value(QStringLiteral("method")).toString();
    const QString path = request.value(QStringLiteral("path")).toString();
    const QStringList segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString oper = segments.value(0).toLower();
    const QString version = map.value(QStringLiteral("ver")).toString();
    if (method.isEmpty())
        qWarning("TulDbManager::clientReply - unknown request method!");
    if (path.isEmpty())
        qWarning("TulDbManager::clientReply - unknown request path!");
    // A success status with a body that is no reply is no answer: the server is not
    // working, whatever its status line says.
    if (method.isEmpty() && status >= 200 && status < 400) {
        setServerState(ServerFailed);
        emit syncUnanswered();
        return;
    }
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager - err: %i, method: '%s', oper: '%s', server version: %s",
               err,
               qPrintable(method),
               qPrintable(oper),
               qPrintable(version));

    const bool isGetSync = method == QLatin1String("GET") && oper == QLatin1String("sync");
    if (err != 0) {
        const QString errText = map.contains(QStringLiteral("err_msg"))
            ? map.value(QStringLiteral("err_msg")).toString()
            : map.value(QStringLiteral("res")).toString();
        qWarning("TulDbManager: Client reply ERROR [%i]: %s", err, qPrintable(errText));
        if (isGetSync && ReplyParser::forgotTerminal(err, errText))
            sendAddTerm();
    }

    if (status >= 500)
        setServerState(ServerFailed);
    else if (status >= 400)
        setServerState(ServerRejected);
    else if (status >= 200
             && (isGetSync
                 || (method == QLatin1String("POST") && oper == QLatin1String("entrance"))))
        setServerState(ServerOnline);

    if (method.isEmpty() || oper.isEmpty())
        return;
    dispatchReply(method, oper, segments, map, err);
}

void TulDbManager::dispatchReply(const QString &method,
                                 const QString &oper,
                                 const QStringList &segments,
                                 const ReplyEnvelope &map,
                                 int err)
{
    // The lists of a GET are read from the JSON by the parser.
    const QVariant res
        = method == QLatin1String("GET") ? QVariant() : map.value(QStringLiteral("res"));
    if (method == QLatin1String("GET")) {
        if (oper == QLatin1String("sync")) {
            if (err == 0)
                handleSyncResult(map, segments);
            emit syncFinished();
        } else if (oper == QLatin1String("person") && err == 0) {
            handlePersonList(map, segments);
        } else if (oper == QLatin1String("inters") && err == 0) {
            handleIntersList(map);
        }
    } else if (method == QLatin1String("POST")) {
        if (err != 0)
            return;
        if (oper == QLatin1String("term")) {
            mPendingTermChanges.clear();
            const uint id = res.toUInt();
            if (id != 0) {
                mTermData.refId = int(id);
                checkColorGroups(map.value(QStringLiteral("colorGroups")).toString());
                updateTerminalKey();
                emit terminalRegistered(id);
            }
        } else if (oper == QLatin1String("entrance")) {
            const QVariantMap r = res.toMap();
            const uint rid = r.value(QStringLiteral("rid")).toUInt();
            if (rid != 0)
                emit sigAddEntranceOK(rid, r.value(QStringLiteral("eid")).toUInt());
        } else if (oper == QLatin1String("person")) {
            handlePersonConfirmation(res.toMap());
        }
    } else if (method == QLatin1String("PUT")) {
        if (oper == QLatin1String("term")) {
            if (err == 404)
                sendAddTerm();
            else if (err == 0)
                mPendingTermChanges.clear();
        } else if (oper == QLatin1String("person") && err == 0) {
            handlePersonConfirmation(res.toMap());
        }
    } else if (method == QLatin1String("DELETE")) {
        uint refId = 0;
        uint pid = 0;
        if (oper == QLatin1String("entrance") && (err == 0 || err == 404)
            && IdPairEncoding::decode(segments.value(2), &refId, &pid))
            emit entranceDeleted(pid, refId);
        if (err == 0) {
            if (Zep::debugLevel >= 2)
                qDebug("TulDbManager: DELETE %s DONE", qPrintable(oper));
        } else {
            qWarning("TulDbManager: DELETE %s FAILED! ERROR [%i]: %s",
                     qPrintable(oper),
                     err,
                     qPrintable(res.toString()));
        }
    }
}

void TulDbManager::handleSyncResult(const ReplyEnvelope &map, const QStringList &segments)
{
    const SyncReply reply = ReplyParser::syncReply(map);
    if (!reply.hasTime && reply.mask != 0)
        qWarning("TulDbManager: sync reply without server time - its lists are not confirmed");
    if (reply.hasFlags && reply.flags != mTerminalSyncFlags) {
        mTerminalSyncFlags = reply.flags;
        emit terminalSyncFlagsChanged(reply.flags);
    }
    if (reply.lastId != 0)
        emit maxRefIdReceived(reply.lastId);

    if (reply.mask != 0) {
        const uint ts = reply.ts;
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager - sync: %u, serverTime: %u (%s)",
                   reply.mask,
                   ts,
                   qPrintable(QDateTime::fromSecsSinceEpoch(ts).toString(
                       QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        if (reply.mask & SyncMask::Inters)
            emitList(reply.inters, ts, &TulDbManager::needSyncInters);
        if (reply.mask & SyncMask::People)
            emitList(reply.people, ts, &TulDbManager::needSyncPeople);
        if (reply.mask & SyncMask::Saldo)
            emitList(reply.saldo, ts, &TulDbManager::needSyncSaldo);
        if (reply.mask & SyncMask::Present)
            emitList(reply.present, ts, &TulDbManager::needSyncPresent);
        if (reply.mask & SyncMask::Zones) {
            emitList(reply.zones, ts, &TulDbManager::needSyncZones);
            emitList(reply.pzt, ts, &TulDbManager::needSyncPZT);
        }
        if (reply.mask & SyncMask::Grp)
            emitList(reply.grp, ts, &TulDbManager::needSyncGrp);
        emit parseSyncFinished(mForceSync);
    }
    if (mForceSync && segments.contains(QLatin1String("fs")))
        mForceSync = false;
}

void TulDbManager::handlePersonList(const ReplyEnvelope &map, const QStringList &segments)
{
    const PersonSynDataList list = ReplyParser::personList(map);
    if (list.isEmpty())
        return;
    if (segments.size() > 2) {
        emit needSyncPeople(list, map.value(QStringLiteral("st")).toUInt());
        emit parseSyncFinished(false);
    } else {
        emit completePeopleReceived(list);
    }
}

void TulDbManager::handleIntersList(const ReplyEnvelope &map)
{
    const InterSynDataList list = ReplyParser::interList(map);
    // An empty list is not taken as "no types": a server without types is no use anyway.
    if (!list.isEmpty())
        emit completeIntersReceived(list);
}

void TulDbManager::handlePersonConfirmation(const QVariantMap &r)
{
    const uint pid = r.value(QStringLiteral("pid")).toUInt();
    const uint uid = r.value(QStringLiteral("uid")).toUInt();
    if (pid != 0 && uid != 0)
        emit sigSyncPersonOK(pid, uid);
}

template<typename Record>
void TulDbManager::emitList(const QList<Record> &list,
                            uint ts,
                            void (TulDbManager::*signal)(QList<Record>, uint))
{
    // A forced sync hands on empty lists too: they mean "nothing is left".
    if (!list.isEmpty() || mForceSync)
        emit(this->*signal)(list, ts);
}
