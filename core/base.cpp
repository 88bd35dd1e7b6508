#include "core/base.h"

#include "backup/backupmanager.h"
#include "backup/copybackups.h"
#include "backup/maintainer.h"
#include "backup/removabledrive.h"
#include "backup/usbdrive.h"
#include "core/dutyrunner.h"
#include "core/hardwarefigures.h"
#include "core/mainview.h"
#include "core/processcontrol.h"
#include "core/servercheck.h"
#include "core/setuppin.h"
#include "core/terminalinfo.h"
#include "core/terminalrecord.h"
#include "core/uisettings.h"
#include "devices/informator.h"
#include "foundation/globals.h"
#include "foundation/settingkeys.h"
#include "foundation/zepsettings.h"
#include "remote/remotemanagement.h"
#include "sync/networkmanager.h"
#include "sync/tuldbmanager.h"
#include "timesync/clockcorrection.h"

#include <QCoreApplication>
#include <QDebug>
#include <QQuickView>
#include <QSettings>

namespace {

const QString organization = QStringLiteral("VELNIK");
const QString application = QStringLiteral("ZEP");

} // namespace

QString Base::mainDocument()
{
    return QStringLiteral("vmain.qml");
}

Base::Base(ZEPSettings *settings,
           NetworkManager *networkManager,
           const FileLog &applicationLog,
           QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mNetworkManager(networkManager)
    , mLog(applicationLog)
    , mProxy(settings)
    , mTerminal(new TerminalRecord(settings, this))
    , mDuties(new DutyRunner(settings, this))
    , mClockCorrection(new ClockCorrection(settings, applicationLog, this))
    , mSetupPin(new SetupPin(this))
    , mProcess(new ProcessControl(applicationLog, QCoreApplication::arguments().mid(1), this))
    , mHardwareFigures(new HardwareFigures(mTerminal, mDuties, this))
    , mTerminalInfo(new TerminalInfo(mTerminal, this))
{
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setOrganizationDomain(QStringLiteral("zep.local"));
    QCoreApplication::setApplicationName(application);
    mServerCheck = new ServerCheck(this);

    connect(mTerminal, &TerminalRecord::checkTimezoneChanged, this, &Base::checkTimezoneChanged);
    connect(mTerminal, &TerminalRecord::saved, this, [this](const TermData &data) {
        if (mTulDb)
            mTulDb->setTermData(data);
        setAppTitle();
    });
    connect(mDuties, &DutyRunner::stopBackgroundActivity, this, &Base::stopBackgroundActivity);
    connect(mDuties, &DutyRunner::screenSaverLevelChanged, this, &Base::sigScreenSaverLevelChanged);
    connect(mDuties,
            &DutyRunner::clockCorrectionDue,
            mClockCorrection,
            &ClockCorrection::updateTimeNTP);
}

Base::~Base() = default;

QQuickView *Base::view() const
{
    return mMainView ? mMainView->view() : nullptr;
}

Cron *Base::cron() const
{
    return mDuties->cron();
}

bool Base::checkTimezone() const
{
    return mTerminal->checkTimezone();
}

const TermData &Base::termData() const
{
    return mTerminal->data();
}

bool Base::isNetwork() const
{
    return mDuties->isNetworking();
}

bool Base::getNetworking() const
{
    return mDuties->isNetworking();
}

bool Base::isPIN() const
{
    return mUiSettings->pinEntry();
}

void Base::getMainQML()
{
    emit changeRootQML(mainDocument());
}

QString Base::getVersion() const
{
    return mTerminalInfo->version();
}

bool Base::isSchemaToken() const
{
    return !mTerminal->data().token.isEmpty();
}

QString Base::getHWInfo(const QString &key) const
{
    return mHardwareFigures->value(key);
}

int Base::getProxyState() const
{
    return mDuties->serverState();
}

void Base::srvChangedState(ServerState status)
{
    emit proxyStateChanged(status);
    mDuties->setServerState(status);
}

void Base::setNetworkProxy(bool applicationProxy)
{
    mProxy.apply(applicationProxy);
}

void Base::setAppTitle()
{
    if (mMainView)
        mMainView->setTitle(mTerminal->data().nazov, mTerminal->data().tid);
}

void Base::setCheckTimezone(bool checkTimezone)
{
    mTerminal->setCheckTimezone(checkTimezone);
}

void Base::startFindServer()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFindServer()");
}

// ---- Copies to the removable drive

bool Base::checkUSBAvailable() const
{
    if (Zep::debugLevel >= 2)
        qDebug("Base::checkUSBAvailable()");
    return mCopyBackups->isDriveAvailable();
}

void Base::copyEntrancesToUSB()
{
    if (Zep::debugLevel >= 1)
        qDebug("Base::copyEntrancesToUSB()");
    mCopyBackups->doCopyEntrances();
    QCoreApplication::processEvents();
}

void Base::copyLogsToUSB()
{
    if (Zep::debugLevel >= 1)
        qDebug("Base::copyLogsToUSB()");
    mCopyBackups->doCopyLogs();
    QCoreApplication::processEvents();
}

// ---- Restart, quit and remote support

void Base::doReboot() { }

bool Base::doReboot(const QString &msg)
{
    return mProcess->restart(msg);
}

void Base::doQuit(uint time)
{
    mProcess->quit(time);
}

void Base::doQuit()
{
    doQuit(1000);
}

bool Base::startSupport()
{
    return mProcess->startSupport();
}

// ---- Setup PIN

bool Base::checkSetupPin() const
{
    return mSetupPin->isSet();
}

bool Base::verifySetupPin(uint pin) const
{
    return mSetupPin->verify(QString::number(pin));
}

void Base::saveSetupPin(uint pin)
{
    mSetupPin->save(QString::number(pin));
}

// ---- Terminal record and the settings file as text

bool Base::loadData()
{
    return mTerminal->load();
}

bool Base::saveData()
{
    return mTerminal->save();
}

void Base::prepareIni4sync()
{
    mTerminal->addIniToSyncItems();
}

QString Base::loadIni(bool sync)
{
    return mTerminal->loadIni(sync);
}

// A settings file replaced as a whole takes effect as if each changed key had been written.
bool Base::saveIni(const QString &text)
{
    return mTerminal->saveIni(text) && mSettings->rereadFile();
}

// ---- Reactions

// Hands a written setting to the components that follow it.
void Base::onSettingsChanged(const QString &key)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::onSettingsChanged(" << key << ")";
    if (key == Setting::networking.name) {
        mDuties->setNetworking(mSettings->value(Setting::networking).toBool());
        mTulDb->setNetworkingEnabled(mDuties->isNetworking());
    } else if (key == Setting::orvelSyncInterval.name || key == Setting::hardwareInfoInterval.name
               || key == Setting::serverSyncInterval.name || key == Setting::maintenanceDays.name) {
        mDuties->reloadSchedule();
    } else if (key == Setting::usbMountPoint.name) {
        const QString drive = RemovableDrive::mountPoint(*mSettings);
        mInformator->setRemovableDrive(drive);
        if (mCopyBackups) {
            mCopyBackups->setTargetPath(drive);
            mUsbDrive->check();
        }
    } else if (key == Setting::usbBackupPath.name && mCopyBackups) {
        mCopyBackups->setBackupPath(RemovableDrive::backupPath(*mSettings));
    } else if (key == Setting::serverHost.name) {
        mTulDb->setServerIp(mSettings->value(Setting::serverHost).toString());
    } else if (key == Setting::serverPort.name) {
        mTulDb->setServerPort(quint16(mSettings->value(Setting::serverPort).toInt()));
    }
    mTerminal->onSettingsChanged(key);
    if (key == Setting::terminalName.name) {
        mTulDb->setTerminalName(mTerminal->data().nazov);
        setAppTitle();
    }
}

void Base::viewerResized(const QSize &size)
{
    if (mMainView)
        mMainView->viewerResized(size);
}

void Base::writeToLog(const QString &txt)
{
    mLog.loguj(txt);
}

void Base::terminalSyncFlagsChanged(ushort flags)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::terminalSyncFlagsChanged(%u)", uint(flags));
    mTerminal->applySyncFlags(flags);
}

void Base::addIniToSyncItems()
{
    mTerminal->addIniToSyncItems();
}

void Base::checkServerSetup(const QString &host, ushort port)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::checkServerSetup(" << host << port << ")";
    mServerCheck->start(host, port);
}

void Base::doSyncTUL()
{
    mTulDb->doSync();
}

void Base::doSyncTermData()
{
    mTulDb->setTermData(mTerminal->data());
}

void Base::doSyncOrvel()
{
    mRemote->doSyncOrvel();
}

void Base::doOrvelEvent(uint eid, const QString &typ)
{
    mRemote->doOrvelEvent(int(eid), typ);
}

// ---- Devices this edition has not

void Base::crDataReaded(const QString &data, uint dataID)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::crDataReaded(" << data << dataID << ")";
    restoreScreenSaver();
    mTerminal->countCardRead();
}

void Base::onAccess(bool isGranted)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::onAccess(" << isGranted << ")";
    mTerminal->countAccess();
}

bool Base::initFingerprintModule()
{
    return mBiometrics.initFingerprintModule();
}

bool Base::addFingerprint4Person(uint uid, uint finger)
{
    return mBiometrics.addFingerprint4Person(uid, finger);
}

void Base::getFingersToList(uint uid)
{
    mBiometrics.getFingersToList(uid);
}

void Base::getFingersToList()
{
    mBiometrics.getFingersToList(0);
}

bool Base::checkUserIdentity(uint uid)
{
    return mBiometrics.checkUserIdentity(uid);
}

bool Base::deleteFingerprint(uint uid, uint fingerID)
{
    return mBiometrics.deleteFingerprint(uid, fingerID);
}

void Base::updateFingerpritUsage()
{
    mBiometrics.updateFingerpritUsage();
}

void Base::startFaceEnroll(uint pid)
{
    mBiometrics.startFaceEnroll(pid);
}

void Base::stopFaceEnroll()
{
    mBiometrics.stopFaceEnroll();
}

void Base::applyFaceEnroll()
{
    mBiometrics.applyFaceEnroll();
}

void Base::startFaceDetect()
{
    mBiometrics.startFaceDetect();
}

void Base::stopFaceDetect()
{
    mBiometrics.stopFaceDetect();
}

void Base::startFaceRecognize()
{
    mBiometrics.startFaceRecognize();
}

void Base::stopFaceRecognize()
{
    mBiometrics.stopFaceRecognize();
}

TermData &Base::terminalRecord()
{
    return mTerminal->edit();
}

void Base::addCpuSample(uint percent)
{
    mDuties->addCpuSample(percent);
}

// ---- Scheduler duties

void Base::onCronSec(uint cnt)
{
    mDuties->onCronSec(cnt);
}

void Base::onCronMin(uint cnt)
{
    mDuties->onCronMin(cnt);
}

void Base::onCronHour(uint cnt)
{
    mDuties->onCronHour(cnt);
}

void Base::pauseCron()
{
    mDuties->pauseCron();
}

void Base::sSaverLevelChanged(int level)
{
    mDuties->sSaverLevelChanged(level);
}

void Base::restoreScreenSaver()
{
    mDuties->restoreScreenSaver();
}

void Base::flushUsagesCPU()
{
    if (!mDuties->flushUsagesCPU())
        return;
    mTerminal->edit().cpuu = int(mDuties->cpuAverage());
    if (mTulDb)
        doSyncTermData();
}

// ---- Clock correction

void Base::updateTimeNTP()
{
    mClockCorrection->updateTimeNTP();
}

void Base::getNtphOffset()
{
    mClockCorrection->getNtphOffset();
}

void Base::currentNtphOffset(int offset, bool validResult)
{
    mClockCorrection->currentNtphOffset(offset, validResult);
}

int Base::setSystemDate(const QString &newDate)
{
    return mClockCorrection->setSystemDate(newDate);
}
