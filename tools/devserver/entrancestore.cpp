#include "devserver/entrancestore.h"

#include "devserver/devdatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>

EntranceStore::EntranceStore(DevDatabase &db, QString imageFolder)
    : mDb(db)
    , mImageFolder(std::move(imageFolder))
{
}

uint EntranceStore::add(uint term,
                        const QVariantMap &entrance,
                        const QByteArray &image,
                        bool deduplicate)
{
    const uint rid = entrance.value(QStringLiteral("refId")).toUInt();
    if (rid != 0 && deduplicate) {
        QSqlQuery query(mDb.handle());
        if (mDb.exec(query,
                     QStringLiteral(
                         "SELECT eid FROM entrances WHERE term = :term AND rid = :rid AND del = 0"),
                     { { "term", term }, { "rid", rid } })
            && query.next())
            return query.value(0).toUInt();
    }
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(
            query,
            QStringLiteral(
                "INSERT INTO entrances (term, rid, iid, type, pid, uid, date, img_path, received)"
                " VALUES (:term, :rid, :iid, :type, :pid, :uid, :date, :imgPath, :received)"),
            { { "term", term },
              { "rid", rid },
              { "iid", entrance.value(QStringLiteral("iid")).toUInt() },
              { "type", entrance.value(QStringLiteral("type")).toUInt() },
              { "pid", entrance.value(QStringLiteral("pid")).toUInt() },
              { "uid", entrance.value(QStringLiteral("uid")).toUInt() },
              { "date", entrance.value(QStringLiteral("date")).toLongLong() },
              { "imgPath",
                entrance.value(QStringLiteral("imgPath"), QStringLiteral("")).toString() },
              { "received", QDateTime::currentSecsSinceEpoch() } }))
        return 0;
    const uint eid = query.lastInsertId().toUInt();
    if (image.isEmpty())
        return eid;

    QDir().mkpath(mImageFolder);
    const QString fileName = QDir(mImageFolder).filePath(QStringLiteral("%1.jpg").arg(eid));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit()) {
        // The entrance itself is kept; the missing photo shows in the admin list.
        return eid;
    }
    mDb.exec(QStringLiteral("UPDATE entrances SET image_file = :file WHERE eid = :eid"),
             { { "file", fileName }, { "eid", eid } });
    return eid;
}

bool EntranceStore::remove(uint term, uint eid, uint rid)
{
    if (eid == 0 && rid == 0)
        return false;
    QString sql = QStringLiteral("UPDATE entrances SET del = 1 WHERE term = :term AND del = 0");
    QVariantMap bindings { { "term", term } };
    if (eid != 0) {
        sql += QStringLiteral(" AND eid = :eid");
        bindings.insert(QStringLiteral("eid"), eid);
    }
    if (rid != 0) {
        sql += QStringLiteral(" AND rid = :rid");
        bindings.insert(QStringLiteral("rid"), rid);
    }
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(query, sql, bindings))
        return false;
    return query.numRowsAffected() > 0;
}

uint EntranceStore::lastLocalId(uint term) const
{
    QSqlQuery query(mDb.handle());
    if (mDb.exec(query,
                 QStringLiteral("SELECT MAX(rid) FROM entrances WHERE term = :term"),
                 { { "term", term } })
        && query.next())
        return query.value(0).toUInt();
    return 0;
}

QJsonArray EntranceStore::list() const
{
    QJsonArray entrances;
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(query, QStringLiteral("SELECT * FROM entrances ORDER BY eid")))
        return entrances;
    while (query.next()) {
        const QSqlRecord record = query.record();
        QJsonObject entrance;
        for (int i = 0; i < record.count(); ++i) {
            const QVariant value = record.value(i);
            entrance.insert(record.fieldName(i),
                            value.type() == QVariant::String ? QJsonValue(value.toString())
                                                             : QJsonValue(value.toLongLong()));
        }
        const QString imageFile = record.value(QStringLiteral("image_file")).toString();
        entrance.insert(QStringLiteral("image_size"),
                        imageFile.isEmpty() ? 0 : QFileInfo(imageFile).size());
        entrances.append(entrance);
    }
    return entrances;
}

QJsonArray EntranceStore::repeats() const
{
    QJsonArray repeated;
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(query,
                  QStringLiteral("SELECT term, rid, COUNT(*), GROUP_CONCAT(eid) FROM entrances"
                                 " WHERE rid != 0 GROUP BY term, rid HAVING COUNT(*) > 1"
                                 " ORDER BY term, rid")))
        return repeated;
    while (query.next()) {
        QJsonArray eids;
        for (const QString &eid : query.value(3).toString().split(QLatin1Char(',')))
            eids.append(eid.toLongLong());
        repeated.append(QJsonObject { { "term", query.value(0).toLongLong() },
                                      { "rid", query.value(1).toLongLong() },
                                      { "uploads", query.value(2).toLongLong() },
                                      { "eids", eids } });
    }
    return repeated;
}
