#include "core/base.h"
#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "core/setuppin.h"
#include "backup/copybackups.h"
#include "db/preruseniedata.h"
#include "devices/informator.h"
#include "db/zepdbmanager.h"
#include "sync/changelists.h"
#include "sync/dbsync.h"
#include "sync/tuldbmanager.h"
#include "foundation/commandrunner.h"
#include "tests/support/controllersandbox.h"
#include "tests/support/pluggeddrive.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/scriptedhttpserver.h"
#include "tests/support/sqlfile.h"

#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickView>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

// Demo people of the attendance database ("-fillDemoData").
const QString demoCard = QStringLiteral("73D0F1E48");
const uint demoNumber = 2;
const QString adminCard = QStringLiteral("5C17AB902");
const uint adminNumber = 1;
const QString setupPinText = QStringLiteral("2468");

// The card reader types faster than this gap; a person's keys come slower.
const int cardKeyGapMs = 100;
const int personKeyDelayMs = 2 * cardKeyGapMs;

struct InterruptionType
{
    int pid;
    const char *name;
    const char *abbreviation;
};
const InterruptionType types[] = {
    { 11, "Work", "P" }, { 12, "Lunch", "O" }, { 13, "Doctor", "L" }, { 14, "Business trip", "SLC" }
};

QStringList qmlWarnings;
QtMessageHandler previousHandler = nullptr;

QQuickItem *findItem(QQuickItem *parent, const QString &objectName);

// Every warning raised by a UI document fails the test that caused it.
void collectQmlWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString file = QString::fromUtf8(context.file ? context.file : "");
    if (type != QtDebugMsg && type != QtInfoMsg
        && (file.endsWith(QLatin1String(".qml")) || message.contains(QLatin1String(".qml:"))))
        qmlWarnings << message;
    if (previousHandler)
        previousHandler(type, context, message);
}

// Holds every command (the copy's cp) until released, so that a copy to the USB drive runs
// as long as a test needs.
class HeldCommandRunner : public CommandRunner
{
public:
    HeldCommandRunner() { CommandRunner::setInstance(this); }
    // A test releases the commands and waits for the copy before this goes; a test that
    // failed before does not leave the copy hanging.
    ~HeldCommandRunner() override
    {
        release();
        CommandRunner::setInstance(nullptr);
    }
    int run(const QString &, const QStringList &, int) override
    {
        mGo.acquire();
        mGo.release();
        return 0;
    }
    void release() { mGo.release(); }

private:
    QSemaphore mGo;
};

} // namespace

// Drives the terminal's UI documents with the real controller, as a card reader
// and a keypad would: key events only.
// Every text the message banner shows, also those replaced before a poll could see them.
class BannerRecorder : public QObject
{
    Q_OBJECT
public:
    explicit BannerRecorder(QQuickItem *banner)
        : mBanner(banner)
    {
        const QMetaProperty text = banner->metaObject()->property(
            banner->metaObject()->indexOfProperty("text"));
        connect(banner, text.notifySignal(), this,
                metaObject()->method(metaObject()->indexOfSlot("record()")));
    }
    QStringList texts;

public slots:
    void record() { texts.append(mBanner->property("text").toString()); }

private:
    QQuickItem *mBanner;
};

class tst_VMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void idleScreenShown();
    void serverStateConnectingUntilTheFirstAnswer();
    void serverStateReachesTheScreen_data();
    void serverStateReachesTheScreen();
    void numberEntryOffered();
    void datesFollowTheLanguage();
    void recordEntrance_data();
    void recordEntrance();
    void balancesAsTheServerSendsThem_data();
    void balancesAsTheServerSendsThem();
    void unknownIdentification_data();
    void unknownIdentification();
    void cardNumberTypedByHand_data();
    void cardNumberTypedByHand();
    void unreadablePeopleAreATerminalFault();
    void deleteLastEntrance();
    void deleteAfterItsTimeIsRefusedAloud();
    void deleteWindowClosesOnTheScreen();
    void backButtonMeansWhatEscapeMeans();
    void longNameKeepsTheSurname();
    void cardReadAbandonsOpenScreen_data();
    void cardReadAbandonsOpenScreen();
    void lastEntranceLine_data();
    void lastEntranceLine();
    void personalNumberPadding();
    void administrationBehindSetupPin();
    void administrationClosedOnlyByInactivity();
    void setupPinRules();
    void setupPinLockOut();
    void cardReadInAdministration();
    void typingInAdministrationIsActivity();
    void leavingAdministrationUnloadsIt_data();
    void leavingAdministrationUnloadsIt();
    void focusStaysOnVisibleItem_data();
    void focusStaysOnVisibleItem();
    void escapeAndEnterInFormFields();
    void tabStartsInTheChosenPage_data();
    void tabStartsInTheChosenPage();
    void synchronisationMessages();
    void remoteContactTellsTheOutcome();
    void usbCopyResultAfterTheAdministrationIsLeft();
    void usbCopyInViewAndNotCutShort();
    void usbDriveComesAndGoesOnTheSystemPage();
    void unknownCardAssignedAndRemoved();
    void unknownCardLeavesThePromptInView();
    void nothingNeededBelowTheFoldUnannounced_data();
    void nothingNeededBelowTheFoldUnannounced();
    void searchCaptionClearsTheButtons();
    void serverConnectionTest();
    void volumeKeptWhenChanged();
    void failedSettingsSaveReported();
    void peopleListFollowsServer();
    void restartFailureKeepsRunning();
    void captionsFitInSlovak();
    void screenSaverResumesBackgroundWork();
    void screenshotsInBothLanguages();

private:
    QQuickItem *item(const char *objectName) const;
    QObject *root() const;
    bool shows(const char *objectName) const;
    int entranceCount() const;
    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {}) const;
    QList<QVariantList> entrances() const;
    uint demoUid() const;
    QString demoName() const;
    QVariant demoColumn(const QString &column) const;
    QString bannerText() const;
    QString personCard(uint number) const;
    // The state as the sync protocol announces it.
    void setServerState(ServerState state);
    QObject *context(const char *name) const;
    bool focusOnVisibleItem() const;
    // What the window and every clipping ancestor (a scrolled form) leave visible of the scene.
    QRectF visibleArea(QQuickItem *target) const;
    bool inView(QQuickItem *target) const;
    QImage grab();
    // A person typing, key by key.
    void type(const QString &text);
    // A person typing, then Enter.
    void enter(const QString &text);
    // The card reader: the code as a burst, then Enter.
    void readCard(const QString &code);
    // The demo card, then the first type and the first direction: true once the
    // confirmation shows.
    bool recordFirstType();
    void press(Qt::Key key);
    void click(const char *objectName);
    // The setup PIN as the administration stores it.
    void storeSetupPin();
    void openAdministration(const char *page = "people");
    void openPersonEditor(const QString &name);
    void useTranslation(const QString &name);
    void screenshot(const QString &name);

    std::unique_ptr<ControllerSandbox> mSandbox;
    std::unique_ptr<Base> mBase;
    QQuickView *mView = nullptr;
    QTranslator mTranslator;
    qint64 mPinClockMs = 0;
};

void tst_VMain::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // A new folder: the terminal starts without a setup PIN.
    mSandbox = std::make_unique<ControllerSandbox>(ControllerSandbox::RealDocuments);
    QVERIFY(mSandbox->isValid());

    {
        // No traffic leaves the machine, no camera, and the type order stays put.
        QSettings ini(ZepFiles::settingsFile, QSettings::IniFormat);
        ini.setValue("global/networking", false);
        ini.setValue("global/takePhoto", false);
        ini.setValue("global/autosort", false);
        ini.setValue("global/PIN", true);
        ini.setValue("time/useNTPH", false);
        ini.setValue("orvel/pingEnabled", false);
        ini.setValue("orvel/sszep", "127.0.0.1");
        ini.setValue("orvel/sszepPort", 1);
        ini.setValue("serverKLD/pingEnabled", false);
        ini.setValue("serverKLD/ip", "127.0.0.1");
        ini.setValue("serverKLD/port", 1);
        ini.setValue("ui/screenSaverDelay", 3600);
        ini.setValue("ui/cameraPreviewInterval", 0);
        ini.setValue("ui/cardKeyGap", cardKeyGapMs);
        ini.setValue("ui/entranceTimeout", 600);
        ini.setValue("global/language", "EN");
        // A drive and a backup with one day on it, both in the sandbox.
        const QString drive = mSandbox->path() + QStringLiteral("/usbdrive");
        const QString backup = mSandbox->path() + QStringLiteral("/usbsource");
        QVERIFY(QDir().mkpath(drive));
        QVERIFY(QDir().mkpath(backup + QStringLiteral("/2026/03/02")));
        ini.setValue("usb/mountPoint", drive);
        ini.setValue("usb/backupPath", backup);
    }
    {
        ZepDBManager catalogue(ZepFiles::catalogueDb);
        for (const InterruptionType &t : types)
            QVERIFY(catalogue.syncPrerus(PrerusenieData(
                        t.pid, QString::fromLatin1(t.name), QString::fromLatin1(t.abbreviation)))
                    > 0);
    }

    // The terminal as a user sees it: in one language, texts and dates alike.
    QVERIFY(mTranslator.load(QStringLiteral("zep_en"), QStringLiteral(ZEP_RUNTIME_DIR)));
    QCoreApplication::installTranslator(&mTranslator);

    previousHandler = qInstallMessageHandler(collectQmlWarnings);
    Zep::argumentLine = QStringLiteral("zep -fillDemoData -noRandomData ");
    mBase = mSandbox->makeBase();
    mBase->init();

    mView = mBase->view();
    QVERIFY(mView);
    connect(mView->engine(), &QQmlEngine::warnings, this, [](const QList<QQmlError> &errors) {
        for (const QQmlError &error : errors)
            qmlWarnings << error.toString();
    });
    QCOMPARE(mView->status(), QQuickView::Ready);
    mView->resize(800, 480);
    mView->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(mView));
    QTRY_VERIFY_WITH_TIMEOUT(item("idleScreen"), 5000);
    auto *setupPin = qobject_cast<SetupPin *>(context("setupPin"));
    QVERIFY(setupPin);
    setupPin->setClock([this] { return mPinClockMs; });
    QDir().mkpath(QStringLiteral(ZEP_BINARY_DIR "/screenshots"));
    QVERIFY2(qmlWarnings.isEmpty(), qPrintable(qmlWarnings.join(QLatin1Char('\n'))));
}

void tst_VMain::cleanupTestCase()
{
    mBase.reset();
    mSandbox.reset();
    qInstallMessageHandler(previousHandler);
}

void tst_VMain::init()
{
    QMetaObject::invokeMethod(root(), "goIdle");
    QTRY_VERIFY(shows("idleScreen"));
    QMetaObject::invokeMethod(item("messageBanner"), "hide");
    // Each test meets the administration's first use: no setup PIN yet.
    QSettings native(QStringLiteral("VELNIK"), QStringLiteral("ZEP"));
    native.remove(QStringLiteral("setup"));
    native.remove(QStringLiteral("setupFormat"));
    mPinClockMs += 24 * 3600 * 1000;
}

void tst_VMain::cleanup()
{
    const QStringList warnings = qmlWarnings;
    qmlWarnings.clear();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void tst_VMain::idleScreenShown()
{
    QVERIFY(item("idleScreen")->hasActiveFocus());
    screenshot(QStringLiteral("idle"));
}

// A state the start leaves behind (a refused registration, say) is not shown as the server's
// answer: until the first synchronisation ends the terminal is connecting.
void tst_VMain::serverStateConnectingUntilTheFirstAnswer()
{
    mSandbox->settings().setValue(QStringLiteral("global/networking"), true);
    setServerState(ServerRejected);
    QTRY_VERIFY(item("serverStateText")->property("text").toString().startsWith(
        QLatin1String("Connecting")));
    emit mBase->syncProtocol()->syncFinished();
    QTRY_COMPARE(item("serverStateText")->property("text").toString(),
                 QStringLiteral("Rejected by server"));
    mSandbox->settings().setValue(QStringLiteral("global/networking"), false);
    setServerState(ServerDisabled);
}

void tst_VMain::serverStateReachesTheScreen_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("shown");

    QTest::newRow("online") << int(ServerOnline) << QStringLiteral("Online");
    QTest::newRow("rejected") << int(ServerRejected) << QStringLiteral("Rejected by server");
    QTest::newRow("failed") << int(ServerFailed) << QStringLiteral("Server error");
    QTest::newRow("unreachable") << int(ServerUnreachable) << QStringLiteral("Server unreachable");
    QTest::newRow("networking off") << int(ServerDisabled) << QStringLiteral("Offline");
}

// What the sync protocol announces is on the screen as soon as it is announced, on the idle
// screen and on the system page alike: nothing has to ask for it.
void tst_VMain::serverStateReachesTheScreen()
{
    QFETCH(int, state);
    QFETCH(QString, shown);

    emit mBase->syncProtocol()->syncFinished();
    setServerState(ServerState(state));
    QCOMPARE(item("serverStateText")->property("text").toString(), shown);
    openAdministration("system");
    QQuickItem *page = item("adminPage");
    QVERIFY(page);
    const auto pageText = [page] {
        QQuickItem *text = findItem(page, QStringLiteral("serverStateText"));
        return text ? text->property("text").toString() : QString();
    };
    QTRY_COMPARE(pageText(), shown);
    setServerState(state == ServerOnline ? ServerRejected : ServerOnline);
    QCOMPARE(pageText(), QString(state == ServerOnline ? "Rejected by server" : "Online"));
    setServerState(ServerDisabled);
    QCOMPARE(pageText(), QStringLiteral("Offline"));
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
}

// "global/PIN" is read before the controller reads its flags: the screen follows it.
void tst_VMain::numberEntryOffered()
{
    QVERIFY(shows("numberButton"));
    press(Qt::Key_F2);
    QTRY_VERIFY(shows("pinDisplay"));
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));

    mSandbox->settings().setValue(QStringLiteral("global/PIN"), false);
    QTRY_VERIFY(!shows("numberButton"));
    press(Qt::Key_F2);
    QTest::qWait(cardKeyGapMs);
    QVERIFY(!shows("pinDisplay"));
    mSandbox->settings().setValue(QStringLiteral("global/PIN"), true);
    QTRY_VERIFY(shows("numberButton"));
}

void tst_VMain::datesFollowTheLanguage()
{
    const QString expected
        = QLocale(QStringLiteral("en_GB")).toString(QDate::currentDate(), QLocale::LongFormat);
    QTRY_COMPARE(item("idleDate")->property("text").toString(), expected);
}

void tst_VMain::recordEntrance_data()
{
    QTest::addColumn<QString>("identification");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<int>("direction");

    QTest::newRow("card, first type by digit, arrival")
        << demoCard << QList<int> { Qt::Key_1, Qt::Key_1 } << 0 << 1;
    QTest::newRow("card, second type by digit, departure")
        << demoCard << QList<int> { Qt::Key_2, Qt::Key_0 } << 1 << 0;
    QTest::newRow("card, arrows and Enter")
        << demoCard << QList<int> { Qt::Key_Right,  Qt::Key_Right, Qt::Key_Left,
                                    Qt::Key_Return, Qt::Key_Right, Qt::Key_Return }
        << 1 << 0;
    QTest::newRow("card, Tab and Enter keeps arrival")
        << demoCard
        << QList<int> { Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Return } << 3
        << 1;
    QTest::newRow("card, Escape goes back to the types")
        << demoCard << QList<int> { Qt::Key_1, Qt::Key_Escape, Qt::Key_3, Qt::Key_1 } << 2 << 1;
    QTest::newRow("personal number typed on the idle screen")
        << QString::number(demoNumber) << QList<int> { Qt::Key_1, Qt::Key_0 } << 0 << 0;
}

void tst_VMain::recordEntrance()
{
    QFETCH(QString, identification);
    QFETCH(QList<int>, keys);
    QFETCH(int, typeIndex);
    QFETCH(int, direction);

    const int before = entranceCount();
    if (identification == demoCard) {
        readCard(identification);
    } else {
        enter(identification);
    }
    QTRY_VERIFY(shows("entranceScreen"));
    QCOMPARE(item("personName")->property("text").toString(), demoName());
    screenshot(QStringLiteral("types_") + QTest::currentDataTag());
    for (int key : keys)
        press(Qt::Key(key));

    QTRY_VERIFY(item("confirmation")->isVisible());
    QCOMPARE(entranceCount(), before + 1);
    const QVariantList last = entrances().constLast();
    QCOMPARE(last.at(0).toInt(), types[typeIndex].pid);
    QCOMPARE(last.at(1).toInt(), direction);
    QCOMPARE(last.at(2).toUInt(), demoUid());
    QVERIFY(item("deleteButton")->isVisible());
    screenshot(QStringLiteral("entrance_") + QTest::currentDataTag());

    press(Qt::Key_Return);
    QTRY_VERIFY(shows("idleScreen"));
}

void tst_VMain::balancesAsTheServerSendsThem_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("an hour and a half") << 90 << QStringLiteral("1:30");
    QTest::newRow("three quarters of an hour owed") << -45 << QStringLiteral("-0:45");
    QTest::newRow("four hours") << 240 << QStringLiteral("4:00");
    QTest::newRow("minutes that do not survive hours as a fraction")
        << 245 << QStringLiteral("4:05");
    QTest::newRow("nothing") << 0 << QStringLiteral("0:00");
    QTest::newRow("over a day") << 1505 << QStringLiteral("25:05");
    QTest::newRow("over a day owed") << -2043 << QStringLiteral("-34:03");
}

// The server's balance in minutes, through the applier and the database, as the person sees it.
void tst_VMain::balancesAsTheServerSendsThem()
{
    QFETCH(int, minutes);
    QFETCH(QString, shown);

    const uint serverId = 4242;
    rows(QStringLiteral("UPDATE ludia SET refId = ? WHERE dochid = ?"), { serverId, demoNumber });
    SaldoSynData saldo;
    saldo.uid = serverId;
    saldo.saldo = minutes;
    mBase->syncApplier()->doSyncSaldo({ saldo });

    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
    QTRY_COMPARE(item("balance1")->property("text").toString(), shown);
    press(Qt::Key_Escape);
}

void tst_VMain::unknownIdentification_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byReader");

    QTest::newRow("unknown card") << QList<int> {} << QStringLiteral("FFFF0000X") << true;
    QTest::newRow("card read shaped like a personal number")
        << QList<int> {} << QStringLiteral("0000000%1").arg(demoNumber) << true;
    QTest::newRow("unknown number on the idle screen")
        << QList<int> {} << QStringLiteral("4711") << false;
    QTest::newRow("unknown number on the PIN pad")
        << QList<int> { Qt::Key_F2 } << QStringLiteral("4711") << false;
}

void tst_VMain::unknownIdentification()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);
    QFETCH(bool, byReader);

    const int before = entranceCount();
    for (int key : keys)
        press(Qt::Key(key));
    if (byReader) {
        readCard(typed);
    } else {
        enter(typed);
    }

    QQuickItem *banner = item("messageBanner");
    QTRY_VERIFY(banner->isVisible());
    QVERIFY(banner->property("text").toString().contains(QLatin1String("not registered")));
    QVERIFY(!shows("entranceScreen"));
    QCOMPARE(entranceCount(), before);
    screenshot(QStringLiteral("unknown_") + QTest::currentDataTag());
}

// Card numbers are printed on the cards: typing a colleague's by hand identifies nobody.
void tst_VMain::cardNumberTypedByHand_data()
{
    QTest::addColumn<bool>("pinEntry");
    QTest::addColumn<QString>("message");

    QTest::newRow("personal numbers off: a reminder of the card")
        << false << QStringLiteral("present your card");
    QTest::newRow("personal numbers on: the digits are a number")
        << true << QStringLiteral("personal number is not registered");
}

void tst_VMain::cardNumberTypedByHand()
{
    QFETCH(bool, pinEntry);
    QFETCH(QString, message);

    mSandbox->settings().setValue(QStringLiteral("global/PIN"), pinEntry);
    const int before = entranceCount();
    enter(demoCard);

    QQuickItem *banner = item("messageBanner");
    QTRY_VERIFY(banner->isVisible());
    QVERIFY2(banner->property("text").toString().contains(message, Qt::CaseInsensitive),
             qPrintable(banner->property("text").toString()));
    QVERIFY(!shows("entranceScreen"));
    QCOMPARE(entranceCount(), before);
    mSandbox->settings().setValue(QStringLiteral("global/PIN"), true);
}

// An SQL error is the terminal's fault, not the card's; the next card read works again once
// the people can be read.
void tst_VMain::unreadablePeopleAreATerminalFault()
{
    const QString file = QDir::current().filePath(QStringLiteral("data.db"));
    QVERIFY(SqlFile::exec(file, { QStringLiteral("ALTER TABLE ludia RENAME TO ludia_away") }));
    readCard(demoCard);
    QQuickItem *banner = item("messageBanner");
    QTRY_VERIFY(banner->isVisible());
    QVERIFY(banner->property("text").toString().contains(QLatin1String("cannot record now")));
    QVERIFY(!shows("entranceScreen"));

    QVERIFY(SqlFile::exec(file, { QStringLiteral("ALTER TABLE ludia_away RENAME TO ludia") }));
    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
}

void tst_VMain::deleteLastEntrance()
{
    QVERIFY(recordFirstType());
    const int recorded = entranceCount();

    press(Qt::Key_Delete);
    QCOMPARE(entranceCount(), recorded - 1);
    QTRY_VERIFY(item("messageBanner")->isVisible());
    QVERIFY(item("messageBanner")->property("text").toString().contains(QLatin1String("deleted")));
    screenshot(QStringLiteral("entrance_deleted"));
}

// Once the time for deleting has passed, Delete says so instead of doing nothing.
void tst_VMain::deleteAfterItsTimeIsRefusedAloud()
{
    QVERIFY(recordFirstType());
    const int recorded = entranceCount();
    rows(QStringLiteral("UPDATE prerusenia SET time = time - 3600 WHERE id = (SELECT MAX(id) FROM "
                        "prerusenia)"));
    press(Qt::Key_Return);
    QTRY_VERIFY(shows("idleScreen"));

    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
    press(Qt::Key_Delete);
    QTRY_VERIFY(bannerText().contains(QLatin1String("can no longer be deleted")));
    QCOMPARE(entranceCount(), recorded);
    press(Qt::Key_Escape);
}

// The end of the time for deleting reaches the screen when it comes: the delete button goes
// with the announcement, not at a later look.
void tst_VMain::deleteWindowClosesOnTheScreen()
{
    mSandbox->settings().setValue(QStringLiteral("timeout/zmazaniePrerusenia"), 2);
    QVERIFY(recordFirstType());
    const int recorded = entranceCount();
    QObject *last = context("lastEntrance");
    QVERIFY(last);
    QVERIFY(last->property("deletable").toBool());
    QVERIFY(item("deleteButton")->isVisible());

    QSignalSpy ended(last, SIGNAL(deletableChanged(bool)));
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.takeFirst().at(0).toBool(), false);
    QVERIFY(!item("deleteButton")->isVisible());
    press(Qt::Key_Delete);
    QTRY_VERIFY(bannerText().contains(QLatin1String("can no longer be deleted")));
    QCOMPARE(entranceCount(), recorded);
    mSandbox->settings().setValue(QStringLiteral("timeout/zmazaniePrerusenia"), 60);
    press(Qt::Key_Escape);
}

// The button beside the last entrance does what Escape does on each step.
void tst_VMain::backButtonMeansWhatEscapeMeans()
{
    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
    press(Qt::Key_1);
    QTRY_COMPARE(item("entranceScreen")->property("step").toString(), QStringLiteral("direction"));
    QCOMPARE(item("backButton")->property("text").toString(), QStringLiteral("Back"));
    click("backButton");
    QTRY_COMPARE(item("entranceScreen")->property("step").toString(), QStringLiteral("types"));
    QVERIFY(shows("entranceScreen"));
    QCOMPARE(item("backButton")->property("text").toString(), QStringLiteral("Cancel"));
    click("backButton");
    QTRY_VERIFY(shows("idleScreen"));
}

// A name too long for the header gets smaller or takes a second line; the surname stays.
void tst_VMain::longNameKeepsTheSurname()
{
    const uint number = 77001;
    const QString surname = QStringLiteral("Hohenzollern-Sigmaringenová");
    QObject *people = context("managerLudi");
    bool added = false;
    QVERIFY(QMetaObject::invokeMethod(people,
                                      "pridajCloveka",
                                      Q_RETURN_ARG(bool, added),
                                      Q_ARG(uint, number),
                                      Q_ARG(QString, QStringLiteral("Prof. Ing.")),
                                      Q_ARG(QString, QStringLiteral("Maximilian Alexander")),
                                      Q_ARG(QString, surname),
                                      Q_ARG(uint, 0u)));
    QVERIFY(added);

    enter(QString::number(number));
    QTRY_VERIFY(shows("entranceScreen"));
    QQuickItem *name = item("personName");
    QTRY_VERIFY(name->property("text").toString().endsWith(surname));
    QVERIFY(!name->property("truncated").toBool());
    QVERIFY(name->property("contentWidth").toReal() <= name->width());
    QVERIFY(name->property("contentHeight").toReal() <= name->height());
    screenshot(QStringLiteral("entrance_long_name"));
    press(Qt::Key_Escape);

    const uint uid = rows(QStringLiteral("SELECT uid FROM ludia WHERE dochid = ?"), { number })
                         .value(0)
                         .value(0)
                         .toUInt();
    bool deleted = false;
    QMetaObject::invokeMethod(people, "zmazCloveka", Q_RETURN_ARG(bool, deleted), Q_ARG(uint, uid));
    QVERIFY(deleted);
}

void tst_VMain::administrationBehindSetupPin()
{
    press(Qt::Key_F10);
    // First use: the setup PIN is chosen and entered again.
    enter(QStringLiteral("2468"));
    enter(QStringLiteral("2468"));
    QTRY_VERIFY(item("peopleList"));
    QQuickItem *list = item("peopleList");
    QTRY_COMPARE(list->property("count").toInt(), 2);
    QMetaObject::invokeMethod(item("messageBanner"), "hide");
    screenshot(QStringLiteral("administration"));

    type(QStringLiteral("adm"));
    QTRY_COMPARE(list->property("count").toInt(), 1);
    // The first Escape leaves the search field, the second the administration.
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));

    // Next time the stored PIN is asked for, and a wrong one is refused.
    press(Qt::Key_F10);
    enter(QStringLiteral("1111"));
    QTRY_VERIFY(bannerText().contains(QLatin1String("Wrong")));
    QVERIFY(!item("peopleList"));
    enter(QStringLiteral("2468"));
    QTRY_VERIFY(item("peopleList"));
    QTRY_COMPARE(item("peopleList")->property("count").toInt(), 2);
    // The wrong PIN is over: its message does not stay over the administration.
    QVERIFY(!item("messageBanner")->isVisible());
}

// The setup PIN's wait for a PIN ends with the right one: the administration it opened
// stays open until nobody uses the terminal.
void tst_VMain::administrationClosedOnlyByInactivity()
{
    openAdministration();
    QObject *giveUp = mView->rootObject()->findChild<QObject *>(QStringLiteral("setupGiveUp"));
    QVERIFY(giveUp);
    QVERIFY(!giveUp->property("running").toBool());
    type(QStringLiteral("a"));
    QVERIFY(!giveUp->property("running").toBool());
    QVERIFY(shows("adminScreen"));
}

// A card presented while another screen is open records nothing there and
// identifies the new card.
void tst_VMain::cardReadAbandonsOpenScreen_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("step");

    QTest::newRow("entrance, choosing the type") << QList<int> {} << QStringLiteral("types");
    QTest::newRow("entrance, choosing the direction")
        << QList<int> { Qt::Key_1 } << QStringLiteral("direction");
    QTest::newRow("entrance, confirmation")
        << QList<int> { Qt::Key_1, Qt::Key_1 } << QStringLiteral("done");
    QTest::newRow("number pad") << QList<int> { Qt::Key_F2 } << QString();
    QTest::newRow("setup PIN gate") << QList<int> { Qt::Key_F10 } << QString();
}

void tst_VMain::cardReadAbandonsOpenScreen()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, step);

    if (!step.isEmpty()) {
        readCard(demoCard);
        QTRY_VERIFY(shows("entranceScreen"));
    }
    for (int key : keys) {
        press(Qt::Key(key));
        QTest::qWait(2 * cardKeyGapMs);
    }
    if (!step.isEmpty())
        QTRY_COMPARE(item("entranceScreen")->property("step").toString(), step);
    const int before = entranceCount();

    readCard(adminCard);
    QTRY_VERIFY(shows("entranceScreen"));
    QTRY_COMPARE(item("personName")->property("text").toString(), QStringLiteral("Admin"));
    QCOMPARE(item("entranceScreen")->property("step").toString(), QStringLiteral("types"));
    QTest::qWait(2 * cardKeyGapMs);
    QCOMPARE(entranceCount(), before);
    QVERIFY(!QSettings(QStringLiteral("VELNIK"), QStringLiteral("ZEP")).contains("setup"));
    press(Qt::Key_Escape);
}

void tst_VMain::lastEntranceLine_data()
{
    QTest::addColumn<int>("daysAgo");
    QTest::newRow("today") << 0;
    QTest::newRow("yesterday evening") << 1;
}

// Today's entrance shows its time; an older one its date, in the terminal's
// language, with the same word for the direction as the direction buttons.
void tst_VMain::lastEntranceLine()
{
    QFETCH(int, daysAgo);

    QVERIFY(recordFirstType());
    const QDate day = QDate::currentDate().addDays(-daysAgo);
    if (daysAgo > 0) {
        const QDateTime evening(day, QTime(23, 59));
        rows(QStringLiteral("UPDATE prerusenia SET time = ? WHERE id = (SELECT MAX(id) FROM "
                            "prerusenia)"),
             { evening.toSecsSinceEpoch() });
    }
    press(Qt::Key_Return);
    QTRY_VERIFY(shows("idleScreen"));

    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
    const QString line = item("lastEntrance")->property("text").toString();
    const QString date = QLocale(QStringLiteral("en_GB")).toString(day, QLocale::ShortFormat);
    QCOMPARE(line.contains(date), daysAgo > 0);
    QVERIFY2(line.contains(QLatin1String("Arrival")), qPrintable(line));
    press(Qt::Key_Escape);
}

// Personal numbers are padded to the width of the longest one, on every screen.
void tst_VMain::personalNumberPadding()
{
    QObject *people = context("managerLudi");
    bool added = false;
    QVERIFY(QMetaObject::invokeMethod(people,
                                      "pridajCloveka",
                                      Q_RETURN_ARG(bool, added),
                                      Q_ARG(uint, 12345u),
                                      Q_ARG(QString, QString()),
                                      Q_ARG(QString, QStringLiteral("Wide")),
                                      Q_ARG(QString, QStringLiteral("Number")),
                                      Q_ARG(uint, 0u)));
    QVERIFY(added);
    QMetaObject::invokeMethod(people, "obnovModelData");

    readCard(demoCard);
    QTRY_VERIFY(shows("entranceScreen"));
    QVERIFY2(item("personNumberText")->property("text").toString().endsWith("00002"),
             qPrintable(item("personNumberText")->property("text").toString()));
    press(Qt::Key_Escape);

    const uint uid = rows(QStringLiteral("SELECT uid FROM ludia WHERE dochid = 12345"))
                         .value(0)
                         .value(0)
                         .toUInt();
    bool deleted = false;
    QMetaObject::invokeMethod(people, "zmazCloveka", Q_RETURN_ARG(bool, deleted), Q_ARG(uint, uid));
    QVERIFY(deleted);
    QMetaObject::invokeMethod(people, "obnovModelData");
}

void tst_VMain::setupPinRules()
{
    press(Qt::Key_F10);
    // Only zeros would leave the administration open: refused.
    enter(QStringLiteral("0000"));
    QTRY_VERIFY(bannerText().contains(QLatin1String("zeros")));
    QVERIFY(!QSettings(QStringLiteral("VELNIK"), QStringLiteral("ZEP")).contains("setup"));

    // Leading zeros count.
    enter(QStringLiteral("0123"));
    enter(QStringLiteral("0123"));
    QTRY_VERIFY(shows("adminScreen"));
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));

    press(Qt::Key_F10);
    enter(QStringLiteral("123"));
    QTRY_VERIFY(bannerText().contains(QLatin1String("Wrong")));
    enter(QStringLiteral("0123"));
    QTRY_VERIFY(shows("adminScreen"));
}

void tst_VMain::setupPinLockOut()
{
    storeSetupPin();

    press(Qt::Key_F10);
    for (int i = 0; i < SetupPin::lockAfterFailures; ++i) {
        enter(QStringLiteral("1111"));
    }
    // Now even the right PIN waits.
    enter(setupPinText);
    QTRY_VERIFY(bannerText().contains(QLatin1String("Too many")));
    QVERIFY(!item("adminScreen"));

    mPinClockMs += SetupPin::firstLockSeconds * 1000;
    enter(setupPinText);
    QTRY_VERIFY(shows("adminScreen"));
}

// In the administration a card read goes only where a card is expected.
void tst_VMain::cardReadInAdministration()
{
    openAdministration();
    QQuickItem *search = item("peopleSearch");
    QTRY_VERIFY(search->hasActiveFocus());
    readCard(demoCard);
    QTest::qWait(2 * cardKeyGapMs);
    QCOMPARE(search->property("text").toString(), QString());
    QVERIFY(shows("adminScreen"));
    QVERIFY(!shows("entranceScreen"));

    openPersonEditor(QStringLiteral("Admin"));
    click("readCard");
    QTRY_VERIFY(shows("cardReader"));
    readCard(QStringLiteral("CAFE0042"));
    QTRY_COMPARE(personCard(adminNumber), QStringLiteral("CAFE0042"));
    QVERIFY(!shows("cardReader"));
    QVERIFY(focusOnVisibleItem());

    click("readCard");
    readCard(adminCard);
    QTRY_COMPARE(personCard(adminNumber), adminCard);
}

void tst_VMain::typingInAdministrationIsActivity()
{
    openAdministration("settings");
    click("terminalNameField");
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 2);
    type(QStringLiteral("xxxxxxxxxxxxxxxx"));
    QVERIFY(shows("adminScreen"));
    QVERIFY2(item("terminalNameField")->property("text").toString().endsWith("xxxx"),
             qPrintable(item("terminalNameField")->property("text").toString()));
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);
}

void tst_VMain::leavingAdministrationUnloadsIt_data()
{
    QTest::addColumn<bool>("byTimeout");
    QTest::newRow("Escape") << false;
    QTest::newRow("screen saver") << true;
}

// Once left, the administration neither reacts nor keeps half-edited forms.
void tst_VMain::leavingAdministrationUnloadsIt()
{
    QFETCH(bool, byTimeout);

    openAdministration("system");
    QTRY_VERIFY(shows("synchronise"));
    if (byTimeout) {
        mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 1);
        QTRY_VERIFY_WITH_TIMEOUT(shows("idleScreen"), 5000);
        mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);
        press(Qt::Key_Shift);
    } else {
        press(Qt::Key_Escape);
        QTRY_VERIFY(shows("idleScreen"));
    }
    QVERIFY(!item("adminScreen"));
    emit mBase->syncProtocol()->syncFinished();
    QTest::qWait(100);
    QVERIFY(!item("messageBanner")->isVisible());
    QVERIFY(item("idleScreen")->hasActiveFocus());
}

void tst_VMain::focusStaysOnVisibleItem_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("card reading dismissed by a touch") << QStringLiteral("card");
    QTest::newRow("setup PIN change cancelled") << QStringLiteral("pin");
    QTest::newRow("back from the groups to the list") << QStringLiteral("groups");
}

// Whatever is typed next lands in something the user can see.
void tst_VMain::focusStaysOnVisibleItem()
{
    QFETCH(QString, scenario);

    if (scenario == QLatin1String("card")) {
        openAdministration();
        openPersonEditor(QStringLiteral("Admin"));
        click("readCard");
        QTRY_VERIFY(shows("cardReader"));
        click("cardReader");
        QTRY_VERIFY(!shows("cardReader"));
        QVERIFY(focusOnVisibleItem());
        enter(QStringLiteral("BEEF"));
        QTest::qWait(2 * cardKeyGapMs);
        QCOMPARE(personCard(adminNumber), adminCard);
    } else if (scenario == QLatin1String("pin")) {
        openAdministration("system");
        click("changePin");
        QTRY_VERIFY_WITH_TIMEOUT(shows("pinChangeGate"), 15000);
        press(Qt::Key_Escape);
        QTRY_VERIFY(!shows("pinChangeGate"));
        QVERIFY(focusOnVisibleItem());
        for (int i = 0; i < 2; ++i) {
            enter(QStringLiteral("1357"));
        }
        QTest::qWait(2 * cardKeyGapMs);
        QCOMPARE(QSettings(QStringLiteral("VELNIK"), QStringLiteral("ZEP"))
                     .value(QStringLiteral("setup"))
                     .toString(),
                 setupPinText);
    } else {
        openAdministration();
        click("groupsButton");
        QTRY_VERIFY(focusOnVisibleItem());
        click("groupsButton");
        QTRY_VERIFY(shows("peopleList"));
        QVERIFY(focusOnVisibleItem());
    }
    QVERIFY(shows("adminScreen"));
}

// Escape leaves a text field, not the form; Enter moves on.
void tst_VMain::escapeAndEnterInFormFields()
{
    openAdministration("settings");
    click("terminalNameField");
    enter(QStringLiteral("Gate"));
    QTRY_VERIFY(item("serverHostField")->hasActiveFocus());
    press(Qt::Key_Escape);
    QVERIFY(shows("adminScreen"));
    QVERIFY(!qobject_cast<QQuickItem *>(mView->activeFocusItem())->inherits("QQuickTextInput"));
    QVERIFY(focusOnVisibleItem());
    // The field left keeps a visible focus ring.
    auto *box = item("serverHostField")->findChild<QQuickItem *>(QStringLiteral("fieldBox"));
    QVERIFY(box);
    const QPoint edge = box->mapToScene(QPointF(1, box->height() / 2)).toPoint();
    QTRY_COMPARE(grab().pixelColor(edge), QColor(QStringLiteral("#f4d35e")));
    QVERIFY(item("terminalNameField")->property("text").toString().endsWith("Gate"));
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));
    QVERIFY(!item("adminScreen"));
}

void tst_VMain::tabStartsInTheChosenPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("people") << QStringLiteral("people");
    QTest::newRow("settings") << QStringLiteral("settings");
    QTest::newRow("system") << QStringLiteral("system");
}

// After a page is chosen, Tab moves through that page, not through the page buttons.
void tst_VMain::tabStartsInTheChosenPage()
{
    QFETCH(QString, page);
    openAdministration(page.toLatin1().constData());
    press(Qt::Key_Tab);
    QQuickItem *pageItem = item("adminPage");
    QTRY_VERIFY(pageItem->isAncestorOf(mView->activeFocusItem()));
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
}

void tst_VMain::synchronisationMessages()
{
    openAdministration("system");
    click("synchronise");
    QTRY_VERIFY(bannerText().contains(QLatin1String("Networking is off")));

    mSandbox->settings().setValue(QStringLiteral("global/networking"), true);
    // A refused connection may end the synchronisation before a poll sees the first message.
    BannerRecorder shown(item("messageBanner"));
    click("synchronise");
    QTRY_VERIFY(shown.texts.join(QLatin1Char('\n')).contains(QLatin1String("started")));
    setServerState(ServerFailed);
    emit mBase->syncProtocol()->syncFinished();
    QTRY_VERIFY(bannerText().contains(QLatin1String("failed")));
    // The server stays down: every request is answered, the second as the first.
    for (int attempt = 0; attempt < 2; ++attempt) {
        BannerRecorder told(item("messageBanner"));
        click("synchronise");
        QTRY_VERIFY_WITH_TIMEOUT(
            told.texts.join(QLatin1Char('\n')).contains(QLatin1String("did not answer")), 10000);
    }
    mSandbox->settings().setValue(QStringLiteral("global/networking"), false);
    setServerState(ServerDisabled);
}

// "Contact remote management" reports what came of it: here the terminal has no identity
// for the service, so nothing could be sent.
void tst_VMain::remoteContactTellsTheOutcome()
{
    openAdministration("system");
    click("contactRemote");
    QTRY_VERIFY(bannerText().contains(QLatin1String("Networking is off")));

    mSandbox->settings().setValue(QStringLiteral("global/networking"), true);
    BannerRecorder told(item("messageBanner"));
    click("contactRemote");
    QTRY_VERIFY_WITH_TIMEOUT(
        told.texts.join(QLatin1Char('\n')).contains(QLatin1String("was not reached")), 10000);
    QVERIFY(!told.texts.join(QLatin1Char('\n')).contains(QLatin1String("answered")));
    mSandbox->settings().setValue(QStringLiteral("global/networking"), false);
    setServerState(ServerDisabled);
}

// A copy that ends after the administration was left still tells its result.
void tst_VMain::usbCopyResultAfterTheAdministrationIsLeft()
{
    QVERIFY(shows("idleScreen"));
    emit mBase->copyBackups()->copyLogsFinished();
    QTRY_VERIFY(bannerText().contains(QLatin1String("copied to the USB drive")));
}

// The copy's progress and Abort are in view; nobody using the terminal does not close the
// administration under it; left by hand, the copy goes on and says so.
void tst_VMain::usbCopyInViewAndNotCutShort()
{
    QObject *copy = context("usbCopy");
    PluggedDrive plugged(mSandbox->path() + QStringLiteral("/usbdrive"));
    mBase->informator()->doParse();
    HeldCommandRunner runner;
    openAdministration("system");
    click("copyPhotos");
    QTRY_VERIFY(copy->property("busy").toBool());
    QTRY_VERIFY(item("abortCopy") && item("abortCopy")->isVisible());
    QSignalSpy frame(mView, &QQuickWindow::frameSwapped);
    mView->update();
    frame.wait(500);
    QVERIFY(inView(item("abortCopy")));
    screenshot(QStringLiteral("usb_copy_running"));

    QSignalSpy levels(mBase.get(), &Base::sigScreenSaverLevelChanged);
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 1);
    QVERIFY(!levels.wait(3000));
    QVERIFY(shows("adminScreen"));
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);

    QMetaObject::invokeMethod(root(), "goIdle");
    QTRY_VERIFY(shows("idleScreen"));
    QTRY_VERIFY(item("usbCopyStatus")->isVisible());
    screenshot(QStringLiteral("usb_copy_on_idle"));
    runner.release();
    QTRY_VERIFY(!copy->property("busy").toBool());
    QTRY_VERIFY(bannerText().contains(QLatin1String("copied to the USB drive")));
    plugged.pullOut();
    mBase->informator()->doParse();
}

// A drive plugged in while the system page is open offers the copies at once; pulled out,
// the page asks for one again. A mount is followed by a sampling of the system information.
void tst_VMain::usbDriveComesAndGoesOnTheSystemPage()
{
    openAdministration("system");
    QTRY_VERIFY(shows("insertUsbText"));
    QVERIFY(!shows("copyPhotos"));
    {
        PluggedDrive plugged(mSandbox->path() + QStringLiteral("/usbdrive"));
        QSignalSpy present(context("usbDrive"), SIGNAL(presentChanged(bool)));
        mBase->informator()->doParse();
        QCOMPARE(present.size(), 1);
        QVERIFY(shows("copyPhotos"));
        QVERIFY(!shows("insertUsbText"));
        screenshot(QStringLiteral("usb_drive_present"));
        plugged.pullOut();
        mBase->informator()->doParse();
        QVERIFY(shows("insertUsbText"));
        QVERIFY(!shows("copyPhotos"));
    }
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
}

// A card that "does not work" is shown in the person editor and can be assigned from there;
// a card can be taken away from a person.
void tst_VMain::unknownCardAssignedAndRemoved()
{
    const QString card = QStringLiteral("A1B2C3D4E5");
    readCard(card);
    QTRY_VERIFY(bannerText().contains(QLatin1String("not registered")));
    openAdministration();
    openPersonEditor(demoName());
    QTRY_VERIFY(item("unknownCardText")->property("text").toString().contains(card));
    click("assignUnknownCard");
    QTRY_COMPARE(personCard(demoNumber), card);
    click("removeCard");
    click("removeCard");
    QTRY_COMPARE(personCard(demoNumber), QString());
    rows(QStringLiteral("UPDATE ludia SET karta = ? WHERE dochid = ?"), { demoCard, demoNumber });
}

// The message about an unknown card leaves the card prompt in view.
void tst_VMain::unknownCardLeavesThePromptInView()
{
    mSandbox->settings().setValue(QStringLiteral("global/PIN"), false);
    readCard(QStringLiteral("FFFF0000X"));
    QQuickItem *banner = item("messageBanner");
    QTRY_VERIFY(banner->isVisible());
    QQuickItem *prompt = item("cardPrompt");
    const auto area = [](QQuickItem *i) {
        return i->mapRectToScene(QRectF(0, 0, i->width(), i->height()));
    };
    QTRY_VERIFY(!area(prompt).intersects(area(banner)));
    screenshot(QStringLiteral("unknown_card_prompt"));
    mSandbox->settings().setValue(QStringLiteral("global/PIN"), true);
}

void tst_VMain::nothingNeededBelowTheFoldUnannounced_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("needed");
    QTest::newRow("settings, Save") << QStringLiteral("settings") << QStringLiteral("saveSettings");
    QTest::newRow("system, restart") << QStringLiteral("system") << QStringLiteral("restart");
}

// At 800 x 480 what a page holds below the fold is announced.
void tst_VMain::nothingNeededBelowTheFoldUnannounced()
{
    QFETCH(QString, page);
    QFETCH(QString, needed);
    openAdministration(page.toLatin1().constData());
    QQuickItem *target = item(needed.toLatin1().constData());
    QTRY_VERIFY(target && target->isVisible());
    QSignalSpy frame(mView, &QQuickWindow::frameSwapped);
    mView->update();
    frame.wait(500);
    if (!inView(target)) {
        QQuickItem *hint = item("moreBelowHint");
        QVERIFY(hint && hint->isVisible() && inView(hint));
        screenshot(QStringLiteral("below_the_fold_") + page);
    }
    press(Qt::Key_Escape);
}

// Slovak captions are longer: the search caption wraps within its field.
void tst_VMain::searchCaptionClearsTheButtons()
{
    useTranslation(QStringLiteral("zep_sk"));
    openAdministration();
    QQuickItem *search = item("peopleSearch");
    QQuickItem *caption = nullptr;
    for (QQuickItem *child : search->childItems()) {
        if (child->inherits("QQuickText"))
            caption = child;
    }
    QVERIFY(caption);
    const qreal captionEnd
        = caption->mapToScene(QPointF(caption->property("contentWidth").toReal(), 0)).x();
    const qreal buttonStart = item("groupsButton")->mapToScene(QPointF(0, 0)).x();
    screenshot(QStringLiteral("people_sk"));
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    useTranslation(QStringLiteral("zep_en"));
    QVERIFY2(captionEnd <= buttonStart, qPrintable(QStringLiteral("%1 > %2").arg(captionEnd).arg(buttonStart)));
}

// Trying an address reports whether the server answered and leaves the
// synchronisation's address alone.
void tst_VMain::serverConnectionTest()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }

    openAdministration("settings");
    item("serverHostField")->setProperty("text", QStringLiteral("127.0.0.1"));
    for (quint16 port : { server.port(), closedPort }) {
        item("serverPortField")->setProperty("text", QString::number(port));
        click("testServer");
        QTRY_VERIFY_WITH_TIMEOUT(bannerText().contains(QLatin1String("answer")), 10000);
        QCOMPARE(bannerText().contains(QLatin1String("did not")), port == closedPort);
    }
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(server.requests().constFirst().path, QByteArray("/ping.html"));
    QCOMPARE(mSandbox->settings().value(QStringLiteral("serverKLD/port")).toInt(), 1);
}

void tst_VMain::volumeKeptWhenChanged()
{
    const int before = mSandbox->settings().value(QStringLiteral("audio/volume"), 50).toInt();
    openAdministration("settings");
    click("louder");
    QTRY_COMPARE(mSandbox->settings().value(QStringLiteral("audio/volume")).toInt(), before + 10);
    // The page starts in its first field: Escape leaves the field, then the administration.
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));
    QCOMPARE(mSandbox->settings().value(QStringLiteral("audio/volume")).toInt(), before + 10);
    mSandbox->settings().setValue(QStringLiteral("audio/volume"), before);
}

// A settings file that cannot be replaced (here a folder stands in its place) is
// reported, not answered with "Settings saved."; once it can, saving works again.
void tst_VMain::failedSettingsSaveReported()
{
    const QString ini = ZepFiles::settingsFile;
    const QString kept = ini + QStringLiteral(".kept");
    const QString nameKey = QStringLiteral("global/terminalName");
    const QVariant name = mSandbox->settings().value(nameKey);
    openAdministration("settings");
    item("terminalNameField")->setProperty("text", QStringLiteral("Unsaved"));
    QVERIFY(QFile::rename(ini, kept));
    QVERIFY(QDir().mkdir(ini));
    click("saveSettings");
    const QString blocked = bannerText();
    // Nothing of the failed save is in effect.
    const QString titleAfterFailure = mView->title();
    const QString nameAfterFailure = mSandbox->settings().value(nameKey).toString();
    QVERIFY(QDir().rmdir(ini));
    QVERIFY(QFile::rename(kept, ini));
    click("saveSettings");
    const QString saved = bannerText();
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    mSandbox->settings().setValue(nameKey, name);
    mSandbox->settings().syncSettings();
    QVERIFY2(blocked.contains(QLatin1String("could not be saved")), qPrintable(blocked));
    QVERIFY2(!titleAfterFailure.contains(QLatin1String("Unsaved")), qPrintable(titleAfterFailure));
    QCOMPARE(nameAfterFailure, name.toString());
    QVERIFY2(saved.startsWith(QLatin1String("Settings saved")), qPrintable(saved));
    QVERIFY(stored.contains("terminalName=Unsaved"));
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));
}

void tst_VMain::peopleListFollowsServer()
{
    openAdministration();
    QQuickItem *list = item("peopleList");
    QTRY_VERIFY(list->property("count").toInt() > 0);
    const int before = list->property("count").toInt();

    PersonSynData person;
    person.uid = 777; // a record without the server's id is skipped
    person.pid = 777;
    person.name = QStringLiteral("From");
    person.surname = QStringLiteral("Server");
    person.type = QLatin1Char('I');
    mBase->syncApplier()->doSyncPeople({ person });
    QTRY_COMPARE(list->property("count").toInt(), before + 1);
}

void tst_VMain::restartFailureKeepsRunning()
{
    RecordingCommandRunner runner(1);
    openAdministration("system");
    click("restart");
    click("restart");
    QTRY_VERIFY(bannerText().contains(QLatin1String("could not be restarted")));
    QCOMPARE(runner.commands.size(), 1);
    QFile log(ZepFiles::appLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(!log.readAll().contains("DO QUIT"));
}

// Slovak captions are longer: they wrap or shrink, and keep their end.
void tst_VMain::captionsFitInSlovak()
{
    useTranslation(QStringLiteral("zep_sk"));
    // Texts cut short by their own width, or running past the right edge of the screen.
    const auto cutTexts = [this](const char *page) {
        QStringList cut;
        QQuickItem *screen = item("adminScreen");
        for (QQuickItem *text : screen->findChildren<QQuickItem *>()) {
            if (!text->inherits("QQuickText") || !text->isVisible())
                continue;
            const qreal right = text->mapToItem(screen, QPointF(text->width(), 0)).x();
            if (text->property("truncated").toBool() || right > screen->width() + 0.5)
                cut << QLatin1String(page) + QLatin1String(": ")
                        + text->property("text").toString();
        }
        return cut;
    };
    QStringList cut;
    for (const char *page : { "people", "settings", "system" }) {
        openAdministration(page);
        QTRY_VERIFY(shows(page == QByteArray("settings") ? "pinEntryToggle" : "adminScreen"));
        // A page that is still coming in may stand partly outside the screen.
        if (!QTest::qWaitFor([&] { return cutTexts(page).isEmpty(); }, 3000))
            cut << cutTexts(page);
        QMetaObject::invokeMethod(root(), "goIdle");
        QTRY_VERIFY(shows("idleScreen"));
    }
    useTranslation(QStringLiteral("zep_en"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(" | "))));
}

void tst_VMain::screenSaverResumesBackgroundWork()
{
    QSignalSpy levels(mBase.get(), &Base::sigScreenSaverLevelChanged);
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 1);
    QVERIFY(levels.wait(5000));
    QCOMPARE(levels.constLast().at(0).toInt(), 1);
    QTRY_VERIFY(item("screenSaver")->property("opacity").toReal() > 0.7);
    // One clock, in the idle screen's format.
    QVERIFY(!item("idleClock")->isVisible());
    QTRY_COMPARE(item("saverClock")->property("text").toString(),
                 root()->property("now").toDateTime().toString(QStringLiteral("hh:mm")));
    screenshot(QStringLiteral("screensaver"));

    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);
    press(Qt::Key_Shift);
    QTRY_COMPARE(levels.constLast().at(0).toInt(), 0);
}

// The screens a person and an administrator meet, in both languages, at 800 x 480.
void tst_VMain::screenshotsInBothLanguages()
{
    storeSetupPin();
    for (const QString &language : { QStringLiteral("en"), QStringLiteral("sk") }) {
        useTranslation(QStringLiteral("zep_") + language);
        // Dates follow the language setting, texts the translation.
        mSandbox->settings().setValue(QStringLiteral("global/language"), language.toUpper());
        const QString prefix = QStringLiteral("both_") + language + QLatin1Char('_');
        QMetaObject::invokeMethod(item("messageBanner"), "hide");
        // The saver of an earlier step may still be fading out.
        QTRY_VERIFY(!item("screenSaver")->isVisible());
        screenshot(prefix + QStringLiteral("idle"));

        readCard(demoCard);
        QTRY_VERIFY(shows("entranceScreen"));
        screenshot(prefix + QStringLiteral("entrance"));
        press(Qt::Key_1);
        QTRY_COMPARE(item("entranceScreen")->property("step").toString(),
                     QStringLiteral("direction"));
        screenshot(prefix + QStringLiteral("direction"));
        press(Qt::Key_1);
        QTRY_VERIFY(item("confirmation")->isVisible());
        screenshot(prefix + QStringLiteral("confirmation"));
        press(Qt::Key_Return);
        QTRY_VERIFY(shows("idleScreen"));

        for (const char *page : { "people", "settings", "system" }) {
            openAdministration(page);
            QMetaObject::invokeMethod(item("messageBanner"), "hide");
            screenshot(prefix + QStringLiteral("administration_") + QLatin1String(page));
            QMetaObject::invokeMethod(root(), "goIdle");
            QTRY_VERIFY(shows("idleScreen"));
        }

        QSignalSpy levels(mBase.get(), &Base::sigScreenSaverLevelChanged);
        mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 1);
        QVERIFY(levels.wait(5000));
        QTRY_VERIFY(item("screenSaver")->property("opacity").toReal() > 0.7);
        screenshot(prefix + QStringLiteral("screensaver"));
        mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);
        press(Qt::Key_Shift);
        QTRY_COMPARE(levels.constLast().at(0).toInt(), 0);
        QTRY_VERIFY(!item("screenSaver")->isVisible());
    }
    mSandbox->settings().setValue(QStringLiteral("global/language"), QStringLiteral("EN"));
    useTranslation(QStringLiteral("zep_en"));
}

namespace {

// Items made by a Repeater or a view are found through the visual tree.
QQuickItem *findItem(QQuickItem *parent, const QString &objectName)
{
    if (QQuickItem *found = parent->findChild<QQuickItem *>(objectName))
        return found;
    for (QQuickItem *child : parent->childItems()) {
        if (child->objectName() == objectName)
            return child;
        if (QQuickItem *found = findItem(child, objectName))
            return found;
    }
    return nullptr;
}

} // namespace

QQuickItem *tst_VMain::item(const char *objectName) const
{
    QQuickItem *rootItem = mView->rootObject();
    if (!rootItem)
        return nullptr;
    return findItem(rootItem, QString::fromLatin1(objectName));
}

QObject *tst_VMain::root() const
{
    return item("vmain");
}

// Identification and recording go through "manPrerus".
bool tst_VMain::shows(const char *objectName) const
{
    QQuickItem *found = item(objectName);
    return found && found->isVisible();
}

// Rows of the attendance database, read over a connection of the test's own.
QList<QVariantList> tst_VMain::rows(const QString &sql, const QVariantList &values) const
{
    QList<QVariantList> result;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(QDir::current().filePath(QStringLiteral("data.db")));
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare(sql);
            for (const QVariant &value : values)
                q.addBindValue(value);
            if (q.exec()) {
                while (q.next()) {
                    QVariantList row;
                    for (int i = 0; i < q.record().count(); ++i)
                        row << q.value(i);
                    result << row;
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

QList<QVariantList> tst_VMain::entrances() const
{
    return rows(QStringLiteral("SELECT pid, smer, uid FROM prerusenia ORDER BY id"));
}

int tst_VMain::entranceCount() const
{
    return entrances().size();
}

QVariant tst_VMain::demoColumn(const QString &column) const
{
    return rows(QStringLiteral("SELECT %1 FROM ludia WHERE dochid = ?").arg(column), { demoNumber })
        .value(0)
        .value(0);
}

uint tst_VMain::demoUid() const
{
    return demoColumn(QStringLiteral("uid")).toUInt();
}

QString tst_VMain::demoName() const
{
    return demoColumn(QStringLiteral("meno")).toString();
}

QString tst_VMain::bannerText() const
{
    QQuickItem *banner = item("messageBanner");
    return banner->isVisible() ? banner->property("text").toString() : QString();
}

QString tst_VMain::personCard(uint number) const
{
    return rows(QStringLiteral("SELECT karta FROM ludia WHERE dochid = ?"), { number })
        .value(0)
        .value(0)
        .toString();
}

void tst_VMain::setServerState(ServerState state)
{
    emit mBase->syncProtocol()->serverStateChanged(state);
}

QObject *tst_VMain::context(const char *name) const
{
    return mView->rootContext()->contextProperty(QString::fromLatin1(name)).value<QObject *>();
}

bool tst_VMain::focusOnVisibleItem() const
{
    QQuickItem *focused = mView->activeFocusItem();
    return focused && focused->isVisible();
}

void tst_VMain::type(const QString &text)
{
    // The delay argument of keyClick does not wait for a window: wait here.
    for (const QChar ch : text) {
        QTest::keyClick(mView, ch.toLatin1());
        QTest::qWait(personKeyDelayMs);
    }
}

void tst_VMain::enter(const QString &text)
{
    type(text);
    press(Qt::Key_Return);
}

void tst_VMain::readCard(const QString &code)
{
    for (const QChar ch : code)
        QTest::keyClick(mView, ch.toLatin1());
    QTest::keyClick(mView, Qt::Key_Return);
}

bool tst_VMain::recordFirstType()
{
    readCard(demoCard);
    if (!QTest::qWaitFor([this] { return shows("entranceScreen"); }))
        return false;
    press(Qt::Key_1);
    press(Qt::Key_1);
    return QTest::qWaitFor([this] { return item("confirmation")->isVisible(); });
}

void tst_VMain::click(const char *objectName)
{
    QQuickItem *target = nullptr;
    QTRY_VERIFY((target = item(objectName)) && target->isVisible());
    // Layouts place their items when the next frame is made: wait for one.
    QSignalSpy frame(mView, &QQuickWindow::frameSwapped);
    mView->update();
    frame.wait(500);
    const QRectF window = visibleArea(target);
    if (!window.contains(target->mapToScene(QPointF(target->width() / 2, target->height() / 2)))) {
        // Below the fold of a form: a keyboard user would Tab to it, and the form scrolls.
        target->forceActiveFocus();
        QTRY_VERIFY(window.contains(
            target->mapToScene(QPointF(target->width() / 2, target->height() / 2))));
        // A form still scrolling takes a press as the end of its movement, not as a tap.
        QPointF previous;
        QTRY_VERIFY([&] {
            const QPointF now = target->mapToScene(QPointF(0, 0));
            const bool settled = now == previous;
            previous = now;
            return settled;
        }());
    }
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    // A message over the target is tapped away first, as a user would.
    QQuickItem *banner = item("messageBanner");
    if (banner->isVisible() && banner->contains(banner->mapFromScene(centre)))
        QMetaObject::invokeMethod(banner, "hide");
    QTest::mouseClick(mView, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

QRectF tst_VMain::visibleArea(QQuickItem *target) const
{
    QRectF window(QPointF(0, 0), QSizeF(mView->size()));
    for (QQuickItem *up = target->parentItem(); up; up = up->parentItem()) {
        if (up->clip())
            window &= up->mapRectToScene(QRectF(0, 0, up->width(), up->height()));
    }
    return window;
}

bool tst_VMain::inView(QQuickItem *target) const
{
    return visibleArea(target).contains(
        target->mapRectToScene(QRectF(0, 0, target->width(), target->height())));
}

void tst_VMain::storeSetupPin()
{
    QSettings native(QStringLiteral("VELNIK"), QStringLiteral("ZEP"));
    native.setValue(QStringLiteral("setup"), setupPinText);
    native.setValue(QStringLiteral("setupFormat"), QStringLiteral("text"));
    native.sync();
}

// Behind the stored setup PIN, on the page given.
void tst_VMain::openAdministration(const char *page)
{
    storeSetupPin();
    press(Qt::Key_F10);
    enter(setupPinText);
    QTRY_VERIFY_WITH_TIMEOUT(shows("adminScreen"), 15000);
    click(QByteArray("page_").append(page).constData());
    QTRY_VERIFY(focusOnVisibleItem());
}

void tst_VMain::openPersonEditor(const QString &name)
{
    QTRY_VERIFY(item("peopleSearch")->hasActiveFocus());
    type(name);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QTRY_VERIFY(shows("personFirstName"));
}

void tst_VMain::useTranslation(const QString &name)
{
    QCoreApplication::removeTranslator(&mTranslator);
    QVERIFY(mTranslator.load(name, QStringLiteral(ZEP_RUNTIME_DIR)));
    QCoreApplication::installTranslator(&mTranslator);
    mView->engine()->retranslate();
}

void tst_VMain::press(Qt::Key key)
{
    QTest::keyClick(mView, key);
}

void tst_VMain::screenshot(const QString &name)
{
    QString fileName = name;
    fileName.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]+")), QStringLiteral("_"));
    const QString path = QStringLiteral(ZEP_BINARY_DIR "/screenshots/") + fileName + ".png";
    const QImage image = grab();
    QVERIFY(!image.isNull());
    QVERIFY(image.save(path));
}

// The software renderer of the offscreen platform cannot grab the window, so
// the scene is grabbed from its content item.
QImage tst_VMain::grab()
{
    QImage image = mView->grabWindow();
    if (!image.isNull())
        return image;
    QSharedPointer<QQuickItemGrabResult> result = mView->contentItem()->grabToImage();
    if (!result)
        return QImage();
    QSignalSpy ready(result.data(), &QQuickItemGrabResult::ready);
    return ready.wait(5000) ? result->image() : QImage();
}

QTEST_MAIN(tst_VMain)
#include "tst_vmain.moc"
