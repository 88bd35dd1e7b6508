#include "backup/maintainer.h"

#include "backup/ldbmaintenancethread.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"

#include <QDebug>

Maintainer::Maintainer(DataDBManager *db, QObject *parent)
    : QObject(parent)
    , mWorker(std::make_unique<LDBMaintenanceThread>(db))
{
}

Maintainer::~Maintainer()
{
    // Stopped between batches: a thread killed mid-transaction could leave the
    // database locked.
    mWorker->doTerminate();
    HappensBefore::wait(mWorker.get());
}

void Maintainer::doMaintenance()
{
    if (Zep::debugLevel >= 1)
        qDebug("Maintainer::doMaintenance()");
    if (!HappensBefore::isIdle(mWorker.get())) {
        if (Zep::debugLevel >= 1)
            qWarning("Maintainer::doMaintenance() - thread is already running - skipping..");
        return;
    }
    mWorker->start(QThread::IdlePriority);
}
