#include "backup/maintainer.h"

#include "backup/ldbmaintenancethread.h"
#include "core/foundation/globals.h"

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
    mWorker->wait();
}

void Maintainer::doMaintenance()
{
    if (Zep::debugLevel >= 1)
        qDebug("Maintainer::doMaintenance()");
    if (mWorker->isRunning()) {
        if (Zep::debugLevel >= 1)
            qWarning("Maintainer::doMaintenance() - thread is already running - skipping..");
        return;
    }
    mWorker->start(QThread::IdlePriority);
}
