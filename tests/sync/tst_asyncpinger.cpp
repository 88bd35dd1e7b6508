#include "sync/asyncpinger.h"
#include "tests/support/scriptedhttpserver.h"

#include <QSignalSpy>
#include <QtTest>

using Reply = ScriptedHttpServer::Reply;

class TestAsyncPinger : public QObject
{
    Q_OBJECT

private slots:
    void url_data();
    void url();
    void verdict_data();
    void verdict();
    void lateReplyIgnored();
    void refusedConnection();
    void hungProbesDoNotBlockLaterOnes();
};

void TestAsyncPinger::url_data()
{
    QTest::addColumn<uint>("port");
    QTest::addColumn<QString>("url");
    QTest::newRow("port 80 left out") << 80u << QStringLiteral("http://server.local/ping.html");
    QTest::newRow("port 8080 written")
        << 8080u << QStringLiteral("http://server.local:8080/ping.html");
}

void TestAsyncPinger::url()
{
    QFETCH(uint, port);
    QFETCH(QString, url);
    AsyncPinger pinger(QStringLiteral("server.local"), port);
    QCOMPARE(pinger.pingUrl().toString(), url);
}

void TestAsyncPinger::verdict_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("200") << 200 << true;
    QTest::newRow("302 redirect") << 302 << true;
    QTest::newRow("399") << 399 << true;
    QTest::newRow("199") << 199 << false;
    QTest::newRow("400") << 400 << false;
    QTest::newRow("404") << 404 << false;
    QTest::newRow("500") << 500 << false;
}

void TestAsyncPinger::verdict()
{
    QFETCH(int, status);
    QFETCH(bool, reachable);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.enqueue(ScriptedHttpServer::reply(status, "pong", "text/html"));
    AsyncPinger pinger(QStringLiteral("127.0.0.1"), server.port());
    QSignalSpy finished(&pinger, &AsyncPinger::pingFinished);
    pinger.doPing();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toBool(), reachable);
    QCOMPARE(server.requests().value(0).path, QByteArray("/ping.html"));
    QCOMPARE(server.requests().value(0).method, QByteArray("GET"));
}

void TestAsyncPinger::lateReplyIgnored()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    Reply late = ScriptedHttpServer::reply(200, "pong", "text/html");
    late.delayMs = 600;
    server.enqueue(late);
    AsyncPinger pinger(QStringLiteral("127.0.0.1"), server.port());
    pinger.setTimeout(150);
    QSignalSpy finished(&pinger, &AsyncPinger::pingFinished);
    QElapsedTimer clock;
    clock.start();
    pinger.doPing();
    QVERIFY(finished.wait(5000));
    QVERIFY(clock.elapsed() < 550);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    // The late 200 arrives and is dropped.
    QVERIFY(!finished.wait(800));

    // The next probe is judged afresh.
    pinger.doPing();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(1).at(0).toBool(), true);
}

void TestAsyncPinger::refusedConnection()
{
    quint16 port = 0;
    {
        ScriptedHttpServer closed;
        QVERIFY(closed.listen());
        port = closed.port();
    }
    AsyncPinger pinger(QStringLiteral("127.0.0.1"), port);
    QSignalSpy finished(&pinger, &AsyncPinger::pingFinished);
    pinger.doPing();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(!finished.wait(50));
    QCOMPARE(finished.count(), 1);
}

// Probes that are never answered are dropped after a while; otherwise they
// would hold every connection to the host and later probes would never be sent.
void TestAsyncPinger::hungProbesDoNotBlockLaterOnes()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    Reply silent;
    silent.mode = Reply::NoAnswer;
    const int connectionsPerHost = 6;
    for (int i = 0; i < connectionsPerHost; ++i)
        server.enqueue(silent);
    AsyncPinger pinger(QStringLiteral("127.0.0.1"), server.port());
    pinger.setTimeout(100);
    QSignalSpy finished(&pinger, &AsyncPinger::pingFinished);
    for (int i = 0; i < connectionsPerHost; ++i) {
        pinger.doPing();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.last().at(0).toBool(), false);
    }
    QTRY_COMPARE(server.requests().size(), connectionsPerHost);
    QTest::qWait(500);

    pinger.setTimeout(2000);
    pinger.doPing();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.last().at(0).toBool(), true);
}

QTEST_GUILESS_MAIN(TestAsyncPinger)
#include "tst_asyncpinger.moc"
