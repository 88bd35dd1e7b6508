// Building the components in their start order, wiring them and showing them to the UI.
#include "core/base.h"

#include "attendance/clovek.h"
#include "attendance/lastentrance.h"
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
#include "backup/usbdrive.h"
#include "core/dutyrunner.h"
#include "core/hardwarefigures.h"
#include "core/serverstatus.h"
#include "core/terminalinfo.h"
#include "core/kioskinput.h"
#include "core/mainview.h"
#include "core/servercheck.h"
#include "core/setuppin.h"
#include "core/startup.h"
#include "core/terminalrecord.h"
#include "core/uisettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"
#include "devices/cameraimageprovider.h"
#include "devices/informator.h"
#include "devices/soundmanager.h"
#include "foundation/globals.h"
#include "foundation/settingkeys.h"
#include "foundation/zepsettings.h"
#include "remote/remotemanagement.h"
#include "sync/applierwiring.h"
#include "sync/dbsync.h"
#include "sync/entranceuploader.h"
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

// After the start: the first remote-management update and server synchronisation.
const int firstOrvelUpdateMs = 2000;
const int firstServerSyncMs = 10000;

} // namespace

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
    if (!mTerminal->load()) {
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
    mHardwareFigures->setInformator(mInformator);
    connect(mHardwareFigures, &HardwareFigures::changed, this, &Base::hwInfoChanged);
    connect(mDuties, &DutyRunner::hwInfoRefreshDue, mInformator, &Informator::doParse);
}

void Base::initBackupManager()
{
    mLog.loguj("Inicializujem BackupManager...");
    mBackupManager
        = std::make_unique<BackupManager>(mSettings, mAttendanceDb, BackupTree::root(*mSettings));
    connect(this, &Base::stopBackgroundActivity, mBackupManager.get(), &BackupManager::doTerminate);
    connect(mDuties, &DutyRunner::backupDue, mBackupManager.get(), &BackupManager::doBackup);
}

void Base::initMaintainer()
{
    mLog.loguj("Inicializujem Maintainer...");
    mMaintainer = std::make_unique<Maintainer>(mAttendanceDb);
    connect(mDuties, &DutyRunner::maintenanceDue, mMaintainer.get(), &Maintainer::doMaintenance);
    connect(mInformator, &Informator::parserStart, this, &Base::workingStart);
    connect(mInformator, &Informator::parserStop, this, &Base::workingEnd);
}

void Base::initCopyBackups()
{
    mLog.loguj("Inicializujem CopyBackups...");
    mCopyBackups = std::make_unique<CopyBackups>(*mSettings);
    connect(mCopyBackups.get(),
            &CopyBackups::copyEntrancesFinished,
            this,
            &Base::copyEntrancesToUSBFinished);
    connect(mCopyBackups.get(), &CopyBackups::copyLogsFinished, this, &Base::copyLogsToUSBFinished);
    // Exposed after the root document has loaded: it asks for the main document, which
    // binds to these, only once the start is through.
    mMainView->expose(QStringLiteral("usbCopy"),
                      mCopyBackups.get(),
                      QStringLiteral("Portujem CopyBackups do QML..."));
    mUsbDrive = new UsbDrive(mCopyBackups.get(), mInformator, this);
    mMainView->view()->rootContext()->setContextProperty(QStringLiteral("usbDrive"), mUsbDrive);
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
    mSoundManager->setVolume(mSettings->value(Setting::volume).toInt());
    mSoundManager->setMute(mSettings->value(Setting::mute).toBool());
}

void Base::initSyncProtocol()
{
    mLog.loguj("Inicializujem TulDbManager...");
    mTulDb = new TulDbManager(mSettings, this);
    connect(mTulDb, &TulDbManager::syncTermData, this, &Base::doSyncTermData);
    connect(mTulDb, &TulDbManager::terminalRegistered, mTerminal, &TerminalRecord::setRefId);
    const QString colorGroups = mCatalogueDb->getColorGroups();
    if (!colorGroups.isEmpty())
        mTulDb->setColorGroups(colorGroups);
    connect(mTulDb, &TulDbManager::colorGroupsChanged, mCatalogueDb, &ZepDBManager::setColorGroups);
    connect(mTulDb, &TulDbManager::serverStateChanged, this, &Base::srvChangedState);
    connect(mTulDb, &TulDbManager::syncFinished, this, &Base::tulSyncFinished);
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
    connect(mDuties, &DutyRunner::applierSyncDue, mDBSync, &DBSync::doSync);
    ApplierWiring::connect(mTulDb, mDBSync);
    connect(mDBSync, &DBSync::sigWriteToLog, this, &Base::writeToLog);
    mUploader = new EntranceUploader(mTulDb, mAttendanceDb, mSettings, this);
    connect(this, &Base::stopBackgroundActivity, mUploader, &EntranceUploader::doTerminate);
    connect(mDuties, &DutyRunner::applierSyncDue, mUploader, &EntranceUploader::doSync);
}

void Base::initRemoteManagement()
{
    mLog.loguj("Inicializujem Orvel...");
    mRemote = new RemoteManagement(mSettings, this, mAttendanceDb, mTulDb, this);
    if (mSettings->value(Setting::proxyEnabled).toBool())
        mRemote->setNetworkProxy(mProxy.proxy());
    connect(mDuties, &DutyRunner::orvelUpdateDue, mRemote, &RemoteManagement::doSyncOrvel);
    connect(mRemote, &RemoteManagement::orvelReplyFinished, this, &Base::orvelReplyFinished);
    connect(mRemote, &RemoteManagement::contactFinished, this, &Base::orvelContactFinished);
    connect(mRemote, &RemoteManagement::workingStart, this, &Base::workingStart);
    connect(mRemote, &RemoteManagement::workingEnd, this, &Base::workingEnd);
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
    mCamControl = new CamControl(mSettings->value(Setting::takePhoto).toBool(), this);
    mCamControl->setRotation(mSettings->value(Setting::cameraRotation).toInt());
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
                      mBackupManager.get(),
                      QStringLiteral("Portujem BackupManager do QML..."));
    mMainView->expose(QStringLiteral("base"), this, QStringLiteral("Portujem Base do QML..."));
    QQmlContext *context = mMainView->view()->rootContext();
    context->setContextProperty(QStringLiteral("uiSettings"), mUiSettings);
    context->setContextProperty(QStringLiteral("kioskInput"), mKioskInput);
    context->setContextProperty(QStringLiteral("setupPin"), mSetupPin);
    context->setContextProperty(QStringLiteral("serverCheck"), mServerCheck);
    exposeUiObjects();
}

// What the UI shows of the terminal's state, each announcing its changes.
void Base::exposeUiObjects()
{
    mServerStatus = new ServerStatus(mTulDb, this);
    QQmlContext *context = mMainView->view()->rootContext();
    context->setContextProperty(QStringLiteral("serverStatus"), mServerStatus);
    context->setContextProperty(QStringLiteral("terminalInfo"), mTerminalInfo);
    context->setContextProperty(QStringLiteral("hardwareFigures"), mHardwareFigures);
    context->setContextProperty(QStringLiteral("lastEntrance"), mManPrerus->lastEntrance());
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
    connect(
        mManPrerus, &ManagerPreruseni::sigAddEntrance, mUploader, &EntranceUploader::addEntrance);
    connect(mManPrerus,
            &ManagerPreruseni::sigDeleteEntrance,
            mUploader,
            &EntranceUploader::sendDeleteEntrance);
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
