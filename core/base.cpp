#include "core/base.h"

#include "attendance/clovek.h"
#include "attendance/ludiamodel.h"
#include "attendance/ludiaproxymodel.h"
#include "attendance/managerludi.h"
#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "core/cron.h"
#include "core/foundation/commandrunner.h"
#include "core/foundation/globals.h"
#include "core/foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"
#include "devices/cameraimageprovider.h"
#include "devices/soundmanager.h"
#include "sync/applierwiring.h"
#include "sync/bodyencoding.h"
#include "sync/dbsync.h"
#include "sync/networkmanager.h"
#include "sync/tuldbmanager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMutexLocker>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickView>
#include <QSettings>
#include <QTimer>
#include <QUrl>

namespace {

const QString organization = QStringLiteral("VELNIK");
const QString application = QStringLiteral("ZEP");
const QString setupPinKey = QStringLiteral("setup");
// The remote-support program, beside the terminal in its working folder.
const QString supportProgram = QStringLiteral("zepsupport");

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Boot time of the machine from the kernel's statistics; invalid when unknown.
QDateTime bootTime()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly | QIODevice::Text))
        return QDateTime();
    while (!stat.atEnd()) {
        const QByteArray line = stat.readLine().trimmed();
        if (line.startsWith("btime "))
            return QDateTime::fromSecsSinceEpoch(line.mid(6).toLongLong());
    }
    return QDateTime();
}

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

Base::Base(ZEPSettings *settings,
           NetworkManager *networkManager,
           const FileLog &applicationLog,
           QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mNetworkManager(networkManager)
    , mLog(applicationLog)
{
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setOrganizationDomain(QStringLiteral("zep.local"));
    QCoreApplication::setApplicationName(application);

    mNetworking = mSettings->value(QStringLiteral("global/networking"), true).toBool();
    mSchedule = DutySchedule::fromSettings(*mSettings);
    mCamRestartsLimit = mSettings->value(QStringLiteral("global/camRestartsLimit"), 0).toUInt();
    mBioFace = mSettings->value(QStringLiteral("face/bioFace"), false).toBool();
    mFaceRepeat = mSettings->value(QStringLiteral("face/repeat"), 2).toUInt();
}

Base::~Base() = default;

void Base::init()
{
    if (mInitDone)
        return;
    mInitDone = true;

    logInitStart();
    initProxy();
    initCatalogueDb();
    fillTerminalRecord();
    initPrerusenieModel();
    initSoundManager();
    initSyncProtocol();
    initAttendanceDb();
    connectSyncToAttendanceDb();
    initSyncApplier();
    connectSettings();
    initView();
    initCamera();
    exposeContextObjects();
    showMainWindow();
    applyTerminalFlags();
    connectEntranceOrdering();
    readUiFlags();
    finishTerminalSetup();
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
    const bool enabled = mSettings->value(QStringLiteral("proxy/enabled"), false).toBool();
    const bool useForAll = mSettings->value(QStringLiteral("proxy/useForAll"), true).toBool();
    if (!enabled)
        return;
    mLog.loguj("Inicializujem NetworkProxy...");
    if (Zep::debugLevel != 0)
        qDebug() << "NetworkProxy4All:" << useForAll;
    setNetworkProxy(useForAll);
}

void Base::fillTerminalRecord()
{
    mData.ver = QStringLiteral(ZEP_VERSION);
    mData.ip = mNetworkManager->getIP();
    mData.nazov = mSettings->value(QStringLiteral("global/terminalName"), QString()).toString();
    mData.ini = loadIni(false);
}

void Base::initCatalogueDb()
{
    mLog.loguj("Inicializujem CiselnikyDBManager...");
    mZepDB = new ZepDBManager(ZepFiles::catalogueDb, true, this);
    if (!loadData()) {
        qWarning("Base::init(): FAILED loadData()");
        mLog.loguj("Base: load terminal data FAILED!");
    }
}

void Base::initPrerusenieModel()
{
    mPrerusModel = new PrerusenieModel(this);
    mLog.loguj("Nacitavam prerusenia");
    mPrerusModel->reload(mZepDB);
}

void Base::initSoundManager()
{
    mLog.loguj("Inicializujem SoundManager...");
    mSoundManager = new SoundManager(this);
    mSoundManager->setVolume(mSettings->value(QStringLiteral("audio/volume"), 50).toInt());
    mSoundManager->setMute(mSettings->value(QStringLiteral("audio/mute"), false).toBool());
}

void Base::initCamera()
{
    mLog.loguj("Inicializujem CamControl...");
    mCamControl
        = new CamControl(mSettings->value(QStringLiteral("global/takePhoto"), true).toBool(), this);
    mCamControl->setRotation(
        mSettings->value(QStringLiteral("global/CameraRotateValue"), 0).toInt());
    mLog.loguj("Inicializujem a portujem CameraImageProvider...");
    mView->engine()->addImageProvider(QStringLiteral("camera"),
                                      new CameraImageProvider(mCamControl));
}

void Base::initAttendanceDb()
{
    mLog.loguj("Inicializujem DataDBManager...");
    mDataDB = new DataDBManager(ZepFiles::attendanceDb, true, this);
}

void Base::initSyncProtocol()
{
    mLog.loguj("Inicializujem TulDbManager...");
    mTulDb = new TulDbManager(mSettings, this);
    connect(mTulDb, &TulDbManager::syncTermData, this, &Base::doSyncTermData);
    connect(mTulDb, &TulDbManager::terminalRegistered, this, &Base::setTermRefId);
    const QString colorGroups = mZepDB->getColorGroups();
    if (!colorGroups.isEmpty())
        mTulDb->setColorGroups(colorGroups);
    connect(mTulDb, &TulDbManager::colorGroupsChanged, mZepDB, &ZepDBManager::setColorGroups);
    connect(mTulDb, &TulDbManager::serverStateChanged, this, &Base::srvChangedState);
    connect(mTulDb, &TulDbManager::syncFinished, this, &Base::tulSyncFinished);
    connect(mTulDb, &TulDbManager::terminalSyncFlagsChanged, this, &Base::terminalSyncFlagsChanged);
    mTulDb->setMac(mNetworkManager->getMac());
    mTulDb->setTermData(mData);
    mTulDb->loadSettings();
    mTulDb->init();
}

// Local changes of people go to the server as they happen; a new or empty
// database asks for complete lists.
void Base::connectSyncToAttendanceDb()
{
    connect(mDataDB, &DataDBManager::sigPersonCreated, mTulDb, &TulDbManager::sendAddPerson);
    connect(mDataDB, &DataDBManager::sigPersonUpdated, mTulDb, &TulDbManager::sendUpdatePerson);
    connect(mDataDB, &DataDBManager::sigPersonDeleted, mTulDb, &TulDbManager::sendDeletePerson);
    if (mDataDB->wasCreated() || mDataDB->getPeopleCount() == 0 || mZepDB->getIntersCount() == 0)
        mTulDb->setForceSync(true);
}

void Base::initSyncApplier()
{
    mLog.loguj("Inicializujem DBSync...");
    mDBSync = new DBSync(mZepDB, mDataDB, mPrerusModel, mSettings, this);
    connect(this, &Base::stopBackgroundActivity, mDBSync, &DBSync::doTerminate);
    ApplierWiring::connect(mTulDb, mDBSync);
    connect(mDBSync, &DBSync::sigWriteToLog, this, &Base::writeToLog);
}

void Base::connectSettings()
{
    connect(mSettings, &ZEPSettings::onWrite, this, &Base::onSettingsChanged);
}

void Base::initView()
{
    mLog.loguj("Vytvaram QmlApplicationviewer->.");
    mView = std::make_unique<QQuickView>();
    mView->setResizeMode(QQuickView::SizeRootObjectToView);
    mView->rootContext()->setContextProperty(QStringLiteral("jeVZEP"), true);
    mView->installEventFilter(this);
    connect(mView->engine(), &QQmlEngine::quit, this, [this] { doQuit(0); });
}

void Base::exposeContextObjects()
{
    expose(QStringLiteral("cisDBMan"),
           mZepDB,
           QStringLiteral("Portujem CiselnikyDBManager do QML..."));
    exposeAttendance();
    expose(QStringLiteral("netManager"),
           mNetworkManager,
           QStringLiteral("Portujem NetworkManager do QML..."));
    expose(QStringLiteral("dbSync"), mDBSync, QStringLiteral("Portujem DBSync do QML..."));
    expose(QStringLiteral("zepSettings"), mSettings, QStringLiteral("Portujem mSettings do QML.."));
    expose(
        QStringLiteral("sndMan"), mSoundManager, QStringLiteral("Portujem SoundManager do QML..."));
    expose(QStringLiteral("camCtrl"), mCamControl, QStringLiteral("Portujem CamControl do QML..."));
    expose(QStringLiteral("base"), this, QStringLiteral("Portujem Base do QML..."));
}

void Base::exposeAttendance()
{
    mLog.loguj("Inicializujem cloveka...");
    mClovek = new Clovek(this);
    expose(QStringLiteral("aktClovek"), mClovek, QStringLiteral("Portujem cloveka do QML..."));
    mLog.loguj("Vytvaram manager preruseni..");
    mManPrerus = new ManagerPreruseni(mCamControl, mClovek, mDataDB, mSettings, mZepDB, this);
    connect(mManPrerus, &ManagerPreruseni::sigAddEntrance, mTulDb, &TulDbManager::addEntrance);
    connect(mManPrerus,
            &ManagerPreruseni::sigDeleteEntrance,
            mTulDb,
            &TulDbManager::sendDeleteEntrance);
    expose(QStringLiteral("prerusModel"),
           mPrerusModel,
           QStringLiteral("Portujem prerusenia do QML..."));
    expose(QStringLiteral("manPrerus"),
           mManPrerus,
           QStringLiteral("Portujem manager preruseni do QML..."));
    mLog.loguj("Vytvaram ludiaModel..");
    mLudiaModel = new LudiaModel(this);
    const QString colorGroups = mZepDB->getColorGroups();
    if (!colorGroups.isEmpty())
        mLudiaModel->setColorGroups(colorGroups);
    connect(mTulDb,
            &TulDbManager::colorGroupsChanged,
            mLudiaModel,
            qOverload<const QString &>(&LudiaModel::setColorGroups));
    fillPeopleAfterFirstFrame();
    mLudiaProxy = new LudiaProxyModel(mLudiaModel, this);
    expose(
        QStringLiteral("ludiaModel"), mLudiaProxy, QStringLiteral("Portujem ludiaModel do QML..."));
    mLog.loguj("Vytvaram ManagerLudi..");
    mManagerLudi = new ManagerLudi(mLudiaModel, mDataDB, this);
    expose(QStringLiteral("managerLudi"),
           mManagerLudi,
           QStringLiteral("Portujem ManagerLudi do QML..."));
}

// Only the administration lists the people: loading them must not hold back the
// idle screen. The fill is queued, so it runs once the first frame is out.
void Base::fillPeopleAfterFirstFrame()
{
    mPeopleFill = connect(
        mView.get(),
        &QQuickWindow::frameSwapped,
        mLudiaModel,
        [this] {
            if (disconnect(mPeopleFill))
                mLudiaModel->reload(mDataDB);
        },
        Qt::QueuedConnection);
}

void Base::expose(const QString &name, QObject *object, const QString &logLine)
{
    mLog.loguj(logLine);
    mView->rootContext()->setContextProperty(name, object);
}

void Base::showMainWindow()
{
    mView->setSource(QUrl::fromLocalFile(QStringLiteral("qml/ZEP/vMainLoader.qml")));
    for (const QQmlError &error : mView->errors())
        qWarning() << "Base::init():" << error.toString();
    mView->setMinimumSize(QSize(800, 480));
    mView->resize(mSettings->value(QStringLiteral("size/width"), 800).toInt(),
                  mSettings->value(QStringLiteral("size/height"), 480).toInt());
    if (mSettings->value(QStringLiteral("size/maximized")).toBool())
        mView->showMaximized();
    else
        mView->showNormal();
    const auto resized = [this] { viewerResized(mView->size()); };
    connect(mView.get(), &QWindow::widthChanged, this, resized);
    connect(mView.get(), &QWindow::heightChanged, this, resized);
}

void Base::applyTerminalFlags()
{
    setCheckTimezone(mData.flags & (1 << 6));
}

void Base::connectEntranceOrdering()
{
    connect(mDataDB, &DataDBManager::sigPrerusenieZapisane, this, &Base::onPrerusenieZapisane);
}

void Base::readUiFlags()
{
    mAutosort = mSettings->value(QStringLiteral("global/autosort"), true).toBool();
    mPinEntry = mSettings->value(QStringLiteral("global/PIN"), false).toBool();
}

void Base::finishTerminalSetup()
{
    addIniToSyncItems();
    setAppTitle();
}

void Base::logPeriods()
{
    if (Zep::debugLevel <= 1)
        return;
    qDebug() << "mNetworking   =" << mNetworking;
    qDebug() << "TULDB Sync Interval =" << mSchedule.tulSyncPeriod;
    qDebug() << "orvelInterval =" << mSchedule.orvelPeriod;
    qDebug() << "parseInterval =" << mSchedule.hwInfoPeriod;
}

void Base::initCron()
{
    mLog.loguj("Inicializujem Cron...");
    mCron = new Cron(false, this);
    connect(mCron, &Cron::timeout1, this, &Base::onCronSec);
    connect(mCron, &Cron::timeout60, this, &Base::onCronMin);
    connect(mCron, &Cron::timeout3600, this, &Base::onCronHour);
    mCron->start();
}

// ---- UI gateway

void Base::getMainQML()
{
    emit changeRootQML(QStringLiteral("vmain.qml"));
}

QString Base::getHWInfo(const QString &key) const
{
    if (key == QLatin1String("tid"))
        return QString::number(mData.tid);
    if (key == QLatin1String("cpu"))
        return QString::number(mCpuAverage);
    if (key == QLatin1String("btime"))
        return QLocale().toString(bootTime(), QLocale::ShortFormat);
    return QString();
}

void Base::srvChangedState(ServerState status)
{
    emit proxyStateChanged(status);
    if (status < mServerState) {
        if (Zep::debugLevel > 1)
            qDebug("Base::proxyChangedState(): stopping background activity (status < "
                   "mData.proxyState)");
        emit stopBackgroundActivity();
    }
    mServerState = status;
}

void Base::setNetworkProxy(bool applicationProxy)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::setNetworkProxy(%i)", int(applicationProxy));
    const uint type = mSettings->value(QStringLiteral("proxy/type")).toUInt();
    mProxy = QNetworkProxy();
    mProxy.setType(type >= 1 && type <= 5 ? QNetworkProxy::ProxyType(type)
                                          : QNetworkProxy::DefaultProxy);
    const QString host = mSettings->value(QStringLiteral("proxy/host")).toString();
    const quint16 port = quint16(mSettings->value(QStringLiteral("proxy/port")).toUInt());
    qDebug() << "Using NetworkProxy, host:" << host << " port:" << port;
    mProxy.setHostName(host);
    mProxy.setPort(port);
    const QString user = mSettings->value(QStringLiteral("proxy/user")).toString();
    if (!user.isEmpty())
        mProxy.setUser(user);
    const QString pass = mSettings->value(QStringLiteral("proxy/pass")).toString();
    if (!pass.isEmpty())
        mProxy.setPassword(pass);
    if (mSettings->value(QStringLiteral("proxy/setCapabilities"), false).toBool())
        mProxy.setCapabilities(
            QNetworkProxy::TunnelingCapability | QNetworkProxy::ListeningCapability
            | QNetworkProxy::CachingCapability | QNetworkProxy::HostNameLookupCapability);
    if (applicationProxy) {
        qDebug("Using NetworkProxy for the entire application");
        QNetworkProxy::setApplicationProxy(mProxy);
    }
}

void Base::setAppTitle()
{
    if (!mView)
        return;
    mView->setTitle(
        QStringLiteral("%1 [%2] | %3")
            .arg(mData.nazov, QString::number(mData.tid), tr("Virtual terminal (V-ZEP)")));
}

void Base::setCheckTimezone(bool checkTimezone)
{
    if (checkTimezone == mCheckTimezone)
        return;
    mCheckTimezone = checkTimezone;
    emit checkTimezoneChanged(mCheckTimezone);
}

void Base::startFindServer()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFindServer()");
}

// ---- Restart, quit and remote support

void Base::doReboot() { }

void Base::doReboot(const QString &msg)
{
    mLog.loguj(msg);
    const QString program = QCoreApplication::applicationFilePath();
    if (!CommandRunner::instance()->startDetached(program, {}))
        qWarning() << "Base::doReboot():" << program << "NOT STARTED!";
    doQuit(3000);
}

void Base::doQuit(uint time)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::doQuit()");
    mLog.loguj("DO QUIT..");
    QTimer::singleShot(int(time), QCoreApplication::instance(), &QCoreApplication::quit);
}

void Base::doQuit()
{
    doQuit(1000);
}

bool Base::startSupport()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startSupport()");
    const QString program = QDir::current().absoluteFilePath(supportProgram);
    if (!CommandRunner::instance()->startDetached(program, {})) {
        qWarning() << "Base::tvError: Failed To Start" << program;
        return false;
    }
    QTimer::singleShot(3000, QCoreApplication::instance(), &QCoreApplication::quit);
    return true;
}

// ---- Setup PIN

bool Base::checkSetupPin() const
{
    const QSettings native(
        QSettings::NativeFormat, QSettings::UserScope, organization, application);
    return native.value(setupPinKey, false).toBool();
}

bool Base::verifySetupPin(uint pin) const
{
    const QSettings native(
        QSettings::NativeFormat, QSettings::UserScope, organization, application);
    return native.value(setupPinKey, 0).toUInt() == pin;
}

void Base::saveSetupPin(uint pin)
{
    QSettings native(QSettings::NativeFormat, QSettings::UserScope, organization, application);
    native.setValue(setupPinKey, pin);
}

// ---- Settings file as text

QString Base::loadIni(bool sync)
{
    if (sync)
        mSettings->syncSettings();
    QMutexLocker locker(&mIniMutex);
    QFile file(mSettings->fileName());
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical() << "Base::loadIni() - Canot open for read: " << file.fileName()
                    << " in :" << QDir::currentPath();
        return QString();
    }
    return QString::fromLatin1(file.readAll());
}

bool Base::saveIni(const QString &text)
{
    QMutexLocker locker(&mIniMutex);
    QFile file(mSettings->fileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCritical() << "Base::loadIni() - Canot open for write: " << file.fileName();
        return false;
    }
    return file.write(text.toLatin1()) == text.size();
}

// ---- Devices this edition has not

void Base::crDataReaded(const QString &data, uint dataID)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::crDataReaded(" << data << dataID << ")";
    restoreScreenSaver();
    ++mData.crNum;
}

void Base::onAccess(bool isGranted)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::onAccess(" << isGranted << ")";
    ++mData.accNum;
}

bool Base::initFingerprintModule()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::initFingerprintModule()");
    return false;
}

bool Base::addFingerprint4Person(uint uid, uint finger)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::addFingerprint4Person(%u, %u)", uid, finger);
    return false;
}

void Base::getFingersToList(uint uid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::getFingersToList(%u)", uid);
}

void Base::getFingersToList()
{
    getFingersToList(0);
}

bool Base::checkUserIdentity(uint uid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::checkUserIdentity(%u)", uid);
    return false;
}

bool Base::deleteFingerprint(uint uid, uint fingerID)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::deleteFingerprint(%u, %u)", uid, fingerID);
    return false;
}

void Base::updateFingerpritUsage()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::updateFingerpritUsage()");
}

void Base::startFaceEnroll(uint pid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceEnroll(%u)", pid);
}

void Base::stopFaceEnroll()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceEnroll()");
}

void Base::applyFaceEnroll()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::applyFaceEnroll()");
}

void Base::startFaceDetect()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceDetect()");
}

void Base::stopFaceDetect()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceDetect()");
}

void Base::startFaceRecognize()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceRecognize()");
}

void Base::stopFaceRecognize()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceRecognize()");
}

// ---- Reactions

void Base::onSettingsChanged(const QString &key)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::onSettingsChanged(" << key << ")";
    if (key == QLatin1String("global/networking")) {
        mNetworking = mSettings->value(key, true).toBool();
        mTulDb->setNetworkingEnabled(mNetworking);
        mData.changed = true;
    } else if (key == QLatin1String("global/terminalName")) {
        mData.nazov = mSettings->value(key, QString()).toString();
        mData.changed = true;
        addSyncItem(QStringLiteral("nazov"), mData.nazov);
        mTulDb->setTerminalName(mData.nazov);
        setAppTitle();
    } else if (key == QLatin1String("network/ip")) {
        const QString ip = mSettings->value(key, QString()).toString();
        if (!ip.isEmpty() && ip != mData.ip) {
            mData.ip = ip;
            mData.changed = true;
            addSyncItem(QStringLiteral("ip"), ip);
        }
    } else if (key == QLatin1String("orvel/synInterval")) {
        mSchedule.orvelPeriod = DutySchedule::orvelPeriodFrom(*mSettings);
    } else if (key == QLatin1String("serverKLD/ip")) {
        mTulDb->setServerIp(mSettings->value(key, QStringLiteral("0.0.0.0")).toString());
    } else if (key == QLatin1String("serverKLD/port")) {
        mTulDb->setServerPort(quint16(mSettings->value(key, QStringLiteral("80")).toInt()));
    }
    if (mData.changed) {
        mData.ini = loadIni(true);
        addIniToSyncItems();
    }
}

void Base::viewerResized(const QSize &size)
{
    QCoreApplication::processEvents();
    const bool maximized = mView && mView->windowStates().testFlag(Qt::WindowMaximized);
    if (Zep::debugLevel != 0)
        qDebug() << "Base::viewerResized() - size:" << size.width() << "x" << size.height()
                 << "  maximized:" << maximized;
    if (!maximized) {
        mSettings->setValue(QStringLiteral("size/width"), size.width());
        mSettings->setValue(QStringLiteral("size/height"), size.height());
        mSettings->setValue(QStringLiteral("size/maximized"), false);
    } else {
        mSettings->setValue(QStringLiteral("size/maximized"), true);
    }
}

void Base::writeToLog(const QString &txt)
{
    mLog.loguj(txt);
}

void Base::onPrerusenieZapisane(uint pid)
{
    if (mAutosort && mZepDB)
        mZepDB->decPrerusOrder(pid);
}

void Base::terminalSyncFlagsChanged(ushort flags)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::terminalSyncFlagsChanged(%u)", uint(flags));
    if (int(flags) != mData.flags) {
        if (mZepDB && mZepDB->setSyncFlags(flags))
            mData.flags = flags;
        else
            qWarning("Set sync flags on terminal failed!");
    }
    setCheckTimezone(flags & (1 << 6));
}

bool Base::loadData()
{
    return mZepDB && mZepDB->loadTerminal(mData);
}

bool Base::saveData()
{
    if (!mZepDB || !mZepDB->saveTerminal(mData))
        return false;
    mData.changed = false;
    if (mTulDb)
        mTulDb->setTermData(mData);
    setAppTitle();
    return true;
}

void Base::addIniToSyncItems()
{
    addSyncItem(QStringLiteral("ini"), QString::fromLatin1(encodeBody(mData.ini.toLatin1())));
}

void Base::prepareIni4sync()
{
    addIniToSyncItems();
}

void Base::addSyncItem(const QString &field, const QString &data)
{
    if (mDataDB)
        mDataDB->addSyncItem(field, data);
}

// The server's id of this terminal is kept, so that a restart does not
// register the terminal again.
void Base::setTermRefId(uint id)
{
    mData.refId = int(id);
    saveData();
}

void Base::checkServerSetup(const QString &host, ushort port)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::checkServerSetup(" << host << port << ")";
    mTulDb->setServerIp(host);
    mTulDb->setServerPort(port);
    mTulDb->doSync();
}

void Base::doSyncTUL()
{
    mTulDb->doSync();
}

void Base::doSyncTermData()
{
    mTulDb->setTermData(mData);
}

void Base::onCamRestart()
{
    ++mCamRestarts;
    if (mCamRestartsLimit != 0 && mCamRestarts >= mCamRestartsLimit)
        doReboot(QStringLiteral("Rebooting (camera exceeded count of restarts).."));
}

// ---- Scheduler duties

void Base::onCronSec(uint cnt)
{
    if (Zep::debugLevel > 2)
        qDebug("Base::onCronSec(%u)", cnt);
    const DutySchedule::SecondDuties due = mSchedule.dueAtSecond(cnt, mNetworking);
    if (due.hwInfoRefresh) {
        // The system information of this edition has nothing to refresh.
        QCoreApplication::processEvents();
    }
    if (due.tulSync) {
        QCoreApplication::processEvents();
        mTulDb->doSync();
    }
}

void Base::onCronMin(uint cnt)
{
    if (Zep::debugLevel >= 2)
        qDebug("Base::onCronMin(%u)", cnt);
    if (mNetworking && mServerState == ServerOnline) {
        QCoreApplication::processEvents();
        mDBSync->doSync();
    }
}

void Base::onCronHour(uint cnt)
{
    if (Zep::debugLevel >= 2)
        qDebug("Base::onCronHour(%u)", cnt);
    updateTimeNTP();
}

void Base::pauseCron()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::pauseCron()");
    if (mCron && mCron->isActive()) {
        mCron->stop();
        emit stopBackgroundActivity();
    }
}

void Base::sSaverLevelChanged(int level)
{
    if (Zep::debugLevel > 1)
        qDebug() << "Base::sSaverLevelChanched(" << level << ")";
    if (level > 0 && mScreenSaverLevel == 0 && mCron)
        mCron->start();
    mScreenSaverLevel = level;
    emit sigScreenSaverLevelChanged(level);
}

void Base::restoreScreenSaver()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::restoreScreenSaver()");
}

void Base::flushUsagesCPU()
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
}

bool Base::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserActivity(event))
        pauseCron();
    return QObject::eventFilter(watched, event);
}

// ---- Clock correction

void Base::updateTimeNTP()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::updateTimeNTP()");
    if (mNetworking && mSettings->value(QStringLiteral("time/useNTPH"), true).toBool())
        getNtphOffset();
}

void Base::getNtphOffset()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::getNtphOffset()");
    qWarning("NTPH Client not initialized!");
}

void Base::currentNtphOffset(int offset, bool validResult)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::currentNtphOffset(" << offset << validResult << ")";
    if (!validResult) {
        if (mNtphRetries < 3) {
            ++mNtphRetries;
            getNtphOffset();
        } else {
            mNtphRetries = 0;
        }
        return;
    }
    // A valid answer ends a row of failures.
    mNtphRetries = 0;
    if (offset >= -499 && offset <= 499)
        return;
    const QDateTime corrected
        = QDateTime::fromMSecsSinceEpoch(QDateTime::currentMSecsSinceEpoch() + offset);
    const int result = setSystemDate(corrected.toString(QStringLiteral("yyyyMMddhhmm.ss")));
    if (result != 0)
        qWarning() << "Set system date FAILED with error:" << result;
}

int Base::setSystemDate(const QString &newDate)
{
    if (Zep::debugLevel != 0)
        qDebug() << "Base::setSystemDate(" << newDate << ")";
    const QString format
        = newDate.size() < 13 ? QStringLiteral("yyyyMMddhhmm") : QStringLiteral("yyyyMMddhhmm.ss");
    const QDateTime parsed = QDateTime::fromString(newDate, format);
    if (!parsed.isValid())
        return -1;
    const QString time = parsed.toString(QStringLiteral("hh:mm:ss"));
    qDebug() << "new time:" << time;
    return CommandRunner::instance()->run(QStringLiteral("date"), { QStringLiteral("-s"), time });
}
