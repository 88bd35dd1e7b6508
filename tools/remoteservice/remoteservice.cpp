#include "remoteservice/remoteservice.h"

#include "remote/orvelcrypto.h"
#include "foundation/bodyencoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrlQuery>

namespace {

// Length of the terminal token in front of the cipher text: nine digits, body-encoded.
const int tokenLength = 12;

QJsonObject failure(const QString &text)
{
    return { { "err", 1 }, { "res", text } };
}

QJsonArray toArray(const QList<int> &ids)
{
    QJsonArray array;
    for (int id : ids)
        array.append(id);
    return array;
}

QList<int> idList(const QString &data)
{
    QList<int> ids;
    for (const QString &part : data.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        ids << part.toInt();
    return ids;
}

} // namespace

bool RemoteService::load(const QString &configFile, QString &error)
{
    QFile file(configFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonObject config = QJsonDocument::fromJson(file.readAll(), &parseError).object();
    if (parseError.error != QJsonParseError::NoError) {
        error = parseError.errorString();
        return false;
    }
    std::lock_guard<std::mutex> locker(mMutex);
    mServer = config.value(QStringLiteral("server")).toObject();
    for (const QJsonValue &value : config.value(QStringLiteral("terminals")).toArray()) {
        const QJsonObject entry = value.toObject();
        Terminal terminal;
        terminal.tid = entry.value(QStringLiteral("tid")).toInt();
        terminal.sharedKey = entry.value(QStringLiteral("skey")).toString();
        terminal.serialNumber = entry.value(QStringLiteral("sn")).toString();
        if (terminal.tid == 0 || terminal.sharedKey.isEmpty() || terminal.serialNumber.isEmpty()) {
            error = QStringLiteral("a terminal needs tid, skey and sn");
            return false;
        }
        for (const QJsonValue &item : entry.value(QStringLiteral("items")).toArray())
            terminal.pendingItems << item.toObject();
        for (const QJsonValue &event : entry.value(QStringLiteral("events")).toArray())
            terminal.pendingEvents.insert(event.toObject().value(QStringLiteral("eid")).toInt(),
                                          event.toObject());
        mTerminals.insert(terminal.tid, terminal);
    }
    return true;
}

RemoteService::Answer RemoteService::handle(const QString &encryptedText,
                                            const QString &uploadName,
                                            const QByteArray &uploadData)
{
    std::lock_guard<std::mutex> locker(mMutex);
    const int tid = decodeBody(encryptedText.left(tokenLength).toLatin1()).toInt();
    if (!mTerminals.contains(tid))
        return { 404,
                 QJsonDocument(failure(QStringLiteral("unknown terminal")))
                     .toJson(QJsonDocument::Compact) };
    Terminal &terminal = mTerminals[tid];
    setTermData(terminal.tid, terminal.sharedKey, terminal.serialNumber);
    const QString plain = orvelDecrypt(encryptedText.mid(tokenLength));
    const QUrlQuery query(plain);
    const QString op = query.queryItemValue(QStringLiteral("op"), QUrl::FullyDecoded);
    const QString cmd = query.queryItemValue(QStringLiteral("cmd"), QUrl::FullyDecoded);
    if (op.isEmpty())
        return {
            400,
            QJsonDocument(failure(QStringLiteral("DECRYPT ERROR"))).toJson(QJsonDocument::Compact)
        };

    QJsonObject args { { "op", op }, { "cmd", cmd } };
    QJsonObject reply { { "err", 0 }, { "args", args } };
    if (op == QLatin1String("get") && cmd == QLatin1String("term")) {
        reply.insert(QStringLiteral("res"), mServer);
    } else if (op == QLatin1String("sync")) {
        ++terminal.reports;
        reply.insert(QStringLiteral("res"),
                     syncResult(terminal,
                                query.queryItemValue(QStringLiteral("items"), QUrl::FullyDecoded)));
    } else if (op == QLatin1String("done")) {
        const QJsonObject confirmed = confirm(
            terminal, cmd, query.queryItemValue(QStringLiteral("data"), QUrl::FullyDecoded));
        for (auto it = confirmed.begin(); it != confirmed.end(); ++it)
            reply.insert(it.key(), it.value());
    } else if (op == QLatin1String("upload")) {
        const int eid = query.queryItemValue(QStringLiteral("eid")).toInt();
        args.insert(QStringLiteral("eid"), eid);
        reply.insert(QStringLiteral("args"), args);
        const QString stored = storeUpload(terminal, eid, uploadName, uploadData);
        if (stored.isEmpty())
            reply = failure(QStringLiteral("upload not stored"));
        else
            reply.insert(QStringLiteral("res"), QStringLiteral("OK"));
    } else {
        reply = failure(QStringLiteral("unknown request"));
    }
    return encrypted(terminal, reply);
}

// Every reported item is stored and confirmed; items and events not yet confirmed
// by the terminal are sent again.
QJsonObject RemoteService::syncResult(Terminal &terminal, const QString &items)
{
    QJsonObject doneItems;
    for (const QString &item : items.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString field = item.section(QLatin1Char(':'), 1, 1);
        if (field.isEmpty())
            continue;
        terminal.items.insert(field, item.section(QLatin1Char(':'), 2));
        doneItems.insert(field, 1);
    }
    QJsonObject orvelItems;
    for (const QJsonObject &item : qAsConst(terminal.pendingItems))
        orvelItems.insert(QString::number(item.value(QStringLiteral("id")).toInt()), item);
    QJsonObject events;
    for (const QJsonObject &event : qAsConst(terminal.pendingEvents))
        events.insert(QString::number(event.value(QStringLiteral("eid")).toInt()), event);
    QJsonObject res { { "doneItems", doneItems } };
    if (!orvelItems.isEmpty())
        res.insert(QStringLiteral("orvelItems"), orvelItems);
    if (!events.isEmpty())
        res.insert(QStringLiteral("events"), events);
    return res;
}

QJsonObject RemoteService::confirm(Terminal &terminal, const QString &cmd, const QString &data)
{
    const QList<int> ids = idList(data);
    if (cmd == QLatin1String("sync")) {
        for (int id : ids) {
            terminal.doneItems << id;
            for (int i = terminal.pendingItems.size() - 1; i >= 0; --i)
                if (terminal.pendingItems.at(i).value(QStringLiteral("id")).toInt() == id)
                    terminal.pendingItems.removeAt(i);
        }
        return { { "res", "OK" } };
    }
    if (cmd == QLatin1String("events") || cmd == QLatin1String("events_failed")) {
        for (int eid : ids) {
            terminal.pendingEvents.remove(eid);
            (cmd == QLatin1String("events") ? terminal.doneEvents : terminal.failedEvents) << eid;
        }
        return { { "res", "OK" }, { "eids", toArray(ids) } };
    }
    return failure(QStringLiteral("unknown done command"));
}

QString
RemoteService::storeUpload(Terminal &terminal, int eid, const QString &name, const QByteArray &data)
{
    const QString fileName = QFileInfo(name).fileName();
    if (fileName.isEmpty() || data.isEmpty() || !QDir().mkpath(mUploadFolder))
        return QString();
    const QString path
        = QDir(mUploadFolder)
              .filePath(QStringLiteral("%1-%2-%3").arg(terminal.tid).arg(eid).arg(fileName));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        return QString();
    terminal.uploads << QFileInfo(path).absoluteFilePath();
    return path;
}

RemoteService::Answer RemoteService::encrypted(const Terminal &terminal, const QJsonObject &reply)
{
    setTermData(terminal.tid, terminal.sharedKey, terminal.serialNumber);
    return { 200,
             orvelEncrypt(QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact)))
                 .toLatin1() };
}

QJsonObject RemoteService::state()
{
    std::lock_guard<std::mutex> locker(mMutex);
    QJsonObject terminals;
    for (const Terminal &terminal : qAsConst(mTerminals)) {
        QJsonObject items;
        for (auto it = terminal.items.cbegin(); it != terminal.items.cend(); ++it)
            items.insert(it.key(), it.value());
        QJsonArray pendingItems;
        for (const QJsonObject &item : terminal.pendingItems)
            pendingItems.append(item);
        terminals.insert(
            QString::number(terminal.tid),
            QJsonObject { { "reports", terminal.reports },
                          { "items", items },
                          { "pendingItems", pendingItems },
                          { "doneItems", toArray(terminal.doneItems) },
                          { "pendingEvents", toArray(terminal.pendingEvents.keys()) },
                          { "doneEvents", toArray(terminal.doneEvents) },
                          { "failedEvents", toArray(terminal.failedEvents) },
                          { "uploads", QJsonArray::fromStringList(terminal.uploads) } });
    }
    return { { "terminals", terminals } };
}

bool RemoteService::addItem(int tid, const QJsonObject &item)
{
    std::lock_guard<std::mutex> locker(mMutex);
    if (!mTerminals.contains(tid) || item.value(QStringLiteral("field")).toString().isEmpty())
        return false;
    mTerminals[tid].pendingItems << item;
    return true;
}

bool RemoteService::addEvent(int tid, const QJsonObject &event)
{
    std::lock_guard<std::mutex> locker(mMutex);
    const int eid = event.value(QStringLiteral("eid")).toInt();
    if (!mTerminals.contains(tid) || eid == 0)
        return false;
    mTerminals[tid].pendingEvents.insert(eid, event);
    return true;
}
