#include "remote/remotemanagement.h"

#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "remote/orvel.h"
#include "remote/orvelcrypto.h"
#include "tests/support/databasesandbox.h"
#include "tests/support/fakemanagedterminal.h"
#include "foundation/globals.h"
#include "foundation/bodyencoding.h"
#include "tests/support/dbmessagecapture.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/scriptedhttpserver.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

namespace {

const QString ok = QString();

QString json(const QVariantMap &map)
{
    return QString::fromUtf8(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Compact));
}

QVariantMap args(const QString &op, const QString &cmd)
{
    return { { "op", op }, { "cmd", cmd } };
}

QString syncReply(const QVariantMap &res)
{
    return json({ { "err", 0 }, { "args", args("sync", "") }, { "res", res } });
}

// The status report a reply answers, with the items it carried.
QString statusReport(const QString &items = QString())
{
    const QString report = QStringLiteral("op=sync&sw=V&tid=7");
    return items.isEmpty() ? report : report + QStringLiteral("&items=") + items;
}

QString eventsConfirmation(const QVariantList &eids)
{
    return json(
        { { "err", 0 }, { "args", args("done", "events") }, { "res", "OK" }, { "eids", eids } });
}

const QString eventsDone = QStringLiteral("op=done&cmd=events&data=1");
const QString termRequest = QStringLiteral("op=get&cmd=term&id=7");

QVariantMap item(int id, const QString &field, const QVariant &data)
{
    return { { "id", id }, { "field", field }, { "data", data } };
}

QVariantMap serviceEvent(int eid, const QString &type, const QVariantMap &data = {})
{
    return { { "eid", eid }, { "typ", type }, { "data", data } };
}

} // namespace

class tst_RemoteManagement : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void syncItemsText();
    void errorRepliesChangeNothing_data();
    void errorRepliesChangeNothing();
    void doneItemsLeaveTheQueue();
    void entranceDeletionsAreNotReported();
    void itemsQueuedDuringTheReportStay();
    void repliesToAnotherRequestAreRefused_data();
    void repliesToAnotherRequestAreRefused();
    void onlyCurrentEncryptedRepliesCommand_data();
    void onlyCurrentEncryptedRepliesCommand();
    void applyItem_data();
    void applyItem();
    void failedSaveRejectsTheItem();
    void iniReplacesTheSettingsFileOnlyWhenItIsSettings_data();
    void iniReplacesTheSettingsFileOnlyWhenItIsSettings();
    void nameItemIsAppliedAndConfirmed();
    void unknownEventIsAcknowledgedAndPending();
    void rebootOnlyAfterConfirmation();
    void noEventsNoDoneRequest();
    void infoIsAcknowledged();
    void failedLogUploadIsRetried();
    void repeatedLogsEventPacksOnce();
    void failedPackageIsRemoved();
    void secretsStayOutOfTheLog();
    void updateDownloadsIntoUpdateFolder();
    void updateOutsideItsFolderFails();
    void termReplySetsTheServer();
    void cameraRestartsUpToTheLimit_data();
    void cameraRestartsUpToTheLimit();

private:
    RemoteManagement *makeHandler();
    // The plain requests the service received, percent-decoded.
    QStringList requests() const;
    QStringList waitForRequests(int count);

    std::unique_ptr<DatabaseSandbox> mSandbox;
    std::unique_ptr<ScriptedHttpServer> mServer;
    std::unique_ptr<FakeManagedTerminal> mTerminal;
};

void tst_RemoteManagement::init()
{
    mSandbox = std::make_unique<DatabaseSandbox>();
    QVERIFY(mSandbox->isValid());
    mServer = std::make_unique<ScriptedHttpServer>();
    QVERIFY(mServer->listen());
    mServer->setHandler(
        [](const ScriptedHttpServer::Request &) { return ScriptedHttpServer::reply(200, "{}"); });
    mSandbox->settings().setValue(QStringLiteral("orvel/sszep"), QStringLiteral("127.0.0.1"));
    mSandbox->settings().setValue(QStringLiteral("orvel/sszepPort"), mServer->port());
    mSandbox->settings().setValue(QStringLiteral("orvel/pingEnabled"), false);
    mSandbox->settings().syncSettings();
    mTerminal = std::make_unique<FakeManagedTerminal>(mSandbox->settings().fileName());
    mTerminal->record.tid = 7;
    mTerminal->record.sn = QStringLiteral("SN-0007");
    mTerminal->record.skey = QStringLiteral("shared-key");
    mTerminal->record.model = QStringLiteral("VZEP");
    mTerminal->record.ini = mTerminal->loadIni(false);
    setTermData(7, QStringLiteral("shared-key"), QStringLiteral("SN-0007"));
}

void tst_RemoteManagement::cleanup()
{
    mTerminal.reset();
    mServer.reset();
    mSandbox.reset();
}

RemoteManagement *tst_RemoteManagement::makeHandler()
{
    return new RemoteManagement(
        &mSandbox->settings(), mTerminal.get(), &mSandbox->attendance(), nullptr, this);
}

QStringList tst_RemoteManagement::requests() const
{
    QStringList plain;
    for (const ScriptedHttpServer::Request &request : mServer->requests()) {
        const QString q = QUrlQuery(QUrl(QString::fromLatin1(request.path)))
                              .queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
        plain << QUrl::fromPercentEncoding(orvelDecrypt(q.mid(12)).toLatin1());
    }
    return plain;
}

QStringList tst_RemoteManagement::waitForRequests(int count)
{
    if (!QTest::qWaitFor([&] { return mServer->requests().size() >= count; }, 5000))
        qWarning("fewer requests than expected");
    return requests();
}

void tst_RemoteManagement::syncItemsText()
{
    RemoteManagement *handler = makeHandler();
    QCOMPARE(handler->getSyncItems(), QString());
    QVERIFY(
        mSandbox->attendance().addSyncItem(QStringLiteral("nazov"), QStringLiteral("Vrátnica")));
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    const QStringList items = handler->getSyncItems().split(QLatin1Char('|'));
    QCOMPARE(items.size(), 2);
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d+:nazov:Vrátnica$")).match(items.at(0)).hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+:ini:YWI@$")).match(items.at(1)).hasMatch());
}

void tst_RemoteManagement::errorRepliesChangeNothing_data()
{
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errMsg");
    QTest::newRow("error code") << 3 << 200 << ok;
    QTest::newRow("http status") << 0 << 500 << ok;
    QTest::newRow("status 200 with error text") << 0 << 200 << "Error: Remote Host Closed";
    QTest::newRow("decrypt error") << 0 << 2200 << "\nDECRYPT ERROR";
}

void tst_RemoteManagement::errorRepliesChangeNothing()
{
    QFETCH(int, err);
    QFETCH(int, status);
    QFETCH(QString, errMsg);
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    RemoteManagement *handler = makeHandler();
    QSignalSpy finished(handler, &RemoteManagement::orvelReplyFinished);
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression(QStringLiteral("^Base::orvelReply\\(\\) - ERROR")));
    handler->orvelReply(
        json({ { "err", err },
               { "args", args("sync", "") },
               { "res",
                 QVariantMap { { "doneItems", QVariantMap { { "ini", 1 } } },
                               { "events", QVariantMap { { "5", serviceEvent(5, "XYZ") } } } } } }),
        status,
        errMsg,
        QString());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(mSandbox->attendance().loadSyncItems().size(), 1);
    QVERIFY(handler->pendingEvents().isEmpty());
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    QVERIFY(!received.wait(100));
    QVERIFY(mServer->requests().isEmpty());
}

void tst_RemoteManagement::doneItemsLeaveTheQueue()
{
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YQ@@")));
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ip"), QStringLiteral("10.0.0.5")));
    mTerminal->record.syn = 1;
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        syncReply({ { "doneItems", QVariantMap { { "ini", 1 }, { "nazov", 1 } } } }),
        200,
        ok,
        statusReport(handler->getSyncItems()));
    const QList<SyncItem> left = mSandbox->attendance().loadSyncItems();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).field, QStringLiteral("ip"));
    QCOMPARE(mTerminal->record.syn, 0);
}

void tst_RemoteManagement::entranceDeletionsAreNotReported()
{
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("delEntrance/5"), 77));
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    RemoteManagement *handler = makeHandler();
    const QString items = handler->getSyncItems();
    QVERIFY2(!items.contains(QLatin1String("delEntrance")), qPrintable(items));
    // Even a service that names the deletion, with its text, does not take it.
    const QString forged = items
        + QStringLiteral("|%1:delEntrance/5:77")
              .arg(mSandbox->attendance().loadSyncItems().at(0).ts);
    handler->orvelReply(
        syncReply({ { "doneItems", QVariantMap { { "ini", 1 }, { "delEntrance/5", 1 } } } }),
        200,
        ok,
        statusReport(forged));
    QCOMPARE(EntranceDeletions(&mSandbox->attendance()).ready(),
             (QList<EntranceDeletions::Deletion> { { 5, 77 } }));
    QCOMPARE(mSandbox->attendance().loadSyncItems().size(), 1);
}

void tst_RemoteManagement::itemsQueuedDuringTheReportStay()
{
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YQ@@")));
    RemoteManagement *handler = makeHandler();
    const QString sent = handler->getSyncItems();
    // A settings change while the report is on its way.
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    handler->orvelReply(
        syncReply({ { "doneItems", QVariantMap { { "ini", 1 } } } }), 200, ok, statusReport(sent));
    const QList<SyncItem> left = mSandbox->attendance().loadSyncItems();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).data, QStringLiteral("YWI@"));
}

void tst_RemoteManagement::repliesToAnotherRequestAreRefused_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("request");
    QTest::newRow("server address in the answer to a report")
        << json({ { "err", 0 },
                  { "args", args("get", "term") },
                  { "res", QVariantMap { { "srvh", "10.6.6.6" }, { "srvp", 9 } } } })
        << statusReport();
    QTest::newRow("events in the answer to a confirmation")
        << syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } })
        << eventsDone;
    QTest::newRow("reboot confirmed in the answer to a report")
        << eventsConfirmation({ 20 }) << statusReport();
    QTest::newRow("upload of another event")
        << json({ { "err", 0 },
                  { "args", QVariantMap { { "op", "upload" }, { "cmd", "LOGS" }, { "eid", 9 } } },
                  { "res", "OK" } })
        << QStringLiteral("op=upload&cmd=LOGS&eid=8");
    QTest::newRow("no request") << syncReply(
        { { "events", QVariantMap { { "20", serviceEvent(20, "XYZ") } } } })
                                << QString();
}

void tst_RemoteManagement::repliesToAnotherRequestAreRefused()
{
    QFETCH(QString, reply);
    QFETCH(QString, request);
    RemoteManagement *handler = makeHandler();
    // A reboot waits for its confirmation.
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } }),
        200,
        ok,
        statusReport());
    QCOMPARE(waitForRequests(1).size(), 1);
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression(QStringLiteral("does not answer the request")));
    handler->orvelReply(reply, 200, ok, request);
    QCOMPARE(mSandbox->settings().value(QStringLiteral("serverKLD/ip"), "0.0.0.0").toString(),
             QStringLiteral("0.0.0.0"));
    QVERIFY(mTerminal->reboots.isEmpty());
    QCOMPARE(handler->pendingEvents(), (QMap<int, QString> { { 20, "REBOOT" } }));
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    QVERIFY(!received.wait(100));
    QCOMPARE(mServer->requests().size(), 1);
}

void tst_RemoteManagement::onlyCurrentEncryptedRepliesCommand_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("applied");
    const QString term = json({ { "err", 0 },
                                { "args", args("get", "term") },
                                { "res", QVariantMap { { "srvh", "10.6.6.6" }, { "srvp", 9 } } } });
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    QTest::newRow("plain") << term.toUtf8() << false;
    QTest::newRow("key of 200 days ago")
        << orvelEncrypt(term, now - 200 * 86400).toLatin1() << false;
    QTest::newRow("key of two hours ahead") << orvelEncrypt(term, now + 7200).toLatin1() << false;
    QTest::newRow("current key") << orvelEncrypt(term).toLatin1() << true;
}

// Through the client, as the replies come over the network.
void tst_RemoteManagement::onlyCurrentEncryptedRepliesCommand()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, applied);
    mServer->setHandler([body](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(200, body, "text/plain");
    });
    RemoteManagement *handler = makeHandler();
    QSignalSpy finished(handler, &RemoteManagement::orvelReplyFinished);
    if (!applied)
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^Base::orvelReply\\(\\) - ERROR")));
    handler->orvel()->sendRequest(termRequest);
    QVERIFY(finished.wait(5000));
    QCOMPARE(mSandbox->settings().value(QStringLiteral("serverKLD/ip"), "0.0.0.0").toString(),
             applied ? QStringLiteral("10.6.6.6") : QStringLiteral("0.0.0.0"));
}

void tst_RemoteManagement::applyItem_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("saves");
    QTest::newRow("new model") << "model" << QVariant("ZEP-X") << true << 1;
    QTest::newRow("same model") << "model" << QVariant("VZEP") << true << 0;
    QTest::newRow("new serial number") << "sn" << QVariant("SN-9") << true << 1;
    QTest::newRow("new vid") << "vid" << QVariant(12) << true << 1;
    QTest::newRow("same vid") << "vid" << QVariant(0) << true << 0;
    QTest::newRow("part number") << "pn" << QVariant("P-1") << true << 1;
    QTest::newRow("pcn8v") << "pcn8v" << QVariant("v") << true << 1;
    QTest::newRow("pcn8d") << "pcn8d" << QVariant("d") << true << 1;
    QTest::newRow("unknown field") << "colour" << QVariant("red") << false << 0;
}

void tst_RemoteManagement::applyItem()
{
    QFETCH(QString, field);
    QFETCH(QVariant, data);
    QFETCH(bool, accepted);
    QFETCH(int, saves);
    QCOMPARE(makeHandler()->applyOrvelItem(field, data), accepted);
    QCOMPARE(mTerminal->saves, saves);
}

void tst_RemoteManagement::failedSaveRejectsTheItem()
{
    mTerminal->saveSucceeds = false;
    QTest::ignoreMessage(QtCriticalMsg, "Base::applyOrvelItem() - saveData() FAILED!");
    QVERIFY(!makeHandler()->applyOrvelItem(QStringLiteral("model"), QStringLiteral("ZEP-X")));
}

void tst_RemoteManagement::iniReplacesTheSettingsFileOnlyWhenItIsSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("settings") << "[global]\nterminalName=Sklad\n" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("not settings") << "<html>502 Bad Gateway</html>" << false;
}

void tst_RemoteManagement::iniReplacesTheSettingsFileOnlyWhenItIsSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const QString before = mTerminal->loadIni(false);
    QVERIFY(before.contains(QLatin1String("sszepPort")));
    if (!accepted)
        QTest::ignoreMessage(
            QtCriticalMsg, QRegularExpression(QStringLiteral("^Base::applyOrvelItem\\(\\) - ini")));
    QCOMPARE(makeHandler()->applyOrvelItem(QStringLiteral("ini"), text), accepted);
    QCOMPARE(mTerminal->loadIni(false), accepted ? text : before);
    QCOMPARE(mTerminal->record.ini, accepted ? text : before);
}

void tst_RemoteManagement::nameItemIsAppliedAndConfirmed()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(syncReply({ { "orvelItems",
                                      QVariantMap { { "5", item(5, "nazov", "Vrátnica") },
                                                    { "6", item(6, "colour", "red") } } } }),
                        200,
                        ok,
                        statusReport());
    QCOMPARE(mTerminal->record.nazov, QStringLiteral("Vrátnica"));
    QCOMPARE(mTerminal->record.syn, 1);
    QCOMPARE(mSandbox->settings().value(QStringLiteral("global/terminalName")).toString(),
             QStringLiteral("Vrátnica"));
    QVERIFY(mTerminal->saves >= 1);
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=sync&data=5") });
}

void tst_RemoteManagement::unknownEventIsAcknowledgedAndPending()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(syncReply({ { "events",
                                      QVariantMap { { "12", serviceEvent(12, "FORMAT") },
                                                    { "13", serviceEvent(13, "CALIBRATE") } } } }),
                        200,
                        ok,
                        statusReport());
    QCOMPARE(handler->pendingEvents(),
             (QMap<int, QString> { { 12, "FORMAT" }, { 13, "CALIBRATE" } }));
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=12|13") });
    handler->orvelReply(eventsConfirmation({ 12 }), 200, ok, eventsDone);
    QCOMPARE(handler->pendingEvents(), (QMap<int, QString> { { 13, "CALIBRATE" } }));
}

void tst_RemoteManagement::rebootOnlyAfterConfirmation()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } }),
        200,
        ok,
        statusReport());
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=20") });
    QVERIFY(mTerminal->reboots.isEmpty());
    // The service repeats the event until it is confirmed: the acknowledgement may have been
    // lost, so it goes again, and the restart still waits for the confirmation.
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } }),
        200,
        ok,
        statusReport());
    QCOMPARE(waitForRequests(2),
             QStringList({ "op=done&cmd=events&data=20", "op=done&cmd=events&data=20" }));
    QVERIFY(mTerminal->reboots.isEmpty());
    handler->orvelReply(eventsConfirmation({ 20 }), 200, ok, eventsDone);
    QCOMPARE(mTerminal->reboots.size(), 1);
    handler->orvelReply(eventsConfirmation({ 20 }), 200, ok, eventsDone);
    QCOMPARE(mTerminal->reboots.size(), 1);
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    QVERIFY(!received.wait(100));
    QCOMPARE(mServer->requests().size(), 2);
}

void tst_RemoteManagement::noEventsNoDoneRequest()
{
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ip"), QStringLiteral("10.0.0.5")));
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(syncReply({ { "doneItems", QVariantMap { { "ip", 1 } } } }),
                        200,
                        ok,
                        statusReport(handler->getSyncItems()));
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    QVERIFY(!received.wait(200));
    QVERIFY(mServer->requests().isEmpty());
}

void tst_RemoteManagement::infoIsAcknowledged()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        syncReply(
            { { "events",
                QVariantMap { { "30", serviceEvent(30, "INFO", { { "text", "hello" } }) } } } }),
        200,
        ok,
        statusReport());
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=30") });
    QVERIFY(handler->pendingEvents().isEmpty());
}

void tst_RemoteManagement::failedLogUploadIsRetried()
{
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::WriteOnly) && log.write("line\n") == 5);
    log.close();
    mServer->setHandler([](const ScriptedHttpServer::Request &request) {
        return request.method == "POST" ? ScriptedHttpServer::reply(503, "busy", "text/plain")
                                        : ScriptedHttpServer::reply(200, "{}");
    });
    RemoteManagement *handler = makeHandler();
    QSignalSpy finished(handler, &RemoteManagement::orvelReplyFinished);
    const QString logsEvent
        = syncReply({ { "events", QVariantMap { { "50", serviceEvent(50, "LOGS") } } } });
    const auto uploads = [this] {
        int count = 0;
        for (const ScriptedHttpServer::Request &request : mServer->requests())
            count += request.method == "POST";
        return count;
    };
    handler->orvelReply(logsEvent, 200, ok, statusReport());
    QTRY_COMPARE_WITH_TIMEOUT(uploads(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
    // The service asks again: the package goes again.
    handler->orvelReply(logsEvent, 200, ok, statusReport());
    QTRY_COMPARE_WITH_TIMEOUT(uploads(), 2, 10000);
}

// The service repeats the event while the package is on its way and again after it took the
// package: one package goes, and once taken the event is acknowledged again.
void tst_RemoteManagement::repeatedLogsEventPacksOnce()
{
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::WriteOnly) && log.write("line\n") == 5);
    log.close();
    const QByteArray taken
        = orvelEncrypt(
              json({ { "err", 0 },
                     { "args",
                       QVariantMap { { "op", "upload" }, { "cmd", "LOGS" }, { "eid", 50 } } },
                     { "res", "OK" } }))
              .toLatin1();
    mServer->setHandler([taken](const ScriptedHttpServer::Request &request) {
        if (request.method != "POST")
            return ScriptedHttpServer::reply(200, "{}");
        ScriptedHttpServer::Reply reply = ScriptedHttpServer::reply(200, taken, "text/plain");
        reply.delayMs = 1500;
        return reply;
    });
    RemoteManagement *handler = makeHandler();
    const QString logsEvent
        = syncReply({ { "events", QVariantMap { { "50", serviceEvent(50, "LOGS") } } } });
    const auto count = [this](const QByteArray &method, const QString &plain) {
        int n = 0;
        const QList<ScriptedHttpServer::Request> all = mServer->requests();
        const QStringList decoded = requests();
        for (int i = 0; i < all.size(); ++i)
            n += all.at(i).method == method && (plain.isEmpty() || decoded.at(i) == plain);
        return n;
    };
    const QString acknowledged = QStringLiteral("op=done&cmd=events&data=50");

    handler->orvelReply(logsEvent, 200, ok, statusReport());
    QTRY_COMPARE_WITH_TIMEOUT(count("POST", QString()), 1, 10000);
    handler->orvelReply(logsEvent, 200, ok, statusReport());
    QTRY_COMPARE_WITH_TIMEOUT(count("GET", acknowledged), 1, 10000);
    handler->orvelReply(logsEvent, 200, ok, statusReport());
    QTRY_COMPARE_WITH_TIMEOUT(count("GET", acknowledged), 2, 10000);
    QVERIFY(!QTest::qWaitFor([&] { return count("POST", QString()) > 1; }, 2000));
}

void tst_RemoteManagement::failedPackageIsRemoved()
{
    RecordingCommandRunner tar(2);
    QVERIFY(QDir().mkpath(QStringLiteral("upload")));
    QFile part(QStringLiteral("upload/logs-51.tar.gz"));
    QVERIFY(part.open(QIODevice::WriteOnly) && part.write("half") == 4);
    part.close();
    RemoteManagement *handler = makeHandler();
    QSignalSpy workingEnd(handler, &RemoteManagement::workingEnd);
    QTest::ignoreMessage(QtCriticalMsg, "Base::tarbalFinished() - tarball not created!");
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "51", serviceEvent(51, "LOGS") } } } }),
        200,
        ok,
        statusReport());
    QVERIFY(workingEnd.wait(10000));
    QVERIFY(!part.exists());
    QCOMPARE(waitForRequests(1), QStringList { "op=done&cmd=events_failed&data=51" });
}

// At the most verbose level, through a registration and a report that carry the proxy
// password both ways and the attendance server's token.
void tst_RemoteManagement::secretsStayOutOfTheLog()
{
    const QString password = QStringLiteral("Tajne-heslo-123");
    const QString ini = QStringLiteral("[proxy]\nuser=zep\npass=%1\n").arg(password);
    const QString encodedIni = QString::fromLatin1(encodeBody(ini.toLatin1()));
    QVERIFY(mSandbox->attendance().addSyncItem(QStringLiteral("ini"), encodedIni));
    const QString term = json(
        { { "err", 0 },
          { "args", args("get", "term") },
          { "res",
            QVariantMap {
                { "srvh", "127.0.0.1" }, { "srvp", 9 }, { "srvt", "schema-secret-token" } } } });
    const QString report = syncReply(
        { { "doneItems", QVariantMap { { "ini", 1 } } },
          { "orvelItems", QVariantMap { { "3", item(3, "ini", ini + "[global]\nx=1\n") } } } });
    mServer->setHandler([&](const ScriptedHttpServer::Request &) {
        const bool first = mServer->requests().size() == 1;
        return ScriptedHttpServer::reply(
            200, orvelEncrypt(first ? term : report).toLatin1(), "text/plain");
    });
    const uint level = Zep::debugLevel;
    Zep::debugLevel = 3;
    const auto restore = qScopeGuard([level] { Zep::debugLevel = level; });
    DbMessageCapture messages;
    RemoteManagement *handler = makeHandler();
    QSignalSpy finished(handler, &RemoteManagement::orvelReplyFinished);
    handler->doSyncOrvel();
    QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 2, 10000);
    QCOMPARE(mTerminal->record.token, QStringLiteral("schema-secret-token"));
    QVERIFY(mTerminal->record.ini.contains(password));
    const QString log = messages.all().join(QLatin1Char('\n'));
    QVERIFY(log.contains(QLatin1String("Orvel: Decrypted DATA")));
    for (const QString &secret : { password, encodedIni, QStringLiteral("schema-secret-token") })
        QVERIFY2(!log.contains(secret), qPrintable(secret));
}

void tst_RemoteManagement::updateDownloadsIntoUpdateFolder()
{
    mServer->setHandler([](const ScriptedHttpServer::Request &request) {
        return request.path.startsWith("/files/")
            ? ScriptedHttpServer::reply(200, "new program", "application/octet-stream")
            : ScriptedHttpServer::reply(200, "{}");
    });
    RemoteManagement *handler = makeHandler();
    QSignalSpy workingEnd(handler, &RemoteManagement::workingEnd);
    const QString url
        = QStringLiteral("http://127.0.0.1:%1/files/zep-1.1.bin").arg(mServer->port());
    handler->orvelReply(
        syncReply({ { "events",
                      QVariantMap { { "40", serviceEvent(40, "UPDATE", { { "url", url } }) } } } }),
        200,
        ok,
        statusReport());
    QVERIFY(workingEnd.wait(5000));
    QFile file(QStringLiteral("update/zep-1.1.bin"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new program"));
    QCOMPARE(waitForRequests(2).at(1), QStringLiteral("op=done&cmd=events&data=40"));
    QCOMPARE(handler->pendingEvents(), (QMap<int, QString> { { 40, "REBOOT" } }));
}

void tst_RemoteManagement::updateOutsideItsFolderFails()
{
    mServer->setHandler([](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(200, "evil", "application/octet-stream");
    });
    RemoteManagement *handler = makeHandler();
    QSignalSpy workingEnd(handler, &RemoteManagement::workingEnd);
    const QString url = QStringLiteral("http://127.0.0.1:%1/x.bin").arg(mServer->port());
    QTest::ignoreMessage(QtCriticalMsg, "Base::downloadFinished() - download error");
    handler->orvelReply(
        syncReply(
            { { "events",
                QVariantMap { { "41",
                                serviceEvent(41,
                                             "UPDATE",
                                             { { "url", url }, { "file", "../zep.ini" } }) } } } }),
        200,
        ok,
        statusReport());
    QVERIFY(workingEnd.wait(5000));
    QVERIFY(mTerminal->loadIni(false).contains(QLatin1String("sszepPort")));
    // The name is refused before anything is fetched.
    QCOMPARE(waitForRequests(1), QStringList { "op=done&cmd=events_failed&data=41" });
    QVERIFY(handler->pendingEvents().isEmpty());
}

void tst_RemoteManagement::termReplySetsTheServer()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        json({ { "err", 0 },
               { "args", args("get", "term") },
               { "res",
                 QVariantMap {
                     { "srvh", "10.1.2.3" }, { "srvp", 8088 }, { "srvt", "schema-token" } } } }),
        200,
        ok,
        termRequest);
    QCOMPARE(mTerminal->record.token, QStringLiteral("schema-token"));
    QCOMPARE(mTerminal->saves, 1);
    QCOMPARE(mSandbox->settings().value(QStringLiteral("serverKLD/ip")).toString(),
             QStringLiteral("10.1.2.3"));
    QCOMPARE(mSandbox->settings().value(QStringLiteral("serverKLD/port")).toInt(), 8088);
    // The next report follows at once.
    QCOMPARE(handler->orvel()->updateCount(), 1u);
}

void tst_RemoteManagement::cameraRestartsUpToTheLimit_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("restarts");
    QTest::addColumn<int>("reboots");
    QTest::newRow("no limit") << 0 << 5 << 0;
    QTest::newRow("below the limit") << 3 << 2 << 0;
    QTest::newRow("at the limit") << 3 << 3 << 1;
}

void tst_RemoteManagement::cameraRestartsUpToTheLimit()
{
    QFETCH(int, limit);
    QFETCH(int, restarts);
    QFETCH(int, reboots);
    mSandbox->settings().setValue(QStringLiteral("global/camRestartsLimit"), limit);
    RemoteManagement *handler = makeHandler();
    for (int i = 0; i < restarts; ++i)
        handler->onCamRestart();
    QCOMPARE(mTerminal->reboots.size(), reboots);
}

QTEST_GUILESS_MAIN(tst_RemoteManagement)
#include "tst_remotemanagement.moc"
