#include "core/dutyrunner.h"

#include "core/cron.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMouseEvent>

namespace {

bool isUserActivity(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return true;
    case QEvent::MouseMove:
        // A drag is activity; a hovering pointer is not.
        return static_cast<const QMouseEvent *>(event)->buttons() != Qt::NoButton;
    default:
        return false;
    }
}

} // namespace

DutyRunner::DutyRunner(ZEPSettings *settings, QObject *parent)
    : QObject(parent)
    , mSchedule(DutySchedule::fromSettings(*settings))
    , mNetworking(settings->value(Setting::networking).toBool())
    , mSettings(settings)
{
}

void DutyRunner::start()
{
    mCron = new Cron(false, this);
    connect(mCron, &Cron::timeout1, this, &DutyRunner::onCronSec);
    connect(mCron, &Cron::timeout60, this, &DutyRunner::onCronMin);
    connect(mCron, &Cron::timeout3600, this, &DutyRunner::onCronHour);
    mCron->start();
}

void DutyRunner::watchUserActivity(QObject *window)
{
    window->installEventFilter(this);
}

void DutyRunner::reloadSchedule()
{
    mSchedule = DutySchedule::fromSettings(*mSettings);
}

void DutyRunner::setServerState(ServerState state)
{
    if (state < mServerState) {
        if (Zep::debugLevel > 1)
            qDebug("Base::proxyChangedState(): stopping background activity (status < "
                   "mData.proxyState)");
        emit stopBackgroundActivity();
    }
    mServerState = state;
}

void DutyRunner::onCronSec(uint cnt)
{
    if (Zep::debugLevel > 2)
        qDebug("Base::onCronSec(%u)", cnt);
    const DutySchedule::SecondDuties due = mSchedule.dueAtSecond(cnt, mNetworking);
    if (due.orvelUpdate)
        emit orvelUpdateDue();
    if (due.hwInfoRefresh) {
        QCoreApplication::processEvents();
        emit hwInfoRefreshDue();
    }
    if (due.tulSync) {
        QCoreApplication::processEvents();
        emit serverSyncDue();
    }
}

void DutyRunner::onCronMin(uint cnt)
{
    if (Zep::debugLevel >= 2)
        qDebug("Base::onCronMin(%u)", cnt);
    if (mNetworking && mServerState == ServerOnline) {
        QCoreApplication::processEvents();
        emit applierSyncDue();
    }
    emit backupDue();
    emit idleMinute();
}

void DutyRunner::onCronHour(uint cnt)
{
    if (Zep::debugLevel >= 2)
        qDebug("Base::onCronHour(%u)", cnt);
    emit clockCorrectionDue();
    if (mSchedule.maintenanceDueAtHour(cnt)) {
        QCoreApplication::processEvents();
        emit maintenanceDue();
    }
}

void DutyRunner::pauseCron()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::pauseCron()");
    if (mCron && mCron->isActive()) {
        mCron->stop();
        emit stopBackgroundActivity();
    }
}

void DutyRunner::sSaverLevelChanged(int level)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::sSaverLevelChanched(" << level << ")";
    if (level > 0 && mScreenSaverLevel == 0 && mCron)
        mCron->start();
    mScreenSaverLevel = level;
    emit screenSaverLevelChanged(level);
}

// The screen saver itself belongs to the UI.
void DutyRunner::restoreScreenSaver()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::restoreScreenSaver()");
}

void DutyRunner::addCpuSample(uint percent)
{
    mCpuSamples.append(percent);
}

bool DutyRunner::flushUsagesCPU()
{
    const int count = mCpuSamples.size();
    uint sum = 0;
    for (uint sample : qAsConst(mCpuSamples))
        sum += sample;
    // Without samples the last average stands (no division by zero).
    if (count > 0)
        mCpuAverage = sum / uint(count);
    mCpuSamples.clear();
    if (Zep::debugLevel > 1)
        qDebug() << "Base::flushUsagesCPU() count=" << count << " sum=" << sum
                 << " avg=" << mCpuAverage;
    if (count > 0)
        emit cpuAverageChanged(mCpuAverage);
    return count > 0;
}

bool DutyRunner::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserActivity(event))
        pauseCron();
    return QObject::eventFilter(watched, event);
}
