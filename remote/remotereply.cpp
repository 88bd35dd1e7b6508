#include "remote/remotereply.h"

RemoteReply RemoteReply::read(const QVariantMap &reply)
{
    const QVariantMap args = reply.value(QStringLiteral("args")).toMap();
    RemoteReply read;
    read.err = reply.value(QStringLiteral("err")).toUInt();
    read.op = args.value(QStringLiteral("op")).toString();
    read.cmd = args.value(QStringLiteral("cmd")).toString();
    read.eid = args.value(QStringLiteral("eid")).toInt();
    read.resultText = reply.value(QStringLiteral("res")).toString();
    read.result = reply.value(QStringLiteral("res")).toMap();
    const QVariantList eids = reply.value(QStringLiteral("eids")).toList();
    for (const QVariant &eid : eids)
        read.eids << eid.toInt();

    read.doneItems = read.result.value(QStringLiteral("doneItems")).toMap().keys();
    const QVariantMap items = read.result.value(QStringLiteral("orvelItems")).toMap();
    for (const QVariant &entry : items) {
        const QVariantMap item = entry.toMap();
        read.items << Item { item.value(QStringLiteral("id")).toInt(),
                             item.value(QStringLiteral("field")).toString(),
                             item.value(QStringLiteral("data")) };
    }
    const QVariantMap events = read.result.value(QStringLiteral("events")).toMap();
    for (const QVariant &entry : events) {
        const QVariantMap event = entry.toMap();
        read.events << Event { event.value(QStringLiteral("eid")).toInt(),
                               event.value(QStringLiteral("typ")).toString(),
                               event.value(QStringLiteral("data")).toMap() };
    }
    return read;
}
