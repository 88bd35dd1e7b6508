#pragma once

#include "core/absentbiometrics.h"
#include "foundation/filelog.h"
#include "core/networkproxy.h"
#include "db/termdata.h"
#include "remote/managedterminal.h"
#include "sync/serverstate.h"

#include <QNetworkProxy>
#include <QObject>
#include <QSize>
#include <QString>
#include <QVariantMap>

#include <memory>

class BackupManager;
class CamControl;
class ClockCorrection;
class Clovek;
class CopyBackups;
class Cron;
class DBSync;
class EntranceUploader;
class DataDBManager;
class DutyRunner;
class HardwareFigures;
class Informator;
class LudiaModel;
class LudiaProxyModel;
class MainView;
class Maintainer;
class ManagerLudi;
class ManagerPreruseni;
class NetworkManager;
class KioskInput;
class PrerusenieModel;
class ProcessControl;
class RemoteManagement;
class QQuickView;
class ServerCheck;
class ServerStatus;
class SetupPin;
class SoundManager;
class TerminalInfo;
class TerminalRecord;
class TulDbManager;
class UiSettings;
class UsbDrive;
class ZEPSettings;
class ZepDBManager;

// The application controller and composition root: creates every component in
// the start order, wires them, exposes them to the UI, and keeps the slots the
// UI calls, which hand the work to the component that does it.
//
// Ownership: the settings object and the network manager belong to the entry
// point and outlive Base. Every component Base creates is its QObject child and
// dies with it; the main view is held apart and destroyed first, before the
// objects its documents show. The proxy and the absent biometric devices are plain
// members. Remote management changes the terminal through ManagedTerminal.
class Base : public QObject, public ManagedTerminal
{
    Q_OBJECT
    Q_PROPERTY(
        bool checkTimezone READ checkTimezone WRITE setCheckTimezone NOTIFY checkTimezoneChanged)
public:
    Base(ZEPSettings *settings,
         NetworkManager *networkManager,
         const FileLog &applicationLog,
         QObject *parent = nullptr);
    ~Base() override;

    // Creates, wires and shows everything; runs once, a second call does nothing.
    void init();

    QQuickView *view() const;
    Cron *cron() const;
    DutyRunner *duties() const { return mDuties; }
    ZepDBManager *catalogueDb() const { return mCatalogueDb; }
    DataDBManager *attendanceDb() const { return mAttendanceDb; }
    TulDbManager *syncProtocol() const { return mTulDb; }
    DBSync *syncApplier() const { return mDBSync; }
    EntranceUploader *entranceUploader() const { return mUploader; }
    Informator *informator() const { return mInformator; }
    BackupManager *backupManager() const { return mBackupManager.get(); }
    Maintainer *maintainer() const { return mMaintainer.get(); }
    CopyBackups *copyBackups() const { return mCopyBackups.get(); }
    HardwareFigures *hardwareFigures() const { return mHardwareFigures; }
    ServerStatus *serverStatus() const { return mServerStatus; }
    UsbDrive *usbDrive() const { return mUsbDrive; }
    bool checkTimezone() const;
    // The proxy built from the "proxy/..." keys (kept also when not application-wide).
    QNetworkProxy networkProxy() const { return mProxy.proxy(); }
    // The terminal record as held in memory.
    const TermData &termData() const;
    RemoteManagement *remoteManagement() const { return mRemote; }

    // ManagedTerminal
    TermData &terminalRecord() override;
    void addCpuSample(uint percent) override;

signals:
    void changeRootQML(QString file);
    void workingStart();
    void workingEnd();
    void proxyStateChanged(int status);
    void hwInfoChanged();
    void stopBackgroundActivity();
    void irEvent();
    void userIdentityChecked(QString status, uint fingerID);
    void freeScanIdentityChecked(uint uid, uint fpID, uint tplID);
    void sigScreenSaverLevelChanged(int level);
    void serverFinded(QString serverHost, ushort serverPort);
    void findServerDone(bool isOK);
    void qrCodeReaded(uint personalId, QString firstName, QString lastName);
    void faceDetected(short faces);
    void faceRecognized(int faceID);
    void faceEnrolled(uint enrolled);
    void orvelReplyFinished();
    void tulSyncFinished();
    void copyEntrancesToUSBFinished();
    void copyLogsToUSBFinished();
    void relayStateChanged(int relayNumber, int relayState);
    void relayStateError(int relayNumber, int relayState);
    void checkTimezoneChanged(bool checkTimezone);
    // A contact with remote management asked for ended, answered or not.
    void orvelContactFinished(bool answered);

public slots:
    // The operations the UI may call on "base". Where the work belongs to an object of its own
    // ("serverStatus", "hardwareFigures", "usbDrive", "terminalInfo", "lastEntrance", ...),
    // which our own documents bind to, the slot hands it over.
    bool isNetwork() const;
    bool getNetworking() const;
    bool isFingerprint() const { return false; }
    bool isPIN() const;
    void getMainQML();
    QString getVersion() const;
    bool isSchemaToken() const;
    QString getHWInfo(const QString &key) const;
    int getProxyState() const override;
    void srvChangedState(ServerState status);
    void setNetworkProxy(bool applicationProxy);
    void setAppTitle();
    void setCheckTimezone(bool checkTimezone);
    void startFindServer();

    // Copies to the removable drive
    bool checkUSBAvailable() const;
    void copyEntrancesToUSB();
    void copyLogsToUSB();

    // Restart, quit and remote support
    void doReboot();
    // False, and the application stays up, when the new instance could not be started.
    bool doReboot(const QString &msg) override;
    void doQuit(uint time);
    void doQuit();
    bool startSupport();

    // Setup PIN, kept in the platform's native settings, not in "zep.ini"
    bool checkSetupPin() const;
    bool verifySetupPin(uint pin) const;
    void saveSetupPin(uint pin);

    // Terminal record and the settings file as text
    bool loadData();
    bool saveData() override;
    void prepareIni4sync();
    QString loadIni(bool sync) override;
    bool saveIni(const QString &text) override;

    // Synchronisation with the attendance server and remote management
    // Tries the server at host and port without writing the settings.
    void checkServerSetup(const QString &host, ushort port);
    void doSyncTUL();
    void doSyncOrvel();
    void doOrvelEvent(uint eid, const QString &typ);

    // Devices this edition has not: they answer and drive nothing.
    void crDataReaded(const QString &data, uint dataID);
    void onAccess(bool isGranted);
    bool initFingerprintModule();
    bool addFingerprint4Person(uint uid, uint finger);
    void getFingersToList(uint uid);
    void getFingersToList();
    bool checkUserIdentity(uint uid);
    bool deleteFingerprint(uint uid, uint fingerID);
    void updateFingerpritUsage();
    void startFaceEnroll(uint pid);
    void stopFaceEnroll();
    void applyFaceEnroll();
    void startFaceDetect();
    void stopFaceDetect();
    void startFaceRecognize();
    void stopFaceRecognize();

    // Scheduler duties, screen saver and clock correction
    void onCronSec(uint cnt);
    void onCronMin(uint cnt);
    void onCronHour(uint cnt);
    void pauseCron();
    void sSaverLevelChanged(int level);
    void restoreScreenSaver();
    // The mean, not the last sample, is the load the terminal record reports.
    void flushUsagesCPU() override;
    void updateTimeNTP();
    void getNtphOffset();
    void currentNtphOffset(int offset, bool validResult);
    int setSystemDate(const QString &newDate);

    // Reactions to the sync protocol and the window
    void terminalSyncFlagsChanged(ushort flags);
    void viewerResized(const QSize &size);

private:
    void onSettingsChanged(const QString &key);
    void doSyncTermData();
    void writeToLog(const QString &txt);
    void addIniToSyncItems();

    // Steps of init(), in start order.
    void logInitStart();
    // The document the root document loads: the terminal's screens.
    static QString mainDocument();
    void startUi();
    void initProxy();
    void initCatalogueDb();
    void initInformator();
    void initBackupManager();
    void initMaintainer();
    void initCopyBackups();
    void fillTerminalRecord();
    void initPrerusenieModel();
    void initSoundManager();
    void initSyncProtocol();
    void initAttendanceDb();
    void connectSyncToAttendanceDb();
    void initSyncApplier();
    void connectSettings();
    void initView();
    void initCamera();
    void exposeContextObjects();
    void exposeAttendance();
    void exposeUiObjects();
    void openAfterFirstFrame();
    void showMainWindow();
    void initRemoteManagement();
    void applyTerminalFlags();
    void initTypeReorder();
    void logPeriods();
    void initCron();

    ZEPSettings *mSettings;
    NetworkManager *mNetworkManager;
    FileLog mLog;
    NetworkProxy mProxy;
    AbsentBiometrics mBiometrics;
    TerminalRecord *mTerminal;
    DutyRunner *mDuties;
    ZepDBManager *mCatalogueDb = nullptr;
    DataDBManager *mAttendanceDb = nullptr;
    PrerusenieModel *mPrerusModel = nullptr;
    Clovek *mClovek = nullptr;
    LudiaModel *mLudiaModel = nullptr;
    LudiaProxyModel *mLudiaProxy = nullptr;
    ManagerLudi *mManagerLudi = nullptr;
    ManagerPreruseni *mManPrerus = nullptr;
    TulDbManager *mTulDb = nullptr;
    DBSync *mDBSync = nullptr;
    EntranceUploader *mUploader = nullptr;
    SoundManager *mSoundManager = nullptr;
    CamControl *mCamControl = nullptr;
    ClockCorrection *mClockCorrection;
    SetupPin *mSetupPin;
    ProcessControl *mProcess;
    HardwareFigures *mHardwareFigures;
    TerminalInfo *mTerminalInfo;
    ServerStatus *mServerStatus = nullptr;
    UsbDrive *mUsbDrive = nullptr;
    UiSettings *mUiSettings = nullptr;
    KioskInput *mKioskInput = nullptr;
    ServerCheck *mServerCheck = nullptr;
    RemoteManagement *mRemote = nullptr;
    Informator *mInformator = nullptr;
    // Owned here and destroyed in the reverse order of these lines: the view first, then
    // the components whose worker threads use the attendance database (a child, so it
    // goes after every member).
    std::unique_ptr<BackupManager> mBackupManager;
    std::unique_ptr<Maintainer> mMaintainer;
    std::unique_ptr<CopyBackups> mCopyBackups;
    std::unique_ptr<MainView> mMainView;

    bool mInitDone = false;
};
