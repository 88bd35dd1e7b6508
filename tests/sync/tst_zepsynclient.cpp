#include "tests/support/scriptedhttpserver.h"
#include "foundation/bodyencoding.h"
#include "sync/idpairencoding.h"
#include "sync/zepsynclient.h"

#include <QSignalSpy>
#include <QtTest>

using Reply = ScriptedHttpServer::Reply;

class TestZepSynClient : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void idPair_data();
    void idPair();
    void headers_data();
    void headers();
    void postBody();
    void methods_data();
    void methods();
    void replyDecoding_data();
    void replyDecoding();
    void failures_data();
    void failures();

private:
    void send(ZepSynClient &client,
              const QByteArray &method,
              const QString &path,
              const QByteArray &body = {});

    ScriptedHttpServer *mServer = nullptr;
    std::unique_ptr<ScriptedHttpServer> mServerOwner;
};

void TestZepSynClient::init()
{
    mServerOwner = std::make_unique<ScriptedHttpServer>();
    mServer = mServerOwner.get();
    QVERIFY(mServer->listen());
}

void TestZepSynClient::send(ZepSynClient &client,
                            const QByteArray &method,
                            const QString &path,
                            const QByteArray &body)
{
    if (method == "GET")
        client.sendGetRequest(path);
    else if (method == "DELETE")
        client.sendDeleteRequest(path);
    else if (method == "POST")
        client.sendPostRequest(path, body);
    else
        client.sendPutRequest(path, body);
}

void TestZepSynClient::idPair_data()
{
    QTest::addColumn<uint>("a");
    QTest::addColumn<uint>("b");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("7.12 padded to -7.012") << 7u << 12u << QStringLiteral("LTcuMDEy");
    QTest::newRow("1.1 unpadded") << 1u << 1u << QStringLiteral("MS4x");
    QTest::newRow("10.5 padded to -10.05") << 10u << 5u << QStringLiteral("LTEwLjA1");
    QTest::newRow("12.34 padded to 12.034") << 12u << 34u << QStringLiteral("MTIuMDM0");
    QTest::newRow("zeros") << 0u << 0u << QStringLiteral("MC4w");
    QTest::newRow("largest") << 4294967295u << 4294967295u
                             << QString::fromLatin1(
                                    QByteArray("4294967295.4294967295").toBase64());
}

void TestZepSynClient::idPair()
{
    QFETCH(uint, a);
    QFETCH(uint, b);
    QFETCH(QString, encoded);
    QCOMPARE(IdPairEncoding::encode(a, b), encoded);
}

void TestZepSynClient::headers_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<uint>("lid");
    QTest::addColumn<QString>("lt");
    QTest::addColumn<QByteArray>("pragma");
    QTest::addColumn<QByteArray>("authorization");
    QTest::newRow("no token, no credential")
        << QString() << 0u << QString() << QByteArray() << QByteArray();
    QTest::newRow("token") << QStringLiteral("abc") << 0u << QString() << QByteArray("token = abc")
                           << QByteArray();
    QTest::newRow("credential") << QString() << 15u << QStringLiteral("secret") << QByteArray()
                                << QByteArray("ZEPSYNC " + encodeBody("secret:15"));
    QTest::newRow("login id 0 clears the credential")
        << QString() << 0u << QStringLiteral("secret") << QByteArray() << QByteArray();
    QTest::newRow("empty login token clears the credential")
        << QString() << 15u << QString() << QByteArray() << QByteArray();
}

void TestZepSynClient::headers()
{
    QFETCH(QString, token);
    QFETCH(uint, lid);
    QFETCH(QString, lt);
    QFETCH(QByteArray, pragma);
    QFETCH(QByteArray, authorization);

    ZepSynClient client;
    client.host = QStringLiteral("127.0.0.1");
    client.port = mServer->port();
    client.token = token;
    client.setAuth(7, QStringLiteral("earlier")); // replaced by the row's values
    client.setAuth(lid, lt);
    QSignalSpy finished(&client, &ZepSynClient::replyFinished);
    client.sendGetRequest(QStringLiteral("sync/K"));
    QVERIFY(finished.wait(5000));

    const auto request = mServer->requests().value(0);
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, QByteArray("/zepsync/sync/K"));
    QCOMPARE(request.headers.value("content-type"), QByteArray("application/zep"));
    QCOMPARE(request.headers.value("pragma"), pragma);
    QCOMPARE(request.headers.value("authorization"), authorization);
}

void TestZepSynClient::postBody()
{
    ZepSynClient client;
    client.host = QStringLiteral("127.0.0.1");
    client.port = mServer->port();
    QSignalSpy finished(&client, &ZepSynClient::replyFinished);
    client.sendPostRequest(QStringLiteral("term"), QByteArrayLiteral("{}"));
    QVERIFY(finished.wait(5000));

    const auto request = mServer->requests().value(0);
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/zepsync/term"));
    QCOMPARE(request.body, QByteArray("e30@"));
    QCOMPARE(request.headers.value("content-length"), QByteArray("4"));
    QCOMPARE(request.headers.value("content-type"), QByteArray("application/zep"));
}

void TestZepSynClient::methods_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("GET") << QByteArray("GET") << QByteArray();
    QTest::newRow("DELETE") << QByteArray("DELETE") << QByteArray();
    QTest::newRow("POST") << QByteArray("POST") << QByteArray("{\"a\":1}");
    QTest::newRow("PUT") << QByteArray("PUT") << QByteArray("{\"a\":1}");
}

void TestZepSynClient::methods()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, body);
    ZepSynClient client;
    client.host = QStringLiteral("127.0.0.1");
    client.port = mServer->port();
    QSignalSpy finished(&client, &ZepSynClient::replyFinished);
    send(client, method, QStringLiteral("person/K/MS4x"), body);
    QVERIFY(finished.wait(5000));
    const auto request = mServer->requests().value(0);
    QCOMPARE(request.method, method);
    QCOMPARE(request.path, QByteArray("/zepsync/person/K/MS4x"));
    QCOMPARE(decodeBody(request.body), body);
}

void TestZepSynClient::replyDecoding_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("data");
    const QByteArray json("{\"err\":0}");
    QTest::newRow("json with charset passed on")
        << QByteArray("application/json; charset=utf-8") << json << json;
    QTest::newRow("zep decoded") << QByteArray("application/zep") << encodeBody(json)
                                 << json;
    QTest::newRow("no content type decoded") << QByteArray() << encodeBody(json) << json;
    QTest::newRow("empty body") << QByteArray("application/json") << QByteArray() << QByteArray();
}

void TestZepSynClient::replyDecoding()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, data);
    mServer->enqueue(ScriptedHttpServer::reply(200, body, contentType));
    ZepSynClient client;
    client.host = QStringLiteral("127.0.0.1");
    client.port = mServer->port();
    QSignalSpy finished(&client, &ZepSynClient::replyFinished);
    client.sendGetRequest(QStringLiteral("sync/K"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<quint16>(), quint16(200));
    QCOMPARE(finished.at(0).at(1).toByteArray(), data);
}

void TestZepSynClient::failures_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("serverDown");
    QTest::addColumn<quint16>("status");
    QTest::addColumn<bool>("networkError");
    const QByteArray body(R"({"err":404,"res":"Terminal not found"})");
    QTest::newRow("404 keeps its status")
        << int(Reply::Complete) << 404 << body << false << quint16(404) << true;
    QTest::newRow("500 keeps its status")
        << int(Reply::Complete) << 500 << body << false << quint16(500) << true;
    QTest::newRow("server stops mid-body")
        << int(Reply::Stall) << 200 << body << false << quint16(0) << true;
    QTest::newRow("server never answers")
        << int(Reply::NoAnswer) << 200 << body << false << quint16(0) << true;
    QTest::newRow("body over the bound refused")
        << int(Reply::Complete) << 200 << QByteArray(4096, 'x') << false << quint16(0) << true;
    QTest::newRow("connection refused")
        << int(Reply::Complete) << 200 << body << true << quint16(0) << true;
}

void TestZepSynClient::failures()
{
    QFETCH(int, mode);
    QFETCH(int, httpStatus);
    QFETCH(QByteArray, body);
    QFETCH(bool, serverDown);
    QFETCH(quint16, status);
    QFETCH(bool, networkError);

    Reply r = ScriptedHttpServer::reply(httpStatus, body);
    r.mode = Reply::Mode(mode);
    mServer->enqueue(r);
    ZepSynClient client;
    client.host = QStringLiteral("127.0.0.1");
    client.port = mServer->port();
    if (serverDown)
        mServerOwner.reset();
    client.setTransferTimeout(300);
    client.setMaxBodySize(1024);
    QSignalSpy finished(&client, &ZepSynClient::replyFinished);
    QSignalSpy errors(&client, &ZepSynClient::networkError);
    client.sendGetRequest(QStringLiteral("sync/K"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).value<quint16>(), status);
    QCOMPARE(errors.isEmpty(), !networkError);
    if (status == 0)
        QVERIFY(finished.at(0).at(1).toByteArray().isEmpty() || mode == Reply::Stall);
    QVERIFY(!finished.wait(50));
    QCOMPARE(finished.count(), 1);
}

QTEST_GUILESS_MAIN(TestZepSynClient)
#include "tst_zepsynclient.moc"
