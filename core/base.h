#pragma once

#include "core/dutyschedule.h"
#include "core/foundation/filelog.h"
#include "db/termdata.h"
#include "sync/serverstate.h"

#include <QList>
#include <QMutex>
#include <QNetworkProxy>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class CamControl;
class Clovek;
class Cron;
class DBSync;
class DataDBManager;
class LudiaModel;
class LudiaProxyModel;
class ManagerLudi;
class ManagerPreruseni;
class NetworkManager;
class PrerusenieModel;
class QQuickView;
class SoundManager;
class TulDbManager;
class ZEPSettings;
class ZepDBManager;

// The application controller: creates every component in the start order, wires
// them, exposes them to the UI and runs the scheduler's duties.
//
// Ownership: the settings object and the network manager belong to the entry
// point and outlive Base. Every component Base creates is its QObject child; the
// view is held by Base and destroyed first, before the objects it shows.
class Base : public QObject
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

    QQuickView *view() const { return mView.get(); }
    Cron *cron() const { return mCron; }
    ZepDBManager *catalogueDb() const { return mZepDB; }
    DataDBManager *attendanceDb() const { return mDataDB; }
    TulDbManager *syncProtocol() const { return mTulDb; }
    DBSync *syncApplier() const { return mDBSync; }
    bool checkTimezone() const { return mCheckTimezone; }
    // The proxy built from the "proxy/..." keys (kept also when not application-wide).
    QNetworkProxy networkProxy() const { return mProxy; }
    // The terminal record as held in memory.
    const TermData &termData() const { return mData; }

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

public slots:
    // UI gateway
    bool isNetwork() const { return mNetworking; }
    bool getNetworking() const { return mNetworking; }
    bool isFingerprint() const { return false; }
    bool isPIN() const { return mPinEntry; }
    void getMainQML();
    QString getVersion() const { return mData.ver; }
    bool isSchemaToken() const { return !mData.token.isEmpty(); }
    QString getHWInfo(const QString &key) const;
    int getProxyState() const { return mServerState; }
    void srvChangedState(ServerState status);
    void setNetworkProxy(bool applicationProxy);
    void setAppTitle();
    void setCheckTimezone(bool checkTimezone);
    void startFindServer();

    // Restart, quit and remote support
    void doReboot();
    void doReboot(const QString &msg);
    void doQuit(uint time);
    void doQuit();
    bool startSupport();

    // Setup PIN, kept in the platform's native settings, not in "zep.ini"
    bool checkSetupPin() const;
    bool verifySetupPin(uint pin) const;
    void saveSetupPin(uint pin);

    // Settings file as text
    QString loadIni(bool sync);
    bool saveIni(const QString &text);

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

    // Reactions
    void onSettingsChanged(const QString &key);
    void viewerResized(const QSize &size);
    void writeToLog(const QString &txt);
    void onCamRestart();
    void setTermRefId(uint id);
    void onPrerusenieZapisane(uint pid);
    void terminalSyncFlagsChanged(ushort flags);

    // Terminal record
    bool loadData();
    bool saveData();
    // Queues the held settings-file text (body-encoded) as the sync item "ini".
    void addIniToSyncItems();
    void prepareIni4sync();

    // Attendance-server synchronisation
    void checkServerSetup(const QString &host, ushort port);
    void doSyncTUL();
    void doSyncTermData();

    // Scheduler duties and idle control
    void onCronSec(uint cnt);
    void onCronMin(uint cnt);
    void onCronHour(uint cnt);
    void pauseCron();
    void sSaverLevelChanged(int level);
    void restoreScreenSaver();
    void flushUsagesCPU();

    // Clock correction
    void updateTimeNTP();
    void getNtphOffset();
    void currentNtphOffset(int offset, bool validResult);
    int setSystemDate(const QString &newDate);

protected:
    // Every pointer and key event the window sees counts as user activity.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Steps of init(), in start order.
    void logInitStart();
    void initProxy();
    void fillTerminalRecord();
    void connectSettings();
    void initView();
    void exposeContextObjects();
    void fillPeopleAfterFirstFrame();
    void showMainWindow();
    void applyTerminalFlags();
    void connectEntranceOrdering();
    void readUiFlags();
    void finishTerminalSetup();
    void logPeriods();
    void initCron();
    void initCatalogueDb();
    void initAttendanceDb();
    void initPrerusenieModel();
    void exposeAttendance();
    void initSoundManager();
    void initCamera();
    void initSyncProtocol();
    void connectSyncToAttendanceDb();
    void initSyncApplier();

    // Queues a local configuration change for the remote-management report.
    void addSyncItem(const QString &field, const QString &data);
    // Logs the line to the application log, then exposes the object to the UI.
    void expose(const QString &name, QObject *object, const QString &logLine);

    ZEPSettings *mSettings;
    NetworkManager *mNetworkManager;
    FileLog mLog;
    std::unique_ptr<QQuickView> mView;
    Cron *mCron = nullptr;
    ZepDBManager *mZepDB = nullptr;
    DataDBManager *mDataDB = nullptr;
    PrerusenieModel *mPrerusModel = nullptr;
    Clovek *mClovek = nullptr;
    LudiaModel *mLudiaModel = nullptr;
    LudiaProxyModel *mLudiaProxy = nullptr;
    QMetaObject::Connection mPeopleFill;
    ManagerLudi *mManagerLudi = nullptr;
    ManagerPreruseni *mManPrerus = nullptr;
    TulDbManager *mTulDb = nullptr;
    DBSync *mDBSync = nullptr;
    SoundManager *mSoundManager = nullptr;
    CamControl *mCamControl = nullptr;

    bool mInitDone = false;
    bool mNetworking = true;
    DutySchedule mSchedule;
    uint mCamRestartsLimit = 0;
    uint mCamRestarts = 0;
    bool mBioFace = false;
    uint mFaceRepeat = 2;
    bool mAutosort = true;
    bool mPinEntry = false;

    TermData mData;
    QNetworkProxy mProxy;
    QMutex mIniMutex;
    ServerState mServerState = ServerDisabled;
    bool mCheckTimezone = false;
    int mScreenSaverLevel = 0;
    quint8 mNtphRetries = 0;
    QList<uint> mCpuSamples;
    uint mCpuAverage = 0;
};
