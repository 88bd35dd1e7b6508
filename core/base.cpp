#include "core/base.h"

#include "attendance/clovek.h"
#include "attendance/ludiamodel.h"
#include "attendance/ludiaproxymodel.h"
#include "attendance/managerludi.h"
#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "attendance/typereorder.h"
#include "backup/backupmanager.h"
#include "backup/backuptree.h"
#include "backup/copybackups.h"
#include "backup/maintainer.h"
#include "backup/removabledrive.h"
#include "core/dutyrunner.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "core/hardwareinfo.h"
#include "core/kioskinput.h"
#include "core/mainview.h"
#include "core/processcontrol.h"
#include "core/servercheck.h"
#include "core/setuppin.h"
#include "core/startup.h"
#include "core/terminalidentity.h"
#include "core/terminalrecord.h"
#include "core/uisettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"
#include "devices/cameraimageprovider.h"
#include "devices/informator.h"
#include "devices/soundmanager.h"
#include "remote/remotemanagement.h"
#include "sync/applierwiring.h"
#include "sync/dbsync.h"
#include "sync/networkmanager.h"
#include "sync/tuldbmanager.h"
#include "timesync/clockcorrection.h"

#include <QCoreApplication>
#include <QDebug>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickView>
#include <QSettings>
#include <QTimer>

namespace {

const QString organization = QStringLiteral("VELNIK");
const QString application = QStringLiteral("ZEP");

// After the start: the first remote-management update and server synchronisation.
const int firstOrvelUpdateMs = 2000;
const int firstServerSyncMs = 10000;

// The document the root document loads: the terminal's screens.
QString mainDocument()
{
    return QStringLiteral("vmain.qml");
}

} // namespace

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
    , mHardwareInfo(std::make_unique<HardwareInfo>(mTerminal, mDuties))
{
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setOrganizationDomain(QStringLiteral("zep.local"));
    QCoreApplication::setApplicationName(application);
    mServerCheck = new ServerCheck(this);

    mBioFace = mSettings->value(QStringLiteral("face/bioFace"), false).toBool();
    mFaceRepeat = mSettings->value(QStringLiteral("face/repeat"), 2).toUInt();

    connect(mTerminal, &TerminalRecord::checkTimezoneChanged, this, &Base::checkTimezoneChanged);
    connect(mTerminal, &TerminalRecord::saved, this, [this](const TermData &data) {
        if (mTulDb)
            mTulDb->setTermData(data);
        setAppTitle();
    });
    connect(mDuties, &DutyRunner::stopBackgroundActivity, this, &Base::stopBackgroundActivity);
    connect(mDuties, &DutyRunner::screenSaverLevelChanged, this, &Base::sigScreenSaverLevelChanged);
    connect(mDuties, &DutyRunner::clockCorrectionDue, this, &Base::updateTimeNTP);
}

Base::~Base()
{
    // The view goes first, then the components whose worker threads use the
    // attendance database, which was created (and would be deleted) before them.
    mMainView.reset();
    delete mCopyBackups;
    delete mMaintainer;
    delete mBackupManager;
}

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

void Base::init()
{
    if (mInitDone)
        return;
    mInitDone = true;

    logInitStart();
    startUi();
    initProxy();
    initCatalogueDb();
    initInformator();
    fillTerminalRecord();
    mClockCorrection->start();
    initPrerusenieModel();
    initSoundManager();
    initSyncProtocol();
    initAttendanceDb();
    connectSyncToAttendanceDb();
    initSyncApplier();
    connectSettings();
    initView();
    initBackupManager();
    initCamera();
    exposeContextObjects();
    openAfterFirstFrame();
    showMainWindow();
    initRemoteManagement();
    applyTerminalFlags();
    initMaintainer();
    initTypeReorder();
    readUiFlags();
    setAppTitle();
    initCopyBackups();
    logPeriods();
    initCron();
}

void Base::logInitStart()
{
    mLog.loguj("Base::init():");
    if (Zep::debugLevel != 0)
        qDebug() << "Settings file:" << mSettings->fileName();
}

void Base::initProxy()
{
    if (!mProxy.isEnabled())
        return;
    const bool forAll = mProxy.isForAll();
    mLog.loguj("Inicializujem NetworkProxy...");
    if (Zep::debugLevel != 0)
        qDebug() << "NetworkProxy4All:" << forAll;
    setNetworkProxy(forAll);
}

void Base::initCatalogueDb()
{
    mLog.loguj("Inicializujem CiselnikyDBManager...");
    mCatalogueDb = new ZepDBManager(ZepFiles::catalogueDb, true, this);
    mTerminal->setCatalogueDb(mCatalogueDb);
    if (!loadData()) {
        qWarning("Base::init(): FAILED loadData()");
        mLog.loguj("Base: load terminal data FAILED!");
    }
}

void Base::fillTerminalRecord()
{
    mTerminal->fill(mInformator->appVer(),
                    mInformator->gitRev(),
                    mInformator->parseBootTime(),
                    mNetworkManager->getIP());
    mLog.loguj(
        QStringLiteral("Ver.: %1 , rev.: %2").arg(mTerminal->data().ver, mTerminal->data().rev));
}

void Base::initInformator()
{
    mLog.loguj("Inicializujem Informator...");
    mInformator = new Informator(QCoreApplication::arguments().value(0), this);
    mInformator->setRemovableDrive(RemovableDrive::mountPoint(*mSettings));
    mHardwareInfo->setInformator(mInformator);
    connect(mDuties, &DutyRunner::hwInfoRefreshDue, mInformator, &Informator::doParse);
}

void Base::initBackupManager()
{
    mLog.loguj("Inicializujem BackupManager...");
    mBackupManager
        = new BackupManager(mSettings, mAttendanceDb, BackupTree::root(*mSettings), this);
    connect(this, &Base::stopBackgroundActivity, mBackupManager, &BackupManager::doTerminate);
    connect(mDuties, &DutyRunner::backupDue, mBackupManager, &BackupManager::doBackup);
}

void Base::initMaintainer()
{
    mLog.loguj("Inicializujem Maintainer...");
    mMaintainer = new Maintainer(mAttendanceDb, this);
    connect(mDuties, &DutyRunner::maintenanceDue, mMaintainer, &Maintainer::doMaintenance);
    connect(mInformator, &Informator::parserStart, this, &Base::workingStart);
    connect(mInformator, &Informator::parserStop, this, &Base::workingEnd);
    connect(mInformator, &Informator::parserStop, this, &Base::hwInfoChanged);
    connect(mInformator, &Informator::sdCardPresentChanged, this, &Base::isSDCardChanged);
    connect(mInformator, &Informator::totalChanged, this, &Base::sysInfoTotalChanged);
}

void Base::initCopyBackups()
{
    mLog.loguj("Inicializujem CopyBackups...");
    mCopyBackups = new CopyBackups(*mSettings, this);
    connect(
        mCopyBackups, &CopyBackups::copyEntrancesFinished, this, &Base::copyEntrancesToUSBFinished);
    connect(mCopyBackups, &CopyBackups::copyLogsFinished, this, &Base::copyLogsToUSBFinished);
    mMainView->expose(
        QStringLiteral("usbCopy"), mCopyBackups, QStringLiteral("Portujem CopyBackups do QML..."));
}

void Base::initPrerusenieModel()
{
    mPrerusModel = new PrerusenieModel(this);
    mLog.loguj("Nacitavam prerusenia");
    mPrerusModel->reload(mCatalogueDb);
}

void Base::initSoundManager()
{
    mLog.loguj("Inicializujem SoundManager...");
    mSoundManager = new SoundManager(this);
    mSoundManager->setVolume(mSettings->value(QStringLiteral("audio/volume"), 50).toInt());
    mSoundManager->setMute(mSettings->value(QStringLiteral("audio/mute"), false).toBool());
}

void Base::initSyncProtocol()
{
    mLog.loguj("Inicializujem TulDbManager...");
    mTulDb = new TulDbManager(mSettings, this);
    connect(mTulDb, &TulDbManager::syncTermData, this, &Base::doSyncTermData);
    connect(mTulDb, &TulDbManager::terminalRegistered, this, &Base::setTermRefId);
    const QString colorGroups = mCatalogueDb->getColorGroups();
    if (!colorGroups.isEmpty())
        mTulDb->setColorGroups(colorGroups);
    connect(mTulDb, &TulDbManager::colorGroupsChanged, mCatalogueDb, &ZepDBManager::setColorGroups);
    connect(mTulDb, &TulDbManager::serverStateChanged, this, &Base::srvChangedState);
    connect(mTulDb, &TulDbManager::syncFinished, this, &Base::tulSyncFinished);
    connect(mTulDb, &TulDbManager::syncUnanswered, this, &Base::tulSyncUnanswered);
    connect(mTulDb, &TulDbManager::terminalSyncFlagsChanged, this, &Base::terminalSyncFlagsChanged);
    connect(mDuties, &DutyRunner::serverSyncDue, mTulDb, &TulDbManager::doSync);
    mTulDb->setMac(mNetworkManager->getMac());
    mTulDb->setTermData(mTerminal->data());
    mTulDb->loadSettings();
    mTulDb->init();
}

void Base::initAttendanceDb()
{
    mLog.loguj("Inicializujem DataDBManager...");
    mAttendanceDb = new DataDBManager(ZepFiles::attendanceDb, true, this);
    mTerminal->setAttendanceDb(mAttendanceDb);
}

// Local changes of people go to the server as they happen; a new or empty
// database asks for complete lists.
void Base::connectSyncToAttendanceDb()
{
    connect(mAttendanceDb, &DataDBManager::sigPersonCreated, mTulDb, &TulDbManager::sendAddPerson);
    connect(
        mAttendanceDb, &DataDBManager::sigPersonUpdated, mTulDb, &TulDbManager::sendUpdatePerson);
    connect(
        mAttendanceDb, &DataDBManager::sigPersonDeleted, mTulDb, &TulDbManager::sendDeletePerson);
    if (mAttendanceDb->wasCreated() || !mAttendanceDb->hasPeople()
        || mCatalogueDb->getIntersCount() == 0)
        mTulDb->setForceSync(true);
}

void Base::initSyncApplier()
{
    mLog.loguj("Inicializujem DBSync...");
    mDBSync = new DBSync(mCatalogueDb, mAttendanceDb, mPrerusModel, mSettings, this);
    connect(this, &Base::stopBackgroundActivity, mDBSync, &DBSync::doTerminate);
    connect(mDuties, &DutyRunner::applierSyncDue, mDBSync, &DBSync::doSync);
    ApplierWiring::connect(mTulDb, mDBSync);
    connect(mDBSync, &DBSync::sigWriteToLog, this, &Base::writeToLog);
}

void Base::initRemoteManagement()
{
    mLog.loguj("Inicializujem Orvel...");
    mRemote = new RemoteManagement(mSettings, this, mAttendanceDb, mTulDb, this);
    if (mSettings->value(QStringLiteral("proxy/enabled"), false).toBool())
        mRemote->setNetworkProxy(mProxy.proxy());
    connect(mDuties, &DutyRunner::orvelUpdateDue, mRemote, &RemoteManagement::doSyncOrvel);
    connect(mRemote, &RemoteManagement::orvelReplyFinished, this, &Base::orvelReplyFinished);
    connect(mRemote, &RemoteManagement::contactFinished, this, &Base::orvelContactFinished);
    connect(mRemote, &RemoteManagement::workingStart, this, &Base::workingStart);
    connect(mRemote, &RemoteManagement::workingEnd, this, &Base::workingEnd);
    connect(mRemote, &RemoteManagement::hwInfoChanged, this, &Base::hwInfoChanged);
    connect(mCamControl, &CamControl::cameraRestarted, mRemote, &RemoteManagement::onCamRestart);
    connect(mInformator, &Informator::usageChanged, mRemote, &RemoteManagement::sysInfoChanged);
    // The first report and synchronisation do not wait for their periods.
    QTimer::singleShot(firstOrvelUpdateMs, mRemote, &RemoteManagement::doSyncOrvel);
    QTimer::singleShot(firstServerSyncMs, mTulDb, &TulDbManager::doSync);
}

void Base::connectSettings()
{
    connect(mSettings, &ZEPSettings::onWrite, this, &Base::onSettingsChanged);
}

// The documents of the first screen compile in the background meanwhile.
void Base::startUi()
{
    mMainView = std::make_unique<MainView>(mSettings, mLog, mainDocument());
}

void Base::initView()
{
    mMainView->createView();
    // Installed first, so that the duty runner sees every event before a card
    // read is taken out of the stream.
    mUiSettings = new UiSettings(mSettings, this);
    mKioskInput = new KioskInput(mUiSettings, mMainView->view(), this);
    mDuties->watchUserActivity(mMainView->view());
    connect(mMainView.get(), &MainView::quitRequested, this, [this] { doQuit(0); });
}

void Base::initCamera()
{
    mLog.loguj("Inicializujem CamControl...");
    mCamControl
        = new CamControl(mSettings->value(QStringLiteral("global/takePhoto"), true).toBool(), this);
    mCamControl->setRotation(
        mSettings->value(QStringLiteral("global/CameraRotateValue"), 0).toInt());
    mLog.loguj("Inicializujem a portujem CameraImageProvider...");
    mMainView->view()->engine()->addImageProvider(QStringLiteral("camera"),
                                                  new CameraImageProvider(mCamControl));
}

void Base::exposeContextObjects()
{
    mMainView->expose(QStringLiteral("cisDBMan"),
                      mCatalogueDb,
                      QStringLiteral("Portujem CiselnikyDBManager do QML..."));
    exposeAttendance();
    mMainView->expose(QStringLiteral("netManager"),
                      mNetworkManager,
                      QStringLiteral("Portujem NetworkManager do QML..."));
    mMainView->expose(
        QStringLiteral("dbSync"), mDBSync, QStringLiteral("Portujem DBSync do QML..."));
    mMainView->expose(
        QStringLiteral("zepSettings"), mSettings, QStringLiteral("Portujem mSettings do QML.."));
    mMainView->expose(
        QStringLiteral("sndMan"), mSoundManager, QStringLiteral("Portujem SoundManager do QML..."));
    mMainView->expose(
        QStringLiteral("camCtrl"), mCamControl, QStringLiteral("Portujem CamControl do QML..."));
    mMainView->expose(QStringLiteral("backupManager"),
                      mBackupManager,
                      QStringLiteral("Portujem BackupManager do QML..."));
    mMainView->expose(QStringLiteral("base"), this, QStringLiteral("Portujem Base do QML..."));
    QQmlContext *context = mMainView->view()->rootContext();
    context->setContextProperty(QStringLiteral("uiSettings"), mUiSettings);
    context->setContextProperty(QStringLiteral("kioskInput"), mKioskInput);
    context->setContextProperty(QStringLiteral("setupPin"), mSetupPin);
    context->setContextProperty(QStringLiteral("serverCheck"), mServerCheck);
}

void Base::exposeAttendance()
{
    mLog.loguj("Inicializujem cloveka...");
    mClovek = new Clovek(this);
    mMainView->expose(
        QStringLiteral("aktClovek"), mClovek, QStringLiteral("Portujem cloveka do QML..."));
    mLog.loguj("Vytvaram manager preruseni..");
    mManPrerus
        = new ManagerPreruseni(mCamControl, mClovek, mAttendanceDb, mSettings, mCatalogueDb, this);
    connect(mManPrerus, &ManagerPreruseni::sigAddEntrance, mTulDb, &TulDbManager::addEntrance);
    connect(mManPrerus,
            &ManagerPreruseni::sigDeleteEntrance,
            mTulDb,
            &TulDbManager::sendDeleteEntrance);
    mMainView->expose(QStringLiteral("prerusModel"),
                      mPrerusModel,
                      QStringLiteral("Portujem prerusenia do QML..."));
    mMainView->expose(QStringLiteral("manPrerus"),
                      mManPrerus,
                      QStringLiteral("Portujem manager preruseni do QML..."));
    mLog.loguj("Vytvaram ludiaModel..");
    mLudiaModel = new LudiaModel(this);
    const QString colorGroups = mCatalogueDb->getColorGroups();
    if (!colorGroups.isEmpty())
        mLudiaModel->setColorGroups(colorGroups);
    connect(mTulDb,
            &TulDbManager::colorGroupsChanged,
            mLudiaModel,
            qOverload<const QString &>(&LudiaModel::setColorGroups));
    mLudiaProxy = new LudiaProxyModel(mLudiaModel, this);
    mMainView->expose(
        QStringLiteral("ludiaModel"), mLudiaProxy, QStringLiteral("Portujem ludiaModel do QML..."));
    mLog.loguj("Vytvaram ManagerLudi..");
    mManagerLudi = new ManagerLudi(mLudiaModel, mAttendanceDb, this);
    mMainView->expose(QStringLiteral("managerLudi"),
                      mManagerLudi,
                      QStringLiteral("Portujem ManagerLudi do QML..."));
}

// The idle screen needs neither the camera (whose search may take seconds on a
// PC without one) nor the people list, which the administration loads when it
// first shows it (ManagerLudi::ensureLoaded()); of the people only the width of
// their numbers is read here. Queuing the settings text for remote management
// commits to the disk, which the first frame need not wait for either; the first
// system figures come then too, not only after the first refresh period.
void Base::openAfterFirstFrame()
{
    mMainView->afterFirstFrame(mAttendanceDb, [this] { mAttendanceDb->readDochidWidth(); });
    mMainView->afterFirstFrame(mCamControl, [this] { mCamControl->openCamera(); });
    mMainView->afterFirstFrame(mAttendanceDb, [this] { addIniToSyncItems(); });
    mMainView->afterFirstFrame(mInformator, [this] { mInformator->doParse(); });
}

void Base::showMainWindow()
{
    mMainView->show(Startup::fullScreenWanted(QCoreApplication::arguments()));
}

void Base::applyTerminalFlags()
{
    mTerminal->setCheckTimezone(mTerminal->data().flags & (1 << 6));
}

void Base::initTypeReorder()
{
    auto *reorder = new TypeReorder(mSettings, mCatalogueDb, mAttendanceDb, mPrerusModel, this);
    connect(mDuties, &DutyRunner::idleMinute, reorder, &TypeReorder::onIdleMinute);
}

void Base::readUiFlags()
{
    mPinEntry = mSettings->value(QStringLiteral("global/PIN"), false).toBool();
}

void Base::logPeriods()
{
    if (Zep::debugLevel <= 1)
        return;
    qDebug() << "mNetworking   =" << mDuties->isNetworking();
    qDebug() << "TULDB Sync Interval =" << mDuties->schedule().tulSyncPeriod;
    qDebug() << "orvelInterval =" << mDuties->schedule().orvelPeriod;
    qDebug() << "parseInterval =" << mDuties->schedule().hwInfoPeriod;
}

void Base::initCron()
{
    mLog.loguj("Inicializujem Cron...");
    mDuties->start();
}

// ---- UI gateway

bool Base::isNetwork() const
{
    return mDuties->isNetworking();
}

bool Base::getNetworking() const
{
    return mDuties->isNetworking();
}

void Base::getMainQML()
{
    emit changeRootQML(mainDocument());
}

QString Base::getVersion() const
{
    return mTerminal->data().ver;
}

bool Base::isSchemaToken() const
{
    return !mTerminal->data().token.isEmpty();
}

QString Base::getHWInfo(const QString &key) const
{
    return mHardwareInfo->value(key);
}

int Base::getProxyState() const
{
    return mDuties->serverState();
}

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

// ---- Settings file as text

QString Base::loadIni(bool sync)
{
    return mTerminal->loadIni(sync);
}

// A settings file replaced as a whole takes effect as if each changed key had been written.
bool Base::saveIni(const QString &text)
{
    return mTerminal->saveIni(text) && mSettings->rereadFile();
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

// ---- Reactions

// Hands a written setting to the components that follow it.
void Base::onSettingsChanged(const QString &key)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::onSettingsChanged(" << key << ")";
    if (key == QLatin1String("global/networking")) {
        mDuties->setNetworking(mSettings->value(key, true).toBool());
        mTulDb->setNetworkingEnabled(mDuties->isNetworking());
    } else if (key == QLatin1String("orvel/synInterval")
               || key == QLatin1String("global/HWinfoInterval")
               || key == QLatin1String("serverKLD/synInterval")
               || key == QLatin1String("timeout/maintenaceLDB")) {
        mDuties->reloadSchedule();
    } else if (key == QLatin1String("usb/mountPoint")) {
        const QString drive = RemovableDrive::mountPoint(*mSettings);
        mInformator->setRemovableDrive(drive);
        if (mCopyBackups)
            mCopyBackups->setTargetPath(drive);
    } else if (key == QLatin1String("usb/backupPath") && mCopyBackups) {
        mCopyBackups->setBackupPath(RemovableDrive::backupPath(*mSettings));
    } else if (key == QLatin1String("serverKLD/ip")) {
        mTulDb->setServerIp(mSettings->value(key, QStringLiteral("0.0.0.0")).toString());
    } else if (key == QLatin1String("serverKLD/port")) {
        mTulDb->setServerPort(quint16(mSettings->value(key, QStringLiteral("80")).toInt()));
    }
    mTerminal->onSettingsChanged(key);
    if (key == QLatin1String("global/terminalName")) {
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

bool Base::loadData()
{
    return mTerminal->load();
}

QVariantMap Base::getTerminalIdentity() const
{
    return TerminalIdentity::shown(mTerminal->data());
}

bool Base::saveData()
{
    return mTerminal->save();
}

void Base::addIniToSyncItems()
{
    mTerminal->addIniToSyncItems();
}

void Base::prepareIni4sync()
{
    mTerminal->addIniToSyncItems();
}

void Base::setTermRefId(uint id)
{
    mTerminal->setRefId(id);
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

void Base::onCamRestart()
{
    mRemote->onCamRestart();
}

void Base::doSyncOrvel()
{
    mRemote->doSyncOrvel();
}

void Base::doOrvelEvent(uint eid, const QString &typ)
{
    mRemote->doOrvelEvent(int(eid), typ);
}

void Base::sysInfoChanged(const QString &name, uint value)
{
    mRemote->sysInfoChanged(name, value);
}

void Base::isSDCardChanged(bool present)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::isSDCardChanged(" << present << ")";
    emit usbDriveChanged(present);
}

void Base::sysInfoTotalChanged(const QString &name, uint value)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::sysInfoTotalChanged(" << name << value << ")";
    emit hwInfoChanged();
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

// The mean, not the last sample, is the load the terminal record reports.
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
