#include "core/base.h"
#include "core/dutyrunner.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/idpairencoding.h"
#include "sync/tuldbmanager.h"
#include "tests/support/controllersandbox.h"
#include "tests/support/scriptedsyncserver.h"
#include "tests/support/sqlfile.h"

#include <QSignalSpy>
#include <QtTest>

// The controller's wiring of the sync protocol, against a loopback server.
class TestBaseSync : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startSyncsWithFullLists();
    void schedulerPeriod_data();
    void schedulerPeriod();
    void syncNowAndServerSetup();
    void personChangesSent();
    void syncFlagsStored();
    void settingsReachProtocol();
    void registrationKept();

private:
    std::unique_ptr<Base> startBase();

    std::unique_ptr<ControllerSandbox> mSandbox;
    ZEPSettings *mSettings = nullptr;
    std::unique_ptr<ScriptedSyncServer> mServer;
};

void TestBaseSync::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Zep::debugLevel = 1;
}

void TestBaseSync::init()
{
    mSandbox.reset(); // the previous folder restores its working directory first
    mSandbox = std::make_unique<ControllerSandbox>();
    QVERIFY(mSandbox->isValid());
    mServer = std::make_unique<ScriptedSyncServer>();
    QVERIFY(mServer->server.listen());
    mSettings = &mSandbox->settings();
    mSettings->setValue(QStringLiteral("serverKLD/ip"), QStringLiteral("127.0.0.1"));
    mSettings->setValue(QStringLiteral("serverKLD/port"), mServer->server.port());
    mSettings->setValue(QStringLiteral("serverKLD/pingEnabled"), false);
}

void TestBaseSync::cleanup()
{
    mSandbox.reset();
    mServer.reset();
}

std::unique_ptr<Base> TestBaseSync::startBase()
{
    auto base = mSandbox->makeBase();
    base->init();
    return base;
}

void TestBaseSync::startSyncsWithFullLists()
{
    auto base = startBase();
    QVERIFY(base->syncProtocol());
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    const QString key = IdPairEncoding::encode(0, 0);
    QStringList calls = mServer->calls();
    calls.sort();
    // The terminal's name and address are pending: update-term, then the full sync.
    QCOMPARE(calls, (QStringList { "GET sync/" + key + "/fs", "PUT term/" + key }));
    QCOMPARE(base->getProxyState(), int(ServerOnline));
}

void TestBaseSync::schedulerPeriod_data()
{
    QTest::addColumn<uint>("second");
    QTest::addColumn<bool>("syncs");
    QTest::newRow("default period 61") << 61u << true;
    QTest::newRow("twice the period") << 122u << true;
    QTest::newRow("between periods") << 60u << false;
}

void TestBaseSync::schedulerPeriod()
{
    QFETCH(uint, second);
    QFETCH(bool, syncs);
    auto base = startBase();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    const int before = mServer->calls().size();
    QSignalSpy finished(base.get(), &Base::tulSyncFinished);
    base->duties()->onCronSec(second);
    if (syncs)
        QVERIFY(finished.wait(5000));
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    QCOMPARE(mServer->calls().mid(before).filter("GET sync").size(), syncs ? 1 : 0);
}

void TestBaseSync::syncNowAndServerSetup()
{
    auto base = startBase();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    const int before = mServer->calls().size();
    base->doSyncTUL();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    QCOMPARE(mServer->calls().mid(before).filter("GET sync").size(), 1);

    // Trying another server only asks whether it answers: the synchronisation
    // stays with the configured one.
    ScriptedSyncServer other;
    QVERIFY(other.server.listen());
    base->checkServerSetup(QStringLiteral("127.0.0.1"), other.server.port());
    QTRY_COMPARE(other.server.requests().size(), 1);
    QCOMPARE(other.server.requests().constFirst().path, QByteArray("/ping.html"));
    const int beforeSecond = mServer->calls().size();
    base->doSyncTUL();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    QCOMPARE(mServer->calls().mid(beforeSecond).filter("GET sync").size(), 1);
    QCOMPARE(other.calls().filter("GET sync").size(), 0);
    QCOMPARE(mSettings->value(QStringLiteral("serverKLD/port")).toUInt(),
             uint(mServer->server.port()));
}

void TestBaseSync::personChangesSent()
{
    auto base = startBase();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    PersonData person;
    person.dochid = 1234;
    person.meno = QStringLiteral("Eva");
    person.karta = QStringLiteral("C1234");
    QVERIFY(base->attendanceDb()->addPerson(person));
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    const QVariantMap sent = mServer->body(QStringLiteral("POST person/"));
    QCOMPARE(sent.value("pid").toUInt(), 1234u);
    QCOMPARE(sent.value("name").toString(), QStringLiteral("Eva"));
}

void TestBaseSync::syncFlagsStored()
{
    {
        ZepDBManager catalogue(ZepFiles::catalogueDb, true);
        TermData term;
        term.tid = 5;
        term.refId = 3; // registered: the start syncs at once
        QVERIFY(catalogue.saveTerminal(term));
    }
    mServer->script("GET sync", 200, { { "flags", 64 }, { "res", QVariantMap() } });
    auto base = startBase();
    QSignalSpy timezone(base.get(), &Base::checkTimezoneChanged);
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    QVERIFY(base->checkTimezone());
    QCOMPARE(timezone.count(), 1);
    QCOMPARE(
        SqlFile::scalar(ZepFiles::catalogueDb, QStringLiteral("SELECT flags FROM term")).toInt(),
        64);
}

void TestBaseSync::settingsReachProtocol()
{
    auto base = startBase();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    ScriptedSyncServer other;
    QVERIFY(other.server.listen());
    mSettings->setValue(QStringLiteral("serverKLD/port"), other.server.port());
    mSettings->setValue(QStringLiteral("global/terminalName"), QStringLiteral("Vratnica"));
    base->doSyncTUL();
    QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
    QCOMPARE(other.body(QStringLiteral("PUT term/")).value("name").toString(),
             QStringLiteral("Vratnica"));

    mSettings->setValue(QStringLiteral("global/networking"), false);
    QCOMPARE(base->syncProtocol()->serverState(), ServerDisabled);
    const int before = other.calls().size();
    base->doSyncTUL();
    QVERIFY(!QTest::qWaitFor([&] { return other.calls().size() != before; }, 100));
}

// The id the server gives the terminal is stored with the terminal record, so
// the next start does not register again.
void TestBaseSync::registrationKept()
{
    {
        ZepDBManager catalogue(ZepFiles::catalogueDb, true);
        TermData term;
        term.tid = 5;
        QVERIFY(catalogue.saveTerminal(term));
    }
    mServer->script("POST term", 200, { { "res", 42 } });
    {
        auto base = startBase();
        QTRY_COMPARE(base->syncProtocol()->outstandingRequests(), 0);
        QCOMPARE(mServer->calls(), QStringList { "POST term" });
        QCOMPARE(base->termData().refId, 42);
        QCOMPARE(base->syncProtocol()->terminalKey(), IdPairEncoding::encode(42, 5));
    }
    QCOMPARE(
        SqlFile::scalar(ZepFiles::catalogueDb, QStringLiteral("SELECT refId FROM term")).toInt(),
        42);
    auto again = startBase();
    QTRY_COMPARE(again->syncProtocol()->outstandingRequests(), 0);
    QCOMPARE(mServer->calls().mid(1).filter("POST term").size(), 0);
    QCOMPARE(mServer->calls().mid(1).filter("GET sync/" + IdPairEncoding::encode(42, 5)).size(), 1);
}

QTEST_MAIN(TestBaseSync)
#include "tst_basesync.moc"
