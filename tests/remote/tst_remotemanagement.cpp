#include "remote/remotemanagement.h"

#include "core/foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "remote/orvel.h"
#include "remote/orvelcrypto.h"
#include "tests/support/workdir.h"
#include "tests/support/fakemanagedterminal.h"
#include "tests/support/scriptedhttpserver.h"

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

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<ScriptedHttpServer> mServer;
    std::unique_ptr<FakeManagedTerminal> mTerminal;
};

void tst_RemoteManagement::init()
{
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mServer = std::make_unique<ScriptedHttpServer>();
    QVERIFY(mServer->listen());
    mServer->setHandler(
        [](const ScriptedHttpServer::Request &) { return ScriptedHttpServer::reply(200, "{}"); });
    mSettings->setValue(QStringLiteral("orvel/sszep"), QStringLiteral("127.0.0.1"));
    mSettings->setValue(QStringLiteral("orvel/sszepPort"), mServer->port());
    mSettings->setValue(QStringLiteral("orvel/pingEnabled"), false);
    mSettings->syncSettings();
    mDb = std::make_unique<DataDBManager>(QStringLiteral("./data.db"));
    mTerminal = std::make_unique<FakeManagedTerminal>(mSettings->fileName());
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
    mDb.reset();
    mServer.reset();
    mSettings.reset();
    mDir.reset();
}

RemoteManagement *tst_RemoteManagement::makeHandler()
{
    return new RemoteManagement(mSettings.get(), mTerminal.get(), mDb.get(), nullptr, this);
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
    QVERIFY(mDb->addSyncItem(QStringLiteral("nazov"), QStringLiteral("Vrátnica")));
    QVERIFY(mDb->addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
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
    QVERIFY(mDb->addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
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
    QCOMPARE(mDb->loadSyncItems().size(), 1);
    QVERIFY(handler->pendingEvents().isEmpty());
    QTest::qWait(100);
    QVERIFY(mServer->requests().isEmpty());
}

void tst_RemoteManagement::doneItemsLeaveTheQueue()
{
    QVERIFY(mDb->addSyncItem(QStringLiteral("ini"), QStringLiteral("YQ@@")));
    QVERIFY(mDb->addSyncItem(QStringLiteral("ini"), QStringLiteral("YWI@")));
    QVERIFY(mDb->addSyncItem(QStringLiteral("ip"), QStringLiteral("10.0.0.5")));
    mTerminal->record.syn = 1;
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        syncReply({ { "doneItems", QVariantMap { { "ini", 1 }, { "nazov", 1 } } } }), 200, ok, {});
    const QList<SyncItem> left = mDb->loadSyncItems();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).field, QStringLiteral("ip"));
    QCOMPARE(mTerminal->record.syn, 0);
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
                        {});
    QCOMPARE(mTerminal->record.nazov, QStringLiteral("Vrátnica"));
    QCOMPARE(mTerminal->record.syn, 1);
    QCOMPARE(mSettings->value(QStringLiteral("global/terminalName")).toString(),
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
                        {});
    QCOMPARE(handler->pendingEvents(),
             (QMap<int, QString> { { 12, "FORMAT" }, { 13, "CALIBRATE" } }));
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=12|13") });
    handler->orvelReply(json({ { "err", 0 },
                               { "args", args("done", "events") },
                               { "res", "OK" },
                               { "eids", QVariantList { 12 } } }),
                        200,
                        ok,
                        {});
    QCOMPARE(handler->pendingEvents(), (QMap<int, QString> { { 13, "CALIBRATE" } }));
}

void tst_RemoteManagement::rebootOnlyAfterConfirmation()
{
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } }),
        200,
        ok,
        {});
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=20") });
    QVERIFY(mTerminal->reboots.isEmpty());
    // The service repeats the event until it is confirmed: no second acknowledgement.
    handler->orvelReply(
        syncReply({ { "events", QVariantMap { { "20", serviceEvent(20, "REBOOT") } } } }),
        200,
        ok,
        {});
    const QString confirmation = json({ { "err", 0 },
                                        { "args", args("done", "events") },
                                        { "res", "OK" },
                                        { "eids", QVariantList { 20 } } });
    handler->orvelReply(confirmation, 200, ok, {});
    QCOMPARE(mTerminal->reboots.size(), 1);
    handler->orvelReply(confirmation, 200, ok, {});
    QCOMPARE(mTerminal->reboots.size(), 1);
    QTest::qWait(100);
    QCOMPARE(mServer->requests().size(), 1);
}

void tst_RemoteManagement::noEventsNoDoneRequest()
{
    QVERIFY(mDb->addSyncItem(QStringLiteral("ip"), QStringLiteral("10.0.0.5")));
    RemoteManagement *handler = makeHandler();
    handler->orvelReply(syncReply({ { "doneItems", QVariantMap { { "ip", 1 } } } }), 200, ok, {});
    QTest::qWait(200);
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
        {});
    QCOMPARE(waitForRequests(1), QStringList { QStringLiteral("op=done&cmd=events&data=30") });
    QVERIFY(handler->pendingEvents().isEmpty());
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
        {});
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
        {});
    QVERIFY(workingEnd.wait(5000));
    QVERIFY(mTerminal->loadIni(false).contains(QLatin1String("sszepPort")));
    QCOMPARE(waitForRequests(2).at(1), QStringLiteral("op=done&cmd=events_failed&data=41"));
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
        {});
    QCOMPARE(mTerminal->record.token, QStringLiteral("schema-token"));
    QCOMPARE(mTerminal->saves, 1);
    QCOMPARE(mSettings->value(QStringLiteral("serverKLD/ip")).toString(),
             QStringLiteral("10.1.2.3"));
    QCOMPARE(mSettings->value(QStringLiteral("serverKLD/port")).toInt(), 8088);
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
    mSettings->setValue(QStringLiteral("global/camRestartsLimit"), limit);
    RemoteManagement *handler = makeHandler();
    for (int i = 0; i < restarts; ++i)
        handler->onCamRestart();
    QCOMPARE(mTerminal->reboots.size(), reboots);
}

QTEST_GUILESS_MAIN(tst_RemoteManagement)
#include "tst_remotemanagement.moc"
