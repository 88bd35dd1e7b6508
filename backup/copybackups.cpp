#include "backup/copybackups.h"

#include "backup/copythread.h"
#include "backup/drivemount.h"
#include "backup/removabledrive.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>

CopyBackups::CopyBackups(QSettings &settings, QObject *parent)
    : QObject(parent)
    , mBackupPath(RemovableDrive::backupPath(settings))
    , mTargetPath(RemovableDrive::mountPoint(settings))
    , mWorker(new CopyThread(this))
{
    connect(mWorker, &CopyThread::dirListBuilded, this, &CopyBackups::slotDirListBuilded);
    connect(mWorker, &CopyThread::progressUpdated, this, [this](int value) {
        setProgress(value, mProgressMaximum, mLabelText);
    });
    connect(mWorker, &CopyThread::copyEnded, this, &CopyBackups::copyFinished);
}

CopyBackups::~CopyBackups()
{
    mWorker->doCancel();
    HappensBefore::wait(mWorker);
}

bool CopyBackups::isDriveAvailable() const
{
    return !mBusy && isDriveWritable();
}

bool CopyBackups::isDriveWritable() const
{
    return DriveMount::instance()->isMounted(mTargetPath) && QFileInfo(mTargetPath).isWritable();
}

void CopyBackups::setShowProgress(bool show)
{
    if (show == mShowProgress)
        return;
    mShowProgress = show;
    emit showProgressChanged(show);
}

void CopyBackups::doCopyEntrances()
{
    if (Zep::debugLevel >= 1)
        qDebug("CopyBackups::doCopyEntrances()");
    // The year folders of the photo tree.
    startJob(Entrances, QString(), QStringLiteral("2*"));
}

void CopyBackups::doCopyLogs()
{
    startJob(Logs, QStringLiteral("logs"), QString());
}

void CopyBackups::startJob(Mode mode, const QString &subfolder, const QString &filter)
{
    if (mBusy)
        return;
    mWorker->setSource(mBackupPath, subfolder, filter);
    mMode = mode;
    mBusy = true;
    mErrorText.clear();
    emit busyChanged(true);
    QTimer::singleShot(10, this, &CopyBackups::doCopy);
}

void CopyBackups::doCopy()
{
    if (Zep::debugLevel >= 1)
        qDebug("CopyBackups::doCopy()");
    setProgress(0, 0, tr("Building directory list..."));
    mWorker->setTargetPath(mTargetPath);
    mWorker->start();
}

void CopyBackups::doCancel()
{
    mWorker->doCancel();
}

void CopyBackups::slotDirListBuilded(uint count)
{
    setProgress(0, int(count), tr("Copying files..."));
}

void CopyBackups::copyFinished()
{
    if (Zep::debugLevel >= 1)
        qDebug("CopyBackups::copyFinished()");
    if (!mBusy)
        return;
    // The job's last signal: the worker ends at once, and once joined what it wrote is ours.
    HappensBefore::wait(mWorker);
    mErrorText = mWorker->errorText();
    if (!mErrorText.isEmpty())
        qWarning() << "CopyBackups::copyFinished():" << mErrorText;
    const Mode finished = mMode;
    mMode = None;
    mBusy = false;
    emit busyChanged(false);
    if (finished == Entrances)
        emit copyEntrancesFinished();
    else if (finished == Logs)
        emit copyLogsFinished();
}

void CopyBackups::setProgress(int value, int maximum, const QString &label)
{
    mProgress = value;
    mProgressMaximum = maximum;
    mLabelText = label;
    emit progressChanged();
}
