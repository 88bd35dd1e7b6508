#include "sync/syncthread.h"

#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"
#include "db/interruptlogline.h"

#include <QDebug>

#include <chrono>

namespace {
const QString sweepType = QStringLiteral("prerus_history");

QString entranceText(const EntranceData &entrance)
{
    return InterruptLogLine::make(entrance.time, entrance.dochid, entrance.pid, entrance.smer);
}
} // namespace

SyncThread::SyncThread(DataDBManager *db, UploadBackoff *backoff, QObject *parent)
    : QThread(parent)
    , mDb(db)
    , mBackoff(backoff)
{
    HappensBefore::releaseWhenFinished(this);
}

void SyncThread::startSweep(QThread::Priority priority)
{
    if (!HappensBefore::isIdle(this))
        return;
    // Cleared here, not in run(): a stop requested right after the start must hold.
    mTerminate = false;
    start(priority);
}

void SyncThread::doTerminate()
{
    {
        std::lock_guard<std::mutex> lock(mPauseMutex);
        mTerminate = true;
    }
    mPauseWake.notify_all();
}

void SyncThread::pause()
{
    std::unique_lock<std::mutex> lock(mPauseMutex);
    mPauseWake.wait_for(
        lock, std::chrono::milliseconds(mPauseMs.load()), [this] { return mTerminate.load(); });
}

void SyncThread::giveUp(uint id)
{
    if (!mDb->setPrerusSyn(id, 1))
        qWarning() << "SyncThread::run() - dbMan->setPrerusSyn(" << id << ", 1) FAILED!";
}

void SyncThread::reportWithoutPerson(const EntranceData &entrance)
{
    if (mReportedWithoutPerson.contains(entrance.id))
        return;
    mReportedWithoutPerson.insert(entrance.id);
    qWarning("SyncThread: Entrance without user! (%s)", qPrintable(entranceText(entrance)));
}

void SyncThread::run()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "SyncThread::run()";

    QList<EntranceData> entrances;
    mDb->nacitajPrerusenia(entrances, true, false);
    if (entrances.isEmpty()) {
        if (Zep::debugLevel >= 2)
            qDebug() << "SyncThread::run(): prerusenia->count() == 0";
        return;
    }

    QList<uint> unsent;
    unsent.reserve(entrances.size());
    for (const EntranceData &entrance : qAsConst(entrances))
        unsent.append(entrance.id);
    mBackoff->retain(unsent);
    mReportedWithoutPerson.intersect(QSet<uint>(unsent.cbegin(), unsent.cend()));

    if (Zep::debugLevel >= 2)
        qDebug() << "SyncThread::run() prerus_history - count:" << entrances.count();
    emit syncBegin(sweepType);

    int handedOn = 0;
    int givenUp = 0;
    for (const EntranceData &entrance : qAsConst(entrances)) {
        if (terminated()) {
            if (Zep::debugLevel >= 2)
                qDebug() << "SyncThread::run() - breaking foreach (doTerminate)";
            break;
        }
        if (entrance.dochid == 0) {
            // Never marked: it is not on the server. It waits for its person.
            reportWithoutPerson(entrance);
            ++givenUp;
        } else if (entrance.id != 0 && entrance.pid != 0 && entrance.uid != 0) {
            if (!mBackoff->mayHandOn(entrance.id, UploadBackoff::now()))
                continue;
            emit sigZapisPrerusenie(entrance.pid,
                                    entrance.smer,
                                    entrance.dochid,
                                    entrance.refId,
                                    EntrancePhoto::path(entrance.id),
                                    entrance.id,
                                    entrance.time);
            ++handedOn;
            pause();
        } else {
            qWarning("SyncThread: Invalid Entrance! (%s)", qPrintable(entranceText(entrance)));
            if (entrance.id != 0)
                giveUp(entrance.id);
            ++givenUp;
        }
    }

    emit syncEnd(sweepType, handedOn, givenUp);
}
