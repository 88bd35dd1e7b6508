#include "sync/requestbuilder.h"

#include "db/persondata.h"
#include "db/termdata.h"
#include "foundation/bodyencoding.h"
#include "sync/idpairencoding.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

void RequestBuilder::setTerminal(uint serverId, uint remoteId)
{
    mKey = IdPairEncoding::encode(serverId, remoteId);
}

QString RequestBuilder::syncPath(bool force) const
{
    QString path = QStringLiteral("sync/%1").arg(mKey);
    if (force)
        path += QLatin1String("/fs");
    return path;
}

QString RequestBuilder::syncConfirmationPath(uint ts, ushort flags) const
{
    return QStringLiteral("sync/%1/%2").arg(mKey, IdPairEncoding::encode(ts, flags));
}

QString RequestBuilder::registrationPath()
{
    return QStringLiteral("term");
}

QString RequestBuilder::terminalPath() const
{
    return QStringLiteral("term/%1").arg(mKey);
}

QString RequestBuilder::intersPath() const
{
    return QStringLiteral("inters/%1").arg(mKey);
}

QString RequestBuilder::peoplePath() const
{
    return QStringLiteral("person/%1").arg(mKey);
}

QString RequestBuilder::personPath(uint first, uint pid) const
{
    return QStringLiteral("person/%1/%2").arg(mKey, IdPairEncoding::encode(first, pid));
}

QString RequestBuilder::entrancesPath() const
{
    return QStringLiteral("entrance/%1").arg(mKey);
}

QString RequestBuilder::entrancePath(uint refId, uint localId) const
{
    return QStringLiteral("entrance/%1/%2").arg(mKey, IdPairEncoding::encode(refId, localId));
}

QByteArray RequestBuilder::json(const QVariantMap &body)
{
    return QJsonDocument(QJsonObject::fromVariantMap(body)).toJson(QJsonDocument::Compact);
}

QVariantMap RequestBuilder::personBody(const PersonData &person)
{
    return {
        { QStringLiteral("uid"), uint(person.uid) },
        { QStringLiteral("pid"), uint(person.dochid) },
        { QStringLiteral("card"), person.karta },
        { QStringLiteral("name"), person.meno },
        { QStringLiteral("surname"), person.priez },
        { QStringLiteral("title"), person.titul },
        { QStringLiteral("admin"), uint(person.admin) },
        { QStringLiteral("saldo"), person.saldo1 },
        { QStringLiteral("access"), person.acc },
        { QStringLiteral("colorGroup"), int(person.colorGrp) },
        { QStringLiteral("refId"), person.refId },
        { QStringLiteral("present"), person.present },
        { QStringLiteral("del"), person.del },
        { QStringLiteral("updated"), person.updated },
    };
}

void RequestBuilder::addTerminalChanges(QVariantMap &changes,
                                        const TermData &stored,
                                        const TermData &fresh)
{
    auto compare = [&changes](const char *key, const QVariant &before, const QVariant &now) {
        if (before != now)
            changes.insert(QLatin1String(key), now);
    };
    compare("ip", stored.ip, fresh.ip);
    compare("type", stored.model, fresh.model);
    compare("ver", stored.ver, fresh.ver);
    compare("fid", uint(stored.tid), uint(fresh.tid));
    compare("btime", uint(stored.btime), uint(fresh.btime));
    compare("crNum", uint(stored.crNum), uint(fresh.crNum));
    compare("accNum", uint(stored.accNum), uint(fresh.accNum));
    compare("memu", stored.memu, fresh.memu);
    compare("cpuu", stored.cpuu, fresh.cpuu);
    compare("hddu", stored.hddu, fresh.hddu);
    compare("sdu", stored.sdu, fresh.sdu);
    compare("fpu", stored.fpu, fresh.fpu);
}

QVariantMap RequestBuilder::entranceBody(
    uint iid, uint type, uint pid, uint uid, uint localId, const QString &imgPath, uint time)
{
    QVariantMap body { { QStringLiteral("iid"), iid }, { QStringLiteral("type"), type } };
    if (pid != 0)
        body.insert(QStringLiteral("pid"), pid);
    if (localId != 0)
        body.insert(QStringLiteral("refId"), localId);
    if (uid != 0)
        body.insert(QStringLiteral("uid"), uid);
    if (!imgPath.isEmpty())
        body.insert(QStringLiteral("imgPath"), imgPath);
    if (time != 0)
        body.insert(QStringLiteral("date"), time);
    return body;
}

void RequestBuilder::addImage(QVariantMap &entrance)
{
    const QString imgPath = entrance.value(QStringLiteral("imgPath")).toString();
    if (imgPath.isEmpty())
        return;
    QFile image(imgPath);
    if (!image.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = image.readAll();
    if (!bytes.isEmpty())
        entrance.insert(QStringLiteral("image"), QString::fromLatin1(encodeBody(bytes)));
}
