#include "db/entrancedeletions.h"

#include "db/datadbmanager.h"
#include "foundation/clock.h"

#include <QDateTime>
#include <QtDebug>

#include <algorithm>

namespace {
const QString fieldPrefix = QStringLiteral("delEntrance/");
constexpr uint unknownIdLifetime = 86400;

QString fieldOf(uint localId)
{
    return fieldPrefix + QString::number(localId);
}
} // namespace

EntranceDeletions::EntranceDeletions(DataDBManager *db)
    : mDb(db)
{
}

bool EntranceDeletions::isDeletion(const SyncItem &item)
{
    return item.field.startsWith(fieldPrefix);
}

bool EntranceDeletions::deleteEntrance(uint localId, uint *serverId)
{
    // Read now, not when the entrance was shown: the server's id may have arrived since.
    const EntranceData entrance = mDb->loadEntrance(localId);
    *serverId = entrance.syn;
    if (entrance.id == 0)
        return false;
    // Queued before the row goes, so that a failure leaves the entrance rather than a
    // deletion the server never hears of.
    if (!mDb->addSyncItem(fieldOf(localId), entrance.syn))
        return false;
    if (mDb->vymazPrerusenie(localId))
        return true;
    done(localId);
    return false;
}

bool EntranceDeletions::learnServerId(uint localId, uint serverId)
{
    const QString field = fieldOf(localId);
    const QList<SyncItem> items = mDb->loadSyncItems();
    const bool waiting = std::any_of(items.cbegin(), items.cend(), [&field](const SyncItem &item) {
        return item.field == field;
    });
    if (!waiting || serverId == 0)
        return false;
    mDb->delSyncItem(field, 0);
    return mDb->addSyncItem(field, serverId);
}

QList<EntranceDeletions::Deletion> EntranceDeletions::ready()
{
    const uint expired = uint(Clock::instance()->secsSinceEpoch()) - unknownIdLifetime;
    QList<Deletion> deletions;
    for (const SyncItem &item : mDb->loadSyncItems()) {
        if (!isDeletion(item))
            continue;
        const uint localId = item.field.mid(fieldPrefix.size()).toUInt();
        const uint serverId = item.data.toUInt();
        if (serverId == 0 && item.ts < expired) {
            qWarning("EntranceDeletions: entrance %u never reached the server", localId);
            done(localId);
        } else {
            deletions.append({ localId, serverId });
        }
    }
    return deletions;
}

void EntranceDeletions::done(uint localId)
{
    mDb->delSyncItem(fieldOf(localId), 0);
}
