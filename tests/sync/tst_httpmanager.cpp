#include "sync/httpmanager.h"
#include "sync/jsonhelper.h"
#include "tests/support/scriptedhttpserver.h"

#include <QSignalSpy>
#include <QtTest>

using Reply = ScriptedHttpServer::Reply;

class TestHttpManager : public QObject
{
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void replies_data();
    void replies();
    void postSendsUtf8();
    void staleReplyAborted();
    void finishedReplyNotTracked();
    void jsonParse_data();
    void jsonParse();
    void jsonSerialize();
};

void TestHttpManager::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("no error") << 0 << QString();
    QTest::newRow("connection refused") << 1 << QStringLiteral("Error: Connection Refused");
    QTest::newRow("time-out") << 4 << QStringLiteral("Error: Timeout");
    QTest::newRow("canceled") << 5 << QStringLiteral("Error: Operation Canceled");
    QTest::newRow("unknown network") << 99 << QStringLiteral("Error: Unknown Network Error");
    QTest::newRow("proxy time-out") << 104 << QStringLiteral("Error: Proxy Timeout");
    QTest::newRow("unknown proxy") << 199 << QStringLiteral("Error: Unknown Proxy Error");
    QTest::newRow("content re-send") << 205 << QStringLiteral("Error: Content ReSend Error");
    QTest::newRow("protocol failure") << 399 << QStringLiteral("Error: Protocol Failure");
    QTest::newRow("internal server error has none") << 401 << QString();
}

void TestHttpManager::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(HttpManager::errorText(QNetworkReply::NetworkError(code)), text);
}

void TestHttpManager::replies_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("errorCode");
    QTest::newRow("200 delivers the text")
        << 200 << QByteArray("héllo") << QStringLiteral("héllo") << -1;
    QTest::newRow("text ends at a zero byte")
        << 200 << QByteArray("ab\0cd", 5) << QStringLiteral("ab") << -1;
    QTest::newRow("404 is an error with its status")
        << 404 << QByteArray("missing") << QString() << 404;
}

void TestHttpManager::replies()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, data);
    QFETCH(int, errorCode);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.enqueue(ScriptedHttpServer::reply(status, body, "text/plain"));
    HttpManager manager;
    QStringList order;
    connect(&manager, &HttpManager::sigReplyFinished, this, [&] { order << "finished"; });
    connect(&manager, &HttpManager::dataReaded, this, [&] { order << "data"; });
    connect(&manager, &HttpManager::requestError, this, [&] { order << "error"; });
    QSignalSpy readed(&manager, &HttpManager::dataReaded);
    QSignalSpy errors(&manager, &HttpManager::requestError);
    manager.getData(QStringLiteral("http://127.0.0.1:%1/x").arg(server.port()));
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 5000);
    QCOMPARE(order.first(), QStringLiteral("finished"));
    if (errorCode < 0) {
        QCOMPARE(readed.value(0).value(0).toString(), data);
        QVERIFY(errors.isEmpty());
    } else {
        QCOMPARE(errors.value(0).value(1).toInt(), errorCode);
        QVERIFY(readed.isEmpty());
    }
    QCOMPARE(manager.runningReplies(), 0);
}

void TestHttpManager::postSendsUtf8()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    HttpManager manager;
    QSignalSpy readed(&manager, &HttpManager::dataReaded);
    manager.postData(QStringLiteral("http://127.0.0.1:%1/post").arg(server.port()),
                     QStringLiteral("čaj"));
    QVERIFY(readed.wait(5000));
    QCOMPARE(server.requests().value(0).method, QByteArray("POST"));
    QCOMPARE(server.requests().value(0).body, QStringLiteral("čaj").toUtf8());
}

void TestHttpManager::staleReplyAborted()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    Reply silent;
    silent.mode = Reply::NoAnswer;
    server.enqueue(silent);
    HttpManager manager;
    manager.setCheckInterval(100);
    QSignalSpy errors(&manager, &HttpManager::requestError);
    manager.getData(QStringLiteral("http://127.0.0.1:%1/slow").arg(server.port()));
    QCOMPARE(manager.runningReplies(), 1);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.at(0).at(1).toInt(), 0);
    QCOMPARE(manager.runningReplies(), 0);
}

void TestHttpManager::finishedReplyNotTracked()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    HttpManager manager;
    manager.setCheckInterval(100);
    QSignalSpy readed(&manager, &HttpManager::dataReaded);
    QSignalSpy errors(&manager, &HttpManager::requestError);
    manager.getData(QStringLiteral("http://127.0.0.1:%1/fast").arg(server.port()));
    QVERIFY(readed.wait(5000));
    QCOMPARE(manager.runningReplies(), 0);
    QTest::qWait(300); // two checks pass without anything to abort
    QVERIFY(errors.isEmpty());
}

void TestHttpManager::jsonParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantMap>("object");
    QTest::newRow("object") << QStringLiteral(R"({"a":1,"b":"x"})")
                            << QVariantMap { { "a", 1 }, { "b", "x" } };
    QTest::newRow("nested") << QStringLiteral(R"({"r":{"c":[1,2]}})")
                            << QVariantMap { { "r",
                                               QVariantMap { { "c", QVariantList { 1, 2 } } } } };
    QTest::newRow("malformed gives empty") << QStringLiteral("{\"a\":") << QVariantMap();
    QTest::newRow("empty text gives empty") << QString() << QVariantMap();
}

void TestHttpManager::jsonParse()
{
    QFETCH(QString, text);
    QFETCH(QVariantMap, object);
    JsonHelper helper;
    const QVariantMap parsed = helper.parse(text);
    QCOMPARE(QJsonDocument::fromVariant(parsed).toJson(),
             QJsonDocument::fromVariant(object).toJson());
}

void TestHttpManager::jsonSerialize()
{
    JsonHelper helper;
    const QVariantMap object { { "k", "v" }, { "n", 5 } };
    QCOMPARE(helper.parse(helper.serialize(object)), object);
}

QTEST_GUILESS_MAIN(TestHttpManager)
#include "tst_httpmanager.moc"
