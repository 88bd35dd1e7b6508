#include "remote/remotemanagement.h"

#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "remote/orvel.h"
#include "tests/support/workdir.h"
#include "tests/support/fakemanagedterminal.h"
#include "tests/support/remoteserviceprocess.h"

#include <QJsonArray>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

// The terminal's remote management against the development service.
class tst_RemoteIntegration : public QObject
{
    Q_OBJECT
private slots:
    void registersReportsAppliesAndUploads();
};

void tst_RemoteIntegration::registersReportsAppliesAndUploads()
{
    RemoteServiceProcess service;
    const QJsonObject terminal {
        { "tid", 7 },
        { "skey", "dev-shared-key" },
        { "sn", "DEV-0007" },
        { "items",
          QJsonArray {
              QJsonObject { { "id", 1 }, { "field", "nazov" }, { "data", "Vrátnica" } } } },
        { "events",
          QJsonArray {
              QJsonObject { { "eid", 12 }, { "typ", "LOGS" }, { "data", QJsonObject() } } } },
    };
    QVERIFY2(service.start({ { "server",
                               QJsonObject { { "srvh", "127.0.0.1" },
                                             { "srvp", 8088 },
                                             { "srvt", "dev-schema-token" } } },
                             { "terminals", QJsonArray { terminal } } }),
             qPrintable(service.output()));

    WorkDir dir;
    ZEPSettings settings(QStringLiteral("zep.ini"));
    settings.setValue(QStringLiteral("orvel/sszep"), QStringLiteral("127.0.0.1"));
    settings.setValue(QStringLiteral("orvel/sszepPort"), service.port());
    settings.syncSettings();
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write("2026-12-10 10:00:00 => Base::init():\n");
    log.close();
    DataDBManager db(QStringLiteral("./data.db"));
    FakeManagedTerminal term(settings.fileName());
    term.record.tid = 7;
    term.record.sn = QStringLiteral("DEV-0007");
    term.record.skey = QStringLiteral("dev-shared-key");
    term.record.ini = term.loadIni(false);
    QVERIFY(db.addSyncItem(QStringLiteral("ip"), QStringLiteral("10.0.0.5")));
    // A deletion waiting for the attendance server is no business of remote management.
    QVERIFY(db.addSyncItem(QStringLiteral("delEntrance/3"), 33));
    const auto reportable = [&db] {
        QList<SyncItem> items = db.loadSyncItems();
        items.erase(std::remove_if(items.begin(), items.end(), &EntranceDeletions::isDeletion),
                    items.end());
        return items;
    };

    RemoteManagement handler(&settings, &term, &db, nullptr);
    QSignalSpy replies(&handler, &RemoteManagement::orvelReplyFinished);

    // Registration: the terminal asks for its record and learns the attendance server.
    handler.doSyncOrvel();
    QTRY_VERIFY_WITH_TIMEOUT(term.record.token == QLatin1String("dev-schema-token"), 10000);
    QCOMPARE(settings.value(QStringLiteral("serverKLD/port")).toInt(), 8088);

    // Reports follow until the service has every sync item, the name is applied and
    // the log package has arrived.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QJsonObject state = service.terminalState(7);
            if (reportable().isEmpty()
                && state.value(QStringLiteral("doneEvents")).toArray().contains(12))
                return true;
            if (replies.size() > 0 && handler.orvel()->outstandingRequests() == 0) {
                replies.clear();
                handler.doSyncOrvel();
            }
            return false;
        },
        20000));

    QCOMPARE(term.record.nazov, QStringLiteral("Vrátnica"));
    QCOMPARE(settings.value(QStringLiteral("global/terminalName")).toString(),
             QStringLiteral("Vrátnica"));
    const QJsonObject state = service.terminalState(7);
    QCOMPARE(EntranceDeletions(&db).ready(), (QList<EntranceDeletions::Deletion> { { 3, 33 } }));
    QVERIFY(
        !state.value(QStringLiteral("items")).toObject().contains(QStringLiteral("delEntrance/3")));
    QCOMPARE(state.value(QStringLiteral("items")).toObject().value(QStringLiteral("ip")).toString(),
             QStringLiteral("10.0.0.5"));
    QCOMPARE(state.value(QStringLiteral("doneItems")).toArray(), QJsonArray { 1 });
    QVERIFY(state.value(QStringLiteral("pendingItems")).toArray().isEmpty());
    QVERIFY(state.value(QStringLiteral("pendingEvents")).toArray().isEmpty());

    const QJsonArray uploads = state.value(QStringLiteral("uploads")).toArray();
    QCOMPARE(uploads.size(), 1);
    QProcess tar;
    tar.start(QStringLiteral("tar"), { QStringLiteral("-tzf"), uploads.at(0).toString() });
    QVERIFY(tar.waitForFinished(5000));
    QCOMPARE(tar.exitCode(), 0);
    QVERIFY(tar.readAllStandardOutput().split('\n').contains("zep.log"));
    QTRY_VERIFY_WITH_TIMEOUT(handler.pendingEvents().isEmpty(), 5000);
}

QTEST_GUILESS_MAIN(tst_RemoteIntegration)
#include "tst_remoteintegration.moc"
