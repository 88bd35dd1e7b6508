#include "backup/backupmanager.h"

#include "backup/backupfiles.h"
#include "backup/logsthread.h"
#include "backup/preruseniathread.h"
#include "backup/spacekeeper.h"
#include "foundation/clock.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/zepsettings.h"

#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {
// A pass on every n-th tick; 0 would mean never, so it counts as every tick.
uint entranceIntervalFrom(const QVariant &value)
{
    return qMax(1u, value.toUInt());
}
} // namespace

BackupManager::BackupManager(ZEPSettings *settings,
                             DataDBManager *db,
                             const QString &backupRoot,
                             QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mDb(db)
    , mBackupRoot(backupRoot)
{
    init();
}

BackupManager::~BackupManager()
{
    mEntranceWorker->doTerminate();
    HappensBefore::wait(mEntranceWorker);
    HappensBefore::wait(mLogsWorker.get());
}

void BackupManager::init()
{
    const QDir root(mBackupRoot);
    if (!root.exists() && !QDir().mkdir(mBackupRoot))
        qWarning().noquote() << "BackupManager::init() - adresar zaloh (" << mBackupRoot
                             << ") nebol vytvoreny!";
    mEntranceWorker = new PreruseniaThread(mDb, this);
    mLogsWorker = std::make_unique<LogsThread>();
    mEntranceInterval = entranceIntervalFrom(mSettings->value(Setting::entranceBackupInterval));
    mLogsInterval = mSettings->value(Setting::logsBackupInterval).toUInt();
    // A pass that made room is seen at once.
    connect(mEntranceWorker, &QThread::finished, this, &BackupManager::checkSpace);
    connect(mSettings, &ZEPSettings::onWrite, this, &BackupManager::onSettingsChanged);
    connect(this, &BackupManager::doSyncSett, mSettings, &ZEPSettings::syncSettings);
}

void BackupManager::onSettingsChanged(const QString &key)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "BackupManager::onSettingsChanged(" << key << ")";
    if (key == Setting::entranceBackupInterval.name)
        mEntranceInterval = entranceIntervalFrom(mSettings->value(Setting::entranceBackupInterval));
    else if (key == Setting::logsBackupInterval.name)
        mLogsInterval = mSettings->value(Setting::logsBackupInterval).toUInt();
}

void BackupManager::doBackup()
{
    ++mTicks;
    if (Zep::debugLevel >= 1)
        qDebug() << "BackupManager::doBackup():" << mTicks;
    checkSpace();
    if (HappensBefore::isIdle(mEntranceWorker) && (mTicks % mEntranceInterval == 0 || mLowSpace)) {
        mEntranceWorker->setBackupRoot(mBackupRoot);
        mEntranceWorker->setFreeSpaceFloor(freeSpaceFloor());
        mEntranceWorker->start(QThread::LowestPriority);
    }
    // A logs interval of 0 turns the logs backup off.
    if (mLogsInterval != 0 && mTicks % mLogsInterval == 0)
        doLogsBackup();
    doIniBackup();
}

qint64 BackupManager::freeSpaceFloor() const
{
    return qint64(mSettings->value(Setting::backupMinFreeMB).toUInt()) * 1048576;
}

void BackupManager::checkSpace()
{
    const qint64 free = SpaceKeeper::freeBytes();
    const bool low = free >= 0 && free < freeSpaceFloor();
    const int freeMB = free < 0 ? -1 : int(free / 1048576);
    if (low == mLowSpace && freeMB == mFreeSpaceMB)
        return;
    if (low && !mLowSpace)
        qWarning() << "BackupManager: na disku je len" << freeMB
                   << "MB volnych - uvolnujem miesto najstarsimi zalohami";
    mLowSpace = low;
    mFreeSpaceMB = freeMB;
    emit lowSpaceChanged(low);
}

void BackupManager::doTerminate()
{
    if (Zep::debugLevel >= 2)
        qDebug("BackupManager::doTerminate()");
    mEntranceWorker->doTerminate();
}

void BackupManager::doIniBackup()
{
    if (Zep::debugLevel >= 1)
        qDebug("BackupManager::doIniBackup()");
    if (!QFileInfo(mBackupRoot).isDir()) {
        qWarning() << mBackupRoot << "is not valid directory!";
        return;
    }
    emit doSyncSett();
    const QFileInfo settingsFile(mSettings->fileName());
    const QString source = QDir::current().absoluteFilePath(mSettings->fileName());
    if (!QFileInfo::exists(source)) {
        qWarning() << "BackupManager: settings file" << source << "does NOT exists!";
        return;
    }
    const QString target = mBackupRoot + QLatin1Char('/') + settingsFile.fileName();
    if (!BackupFiles::refresh(source, target))
        qWarning().noquote() << "BackupManager: zaloha INI (" << settingsFile.fileName() << "->"
                             << target << "zlyhala!";
}

void BackupManager::doLogsBackup()
{
    if (!HappensBefore::isIdle(mLogsWorker.get()))
        return;
    mLogsWorker->setTarget(
        QDir::toNativeSeparators(mBackupRoot + QStringLiteral("/logs/")
                                 + Clock::instance()->today().toString(QStringLiteral("dd"))));
    mLogsWorker->setLimits(
        qint64(mSettings->value(Setting::logsBackupMaxKB).toUInt()) * 1024,
        mSettings->value(Setting::logsBackupDays).toInt());
    mLogsWorker->start(QThread::LowestPriority);
}
