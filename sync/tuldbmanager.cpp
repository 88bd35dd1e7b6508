#include "sync/tuldbmanager.h"

#include "core/foundation/filelog.h"
#include "core/foundation/globals.h"
#include "core/foundation/zepsettings.h"
#include "sync/asyncpinger.h"
#include "sync/bodyencoding.h"
#include "sync/idpairencoding.h"
#include "sync/zepsynclient.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray compactJson(const QVariantMap &map)
{
    return QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact);
}

// A change record's "type": a character, or the first character of its text.
QChar typeChar(const QVariant &value)
{
    if (value.type() == QVariant::Char)
        return value.toChar();
    const QString text = value.toString();
    return text.isEmpty() ? QChar() : text.at(0);
}

const char *boolText(bool on)
{
    return on ? "true" : "false";
}

PersonSynData personFromMap(uint uid, const QVariantMap &m)
{
    PersonSynData p;
    p.uid = uid;
    p.pid = m.value(QStringLiteral("pid")).toUInt();
    p.name = m.value(QStringLiteral("name")).toString();
    p.surname = m.value(QStringLiteral("surname")).toString();
    p.title = m.value(QStringLiteral("title")).toString();
    p.title2 = m.value(QStringLiteral("title2")).toString();
    p.card = m.value(QStringLiteral("card")).toString();
    p.saldo = m.value(QStringLiteral("saldo")).toInt();
    p.admin = m.value(QStringLiteral("admin")).toBool();
    p.access = m.value(QStringLiteral("access")).toBool();
    p.grp = m.value(QStringLiteral("grp")).toUInt();
    return p;
}

InterSynData interFromMap(quint16 id, const QVariantMap &m)
{
    InterSynData i;
    i.id = id;
    i.name = m.value(QStringLiteral("name")).toString();
    i.shortcut = m.value(QStringLiteral("shortcut")).toString();
    i.color = m.value(QStringLiteral("color")).toString();
    i.start = m.value(QStringLiteral("start")).toString();
    i.stop = m.value(QStringLiteral("stop")).toString();
    i.weight = m.value(QStringLiteral("weight")).toInt();
    return i;
}

QVariantMap personObject(const PersonData &data)
{
    return {
        { QStringLiteral("uid"), uint(data.uid) },
        { QStringLiteral("pid"), uint(data.dochid) },
        { QStringLiteral("card"), data.karta },
        { QStringLiteral("name"), data.meno },
        { QStringLiteral("surname"), data.priez },
        { QStringLiteral("title"), data.titul },
        { QStringLiteral("admin"), uint(data.admin) },
        { QStringLiteral("saldo"), data.saldo1 },
        { QStringLiteral("access"), data.acc },
        { QStringLiteral("colorGroup"), int(data.colorGrp) },
        { QStringLiteral("refId"), data.refId },
        { QStringLiteral("present"), data.present },
        { QStringLiteral("del"), data.del },
        { QStringLiteral("updated"), data.updated },
    };
}

} // namespace

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
    connect(mProbe, &AsyncPinger::pingFinished, this, &TulDbManager::pingFinished);
}

TulDbManager::~TulDbManager() = default;

void TulDbManager::loadSettings()
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::loadSettings()");
    setNetworkingEnabled(mSettings->value(QStringLiteral("global/networking"), true).toBool());
    setServerIp(
        mSettings->value(QStringLiteral("serverKLD/ip"), QStringLiteral("0.0.0.0")).toString());
    setServerPort(
        quint16(mSettings->value(QStringLiteral("serverKLD/port"), QStringLiteral("80")).toInt()));
    const QString defaultName = QStringLiteral("%1 #%2").arg(mTermData.model).arg(mTermData.tid);
    setTerminalName(
        mSettings->value(QStringLiteral("global/terminalName"), defaultName).toString());
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
        qDebug() << "TulDbManager::setNetworkingEnabled(" << boolText(on) << ")";
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
    auto compare = [this](const char *key, const QVariant &stored, const QVariant &fresh) {
        if (stored != fresh)
            mPendingTermChanges.insert(QLatin1String(key), fresh);
    };
    compare("ip", mTermData.ip, data.ip);
    compare("type", mTermData.model, data.model);
    compare("ver", mTermData.ver, data.ver);
    compare("fid", uint(mTermData.tid), uint(data.tid));
    compare("btime", uint(mTermData.btime), uint(data.btime));
    compare("crNum", uint(mTermData.crNum), uint(data.crNum));
    compare("accNum", uint(mTermData.accNum), uint(data.accNum));
    compare("memu", mTermData.memu, data.memu);
    compare("cpuu", mTermData.cpuu, data.cpuu);
    compare("hddu", mTermData.hddu, data.hddu);
    compare("sdu", mTermData.sdu, data.sdu);
    compare("fpu", mTermData.fpu, data.fpu);

    setSchemaToken(data.token);
    if (data.li != mTermData.li || data.lt != mTermData.lt)
        mClient->setAuth(uint(data.li), data.lt);
    mTermData = data;
    updateTerminalKey();
}

void TulDbManager::updateTerminalKey()
{
    mTerminalKey = IdPairEncoding::encode(uint(mTermData.refId), uint(mTermData.tid));
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
    if (mSettings->value(QStringLiteral("serverKLD/pingEnabled"), true).toBool())
        mProbe->doPing();
    else
        pingFinished(true);
}

void TulDbManager::pingFinished(bool isOK)
{
    mServerAccessible = isOK;
    if (!isOK)
        setServerState(ServerUnreachable);
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::pingFinished() ServerAccessible = " << boolText(isOK);
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
    QString path = QStringLiteral("sync/%1").arg(mTerminalKey);
    if (mForceSync)
        path += QLatin1String("/fs");
    mClient->sendGetRequest(path);
}

void TulDbManager::sendDeleteSyncFlags(uint ts, ushort flags)
{
    if (!canSend("DeleteSyncFlags"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendDeleteSyncFlags(%u, %u)", ts, uint(flags));
    mClient->sendDeleteRequest(
        QStringLiteral("sync/%1/%2").arg(mTerminalKey, IdPairEncoding::encode(ts, flags)));
}

void TulDbManager::sendGetPerson(uint uid, uint pid)
{
    if (!canSend("GetPerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendGetPerson(%u, %u)", uid, pid);
    if (uid != 0 || pid != 0)
        mClient->sendGetRequest(
            QStringLiteral("person/%1/%2").arg(mTerminalKey, IdPairEncoding::encode(uid, pid)));
    else
        mClient->sendGetRequest(QStringLiteral("person/%1").arg(mTerminalKey));
}

void TulDbManager::sendGetInters()
{
    if (!canSend("GetInters"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendGetInters()");
    mClient->sendGetRequest(QStringLiteral("inters/%1").arg(mTerminalKey));
}

void TulDbManager::sendAddTerm()
{
    if (!canSend("AddTerm"))
        return;
    const QByteArray body = compactJson(mPendingTermChanges);
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendAddTerm()");
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager::sendAddTerm() - DATA: %s", body.constData());
    mClient->sendPostRequest(QStringLiteral("term"), body);
}

void TulDbManager::sendUpdateTerm()
{
    if (!canSend("UpdateTerm"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendUpdateTerm()");
    mClient->sendPutRequest(QStringLiteral("term/%1").arg(mTerminalKey),
                            compactJson(mPendingTermChanges));
}

void TulDbManager::sendAddPerson(const PersonData &data)
{
    if (!canSend("AddPerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendAddPerson(" << data.debugText() << ")";
    mClient->sendPostRequest(QStringLiteral("person/%1").arg(mTerminalKey),
                             compactJson(personObject(data)));
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
    mClient->sendPutRequest(
        QStringLiteral("person/%1/%2")
            .arg(mTerminalKey, IdPairEncoding::encode(data.refId, uint(data.dochid))),
        compactJson(personObject(data)));
}

void TulDbManager::sendDeletePerson(uint pid, uint refId)
{
    if (!canSend("DeletePerson"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendDeletePerson(" << pid << refId << ")";
    mClient->sendDeleteRequest(
        QStringLiteral("person/%1/%2").arg(mTerminalKey, IdPairEncoding::encode(refId, pid)));
}

void TulDbManager::sendDeleteEntrance(uint pid, uint refId)
{
    if (!canSend("DeleteEntrance"))
        return;
    if (Zep::debugLevel >= 1)
        qDebug() << "TulDbManager::sendDeleteEntrance(" << pid << refId << ")";
    mClient->sendDeleteRequest(
        QStringLiteral("entrance/%1/%2").arg(mTerminalKey, IdPairEncoding::encode(refId, pid)));
}

void TulDbManager::addEntrance(
    uint aIid, uint aType, uint aPid, uint aRefId, const QString &imgPath, uint localId, uint time)
{
    if (!mServerAccessible) {
        if (Zep::debugLevel >= 1)
            qDebug("TulDbManager::addEntrance() - server is not accessible!");
        return;
    }
    try {
        QVariantMap map { { QStringLiteral("iid"), aIid }, { QStringLiteral("type"), aType } };
        if (aPid != 0)
            map.insert(QStringLiteral("pid"), aPid);
        if (localId != 0)
            map.insert(QStringLiteral("refId"), localId);
        if (aRefId != 0)
            map.insert(QStringLiteral("uid"), aRefId);
        if (!imgPath.isEmpty())
            map.insert(QStringLiteral("imgPath"), imgPath);
        if (time != 0)
            map.insert(QStringLiteral("date"), time);
        sendAddEntrance(map);
    } catch (...) {
        qCritical("TulDbManager::addEntrance() - FAILURE!");
    }
}

void TulDbManager::sendAddEntrance(QVariantMap &data)
{
    if (!canSend("AddEntrance"))
        return;
    const QString imgPath = data.value(QStringLiteral("imgPath")).toString();
    if (!imgPath.isEmpty()) {
        QFile image(imgPath);
        if (image.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = image.readAll();
            if (!bytes.isEmpty())
                data.insert(QStringLiteral("image"), QString::fromLatin1(encodeBody(bytes)));
        }
    }
    const QByteArray body = compactJson(data);
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::sendAddEntrance()");
    if (Zep::debugLevel >= 2)
        qDebug("TulDbManager::sendAddEntrance(data: %s)", body.constData());
    mClient->sendPostRequest(QStringLiteral("entrance/%1").arg(mTerminalKey), body);
}

void TulDbManager::clientError(const QString &err)
{
    mSyncLog->loguj(QStringLiteral("TulDbManager - client ERROR: ") + err);
}

QVariantMap TulDbManager::jsonDataToMap(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning("TulDbManager::jsonDataToMap() - parse ERROR: %s",
                 qPrintable(error.errorString()));
        if (Zep::debugLevel >= 1)
            qDebug("TulDbManager::jsonDataToMap() - first 64 chars of DATA: %s",
                   data.left(64).constData());
    }
    return document.object().toVariantMap();
}

void TulDbManager::clientReply(ushort status, const QByteArray &data)
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::clientReply(status: %u)", uint(status));
    --mOutstandingRequests;
    if (status < 100 || status > 599) {
        qCritical("TulDbManager: Client reply - BAD status: %u!", uint(status));
        if (status == 0)
            setServerState(ServerFailed);
        return;
    }

    const QVariantMap map = jsonDataToMap(data);
    const int err = map.value(QStringLiteral("err")).toInt();
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
        // The server has forgotten this terminal: register again.
        if (isGetSync
            && ((err == 400 && errText.contains(QLatin1String("Invalid hash")))
                || (err == 404
                    && errText.contains(QLatin1String("Terminal"), Qt::CaseInsensitive))))
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
                                 const QVariantMap &map,
                                 int err)
{
    const QVariant res = map.value(QStringLiteral("res"));
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

void TulDbManager::handleSyncResult(const QVariantMap &map, const QStringList &segments)
{
    const QVariantMap res = map.value(QStringLiteral("res")).toMap();
    const uint mask = res.value(QStringLiteral("sync")).toUInt();
    const bool olderServer = map.value(QStringLiteral("ver")).toString() < QLatin1String("0.1.0");
    const uint ts = (olderServer ? res : map).value(QStringLiteral("st")).toUInt();

    if (map.contains(QStringLiteral("flags"))) {
        const ushort flags = ushort(map.value(QStringLiteral("flags")).toUInt());
        if (flags != mTerminalSyncFlags) {
            mTerminalSyncFlags = flags;
            emit terminalSyncFlagsChanged(flags);
        }
    }
    const uint lastId = res.value(QStringLiteral("lastId")).toUInt();
    if (lastId != 0)
        emit maxRefIdReceived(lastId);

    if (mask != 0) {
        if (Zep::debugLevel >= 2)
            qDebug("TulDbManager - sync: %u, serverTime: %u (%s)",
                   mask,
                   ts,
                   qPrintable(QDateTime::fromSecsSinceEpoch(ts).toString(
                       QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
        if (mask & 0x1)
            parseInters(res.value(QStringLiteral("inters")).toMap(), ts);
        if (mask & 0x2)
            parsePeople(res.value(QStringLiteral("people")).toMap(), ts);
        if (mask & 0x4)
            parseSaldo(res.value(QStringLiteral("saldo")).toMap(), ts);
        if (mask & 0x8)
            parsePresent(res.value(QStringLiteral("present")).toMap(), ts);
        if (mask & 0x40)
            parseTimezone(res.value(QStringLiteral("timezones")).toMap(), ts);
        if (mask & 0x100)
            parseGrp(res.value(QStringLiteral("grp")).toMap(), ts);
        emit parseSyncFinished(mForceSync);
    }
    if (mForceSync && segments.contains(QLatin1String("fs")))
        mForceSync = false;
}

void TulDbManager::handlePersonList(const QVariantMap &map, const QStringList &segments)
{
    const uint ts = map.value(QStringLiteral("st")).toUInt();
    PersonSynDataList list;
    for (const QVariant &entry : map.value(QStringLiteral("res")).toList()) {
        const QVariantMap m = entry.toMap();
        if (m.isEmpty())
            continue;
        PersonSynData p = personFromMap(m.value(QStringLiteral("uid")).toUInt(), m);
        p.type = QLatin1Char('I');
        p.tsc = ts;
        list.append(p);
    }
    if (list.isEmpty())
        return;
    if (segments.size() > 2) {
        emit needSyncPeople(list, ts);
        emit parseSyncFinished(false);
    } else {
        emit needSyncPeople(list, 0);
    }
}

void TulDbManager::handleIntersList(const QVariantMap &map)
{
    const uint ts = map.value(QStringLiteral("st")).toUInt();
    InterSynDataList list;
    for (const QVariant &entry : map.value(QStringLiteral("res")).toList()) {
        const QVariantMap m = entry.toMap();
        InterSynData i = interFromMap(quint16(m.value(QStringLiteral("iid")).toUInt()), m);
        i.type = QLatin1Char('I');
        i.tsc = ts;
        list.append(i);
    }
    emitList(list, 0, &TulDbManager::needSyncInters);
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

template<typename Record, typename Make>
void TulDbManager::parseKeyed(const char *parser,
                              const QVariantMap &object,
                              uint ts,
                              void (TulDbManager::*signal)(QList<Record>, uint),
                              Make make)
{
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::%s() count: %u", parser, uint(object.size()));
    QList<Record> list;
    for (auto it = object.cbegin(); it != object.cend(); ++it)
        list.append(make(it.key().toUInt(), it.value()));
    emitList(list, ts, signal);
}

void TulDbManager::parseInters(const QVariantMap &object, uint ts)
{
    parseKeyed("parseInters",
               object,
               ts,
               &TulDbManager::needSyncInters,
               [](uint key, const QVariant &value) {
                   const QVariantMap m = value.toMap();
                   InterSynData i = interFromMap(quint16(key), m);
                   i.type = typeChar(m.value(QStringLiteral("type")));
                   i.tsc = m.value(QStringLiteral("tsc")).toUInt();
                   return i;
               });
}

void TulDbManager::parsePeople(const QVariantMap &object, uint ts)
{
    parseKeyed("parsePeople",
               object,
               ts,
               &TulDbManager::needSyncPeople,
               [](uint key, const QVariant &value) {
                   const QVariantMap m = value.toMap();
                   PersonSynData p = personFromMap(key, m);
                   p.type = typeChar(m.value(QStringLiteral("type")));
                   p.tsc = m.value(QStringLiteral("tsc")).toUInt();
                   return p;
               });
}

void TulDbManager::parseSaldo(const QVariantMap &object, uint ts)
{
    parseKeyed("parseSaldo",
               object,
               ts,
               &TulDbManager::needSyncSaldo,
               [](uint key, const QVariant &value) {
                   return SaldoSynData { key, value.toInt() };
               });
}

void TulDbManager::parsePresent(const QVariantMap &object, uint ts)
{
    parseKeyed("parsePresent",
               object,
               ts,
               &TulDbManager::needSyncPresent,
               [](uint key, const QVariant &value) {
                   return PresentSynData { key, value.toUInt() };
               });
}

void TulDbManager::parseGrp(const QVariantMap &object, uint ts)
{
    parseKeyed(
        "parseGrp", object, ts, &TulDbManager::needSyncGrp, [](uint key, const QVariant &value) {
            return GrpSynData { key, quint8(value.toUInt()) };
        });
}

void TulDbManager::parseTimezone(const QVariantMap &object, uint ts)
{
    const QVariantMap zones = object.value(QStringLiteral("zones")).toMap();
    const QVariantList links = object.value(QStringLiteral("pzt")).toList();
    if (Zep::debugLevel >= 1)
        qDebug("TulDbManager::parseTimezone() count: %u", uint(zones.size() + links.size()));

    ZoneSynDataList zoneList;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        const QVariantMap m = it.value().toMap();
        ZoneSynData z;
        z.id = it.key().toUInt();
        z.days = quint8(m.value(QStringLiteral("days")).toUInt());
        z.from_time = m.value(QStringLiteral("from_time")).toUInt();
        z.to_time = m.value(QStringLiteral("to_time")).toUInt();
        z.status = m.value(QStringLiteral("status")).toBool();
        z.type = typeChar(m.value(QStringLiteral("type")));
        z.tsc = m.value(QStringLiteral("tsc")).toUInt();
        zoneList.append(z);
    }
    emitList(zoneList, ts, &TulDbManager::needSyncZones);

    PZTSynDataList linkList;
    for (const QVariant &entry : links) {
        const QVariantMap m = entry.toMap();
        linkList.append({ m.value(QStringLiteral("zid")).toUInt(),
                          m.value(QStringLiteral("uid")).toUInt(),
                          typeChar(m.value(QStringLiteral("type"))),
                          m.value(QStringLiteral("tsc")).toUInt() });
    }
    emitList(linkList, ts, &TulDbManager::needSyncPZT);
}
