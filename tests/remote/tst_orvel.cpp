#include "remote/orvel.h"

#include "foundation/zepsettings.h"
#include "remote/orvelcrypto.h"
#include "remote/orvelstatussource.h"
#include "tests/support/scriptedhttpserver.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

namespace {

class StatusSource : public OrvelStatusSource
{
public:
    const TermData &terminalRecord() const override { return record; }
    int proxyState() const override { return -1; }
    QString getSyncItems() override { return items; }
    void flushUsagesCPU() override { ++flushes; }

    TermData record;
    QString items;
    int flushes = 0;
};

// The plain request text of a recorded request (query form), percent-decoded.
QString plainRequest(const ScriptedHttpServer::Request &request)
{
    const QUrl url(QString::fromLatin1(request.path));
    const QString q = QUrlQuery(url).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
    return QUrl::fromPercentEncoding(orvelDecrypt(q.mid(12)).toLatin1());
}

} // namespace

class tst_Orvel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void terminalTokenOfId7();
    void requestUrl_data();
    void requestUrl();
    void replies_data();
    void replies();
    void networkingOffKeepsTheCounter();
    void firstUpdateAsksForTheTerminal();
    void laterUpdatesReportTheStatus();
    void followsANewServiceAddress();
    void noReportWithoutTerminalData_data();
    void noReportWithoutTerminalData();
    void uploadIsMultipart();
    void uploadRefusesBadArguments_data();
    void uploadRefusesBadArguments();

private:
    Orvel *makeOrvel();

    std::unique_ptr<QTemporaryDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<ScriptedHttpServer> mServer;
    StatusSource mSource;
};

void tst_Orvel::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    mSettings = std::make_unique<ZEPSettings>(mDir->filePath(QStringLiteral("zep.ini")));
    mServer = std::make_unique<ScriptedHttpServer>();
    QVERIFY(mServer->listen());
    mSettings->setValue(QStringLiteral("orvel/sszep"), QStringLiteral("127.0.0.1"));
    mSettings->setValue(QStringLiteral("orvel/sszepPort"), mServer->port());
    mSettings->setValue(QStringLiteral("orvel/pingEnabled"), false);
    mSource = StatusSource();
    mSource.record.tid = 7;
    mSource.record.sn = QStringLiteral("SN-0007");
    mSource.record.skey = QStringLiteral("shared-key");
    mSource.record.model = QStringLiteral("VZEP");
    mSource.record.ver = QStringLiteral("1.0.0");
    mSource.record.rev = QStringLiteral("abc123");
    mSource.record.btime = 1765000000;
    setTermData(7, mSource.record.skey, mSource.record.sn);
}

void tst_Orvel::cleanup()
{
    mServer.reset();
    mSettings.reset();
    mDir.reset();
}

Orvel *tst_Orvel::makeOrvel()
{
    return new Orvel(mSettings.get(), &mSource, this);
}

void tst_Orvel::terminalTokenOfId7()
{
    QCOMPARE(Orvel::terminalToken(7), QStringLiteral("MDAwMDAwMDA3"));
    QCOMPARE(Orvel::terminalToken(123456789).size(), 12);
}

void tst_Orvel::requestUrl_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("cleanUrl");
    QTest::addColumn<QString>("url");
    QTest::newRow("port 80 omitted")
        << 80 << "/" << false << "http://orvel.example/?q=MDAwMDAwMDA3CIPHER";
    QTest::newRow("other port kept")
        << 8090 << "/" << false << "http://orvel.example:8090/?q=MDAwMDAwMDA3CIPHER";
    QTest::newRow("clean") << 80 << "/" << true << "http://orvel.example/MDAwMDAwMDA3CIPHER";
    QTest::newRow("clean with path")
        << 81 << "/api/" << true << "http://orvel.example:81/api/MDAwMDAwMDA3CIPHER";
}

void tst_Orvel::requestUrl()
{
    QFETCH(int, port);
    QFETCH(QString, path);
    QFETCH(bool, cleanUrl);
    QFETCH(QString, url);
    mSettings->setValue(QStringLiteral("orvel/sszep"), QStringLiteral("orvel.example"));
    mSettings->setValue(QStringLiteral("orvel/sszepPort"), port);
    mSettings->setValue(QStringLiteral("orvel/sszepPath"), path);
    mSettings->setValue(QStringLiteral("orvel/cleanURL"), cleanUrl);
    QCOMPARE(makeOrvel()->requestUrl(QStringLiteral("CIPHER")).toString(), url);
}

void tst_Orvel::replies_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("replyStatus");
    QTest::addColumn<QString>("errorEnd");
    const QString json = QStringLiteral("{\"err\":0,\"res\":\"Vrátnica\"}");
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    QTest::newRow("plain json is an error")
        << 200 << json.toUtf8() << json << 200 << "\nPLAIN REPLY";
    QTest::newRow("empty body") << 404 << QByteArray() << QString() << 404 << "";
    QTest::newRow("encrypted json") << 200 << orvelEncrypt(json).toLatin1() << json << 200 << "";
    QTest::newRow("undecryptable")
        << 200 << QByteArray("bm90IGEgbWVzc2FnZQ@@") << QString() << 2200 << "\nDECRYPT ERROR";
    QTest::newRow("stale key") << 200 << orvelEncrypt(json, now - 200 * 86400).toLatin1()
                               << QString() << 2200 << "\nDECRYPT ERROR (stale key)";
}

void tst_Orvel::replies()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, data);
    QFETCH(int, replyStatus);
    QFETCH(QString, errorEnd);
    mServer->enqueue(ScriptedHttpServer::reply(status, body, "text/plain"));
    Orvel *orvel = makeOrvel();
    QSignalSpy replies(orvel, &Orvel::reply);
    orvel->sendRequest(QStringLiteral("op=get&cmd=term&id=7"));
    QCOMPARE(orvel->outstandingRequests(), 1);
    QVERIFY(replies.wait(5000));
    QCOMPARE(replies.at(0).at(0).toString(), data);
    QCOMPARE(replies.at(0).at(1).toInt(), replyStatus);
    const QString error = replies.at(0).at(2).toString();
    QVERIFY2(status == 200 && errorEnd.isEmpty() ? error.isEmpty() : error.endsWith(errorEnd),
             qPrintable(error));
    // The reply comes with the request it answers.
    QCOMPARE(replies.at(0).at(3).toString(), QStringLiteral("op=get&cmd=term&id=7"));
    QCOMPARE(orvel->outstandingRequests(), 0);
}

void tst_Orvel::networkingOffKeepsTheCounter()
{
    Orvel *orvel = makeOrvel();
    mSettings->setValue(QStringLiteral("global/networking"), false);
    orvel->doUpdate();
    QCOMPARE(orvel->updateCount(), 0u);
    mSettings->setValue(QStringLiteral("global/networking"), true);
    orvel->doUpdate();
    QCOMPARE(orvel->updateCount(), 1u);
}

void tst_Orvel::firstUpdateAsksForTheTerminal()
{
    Orvel *orvel = makeOrvel();
    QSignalSpy replies(orvel, &Orvel::reply);
    orvel->doUpdate();
    QVERIFY(replies.wait(5000));
    QCOMPARE(mServer->requests().size(), 1);
    QCOMPARE(plainRequest(mServer->requests().at(0)), QStringLiteral("op=get&cmd=term&id=7"));
    QCOMPARE(mSource.flushes, 0);
}

void tst_Orvel::laterUpdatesReportTheStatus()
{
    Orvel *orvel = makeOrvel();
    QSignalSpy replies(orvel, &Orvel::reply);
    orvel->doUpdate();
    QVERIFY(replies.wait(5000));
    mSource.items = QStringLiteral("1765000000:nazov:Vrátnica|1765000001:ip:10.0.0.5");
    orvel->doUpdate();
    QVERIFY(replies.wait(5000));
    QCOMPARE(plainRequest(mServer->requests().at(1)),
             QStringLiteral("op=sync&sw=V&tid=7&ver=1.0.0&rev=abc123&btime=1765000000&prxstate=-1"
                            "&items=1765000000:nazov:Vrátnica|1765000001:ip:10.0.0.5"));
    QCOMPARE(mSource.flushes, 1);
}

// Settings replaced by remote management take effect without a restart.
void tst_Orvel::followsANewServiceAddress()
{
    Orvel *orvel = makeOrvel();
    ScriptedHttpServer moved;
    QVERIFY(moved.listen());
    mSettings->setValue(QStringLiteral("orvel/sszepPort"), moved.port());
    mSettings->setValue(QStringLiteral("orvel/sszepPath"), QStringLiteral("/zep/"));
    QSignalSpy replies(orvel, &Orvel::reply);
    orvel->doUpdate();
    QVERIFY(replies.wait(5000));
    QCOMPARE(mServer->requests().size(), 0);
    QCOMPARE(moved.requests().size(), 1);
    QVERIFY(moved.requests().at(0).path.startsWith("/zep/"));
}

void tst_Orvel::noReportWithoutTerminalData_data()
{
    QTest::addColumn<int>("tid");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<QString>("sharedKey");
    QTest::addColumn<int>("requests");
    QTest::newRow("no terminal id") << 0 << "SN"
                                    << "key" << 0;
    QTest::newRow("no serial number") << 7 << ""
                                      << "key" << 1;
    QTest::newRow("no shared key") << 7 << "SN"
                                   << "" << 1;
}

void tst_Orvel::noReportWithoutTerminalData()
{
    QFETCH(int, tid);
    QFETCH(QString, serialNumber);
    QFETCH(QString, sharedKey);
    QFETCH(int, requests);
    Orvel *orvel = makeOrvel();
    QSignalSpy replies(orvel, &Orvel::reply);
    mSource.record.tid = tid;
    orvel->doUpdate(); // with a terminal id: asks for the terminal
    if (requests == 1)
        QVERIFY(replies.wait(5000));
    mSource.record.tid = tid;
    mSource.record.sn = serialNumber;
    mSource.record.skey = sharedKey;
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    orvel->doUpdate();
    QVERIFY(!received.wait(200));
    QCOMPARE(mServer->requests().size(), requests);
    QCOMPARE(mSource.flushes, 0);
}

void tst_Orvel::uploadIsMultipart()
{
    const QString file = mDir->filePath(QStringLiteral("logs-12.tar.gz"));
    QFile package(file);
    QVERIFY(package.open(QIODevice::WriteOnly));
    package.write(QByteArray("\x1f\x8b package", 10));
    package.close();
    Orvel *orvel = makeOrvel();
    QSignalSpy replies(orvel, &Orvel::reply);
    QVERIFY(
        orvel->uploadFile(file, QStringLiteral("LOGS"), 12, QStringLiteral("application/x-gzip")));
    QVERIFY(replies.wait(5000));
    const ScriptedHttpServer::Request request = mServer->requests().at(0);
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(plainRequest(request), QStringLiteral("op=upload&cmd=LOGS&eid=12"));
    const QByteArray contentType = request.headers.value("content-type");
    QVERIFY(contentType.startsWith("multipart/form-data; boundary="));
    const QByteArray boundary = contentType.mid(contentType.indexOf('=') + 1);
    QCOMPARE(boundary.size(), 8);
    QCOMPARE(request.headers.value("content-length").toInt(), request.body.size());
    QCOMPARE(request.body,
             "--" + boundary + "\r\nContent-Disposition: form-data; name=\"action\"\r\n\r\n"
                 + "index.php\r\n--" + boundary
                 + "\r\nContent-Disposition: form-data; name=\"upfile\"; "
                   "filename=\"logs-12.tar.gz\"\r\n"
                 + "Content-Type: application/x-gzip\r\n\r\n" + QByteArray("\x1f\x8b package", 10)
                 + "\r\n--" + boundary + "--\r\n");
}

void tst_Orvel::uploadRefusesBadArguments_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("type");
    QTest::newRow("no type") << "a.tar.gz" << QByteArray("data") << "";
    QTest::newRow("no file") << "" << QByteArray() << "LOGS";
    QTest::newRow("empty file") << "empty.tar.gz" << QByteArray() << "LOGS";
}

void tst_Orvel::uploadRefusesBadArguments()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, type);
    const QString path = mDir->filePath(fileName.isEmpty() ? QStringLiteral("missing") : fileName);
    if (!fileName.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("^Orvel::uploadFile")));
    QSignalSpy received(mServer.get(), &ScriptedHttpServer::requestReceived);
    QVERIFY(!makeOrvel()->uploadFile(path, type, 3, QStringLiteral("application/x-gzip")));
    QVERIFY(!received.wait(50));
    QVERIFY(mServer->requests().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Orvel)
#include "tst_orvel.moc"
