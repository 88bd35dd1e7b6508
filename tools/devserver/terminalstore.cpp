#include "devserver/terminalstore.h"

#include "devserver/devdatabase.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

TerminalStore::TerminalStore(DevDatabase &db)
    : mDb(db)
{
}

static QVariantMap terminalRow(const QSqlQuery &query)
{
    return {
        { "id", query.value(0).toUInt() },
        { "fid", query.value(1).toUInt() },
        { "attrs",
          QJsonDocument::fromJson(query.value(2).toString().toUtf8()).object().toVariantMap() },
        { "flags", query.value(3).toUInt() },
        { "registered", query.value(4).toLongLong() },
        { "updated", query.value(5).toLongLong() }
    };
}

uint TerminalStore::findRegistered(const QVariantMap &attributes) const
{
    const uint fid = attributes.value(QStringLiteral("fid")).toUInt();
    const QString mac = attributes.value(QStringLiteral("mac")).toString();
    for (const QJsonValue terminal : list()) {
        const QJsonObject record = terminal.toObject();
        const uint knownFid = uint(record.value(QStringLiteral("fid")).toInt());
        // Without a remote-management id, the network address tells the terminal.
        const bool same = fid != 0 ? knownFid == fid
                                   : knownFid == 0 && !mac.isEmpty()
                && record.value(QStringLiteral("attrs"))
                        .toObject()
                        .value(QStringLiteral("mac"))
                        .toString()
                    == mac;
        if (same)
            return uint(record.value(QStringLiteral("id")).toInt());
    }
    return 0;
}

uint TerminalStore::registerTerminal(const QVariantMap &attributes, uint defaultFlags)
{
    if (const uint id = findRegistered(attributes))
        return update(id, attributes) ? id : 0;
    const uint fid = attributes.value(QStringLiteral("fid")).toUInt();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(query,
                  QStringLiteral("INSERT INTO terms (fid, attrs, flags, registered, updated)"
                                 " VALUES (:fid, :attrs, :flags, :registered, :updated)"),
                  { { "fid", fid },
                    { "attrs",
                      QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(attributes))
                                            .toJson(QJsonDocument::Compact)) },
                    { "flags", defaultFlags },
                    { "registered", now },
                    { "updated", now } }))
        return 0;
    return query.lastInsertId().toUInt();
}

bool TerminalStore::update(uint id, const QVariantMap &attributes)
{
    const QVariantMap terminal = find(id);
    if (terminal.isEmpty())
        return false;
    QVariantMap merged = terminal.value(QStringLiteral("attrs")).toMap();
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        merged.insert(it.key(), it.value());
    uint fid = terminal.value(QStringLiteral("fid")).toUInt();
    if (attributes.contains(QStringLiteral("fid")))
        fid = attributes.value(QStringLiteral("fid")).toUInt();
    return mDb.exec(
        QStringLiteral(
            "UPDATE terms SET fid = :fid, attrs = :attrs, updated = :now WHERE id = :id"),
        { { "id", id },
          { "fid", fid },
          { "attrs",
            QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(merged))
                                  .toJson(QJsonDocument::Compact)) },
          { "now", QDateTime::currentSecsSinceEpoch() } });
}

bool TerminalStore::setFlags(uint id, uint flags)
{
    if (find(id).isEmpty())
        return false;
    return mDb.exec(QStringLiteral("UPDATE terms SET flags = :flags WHERE id = :id"),
                    { { "id", id }, { "flags", flags } });
}

bool TerminalStore::remove(uint id)
{
    if (find(id).isEmpty())
        return false;
    return mDb.exec(QStringLiteral("UPDATE terms SET del = 1 WHERE id = :id"), { { "id", id } });
}

QVariantMap TerminalStore::find(uint id) const
{
    QSqlQuery query(mDb.handle());
    if (mDb.exec(query,
                 QStringLiteral("SELECT id, fid, attrs, flags, registered, updated FROM terms "
                                "WHERE id = :id AND del = 0"),
                 { { "id", id } })
        && query.next())
        return terminalRow(query);
    return {};
}

QJsonArray TerminalStore::list() const
{
    QJsonArray terminals;
    QSqlQuery query(mDb.handle());
    if (!mDb.exec(query,
                  QStringLiteral("SELECT id, fid, attrs, flags, registered, updated FROM terms "
                                 "WHERE del = 0 ORDER BY id")))
        return terminals;
    while (query.next())
        terminals.append(QJsonObject::fromVariantMap(terminalRow(query)));
    return terminals;
}
