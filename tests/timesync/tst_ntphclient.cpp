#include "timesync/ntphclient.h"

#include "tests/support/scriptedhttpserver.h"
#include "tests/support/testclock.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

namespace {

const qint64 firstSendTime = 1700000000000;

// Client times of a scripted measurement: exchange k is sent at firstSendTime + k * 10 s
// and its reply read delay(k) + 1 ms later; the client reads the clock once for each.
struct ScriptedClock
{
    QList<int> delays;
    int reads = 0;

    qint64 next()
    {
        const int exchange = reads / 2;
        const qint64 t1 = firstSendTime + exchange * 10000;
        return reads++ % 2 == 0 ? t1 : t1 + delays.value(exchange) + 1;
    }
};

// Answers "/ntph/<t1>" as a server 1000 ms ahead that needs 1 ms: t2 = t1 + 1000,
// t3 = t2 + 1; the n-th request gets bodies[n % size] filled with t1, t2, t3.
ScriptedHttpServer::Handler ntphHandler(const QStringList &bodies, int status, int *answered)
{
    return [=](const ScriptedHttpServer::Request &request) {
        const qint64 t1 = request.path.mid(int(qstrlen("/ntph/"))).toLongLong();
        const QString body = bodies.at(*answered % bodies.size());
        ++*answered;
        return ScriptedHttpServer::reply(
            status, body.arg(t1).arg(t1 + 1000).arg(t1 + 1001).toLatin1(), "text/plain");
    };
}

} // namespace

class tst_NtphClient : public QObject
{
    Q_OBJECT
private slots:
    void parseNtph_data();
    void parseNtph();
    void minimumDelayCountsRejectedReplies();
    void measurement_data();
    void measurement();
    void secondRequestWhileBusy();
    void echoedSendTimeMustBeTheOneSent();
    void unansweredRequest_data();
    void unansweredRequest();
    void invalidHost();
};

void tst_NtphClient::parseNtph_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("t4");
    QTest::addColumn<uint>("delay");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("csDelay");
    QTest::addColumn<int>("scDelay");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("worked example") << QStringLiteral("NTPH:1000:1550:1560") << qint64(1100) << 90u
                                    << 505 << 45 << 45 << QStringLiteral("OK");
    QTest::newRow("server behind") << QStringLiteral("NTPH:1000:500:510") << qint64(1030) << 20u
                                   << -510 << 10 << 10 << QStringLiteral("OK");
    QTest::newRow("send time equal to receive time")
        << QStringLiteral("NTPH:1000:1550:1550") << qint64(1100) << 100u << 500 << 50 << 50
        << QStringLiteral("INVALID");
    QTest::newRow("reply read before it was sent")
        << QStringLiteral("NTPH:1000:1550:1560") << qint64(1000) << 10u << 555 << 5 << 5
        << QStringLiteral("INVALID");
    // Odd round trips leave 1 ms between the halved legs; that is no inconsistency.
    QTest::newRow("1 ms round trip") << QStringLiteral("NTPH:1000:2000:2001") << qint64(1002) << 1u
                                     << 999 << 1 << 0 << QStringLiteral("OK");
    QTest::newRow("offset beyond 24 days")
        << QStringLiteral("NTPH:1000:3000000000:3000000001") << qint64(1002) << 1u
        << int(qint32(qint64(2999998999))) << 1 << 0 << QStringLiteral("INVALID");
    QTest::newRow("missing send time") << QStringLiteral("NTPH:1000:1550") << qint64(1100) << 1650u
                                       << -275 << 275 << 275 << QStringLiteral("INVALID");
    // A time that is no clock reading reads as absent, and the sample cannot be used.
    QTest::newRow("unreadable client time")
        << QStringLiteral("NTPH:abc:1550:1560") << qint64(1100) << 1090u << 1005 << 545 << 545
        << QStringLiteral("INVALID");
    QTest::newRow("server times at the end of the range")
        << QStringLiteral("NTPH:1000:9223372036854775807:9223372036854775807") << qint64(1100)
        << 100u << -1050 << 50 << 50 << QStringLiteral("INVALID");
    QTest::newRow("client time at the start of the range")
        << QStringLiteral("NTPH:-9223372036854775808:1550:1560") << qint64(1100) << 1090u << 1005
        << 545 << 545 << QStringLiteral("INVALID");
    QTest::newRow("receive time at the end of the range")
        << QStringLiteral("NTPH:1000:1550:1560") << std::numeric_limits<qint64>::max() << 1010u
        << 1055 << 505 << 505 << QStringLiteral("INVALID");
}

void tst_NtphClient::parseNtph()
{
    QFETCH(QString, text);
    QFETCH(qint64, t4);
    NtphClient client;
    const NtphSample sample = client.parseNtph(text, t4);
    QTEST(sample.delay, "delay");
    QTEST(sample.offset, "offset");
    QTEST(sample.csDelay, "csDelay");
    QTEST(sample.scDelay, "scDelay");
    QTEST(NtphClient::verdict(sample), "verdict");
    QCOMPARE(client.minimumDelay(), sample.delay);
}

void tst_NtphClient::minimumDelayCountsRejectedReplies()
{
    NtphClient client;
    client.parseNtph(QStringLiteral("NTPH:1000:1550:1560"), 1100); // delay 90
    QCOMPARE(client.minimumDelay(), 90u);
    const NtphSample rejected = client.parseNtph(QStringLiteral("NTPH:1000:1550:1550"), 1030);
    QCOMPARE(NtphClient::verdict(rejected), QStringLiteral("INVALID"));
    QCOMPARE(client.minimumDelay(), 30u);
    client.parseNtph(QStringLiteral("NTPH:1000:1550:1560"), 1100);
    QCOMPARE(client.minimumDelay(), 30u);
}

void tst_NtphClient::measurement_data()
{
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<QStringList>("bodies");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("used");
    QTest::addColumn<QStringList>("traceLines");
    const QStringList good { "NTPH:%1:%2:%3" };
    const QString fourColons = QStringLiteral("NTPH:%1:%2:%3:");

    QTest::newRow("three kept")
        << QList<int> { 40, 42, 44 } << good << 200 << 979 << true << 3
        << QStringList { "NTPH Reply [1] => times: 1700000000000|1700000001000|1700000001001|"
                         "1700000000041 - delay: 40, csDelay: 20, scDelay: 20 \t offset: 980 \t OK",
                         "Valid delay range: 40 .. 82",
                         "USED NTPH [1] => delay: 40  offset: 980",
                         "USED NTPH [3] => delay: 44  offset: 978" };
    QList<int> slowLast;
    for (int delay = 40; delay < 60; ++delay)
        slowLast << delay;
    slowLast << 90;
    QTest::newRow("slow sample outside the delay range")
        << slowLast << good << 200 << 975 << true << 20
        << QStringList { "Valid delay range: 40 .. 82",
                         "USED NTPH [20] => delay: 59  offset: 970" };
    QTest::newRow("1 ms minimum: samples within the millisecond slack count")
        << QList<int> { 1, 3, 4, 20 } << good << 200 << 998 << true << 3
        << QStringList { "Valid delay range: 1 .. 4" };
    QTest::newRow("trailing colon rejected")
        << QList<int> { 40, 40, 40 } << QStringList { fourColons } << 200 << 0 << false << 0
        << QStringList();
    QTest::newRow("fewer than three kept")
        << QList<int> { 40, 40, 40, 40 } << QStringList { fourColons, fourColons, good[0], good[0] }
        << 200 << 0 << false << 0 << QStringList();
    QTest::newRow("error status, the body still counts")
        << QList<int> { 40, 42, 44 } << good << 500 << 979 << true << 3 << QStringList();
}

void tst_NtphClient::measurement()
{
    QFETCH(QList<int>, delays);
    QFETCH(QStringList, bodies);
    QFETCH(int, status);
    QFETCH(int, used);
    QFETCH(QStringList, traceLines);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    int answered = 0;
    server.setHandler(ntphHandler(bodies, status, &answered));
    ScriptedClock clock { delays };
    NtphClient client;
    TestClock testClock([&clock] { return clock.next(); });
    client.setRoundCount(quint8(delays.size()));
    QSignalSpy result(&client, &NtphClient::currentOffsetMs);
    QSignalSpy trace(&client, &NtphClient::debugData);

    QVERIFY(client.getOffset(QStringLiteral("127.0.0.1"), server.port()));
    QVERIFY(result.wait(5000));
    QCOMPARE(result.size(), 1);
    QTEST(result.at(0).at(0).toInt(), "offset");
    QTEST(result.at(0).at(1).toBool(), "valid");
    QVERIFY(!client.isBusy());
    QCOMPARE(server.requests().size(), delays.size());
    QCOMPARE(server.requests().at(0).path,
             QByteArray("/ntph/") + QByteArray::number(firstSendTime));
    // Each exchange on a connection of its own: on a kept-alive one a server may hold its
    // replies for the delayed acknowledgement.
    for (const ScriptedHttpServer::Request &request : server.requests())
        QCOMPARE(request.headers.value("connection"), QByteArray("close"));

    QStringList lines;
    for (const QList<QVariant> &emitted : qAsConst(trace))
        lines << emitted.at(0).toString();
    for (const QString &line : qAsConst(traceLines))
        QVERIFY2(lines.contains(line), qPrintable(line));
    QCOMPARE(lines.filter(QStringLiteral("USED NTPH")).size(), used);
}

void tst_NtphClient::secondRequestWhileBusy()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    int answered = 0;
    server.setHandler(ntphHandler({ "NTPH:%1:%2:%3" }, 200, &answered));
    ScriptedClock clock { { 40, 40, 40 } };
    NtphClient client;
    TestClock testClock([&clock] { return clock.next(); });
    client.setRoundCount(3);
    QSignalSpy result(&client, &NtphClient::currentOffsetMs);

    QVERIFY(client.getOffset(QStringLiteral("127.0.0.1"), server.port()));
    QVERIFY(!client.getOffset(QStringLiteral("127.0.0.2"), quint16(server.port() + 1)));
    QVERIFY(result.wait(5000));
    QCOMPARE(result.at(0).at(1).toBool(), true);
    QCOMPARE(server.requests().size(), 3);
    QCOMPARE(result.size(), 1);
}

// Consistent times, but the echoed send time is not the one of the request: the reply
// answers another request (or none) and would move the clock by 1980 ms.
void tst_NtphClient::echoedSendTimeMustBeTheOneSent()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setHandler([](const ScriptedHttpServer::Request &request) {
        const qint64 t1 = request.path.mid(int(qstrlen("/ntph/"))).toLongLong();
        return ScriptedHttpServer::reply(
            200,
            QStringLiteral("NTPH:%1:%2:%3").arg(t1 - 2000).arg(t1 + 1000).arg(t1 + 1001).toLatin1(),
            "text/plain");
    });
    ScriptedClock clock { { 40, 40, 40 } };
    NtphClient client;
    TestClock testClock([&clock] { return clock.next(); });
    client.setRoundCount(3);
    QSignalSpy result(&client, &NtphClient::currentOffsetMs);
    QVERIFY(client.getOffset(QStringLiteral("127.0.0.1"), server.port()));
    QVERIFY(result.wait(5000));
    QCOMPARE(result.at(0).at(1).toBool(), false);
}

void tst_NtphClient::unansweredRequest_data()
{
    QTest::addColumn<int>("answeredFirst");
    QTest::addColumn<bool>("valid");
    QTest::newRow("first request unanswered") << 0 << false;
    QTest::newRow("samples so far give the result") << 4 << true;
}

void tst_NtphClient::unansweredRequest()
{
    QFETCH(int, answeredFirst);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    int answered = 0;
    const auto good = ntphHandler({ "NTPH:%1:%2:%3" }, 200, &answered);
    server.setHandler([&](const ScriptedHttpServer::Request &request) {
        if (answered < answeredFirst)
            return good(request);
        ScriptedHttpServer::Reply silence;
        silence.mode = ScriptedHttpServer::Reply::NoAnswer;
        return silence;
    });
    ScriptedClock clock;
    for (int i = 0; i < 20; ++i)
        clock.delays << 40;
    NtphClient client;
    TestClock testClock([&clock] { return clock.next(); });
    client.setRequestTimeout(200);
    QSignalSpy result(&client, &NtphClient::currentOffsetMs);

    QVERIFY(client.getOffset(QStringLiteral("127.0.0.1"), server.port()));
    QVERIFY(result.wait(5000));
    QTEST(result.at(0).at(1).toBool(), "valid");
    QCOMPARE(server.requests().size(), answeredFirst + 1);
    QVERIFY(!client.isBusy());
    QVERIFY(client.getOffset(QStringLiteral("127.0.0.1"), server.port()));
}

void tst_NtphClient::invalidHost()
{
    NtphClient client;
    QSignalSpy result(&client, &NtphClient::currentOffsetMs);
    // The receiver of a result may start the next measurement at once.
    QList<bool> askedAgain;
    connect(&client, &NtphClient::currentOffsetMs, this, [&] {
        if (askedAgain.isEmpty())
            askedAgain << client.getOffset(QStringLiteral("no such/host"), 8088);
    });
    QVERIFY(client.getOffset(QStringLiteral("no such/host"), 8088));
    QTRY_COMPARE_WITH_TIMEOUT(result.size(), 2, 5000);
    QCOMPARE(result.at(0).at(0).toInt(), 0);
    QCOMPARE(result.at(0).at(1).toBool(), false);
    QCOMPARE(askedAgain, QList<bool> { true });
    QVERIFY(!client.isBusy());
}

QTEST_GUILESS_MAIN(tst_NtphClient)
#include "tst_ntphclient.moc"
