#include "sync/applyrun.h"

#include "foundation/clock.h"
#include "db/sqlitemanager.h"

#include <QCoreApplication>
#include <QDebug>

ApplyRun::ApplyRun(const QString &typ, SQLiteManager *db, Announce announce, bool *commitFailed)
    : mTyp(typ)
    , mDb(db)
    , mAnnounce(std::move(announce))
    , mCommitFailed(commitFailed)
    , mLastYieldMs(Clock::instance()->msSinceEpoch())
{
    mAnnounce.begin(mTyp);
    mDb->beginTransaction();
}

ApplyRun::~ApplyRun()
{
    if (!mFinished && !mDb->commitTransaction())
        *mCommitFailed = true;
}

void ApplyRun::applied()
{
    ++mApplied;
    next();
}

void ApplyRun::failed()
{
    ++mFailed;
    next();
}

void ApplyRun::skipped()
{
    next();
}

void ApplyRun::finish()
{
    mFinished = true;
    // The list is confirmed to the server only when its writes are on disk.
    if (!mDb->commitTransaction()) {
        qCritical() << "DBSync: writing the list" << mTyp << "FAILED - it is not confirmed";
        *mCommitFailed = true;
    }
    mAnnounce.end(mTyp, mApplied, mFailed);
}

void ApplyRun::next()
{
    // Either way: a clock set back meanwhile must not hold the events back.
    const qint64 now = Clock::instance()->msSinceEpoch();
    if (qAbs(now - mLastYieldMs) < yieldIntervalMs)
        return;
    QCoreApplication::processEvents();
    mLastYieldMs = Clock::instance()->msSinceEpoch();
}
