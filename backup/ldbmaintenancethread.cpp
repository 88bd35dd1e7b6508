#include "backup/ldbmaintenancethread.h"

#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"
#include "db/dbsettings.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Rows deleted per transaction: one synchronous commit per batch instead of per
// row, short enough not to hold back an entrance recorded meanwhile.
constexpr int batchSize = 500;
} // namespace

LDBMaintenanceThread::LDBMaintenanceThread(DataDBManager *db, QObject *parent)
    : QThread(parent)
    , mDb(db)
{
    HappensBefore::releaseWhenFinished(this);
}

void LDBMaintenanceThread::run()
{
    if (Zep::debugLevel >= 1)
        qDebug("LDBMaintenanceThread::run()");
    mTerminate = false;
    mRemoved = 0;
    // Read through a settings object of this thread; the store belongs to the main thread.
    const bool onlySync
        = DbSettings::value(Setting::pruneOnlySynced).toBool();
    QList<uint> ids;
    mDb->nacitajNepotrebnePrerusenia(ids, onlySync);
    if (ids.isEmpty()) {
        if (Zep::debugLevel >= 1)
            qDebug("LDBMaintenanceThread::run() - ziadne prerusenia pre udrzbu");
        return;
    }
    if (Zep::debugLevel >= 1)
        qDebug() << "LDBMaintenanceThread::run() - mazem" << ids.size() << "preruseni..";
    for (int from = 0; from < ids.size() && !mTerminate; from += batchSize)
        removePhotos(deleteRows(ids.mid(from, batchSize)));
    if (Zep::debugLevel >= 1)
        qDebug("LDBMaintenanceThread::run() DONE (removed: %d)", int(mRemoved));
}

QList<uint> LDBMaintenanceThread::deleteRows(const QList<uint> &ids)
{
    QList<uint> deleted;
    mDb->beginTransaction();
    for (uint id : ids) {
        if (mDb->vymazPrerusenie(id))
            deleted.append(id);
        else if (Zep::debugLevel >= 1)
            qDebug("LDBMaintenanceThread::run(): prerusenie %u sa nepodarilo zmazat!", id);
    }
    if (!mDb->commitTransaction()) {
        qWarning("LDBMaintenanceThread: commit of %d deleted entrances failed", deleted.size());
        return {};
    }
    return deleted;
}

void LDBMaintenanceThread::removePhotos(const QList<uint> &ids)
{
    for (uint id : ids) {
        const QString photo = QDir::toNativeSeparators(EntrancePhoto::path(id));
        if (!QFileInfo(photo).isFile())
            continue;
        if (Zep::debugLevel >= 1)
            qDebug() << "Mazem obr.:" << photo;
        if (QFile::remove(photo))
            ++mRemoved;
        else
            qWarning("LDBMaintenanceThread: Obrazok '%s' sa nepodarilo zmazat!",
                     qUtf8Printable(photo));
    }
}
