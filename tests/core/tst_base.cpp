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

    QQuickView *view = base->view();
    QVERIFY(view);
    QCOMPARE(view->minimumSize(), QSize(800, 480));
    QCOMPARE(view->size(), QSize(900, 480));
    QCOMPARE(view->resizeMode(), QQuickView::SizeRootObjectToView);
    QVERIFY(view->isVisible());
    QCOMPARE(root.size(), 1);
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
