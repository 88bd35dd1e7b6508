#include "devserver/syncconfirmations.h"

#include "devserver/devdatabase.h"

#include <QSqlQuery>

SyncConfirmations::SyncConfirmations(DevDatabase &db)
    : mDb(db)
{
}

qint64 SyncConfirmations::confirmed(uint term, uint list) const
{
    QSqlQuery query(mDb.handle());
    if (mDb.exec(query,
                 QStringLiteral("SELECT seq FROM term_sync WHERE term = :term AND list = :list"),
                 { { "term", term }, { "list", list } })
        && query.next())
        return query.value(0).toLongLong();
    return 0;
}

void SyncConfirmations::remember(uint term, uint st, uint list, qint64 seq)
{
    mDb.exec(QStringLiteral("INSERT OR REPLACE INTO term_snapshots (term, st, list, seq) VALUES "
                            "(:term, :st, :list, :seq)"),
             { { "term", term }, { "st", st }, { "list", list }, { "seq", seq } });
}

uint SyncConfirmations::confirm(uint term, uint ts, uint lists)
{
    uint matched = 0;
    for (uint bit = 1; bit != 0 && bit <= lists; bit <<= 1) {
        if (!(lists & bit))
            continue;
        QSqlQuery query(mDb.handle());
        const QVariantMap keys { { "term", term }, { "st", ts }, { "list", bit } };
        if (!mDb.exec(query,
                      QStringLiteral("SELECT seq FROM term_snapshots WHERE term = :term AND st = "
                                     ":st AND list = :list"),
                      keys)
            || !query.next())
            continue;
        const qint64 seq = query.value(0).toLongLong();
        if (seq > confirmed(term, bit)) {
            mDb.exec(QStringLiteral("INSERT OR REPLACE INTO term_sync (term, list, seq) VALUES "
                                    "(:term, :list, :seq)"),
                     { { "term", term }, { "list", bit }, { "seq", seq } });
        }
        mDb.exec(
            QStringLiteral(
                "DELETE FROM term_snapshots WHERE term = :term AND st <= :st AND list = :list"),
            keys);
        matched |= bit;
    }
    return matched;
}

void SyncConfirmations::forget(uint term)
{
    mDb.exec(QStringLiteral("DELETE FROM term_sync WHERE term = :term"), { { "term", term } });
    mDb.exec(QStringLiteral("DELETE FROM term_snapshots WHERE term = :term"), { { "term", term } });
}
