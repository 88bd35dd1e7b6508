#include "remote/remotemanagement.h"

#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "remote/downloader.h"
#include "remote/inisettings.h"
#include "remote/logmask.h"
#include "remote/managedterminal.h"
#include "remote/orvel.h"
#include "remote/remotereply.h"
#include "remote/tarbalthread.h"
#include "sync/jsonhelper.h"
#include "sync/tuldbmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

const QString RemoteManagement::updateFolder = QStringLiteral("update");
const QString RemoteManagement::packageFolder = QStringLiteral("upload");

namespace {

const QString typeLogs = QStringLiteral("LOGS");
const QString typeUpdate = QStringLiteral("UPDATE");
const QString typeInfo = QStringLiteral("INFO");
const QString typeReboot = QStringLiteral("REBOOT");
// The pending type of a log package the service has taken, until it confirms the event.
const QString logsUploaded = QStringLiteral("LOGS uploaded");

const QStringList &recordFields()
{
    static const QStringList fields { QStringLiteral("model"), QStringLiteral("pn"),
                                      QStringLiteral("sn"),    QStringLiteral("pcn8v"),
                                      QStringLiteral("pcn8d"), QStringLiteral("vid") };
    return fields;
}

// Whether the reply is the answer to the request: the same operation and command, and for
// an upload the same event.
bool answers(const RemoteReply &reply, const QUrlQuery &request)
{
    return reply.op == request.queryItemValue(QStringLiteral("op"), QUrl::FullyDecoded)
        && reply.cmd == request.queryItemValue(QStringLiteral("cmd"), QUrl::FullyDecoded)
        && (reply.op != QLatin1String("upload")
            || QString::number(reply.eid) == request.queryItemValue(QStringLiteral("eid")));
}

QString syncItemText(const SyncItem &item)
{
    return QStringLiteral("%1:%2:%3").arg(item.ts).arg(item.field, item.data);
}

QString doneList(const QList<int> &ids)
{
    QString list;
    for (int id : ids)
        list += list.isEmpty() ? QString::number(id) : QStringLiteral("|%1").arg(id);
    return list;
}

} // namespace

RemoteManagement::RemoteManagement(ZEPSettings *settings,
                                   ManagedTerminal *terminal,
                                   DataDBManager *dataDb,
                                   TulDbManager *syncProtocol,
                                   QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mTerminal(terminal)
    , mDataDb(dataDb)
    , mSyncProtocol(syncProtocol)
    , mOrvel(new Orvel(settings, this, this))
    , mDownloader(new Downloader(this))
{
    mCamRestartsLimit = mSettings->value(Setting::camRestartsLimit).toUInt();
    connect(mOrvel, &Orvel::reply, this, &RemoteManagement::orvelReply);
    connect(mOrvel, &Orvel::updateNotSent, this, [this] { emit contactFinished(false); });
    connect(mDownloader, &Downloader::downloadFinished, this, &RemoteManagement::downloadFinished);
}

const TermData &RemoteManagement::terminalRecord() const
{
    return mTerminal->terminalRecord();
}

int RemoteManagement::proxyState() const
{
    return mTerminal->getProxyState();
}

void RemoteManagement::flushUsagesCPU()
{
    mTerminal->flushUsagesCPU();
}

QString RemoteManagement::getSyncItems()
{
    QStringList items;
    if (mDataDb) {
        const QList<SyncItem> rows = mDataDb->loadSyncItems();
        for (const SyncItem &item : rows)
            if (!EntranceDeletions::isDeletion(item))
                items << syncItemText(item);
    }
    const QString ret = items.join(QLatin1Char('|'));
    if (Zep::debugLevel >= 2)
        qDebug() << "Base::getSyncItems() - ret = " << LogMask::request(ret);
    return ret;
}

bool RemoteManagement::applyOrvelItem(const QString &field, const QVariant &data)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "Base::applyOrvelItem(" << field << LogMask::item(field, data) << ")";
    TermData &record = mTerminal->terminalRecord();
    if (field == QLatin1String("nazov")) {
        record.nazov = data.toString();
        mSettings->setValue(Setting::terminalName.name, record.nazov);
        mSettings->syncSettings();
        record.ini = mTerminal->loadIni(false);
        ++record.syn;
        return true;
    }
    if (field == QLatin1String("ini")) {
        const QString text = data.toString();
        if (text == record.ini)
            return true;
        // A text that is no settings file would leave the terminal without its settings.
        if (!isIniSettings(text)) {
            qCritical("Base::applyOrvelItem() - ini is not a settings text, not applied!");
            return false;
        }
        if (!mTerminal->saveIni(text))
            return false;
        record.ini = text;
    } else if (!recordFields().contains(field)) {
        return false;
    } else if (!storeItem(field, data)) {
        return true; // the value is the stored one
    }
    if (!mTerminal->saveData()) {
        qCritical("Base::applyOrvelItem() - saveData() FAILED!");
        return false;
    }
    if (mSettings->value(Setting::terminalName).toString()
        != record.nazov)
        mSettings->setValue(Setting::terminalName.name, record.nazov);
    return true;
}

// Stores one of recordFields(); false when the value is the stored one.
bool RemoteManagement::storeItem(const QString &field, const QVariant &data)
{
    TermData &record = mTerminal->terminalRecord();
    if (field == QLatin1String("vid")) {
        const int vid = int(data.toUInt());
        if (vid == record.vid)
            return false;
        record.vid = vid;
        return true;
    }
    QString *target = nullptr;
    if (field == QLatin1String("model"))
        target = &record.model;
    else if (field == QLatin1String("pn"))
        target = &record.pn;
    else if (field == QLatin1String("sn"))
        target = &record.sn;
    else if (field == QLatin1String("pcn8v"))
        target = &record.pcn8v;
    else
        target = &record.pcn8d;
    if (*target == data.toString())
        return false;
    *target = data.toString();
    return true;
}

void RemoteManagement::orvelReply(const QString &data,
                                  int status,
                                  const QString &errMsg,
                                  const QString &replyRequest)
{
    if (Zep::debugLevel >= 1)
        qDebug("Base::orvelReply():");
    if (Zep::debugLevel >= 2)
        qDebug() << "reply length = " << data.size() << "status = " << status
                 << "errMsg = " << errMsg;
    const RemoteReply reply = RemoteReply::read(mJson.parse(data));
    if (Zep::debugLevel >= 2)
        qDebug() << "err = " << reply.err << "op = " << reply.op << "cmd = " << reply.cmd;
    const QUrlQuery request(replyRequest);
    // An upload is over with its reply: a failed one goes again when the event is repeated.
    if (request.queryItemValue(QStringLiteral("op")) == QLatin1String("upload"))
        mEventData.remove(request.queryItemValue(QStringLiteral("eid")).toInt());

    const bool answered = reply.err == 0 && status == 200 && errMsg.isEmpty();
    if (!answered) {
        qCritical() << "Base::orvelReply() - ERROR [" << reply.err << "] "
                    << (reply.resultText.isEmpty() ? errMsg : reply.resultText);
    } else if (!answers(reply, request)) {
        qCritical() << "Base::orvelReply() - the reply does not answer the request" << reply.op
                    << reply.cmd;
    } else if (reply.op == QLatin1String("sync")) {
        handleSyncReply(reply, request.queryItemValue(QStringLiteral("items"), QUrl::FullyDecoded));
    } else if (reply.op == QLatin1String("done")) {
        if (reply.cmd == QLatin1String("events") || reply.cmd == QLatin1String("events_failed"))
            handleDoneEvents(reply);
    } else if (reply.op == QLatin1String("upload")) {
        if (reply.cmd == typeLogs) {
            if (reply.eid != 0) {
                mPendingTypes.insert(reply.eid, logsUploaded);
                sendDone(QStringLiteral("events"), { reply.eid });
            } else
                qCritical("Base::orvelReply() - Unknown event ID after upload LOGS");
        } else {
            qDebug() << "Base::orvelReply() - Unknown upload command:" << reply.cmd;
        }
    } else if (reply.op == QLatin1String("get")) {
        if (reply.cmd == QLatin1String("term")) {
            setTermSchema(reply.result, true);
            mOrvel->doUpdate();
        } else {
            qDebug() << "Base::orvelReply() - Unknown get command:" << reply.cmd;
        }
    }
    emit orvelReplyFinished();
    emit contactFinished(answered);
}

void RemoteManagement::handleSyncReply(const RemoteReply &reply, const QString &reportedItems)
{
    TermData &record = mTerminal->terminalRecord();
    for (const QString &doneItem : reply.doneItems) {
        if (Zep::debugLevel >= 3)
            qDebug() << "doneItems:" << doneItem;
        if (record.syn > 0)
            --record.syn;
    }
    confirmReportedItems(reply.doneItems, reportedItems);

    QList<int> itemsDone;
    for (const RemoteReply::Item &item : reply.items) {
        if (Zep::debugLevel >= 3)
            qDebug() << "orvelItems:" << item.id << item.field
                     << LogMask::item(item.field, item.data);
        if (applyOrvelItem(item.field, item.data))
            itemsDone << item.id;
    }
    if (!itemsDone.isEmpty()) {
        mTerminal->saveData();
        if (!record.ini.isEmpty()) {
            mTerminal->saveIni(record.ini);
            mSettings->syncSettings();
        }
        sendDone(QStringLiteral("sync"), itemsDone);
        mTerminal->saveData();
    }

    handleEvents(reply.events);
}

// Removes the rows of the confirmed fields that the report carried; rows queued while it was
// on its way wait for the next report.
void RemoteManagement::confirmReportedItems(const QStringList &fields, const QString &reportedItems)
{
    if (!mDataDb || fields.isEmpty())
        return;
    // A value may itself hold the separator: look for each row's whole text.
    const QString reported = QLatin1Char('|') + reportedItems + QLatin1Char('|');
    const QList<SyncItem> rows = mDataDb->loadSyncItems();
    for (const SyncItem &row : rows) {
        if (!EntranceDeletions::isDeletion(row) && fields.contains(row.field)
            && reported.contains(QLatin1Char('|') + syncItemText(row) + QLatin1Char('|')))
            mDataDb->delSyncItemById(row.id);
    }
}

void RemoteManagement::handleEvents(const QList<RemoteReply::Event> &events)
{
    QList<int> eventsDone;
    for (const RemoteReply::Event &event : events) {
        if (Zep::debugLevel >= 3)
            qDebug() << "Events:" << event.eid << event.type << event.data;
        // The service repeats an event until it is confirmed. One being carried out is
        // answered when it ends; one acknowledged before lost its acknowledgement on the
        // way and is acknowledged again; a log package whose upload failed goes again.
        if (mEventData.contains(event.eid))
            continue;
        const QString pendingType = mPendingTypes.value(event.eid);
        if (!pendingType.isEmpty() && pendingType != typeLogs) {
            eventsDone << event.eid;
        } else if (event.type == typeUpdate || event.type == typeInfo) {
            mEventData.insert(event.eid, event.data);
            doOrvelEvent(event.eid, event.type);
        } else if (event.type == typeLogs) {
            mPendingTypes.insert(event.eid, event.type);
            mEventData.insert(event.eid, event.data);
            doOrvelEvent(event.eid, event.type);
        } else {
            mPendingTypes.insert(event.eid, event.type);
            eventsDone << event.eid;
        }
    }
    if (!eventsDone.isEmpty())
        sendDone(QStringLiteral("events"), eventsDone);
}

void RemoteManagement::handleDoneEvents(const RemoteReply &reply)
{
    if (reply.resultText != QLatin1String("OK")) {
        qCritical("Base::orvelReply() - Done Events FAILURE!");
        return;
    }
    if (Zep::debugLevel >= 3)
        qDebug() << "Done events:" << reply.eids;
    for (const int eid : reply.eids) {
        if (!mPendingTypes.contains(eid))
            continue;
        const QString type = mPendingTypes.take(eid);
        if (type == typeReboot)
            doOrvelEvent(eid, typeReboot);
    }
}

void RemoteManagement::sendDone(const QString &cmd, const QList<int> &ids)
{
    mOrvel->sendRequest(QStringLiteral("op=done&cmd=%1&data=%2").arg(cmd, doneList(ids)));
}

void RemoteManagement::doSyncOrvel()
{
    mOrvel->doUpdate();
}

void RemoteManagement::doOrvelEvent(int eid, const QString &type)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "Base::doOrvelEvent(" << eid << type << ")";
    if (type == typeLogs) {
        startLogPackage(eid);
    } else if (type == typeUpdate) {
        startUpdateDownload(eid);
    } else if (type == typeInfo) {
        mEventData.remove(eid);
        sendDone(QStringLiteral("events"), { eid });
    } else if (type == typeReboot) {
        mTerminal->doReboot(QStringLiteral("Rebooting (remote management request).."));
    } else {
        qDebug() << "Base::doOrvelEvent() - Unknown event: " << type;
    }
}

// Every log of the working folder goes into one package.
void RemoteManagement::startLogPackage(int eid)
{
    QStringList logs = QDir::current().entryList({ QStringLiteral("*.log") }, QDir::Files);
    QDir().mkpath(packageFolder);
    const QString archive = QStringLiteral("%1/logs-%2.tar.gz").arg(packageFolder).arg(eid);
    auto *worker = new TarbalThread(logs, archive, this);
    mTarballJobs.insert(worker, eid);
    connect(worker, &TarbalThread::finished, this, &RemoteManagement::tarbalFinished);
    emit workingStart();
    worker->start();
}

void RemoteManagement::startUpdateDownload(int eid)
{
    const QVariantMap data = mEventData.value(eid);
    const QString file = data.value(QStringLiteral("file")).toString();
    QDir().mkpath(updateFolder);
    // The downloader refuses a file name that would leave the folder.
    mDownloader->setMaxSize(
        mSettings->value(Setting::maxDownloadMB).toLongLong() * 1024 * 1024);
    const int job
        = mDownloader->downloadFile(QUrl(data.value(QStringLiteral("url")).toString()),
                                    updateFolder,
                                    file,
                                    data.value(QStringLiteral("sha256")).toString().toLatin1());
    if (job < 0) {
        mEventData.remove(eid);
        sendDone(QStringLiteral("events_failed"), { eid });
        return;
    }
    mDownloadJobs.insert(job, eid);
    emit workingStart();
}

void RemoteManagement::setTermSchema(const QVariantMap &map, bool save)
{
    if (Zep::debugLevel >= 1)
        qDebug("Base::setTermSchema( )");
    const QString host = map.value(QStringLiteral("srvh")).toString();
    const quint16 port = quint16(map.value(QStringLiteral("srvp")).toUInt());
    const QString token = map.value(QStringLiteral("srvt")).toString();
    if (Zep::debugLevel >= 2)
        qDebug() << "host:" << host << " port:" << port << " token:" << LogMask::secret(token);
    mTerminal->terminalRecord().token = token;
    if (save)
        mTerminal->saveData();
    else if (mSyncProtocol)
        mSyncProtocol->setSchemaToken(token);
    bool written = false;
    if (!host.isEmpty()) {
        mSettings->setValue(Setting::serverHost.name, host);
        if (mSyncProtocol)
            mSyncProtocol->setServerIp(host);
        written = true;
    }
    if (port != 0) {
        mSettings->setValue(Setting::serverPort.name, port);
        if (mSyncProtocol)
            mSyncProtocol->setServerPort(port);
        written = true;
    }
    if (written)
        mSettings->syncSettings();
}

void RemoteManagement::downloadFinished(int jobID, int errCode)
{
    qDebug() << "Base::downloadFinished(" << jobID << errCode << ")";
    emit workingEnd();
    const int eid = mDownloadJobs.take(jobID);
    mEventData.remove(eid);
    // A failed download is reported as failed and restarts nothing.
    if (errCode != 0) {
        qCritical("Base::downloadFinished() - download error");
        sendDone(QStringLiteral("events_failed"), { eid });
        return;
    }
    mPendingTypes.insert(eid, typeReboot);
    sendDone(QStringLiteral("events"), { eid });
}

void RemoteManagement::tarbalFinished(QObject *object, const QString &file, int status)
{
    qDebug() << "Base::tarbalFinished(" << file << status << ")";
    const int eid = mTarballJobs.take(object);
    if (status != 0) {
        mEventData.remove(eid);
        QFile::remove(file);
        sendLogsDoneFailed(eid);
        qCritical("Base::tarbalFinished() - tarball not created!");
    } else {
        // The upload holds the bytes in memory: the package is not needed afterwards.
        if (!mOrvel->uploadFile(file, typeLogs, uint(eid), QStringLiteral("application/x-gzip"))) {
            mEventData.remove(eid);
            qCritical("Base::tarbalFinished() - upload not start!");
        }
        QFile::remove(file);
    }
    emit workingEnd();
    if (auto *worker = qobject_cast<QThread *>(object)) {
        HappensBefore::wait(worker);
        worker->deleteLater();
    }
}

void RemoteManagement::sendLogsDoneFailed(int eid)
{
    sendDone(QStringLiteral("events_failed"), { eid });
}

void RemoteManagement::onCamRestart()
{
    ++mCamRestarts;
    if (Zep::debugLevel >= 1)
        qDebug() << "Base::onCamRestart()" << mCamRestarts;
    if (mCamRestartsLimit != 0 && mCamRestarts >= mCamRestartsLimit)
        mTerminal->doReboot(QStringLiteral("Rebooting (camera exceeded count of restarts).."));
}

void RemoteManagement::sysInfoChanged(const QString &name, uint value)
{
    qDebug() << "Base::sysInfoChanged(" << name << value << ")";
    TermData &record = mTerminal->terminalRecord();
    if (name == QLatin1String("CPU")) {
        mTerminal->addCpuSample(value); // the record gets their mean before a report
    } else if (name == QLatin1String("RAM")) {
        record.memu = int(value);
    } else if (name == QLatin1String("HDD")) {
        record.hddu = int(value);
    } else if (name == QLatin1String("SDC")) {
        record.sdu = int(value);
    }
    if (mSyncProtocol)
        mSyncProtocol->setTermData(record);
    emit hwInfoChanged();
}

void RemoteManagement::setNetworkProxy(const QNetworkProxy &proxy)
{
    mOrvel->setNetworkProxy(proxy);
    mDownloader->setProxy(proxy);
}
