#include "backup/copybackups.h"
#include "backup/usbdrive.h"
#include "core/base.h"
#include "core/cron.h"
#include "core/dutyrunner.h"
#include "core/hardwarefigures.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "devices/informator.h"
#include "remote/orvel.h"
#include "remote/remotemanagement.h"
#include "sync/asyncpinger.h"
#include "foundation/bodyencoding.h"
#include "sync/networkmanager.h"
#include "sync/tuldbmanager.h"

#include "tests/support/controllersandbox.h"
#include "tests/support/dbmessagecapture.h"
#include "tests/support/pluggeddrive.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/scratchfile.h"
#include "tests/support/sqlfile.h"

#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

class tst_Base : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void proxy_data();
    void proxy();
    void setupPin_data();
    void setupPin();
    void serverStateDrop_data();
    void serverStateDrop();
    void clockCorrectionForwards();
    void iniText();
    void cpuAverageWithoutSamples();
    void cpuLoadIsTheMean();
    void bootTimeIsTheStart();
    void driveAndTotalsReachTheController();
    void replacedSettingsFileTakesEffect();

    void initShowsWindow();
    void startOrder();
    void documentedSignals();
    void documentedOperations_data();
    void documentedOperations();
    void cardReadsAndAccessesCounted();
    void resize_data();
    void resize();
    void userActivityPausesCron();
    void settingsChanges();
    void networkAddress_data();
    void networkAddress();
    void settingsQueuedForRemoteManagement();
    void oneSettingsItemWaitsAcrossStarts();
    void serverFlags_data();
    void serverFlags();

private:
    std::unique_ptr<Base> makeBase();

    std::unique_ptr<ControllerSandbox> mSandbox;
    ZEPSettings *mSettings = nullptr;
};

void tst_Base::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_Base::init()
{
    mSandbox.reset(); // the previous folder restores its working directory first
    mSandbox = std::make_unique<ControllerSandbox>();
    QVERIFY(mSandbox->isValid());
    mSettings = &mSandbox->settings();
    Zep::debugLevel = 1;
}

void tst_Base::cleanup()
{
    mSandbox.reset();
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
}

std::unique_ptr<Base> tst_Base::makeBase()
{
    return mSandbox->makeBase();
}

void tst_Base::proxy_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<bool>("forAll");
    QTest::addColumn<bool>("capabilities");
    QTest::addColumn<int>("expectedType");
    QTest::newRow("0 -> default") << 0u << true << false << int(QNetworkProxy::DefaultProxy);
    QTest::newRow("1 -> SOCKS5") << 1u << true << false << int(QNetworkProxy::Socks5Proxy);
    QTest::newRow("3 -> HTTP") << 3u << true << false << int(QNetworkProxy::HttpProxy);
    QTest::newRow("5 -> FTP caching") << 5u << true << false << int(QNetworkProxy::FtpCachingProxy);
    QTest::newRow("7 -> default") << 7u << true << false << int(QNetworkProxy::DefaultProxy);
    QTest::newRow("HTTP for remote management only")
        << 3u << false << false << int(QNetworkProxy::HttpProxy);
    QTest::newRow("explicit capabilities") << 3u << true << true << int(QNetworkProxy::HttpProxy);
}

void tst_Base::proxy()
{
    QFETCH(uint, type);
    QFETCH(bool, forAll);
    QFETCH(bool, capabilities);
    QFETCH(int, expectedType);
    mSettings->setValue(QStringLiteral("proxy/type"), type);
    mSettings->setValue(QStringLiteral("proxy/host"), QStringLiteral("proxy.example"));
    mSettings->setValue(QStringLiteral("proxy/port"), 3128);
    mSettings->setValue(QStringLiteral("proxy/user"), QStringLiteral("jan"));
    mSettings->setValue(QStringLiteral("proxy/setCapabilities"), capabilities);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));

    auto base = makeBase();
    base->setNetworkProxy(forAll);

    const QNetworkProxy proxy = base->networkProxy();
    QCOMPARE(int(proxy.type()), expectedType);
    QCOMPARE(proxy.hostName(), QStringLiteral("proxy.example"));
    QCOMPARE(proxy.port(), quint16(3128));
    QCOMPARE(proxy.user(), QStringLiteral("jan"));
    if (capabilities)
        QCOMPARE(int(proxy.capabilities()), 27);
    const QNetworkProxy application = QNetworkProxy::applicationProxy();
    // Qt itself resolves an application-wide default proxy, so only real ones are compared.
    if (forAll && expectedType != QNetworkProxy::DefaultProxy)
        QCOMPARE(application.hostName(), QStringLiteral("proxy.example"));
    else if (!forAll)
        QCOMPARE(application.type(), QNetworkProxy::NoProxy);
}

void tst_Base::setupPin_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<uint>("entered");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("none stored, 0") << QVariant() << 0u << true;
    QTest::newRow("none stored, 1234") << QVariant() << 1234u << false;
    QTest::newRow("stored, right") << QVariant(1234u) << 1234u << true;
    QTest::newRow("stored, wrong") << QVariant(1234u) << 4321u << false;
    QTest::newRow("stored, 0") << QVariant(1234u) << 0u << false;
}

void tst_Base::setupPin()
{
    QFETCH(QVariant, stored);
    QFETCH(uint, entered);
    QFETCH(bool, accepted);
    auto base = makeBase();
    QVERIFY(!base->checkSetupPin());
    if (stored.isValid()) {
        base->saveSetupPin(stored.toUInt());
        QVERIFY(base->checkSetupPin());
    }
    QCOMPARE(base->verifySetupPin(entered), accepted);
    // Never in the terminal's own settings file.
    mSettings->syncSettings();
    QVERIFY(!QFile::exists(QStringLiteral("zep.ini")));
}

void tst_Base::serverStateDrop_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("stops");
    QTest::newRow("online -> unreachable") << int(ServerOnline) << int(ServerUnreachable) << 1;
    QTest::newRow("failed -> online") << int(ServerFailed) << int(ServerOnline) << 0;
    QTest::newRow("unchanged") << int(ServerOnline) << int(ServerOnline) << 0;
}

void tst_Base::serverStateDrop()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, stops);
    auto base = makeBase();
    base->srvChangedState(ServerState(before));
    QSignalSpy stop(base.get(), &Base::stopBackgroundActivity);
    QSignalSpy state(base.get(), &Base::proxyStateChanged);
    base->srvChangedState(ServerState(after));
    QCOMPARE(stop.size(), stops);
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).toInt(), after);
    QCOMPARE(base->getProxyState(), after);
}

void tst_Base::clockCorrectionForwards()
{
    RecordingCommandRunner runner(3);
    auto base = makeBase();
    QCOMPARE(base->setSystemDate(QStringLiteral("202612062015.33")), 3);
    QCOMPARE(runner.commands.size(), 1);
    QCOMPARE(runner.commands[0].program, QStringLiteral("date"));
    const QDateTime setTo(QDate(2026, 12, 6), QTime(20, 15, 33));
    QCOMPARE(runner.commands[0].arguments,
             (QStringList { "-u", "-s", QStringLiteral("@%1").arg(setTo.toSecsSinceEpoch()) }));

    DbMessageCapture messages;
    base->updateTimeNTP(); // before init there is no time-offset client
    QVERIFY(messages.all().contains(QStringLiteral("NTPH Client not initialized!")));
}

void tst_Base::iniText()
{
    auto base = makeBase();
    QCOMPARE(base->loadIni(false), QString());
    mSettings->setValue(QStringLiteral("global/terminalName"), QStringLiteral("Vratnica"));
    QVERIFY(base->loadIni(true).contains(QStringLiteral("terminalName=Vratnica")));

    const QString text = QStringLiteral("[global]\nterminalName=Sklad\n");
    QVERIFY(base->saveIni(text));
    QCOMPARE(base->loadIni(false), text);
}

void tst_Base::cpuAverageWithoutSamples()
{
    auto base = makeBase();
    base->flushUsagesCPU();
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("cpu")), QStringLiteral("0"));
}

// The figure shown and reported is the mean of the samples at the last report, not
// the last sample.
void tst_Base::cpuLoadIsTheMean()
{
    auto base = makeBase();
    for (uint sample : { 10u, 20u, 60u })
        base->addCpuSample(sample);
    base->flushUsagesCPU();
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("cpu")), QStringLiteral("30"));
    QCOMPARE(base->termData().cpuu, 30);

    base->addCpuSample(90);
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("cpu")), QStringLiteral("30"));
    QCOMPARE(base->termData().cpuu, 30);
    base->flushUsagesCPU();
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("cpu")), QStringLiteral("90"));
}

// Boot time means the application's start, on the system page as in the reports.
void tst_Base::bootTimeIsTheStart()
{
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    auto base = makeBase();
    base->init();
    QVERIFY(base->termData().btime >= before);
    QVERIFY(base->termData().btime <= QDateTime::currentSecsSinceEpoch());
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("btime")),
             QLocale().toString(QDateTime::fromSecsSinceEpoch(base->termData().btime),
                                QLocale::ShortFormat));
}

void tst_Base::driveAndTotalsReachTheController()
{
    const QString drivePath = QDir::currentPath() + QStringLiteral("/usbdrive");
    QVERIFY(QDir().mkpath(drivePath));
    mSettings->setValue(QStringLiteral("usb/mountPoint"), drivePath);
    auto base = makeBase();
    base->init();
    Informator *informator = base->informator();
    // The first sampling after the first frame is over.
    QTRY_VERIFY_WITH_TIMEOUT(informator->total(QStringLiteral("RAM")) > 0, 20000);

    // The sampling that follows a mount tells whether the drive is there.
    QSignalSpy drive(base->usbDrive(), &UsbDrive::presentChanged);
    {
        PluggedDrive plugged(drivePath);
        informator->doParse();
        QVERIFY(base->usbDrive()->isPresent());
        plugged.pullOut();
        informator->doParse();
    }
    QCOMPARE(drive.size(), 2);
    QCOMPARE(drive.at(0).at(0).toBool(), true);
    QCOMPARE(drive.at(1).at(0).toBool(), false);

    // A new total with an unchanged usage still refreshes the figures.
    informator->parsedData(QStringLiteral("HDD"), 1000, 500);
    QSignalSpy figures(base->hardwareFigures(), &HardwareFigures::changed);
    QSignalSpy told(base.get(), &Base::hwInfoChanged);
    informator->parsedData(QStringLiteral("HDD"), 2000, 1000);
    QCOMPARE(figures.size(), 1);
    QCOMPARE(told.size(), 1);
    QCOMPARE(base->hardwareFigures()->hddTotal(), 2000);
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("hddTotal")), QStringLiteral("2000"));
    informator->parsedData(QStringLiteral("RAM"), 2048 * 1024, 1024);
    QCOMPARE(base->hardwareFigures()->value(QStringLiteral("ramTotal")), QStringLiteral("2048"));
}

// A settings file that remote management replaces works like the same changes made in the
// administration, without a restart.
void tst_Base::replacedSettingsFileTakesEffect()
{
    auto base = makeBase();
    base->init();
    base->terminalRecord().tid = 7; // the terminal record keeps the text
    const QString drive = QDir(mSandbox->path()).filePath(QStringLiteral("drive"));
    const QString saved = QDir(mSandbox->path()).filePath(QStringLiteral("saved"));
    const QString text
        = QStringLiteral("[global]\nnetworking=false\nHWinfoInterval=50\n"
                         "[serverKLD]\nip=127.0.0.2\nport=9000\nsynInterval=45\n"
                         "[orvel]\nsszep=127.0.0.3\nsszepPort=9001\nsynInterval=100\n"
                         "[timeout]\nmaintenaceLDB=5\n[usb]\nmountPoint=%1\n"
                         "backupPath=%2\n")
              .arg(drive, saved);
    QVERIFY(base->remoteManagement()->applyOrvelItem(QStringLiteral("ini"), text));

    QCOMPARE(base->duties()->isNetworking(), false);
    QCOMPARE(base->syncProtocol()->serverState(), ServerDisabled);
    QCOMPARE(base->syncProtocol()->probe()->host, QStringLiteral("127.0.0.2"));
    QCOMPARE(base->syncProtocol()->probe()->port, 9000u);
    const DutySchedule &schedule = base->duties()->schedule();
    QCOMPARE(schedule.hwInfoPeriod, 50u);
    QCOMPARE(schedule.tulSyncPeriod, 45u);
    QCOMPARE(schedule.orvelPeriod, 100u);
    QCOMPARE(schedule.maintenancePeriod, 5u);
    const QUrl report = base->remoteManagement()->orvel()->requestUrl(QStringLiteral("x"));
    QCOMPARE(report.host(), QStringLiteral("127.0.0.3"));
    QCOMPARE(report.port(), 9001);
    QCOMPARE(base->copyBackups()->targetPath(), drive);
    QCOMPARE(base->copyBackups()->backupPath(), saved);
}

void tst_Base::initShowsWindow()
{
    mSettings->setValue(QStringLiteral("size/width"), 900);
    auto base = makeBase();
    QSignalSpy root(base.get(), &Base::changeRootQML);
    base->init();
    base->init();
    // The root document asks for the main document once the start is through.
    QTRY_COMPARE_WITH_TIMEOUT(root.size(), 1, 5000);

    QQuickView *view = base->view();
    QVERIFY(view);
    QCOMPARE(view->minimumSize(), QSize(800, 480));
    QCOMPARE(view->size(), QSize(900, 480));
    QCOMPARE(view->resizeMode(), QQuickView::SizeRootObjectToView);
    QVERIFY(view->isVisible());
    QCOMPARE(root.at(0).at(0).toString(), QStringLiteral("vmain.qml"));
    QTRY_VERIFY_WITH_TIMEOUT(view->rootObject()->findChild<QQuickItem *>(QStringLiteral("vmain")),
                             5000);

    QQmlContext *context = view->rootContext();
    QCOMPARE(context->contextProperty(QStringLiteral("base")).value<QObject *>(), base.get());
    QCOMPARE(context->contextProperty(QStringLiteral("zepSettings")).value<QObject *>(), mSettings);
    QCOMPARE(context->contextProperty(QStringLiteral("netManager")).value<QObject *>(),
             &mSandbox->networkManager());
    QCOMPARE(context->contextProperty(QStringLiteral("jeVZEP")).toBool(), true);
    QVERIFY(base->cron() && base->cron()->isActive());
    // The first system figures are read once the window has shown its first frame.
    QVERIFY(base->informator()->total(QStringLiteral("RAM")) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(base->informator()->total(QStringLiteral("RAM")) > 0, 5000);

    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QCOMPARE(text.count("Base::init():"), 1);
    QVERIFY(text.indexOf("Portujem Base do QML...") < text.indexOf("Inicializujem Cron..."));
}

// The application log tells the start step by step, in the documented order.
void tst_Base::startOrder()
{
    mSettings->setValue(QStringLiteral("proxy/enabled"), true);
    mSettings->setValue(QStringLiteral("proxy/useForAll"), false);
    mSettings->setValue(QStringLiteral("time/ntpOnBoot"), false);
    auto base = makeBase();
    base->init();

    const QStringList documented {
        "Base::init():",
        "Inicializujem NetworkProxy...",
        "Inicializujem CiselnikyDBManager...",
        "Inicializujem Informator...",
        "Ver.: ",
        "Inicializujem NtphClient...",
        "Nacitavam prerusenia",
        "Inicializujem SoundManager...",
        "Inicializujem TulDbManager...",
        "Inicializujem DataDBManager...",
        "Inicializujem DBSync...",
        "Vytvaram QmlApplicationviewer->.",
        "Inicializujem BackupManager...",
        "Inicializujem CamControl...",
        "Inicializujem a portujem CameraImageProvider...",
        "Portujem CiselnikyDBManager do QML...",
        "Inicializujem cloveka...",
        "Portujem cloveka do QML...",
        "Vytvaram manager preruseni..",
        "Portujem prerusenia do QML...",
        "Portujem manager preruseni do QML...",
        "Vytvaram ludiaModel..",
        "Portujem ludiaModel do QML...",
        "Vytvaram ManagerLudi..",
        "Portujem ManagerLudi do QML...",
        "Portujem NetworkManager do QML...",
        "Portujem DBSync do QML...",
        "Portujem mSettings do QML..",
        "Portujem SoundManager do QML...",
        "Portujem CamControl do QML...",
        "Portujem Base do QML...",
        "Inicializujem Orvel...",
        "Inicializujem Maintainer...",
        "Inicializujem CopyBackups...",
        "Inicializujem Cron...",
    };
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList logged;
    for (const QString &line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
        QString text = line.section(QStringLiteral(" => "), 1);
        if (text.startsWith(QLatin1String("Ver.: ")))
            text = QStringLiteral("Ver.: ");
        if (documented.contains(text))
            logged << text;
    }
    QCOMPARE(logged, documented);
}

// The signals the UI may connect to, first in the meta-object and in this order.
void tst_Base::documentedSignals()
{
    const QList<QByteArray> documented {
        "changeRootQML(QString)",
        "workingStart()",
        "workingEnd()",
        "proxyStateChanged(int)",
        "hwInfoChanged()",
        "stopBackgroundActivity()",
        "irEvent()",
        "userIdentityChecked(QString,uint)",
        "freeScanIdentityChecked(uint,uint,uint)",
        "sigScreenSaverLevelChanged(int)",
        "serverFinded(QString,ushort)",
        "findServerDone(bool)",
        "qrCodeReaded(uint,QString,QString)",
        "faceDetected(short)",
        "faceRecognized(int)",
        "faceEnrolled(uint)",
        "orvelReplyFinished()",
        "tulSyncFinished()",
        "copyEntrancesToUSBFinished()",
        "copyLogsToUSBFinished()",
        "relayStateChanged(int,int)",
        "relayStateError(int,int)",
        "checkTimezoneChanged(bool)",
    };
    const QMetaObject &meta = Base::staticMetaObject;
    QList<QByteArray> own;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            own << meta.method(i).methodSignature();
    QCOMPARE(own.mid(0, documented.size()), documented);
}

// The operations the UI may call on "base", by name through the meta-object. Those that
// would act outside the test (quit, restart, start programs, set the clock, reach servers)
// are only looked up with their result type.
void tst_Base::documentedOperations_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<bool>("called");
    // What the call answers; not compared when invalid.
    QTest::addColumn<QVariant>("answer");

    const auto call = [](const char *signature,
                         const char *result,
                         const QVariantList &arguments = {},
                         const QVariant &answer = {}) {
        QTest::newRow(signature) << QByteArray(signature) << QByteArray(result) << arguments << true
                                 << answer;
    };
    const auto lookUp = [](const char *signature, const char *result) {
        QTest::newRow(signature) << QByteArray(signature) << QByteArray(result) << QVariantList()
                                 << false << QVariant();
    };
    call("isNetwork()", "bool", {}, true);
    call("isFingerprint()", "bool", {}, false);
    call("getMainQML()", "void");
    call("doReboot()", "void");
    lookUp("doReboot(QString)", "bool");
    call("prepareIni4sync()", "void");
    lookUp("doOrvelEvent(uint,QString)", "void");
    call("isPIN()", "bool", {}, true);
    call("srvChangedState(ServerState)", "void", { QVariant::fromValue(ServerOnline) });
    call("getHWInfo(QString)", "QString", { QStringLiteral("tid") }, QStringLiteral("7"));
    lookUp("setSystemDate(QString)", "int");
    call("crDataReaded(QString,uint)", "void", { QStringLiteral("0123"), 1u });
    call("onAccess(bool)", "void", { true });
    call("initFingerprintModule()", "bool", {}, false);
    call("addFingerprint4Person(uint,uint)", "bool", { 5u, 1u }, false);
    call("getFingersToList(uint)", "void", { 5u });
    call("getFingersToList()", "void");
    call("checkUserIdentity(uint)", "bool", { 5u }, false);
    call("deleteFingerprint(uint,uint)", "bool", { 5u, 1u }, false);
    call("updateFingerpritUsage()", "void");
    call("getProxyState()", "int");
    lookUp("checkServerSetup(QString,ushort)", "void");
    call("startFindServer()", "void");
    call("checkSetupPin()", "bool", {}, false);
    call("verifySetupPin(uint)", "bool", { 0u }, true);
    call("saveSetupPin(uint)", "void", { 1234u });
    lookUp("doQuit(uint)", "void");
    lookUp("doQuit()", "void");
    lookUp("startSupport()", "bool");
    call("setNetworkProxy(bool)", "void", { false });
    call("startFaceEnroll(uint)", "void", { 5u });
    call("stopFaceEnroll()", "void");
    call("applyFaceEnroll()", "void");
    call("startFaceDetect()", "void");
    call("stopFaceDetect()", "void");
    call("startFaceRecognize()", "void");
    call("stopFaceRecognize()", "void");
    call("getVersion()", "QString", {}, QStringLiteral("1.2.3"));
    call("isSchemaToken()", "bool", {}, false);
    lookUp("doSyncOrvel()", "void");
    call("getNetworking()", "bool", {}, true);
    lookUp("doSyncTUL()", "void");
    call("checkUSBAvailable()", "bool", {}, false);
    lookUp("copyEntrancesToUSB()", "void");
    lookUp("copyLogsToUSB()", "void");
    call("setAppTitle()", "void");
    call("setCheckTimezone(bool)", "void", { true });
    // A new catalogue holds no terminal record yet.
    call("loadData()", "bool", {}, false);
    call("saveData()", "bool", {}, true);
    // The scheduler's slots
    lookUp("onCronSec(uint)", "void");
    lookUp("onCronMin(uint)", "void");
    lookUp("onCronHour(uint)", "void");
    call("pauseCron()", "void");
    call("sSaverLevelChanged(int)", "void", { 0 });
    call("restoreScreenSaver()", "void");
    lookUp("getNtphOffset()", "void");
    lookUp("currentNtphOffset(int,bool)", "void");
    lookUp("updateTimeNTP()", "void");
    call("flushUsagesCPU()", "void");
}

void tst_Base::documentedOperations()
{
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, result);
    QFETCH(QVariantList, arguments);
    QFETCH(bool, called);
    QFETCH(QVariant, answer);

    mSettings->setValue(QStringLiteral("global/PIN"), true);
    mSettings->setValue(QStringLiteral("time/ntpOnBoot"), false);
    auto base = makeBase();
    base->init();
    base->terminalRecord().tid = 7;
    base->terminalRecord().ver = QStringLiteral("1.2.3");

    const int index = base->metaObject()->indexOfSlot(signature.constData());
    QVERIFY2(index >= 0, signature.constData());
    const QMetaMethod method = base->metaObject()->method(index);
    QCOMPARE(method.access(), QMetaMethod::Public);
    QCOMPARE(QByteArray(method.typeName()), result);
    if (!called)
        return;

    QCOMPARE(arguments.size(), method.parameterCount());
    const QList<QByteArray> types = method.parameterTypes();
    QGenericArgument passed[10];
    for (int i = 0; i < arguments.size(); ++i) {
        QVERIFY(arguments[i].convert(method.parameterType(i)));
        passed[i] = QGenericArgument(types.at(i).constData(), arguments[i].constData());
    }
    QVariant returned(method.returnType(), nullptr);
    const QGenericReturnArgument into = method.returnType() == QMetaType::Void
        ? QGenericReturnArgument()
        : QGenericReturnArgument(method.typeName(), returned.data());
    QVERIFY(method.invoke(base.get(),
                          Qt::DirectConnection,
                          into,
                          passed[0],
                          passed[1],
                          passed[2],
                          passed[3],
                          passed[4],
                          passed[5],
                          passed[6],
                          passed[7],
                          passed[8],
                          passed[9]));
    if (answer.isValid())
        QCOMPARE(returned, answer);
}

// The reports of remote management count the card reads and access decisions.
void tst_Base::cardReadsAndAccessesCounted()
{
    auto base = makeBase();
    base->crDataReaded(QStringLiteral("0123"), 1);
    base->crDataReaded(QStringLiteral("0456"), 2);
    base->onAccess(true);
    QCOMPARE(base->termData().crNum, 2);
    QCOMPARE(base->termData().accNum, 1);
}

void tst_Base::resize_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("normal") << false
                            << QStringList { "size/width", "size/height", "size/maximized" };
    QTest::newRow("maximised") << true << QStringList { "size/maximized" };
}

void tst_Base::resize()
{
    QFETCH(bool, maximized);
    QFETCH(QStringList, written);
    auto base = makeBase();
    base->init();
    if (maximized)
        base->view()->setWindowState(Qt::WindowMaximized);
    QCoreApplication::processEvents();

    QSignalSpy writes(mSettings, &ZEPSettings::onWrite);
    base->viewerResized(QSize(1000, 700));
    QStringList keys;
    for (const QList<QVariant> &write : writes)
        keys << write.at(0).toString();
    QCOMPARE(keys, written);
    QCOMPARE(mSettings->value(QStringLiteral("size/maximized")).toBool(), maximized);
    if (!maximized)
        QCOMPARE(mSettings->value(QStringLiteral("size/width")).toInt(), 1000);
}

void tst_Base::userActivityPausesCron()
{
    auto base = makeBase();
    base->init();
    QSignalSpy stop(base.get(), &Base::stopBackgroundActivity);
    QSignalSpy level(base.get(), &Base::sigScreenSaverLevelChanged);

    QTest::mouseClick(base->view(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QVERIFY(!base->cron()->isActive());
    QCOMPARE(stop.size(), 1);
    QTest::keyClick(base->view(), Qt::Key_5);
    QCOMPARE(stop.size(), 1);

    // The screen saver coming up resumes the duties; a deeper level changes nothing.
    base->sSaverLevelChanged(1);
    QVERIFY(base->cron()->isActive());
    base->duties()->pauseCron();
    base->sSaverLevelChanged(2);
    QVERIFY(!base->cron()->isActive());
    base->sSaverLevelChanged(0);
    base->sSaverLevelChanged(1);
    QVERIFY(base->cron()->isActive());
    QCOMPARE(level.size(), 4);
}

void tst_Base::settingsChanges()
{
    auto base = makeBase();
    base->init();
    QVERIFY(base->duties()->isNetworking());
    mSettings->setValue(QStringLiteral("global/networking"), false);
    QVERIFY(!base->duties()->isNetworking());
    mSettings->setValue(QStringLiteral("global/terminalName"), QStringLiteral("Vratnica"));
    // No terminal id yet: the title does not show one.
    QCOMPARE(base->view()->title(), QStringLiteral("Vratnica | Virtual terminal (V-ZEP)"));
    QCOMPARE(base->termData().nazov, QStringLiteral("Vratnica"));
    // The settings text of the record follows the written file.
    QVERIFY(base->termData().ini.contains(QStringLiteral("terminalName=Vratnica")));
}

void tst_Base::networkAddress_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("changed");
    QTest::newRow("empty changes nothing") << QString() << false;
    QTest::newRow("new address") << QStringLiteral("10.20.30.40") << true;
}

void tst_Base::networkAddress()
{
    QFETCH(QString, written);
    QFETCH(bool, changed);
    auto base = makeBase();
    base->init();
    const QString before = base->termData().ip;
    mSettings->setValue(QStringLiteral("network/ip"), written);
    QCOMPARE(base->termData().changed, changed);
    QCOMPARE(base->termData().ip, changed ? written : before);
}

void tst_Base::settingsQueuedForRemoteManagement()
{
    QVERIFY(writeScratchFile(QStringLiteral("zep.ini"), "ab"));
    auto base = makeBase();
    base->init();
    const QString queued
        = QStringLiteral("SELECT data FROM sync WHERE field = '%1' ORDER BY rowid DESC");
    // Queued once the window has shown its first frame, which does not wait for the disk.
    QVERIFY(SqlFile::scalar(ZepFiles::attendanceDb, queued.arg("ini")).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(SqlFile::scalar(ZepFiles::attendanceDb, queued.arg("ini")).toString(),
                              QStringLiteral("YWI@"),
                              5000);

    mSettings->setValue(QStringLiteral("global/terminalName"), QStringLiteral("Sklad"));
    QCOMPARE(SqlFile::scalar(ZepFiles::attendanceDb, queued.arg("nazov")).toString(),
             QStringLiteral("Sklad"));
    // The queued settings text follows the change.
    const QByteArray ini = decodeBody(
        SqlFile::scalar(ZepFiles::attendanceDb, queued.arg("ini")).toString().toLatin1());
    QVERIFY(ini.contains("terminalName=Sklad"));
}

void tst_Base::oneSettingsItemWaitsAcrossStarts()
{
    const QString newest = QStringLiteral("SELECT MAX(id) FROM sync WHERE field = 'ini'");
    const QString count = QStringLiteral("SELECT COUNT(*) FROM sync WHERE field = 'ini'");
    qint64 before = 0;
    for (int start = 0; start < 2; ++start) {
        auto base = makeBase();
        base->init();
        QTRY_VERIFY_WITH_TIMEOUT(
            SqlFile::scalar(ZepFiles::attendanceDb, newest).toLongLong() > before, 5000);
        before = SqlFile::scalar(ZepFiles::attendanceDb, newest).toLongLong();
        mSettings->setValue(QStringLiteral("global/terminalName"),
                            QStringLiteral("Sklad %1").arg(start));
        QVERIFY(SqlFile::scalar(ZepFiles::attendanceDb, newest).toLongLong() > before);
        before = SqlFile::scalar(ZepFiles::attendanceDb, newest).toLongLong();
    }
    // Nobody took them: the newest settings text waits, once.
    QCOMPARE(SqlFile::scalar(ZepFiles::attendanceDb, count).toInt(), 1);
    QCOMPARE(SqlFile::scalar(ZepFiles::attendanceDb,
                             QStringLiteral("SELECT COUNT(*) FROM sync WHERE field = 'nazov'"))
                 .toInt(),
             1);
}

void tst_Base::serverFlags_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("checkTimezone");
    QTest::newRow("bit 6 set") << (0x40 | 0x01) << true;
    QTest::newRow("bit 6 clear") << 0x01 << false;
}

void tst_Base::serverFlags()
{
    QFETCH(int, flags);
    QFETCH(bool, checkTimezone);
    auto base = makeBase();
    base->init();
    QSignalSpy changed(base.get(), &Base::checkTimezoneChanged);
    base->terminalSyncFlagsChanged(ushort(flags));
    QCOMPARE(base->checkTimezone(), checkTimezone);
    QCOMPARE(changed.size(), checkTimezone ? 1 : 0);
}

QTEST_MAIN(tst_Base)
#include "tst_base.moc"
