#include "remote/downloader.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/scriptedhttpserver.h"
#include "tests/support/smalltmpfs.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QSslConfiguration>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_Downloader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void jobsAreNumberedInCallOrder();
    void refusesUrlsItCannotFetch_data();
    void refusesUrlsItCannotFetch();
    void savesIntoTarget_data();
    void savesIntoTarget();
    void transferErrorIsReported();
    void onlyACompleteFileIsSaved_data();
    void onlyACompleteFileIsSaved();
    void fullDiskKeepsTheFileThere();
    void authenticationIsLogged_data();
    void authenticationIsLogged();
    void certificateIsChecked_data();
    void certificateIsChecked();

private:
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(mServer->port()).arg(path));
    }

    std::unique_ptr<QTemporaryDir> mDir;
    std::unique_ptr<ScriptedHttpServer> mServer;
};

void tst_Downloader::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    mServer = std::make_unique<ScriptedHttpServer>();
    QVERIFY(mServer->listen());
    mServer->setHandler([](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(200, "file content", "application/octet-stream");
    });
}

void tst_Downloader::jobsAreNumberedInCallOrder()
{
    Downloader downloader;
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    QCOMPARE(downloader.downloadFile(url(QStringLiteral("/a.bin")), mDir->path()), 1);
    QCOMPARE(downloader.downloadFile(url(QStringLiteral("/b.bin")), mDir->path()), 2);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
    QCOMPARE(QSet<int>({ finished.at(0).at(0).toInt(), finished.at(1).at(0).toInt() }),
             QSet<int>({ 1, 2 }));
    QVERIFY(QFile::exists(mDir->filePath(QStringLiteral("a.bin"))));
    QVERIFY(QFile::exists(mDir->filePath(QStringLiteral("b.bin"))));
}

void tst_Downloader::refusesUrlsItCannotFetch_data()
{
    QTest::addColumn<QUrl>("source");
    QTest::newRow("empty") << QUrl();
    QTest::newRow("invalid") << QUrl(QStringLiteral("http://exa mple.com/%zz"), QUrl::StrictMode);
}

void tst_Downloader::refusesUrlsItCannotFetch()
{
    QFETCH(QUrl, source);
    Downloader downloader;
    QCOMPARE(downloader.downloadFile(source, mDir->path()), -1);
    QCOMPARE(downloader.downloadFile(url(QStringLiteral("/next.bin")), mDir->path()), 1);
}

void tst_Downloader::savesIntoTarget_data()
{
    QTest::addColumn<QString>("urlPath");
    QTest::addColumn<QString>("target"); // relative to the temporary folder
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("errCode");
    QTest::addColumn<QString>("written"); // relative to the temporary folder
    QTest::newRow("folder without trailing slash") << "/pkg/update.bin"
                                                   << "in"
                                                   << "" << 0 << "in/update.bin";
    QTest::newRow("folder with trailing slash") << "/update.bin"
                                                << "in/"
                                                << "" << 0 << "in/update.bin";
    QTest::newRow("named file in folder") << "/x"
                                          << "in"
                                          << "zep-2.bin" << 0 << "in/zep-2.bin";
    QTest::newRow("file target") << "/x"
                                 << "in/given.bin"
                                 << "" << 0 << "in/given.bin";
    QTest::newRow("url without file name") << "/"
                                           << "in"
                                           << "" << 11 << "";
    QTest::newRow("dot-dot from url") << "/a/%2E%2E"
                                      << "in"
                                      << "" << 11 << "";
    QTest::newRow("dot-dot file name") << "/x"
                                       << "in"
                                       << "../evil.bin" << 11 << "";
    QTest::newRow("absolute file name") << "/x"
                                        << "in"
                                        << "/tmp/evil.bin" << 11 << "";
    QTest::newRow("folder missing") << "/x"
                                    << "missing/x.bin"
                                    << "" << 31 << "";
}

void tst_Downloader::savesIntoTarget()
{
    QFETCH(QString, urlPath);
    QFETCH(QString, target);
    QFETCH(QString, fileName);
    QFETCH(int, errCode);
    QFETCH(QString, written);
    QVERIFY(QDir(mDir->path()).mkpath(QStringLiteral("in/sub")));
    Downloader downloader;
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    const int job = downloader.downloadFile(url(urlPath), mDir->filePath(target), fileName);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toInt(), job);
    QCOMPARE(finished.at(0).at(1).toInt(), errCode);
    if (!written.isEmpty()) {
        QFile file(mDir->filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("file content"));
    }
    QVERIFY(!QFile::exists(mDir->filePath(QStringLiteral("evil.bin"))));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/evil.bin")));
}

void tst_Downloader::transferErrorIsReported()
{
    mServer->setHandler([](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(404, "missing", "text/plain");
    });
    Downloader downloader;
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    QSignalSpy errors(&downloader, &Downloader::replyError);
    QCOMPARE(downloader.downloadFile(url(QStringLiteral("/gone.bin")), mDir->path()), 1);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(1).toInt(), int(QNetworkReply::ContentNotFoundError));
    QCOMPARE(errors.size(), 1);
    QVERIFY(!QFile::exists(mDir->filePath(QStringLiteral("gone.bin"))));
}

// The update file is kept only when what arrived is the file: redirects are followed to it,
// anything else leaves the target as it was.
void tst_Downloader::onlyACompleteFileIsSaved_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("sha256");
    QTest::addColumn<int>("errCode");
    QTest::addColumn<QByteArray>("content");
    const QByteArray old = "old program";
    const QByteArray good = "new program";
    const QByteArray digest = QCryptographicHash::hash(good, QCryptographicHash::Sha256).toHex();
    QTest::newRow("direct") << "/file" << QByteArray() << 0 << good;
    QTest::newRow("redirect followed") << "/moved" << QByteArray() << 0 << good;
    QTest::newRow("redirect loop")
        << "/loop" << QByteArray() << int(QNetworkReply::TooManyRedirectsError) << old;
    QTest::newRow("302 without a location")
        << "/nowhere" << QByteArray() << int(QNetworkReply::ProtocolUnknownError) << old;
    QTest::newRow("304 instead of the file") << "/gone" << QByteArray() << 21 << old;
    QTest::newRow("sign-in page with the checksum of the file")
        << "/error-page" << digest << 33 << old;
    QTest::newRow("checksum matches") << "/file" << digest << 0 << good;
    QTest::newRow("checksum in capitals") << "/file" << digest.toUpper() << 0 << good;
    QTest::newRow("larger than the limit") << "/big" << QByteArray() << 32 << old;
    QTest::newRow("empty body") << "/empty" << QByteArray() << 20 << old;
}

void tst_Downloader::onlyACompleteFileIsSaved()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, sha256);
    QFETCH(int, errCode);
    QFETCH(QByteArray, content);
    const QByteArray base = QStringLiteral("http://127.0.0.1:%1").arg(mServer->port()).toLatin1();
    mServer->setHandler([base](const ScriptedHttpServer::Request &request) {
        ScriptedHttpServer::Reply reply
            = ScriptedHttpServer::reply(200, "new program", "application/octet-stream");
        if (request.path == "/moved") {
            reply = ScriptedHttpServer::reply(302, "<html>moved</html>", "text/html");
            reply.headers.append({ "Location", base + "/file" });
        } else if (request.path == "/loop") {
            reply = ScriptedHttpServer::reply(302, "<html>moved</html>", "text/html");
            reply.headers.append({ "Location", base + "/loop" });
        } else if (request.path == "/nowhere") {
            reply = ScriptedHttpServer::reply(302, "<html>moved</html>", "text/html");
        } else if (request.path == "/error-page") {
            reply = ScriptedHttpServer::reply(200, "<html>sign in</html>", "text/html");
        } else if (request.path == "/big") {
            reply = ScriptedHttpServer::reply(200, QByteArray(3000, 'x'), "text/plain");
        } else if (request.path == "/gone") {
            reply = ScriptedHttpServer::reply(304, QByteArray(), "text/html");
        } else if (request.path == "/empty") {
            reply = ScriptedHttpServer::reply(200, QByteArray(), "text/plain");
        }
        return reply;
    });
    const QString target = mDir->filePath(QStringLiteral("zep-2.bin"));
    QFile existing(target);
    QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old program") == 11);
    existing.close();
    Downloader downloader;
    downloader.setMaxSize(2000);
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    downloader.downloadFile(url(path), target, QString(), sha256);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(1).toInt(), errCode);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(QDir(mDir->path()).entryList(QDir::Files), QStringList { "zep-2.bin" });
}

// The download does not fit on the disk: it fails, and the file there stays whole.
void tst_Downloader::fullDiskKeepsTheFileThere()
{
    SmallTmpfs disk(mDir->path(), 64);
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + disk.error()));
    const QString target = mDir->filePath(QStringLiteral("zep-2.bin"));
    QFile existing(target);
    QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old program") == 11);
    existing.close();
    QVERIFY(disk.fill());
    mServer->setHandler([](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(
            200, QByteArray(32 * 1024, 'n'), "application/octet-stream");
    });
    Downloader downloader;
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    downloader.downloadFile(url(QStringLiteral("/file")), target);
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.at(0).at(1).toInt() != 0);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old program"));
}

void tst_Downloader::authenticationIsLogged_data()
{
    QTest::addColumn<bool>("throughProxy");
    QTest::addColumn<QString>("logged");
    QTest::newRow("server") << false << "Downloader::authenticationRequired()";
    QTest::newRow("proxy") << true << "Downloader::proxyAuthenticationRequired()";
}

void tst_Downloader::authenticationIsLogged()
{
    QFETCH(bool, throughProxy);
    QFETCH(QString, logged);
    mServer->setHandler([throughProxy](const ScriptedHttpServer::Request &) {
        ScriptedHttpServer::Reply reply
            = ScriptedHttpServer::reply(throughProxy ? 407 : 401, "no", "text/plain");
        const QByteArray challenge = throughProxy ? "Proxy-Authenticate" : "WWW-Authenticate";
        reply.headers.append({ challenge, "Basic realm=\"zep\"" });
        return reply;
    });
    DbMessageCapture messages;
    Downloader downloader;
    if (throughProxy)
        downloader.setProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), mServer->port()));
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    downloader.downloadFile(throughProxy ? QUrl(QStringLiteral("http://zep.invalid/x.bin"))
                                         : url(QStringLiteral("/x.bin")),
                            mDir->path());
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.at(0).at(1).toInt() != 0);
    QVERIFY2(messages.all().contains(logged), qPrintable(messages.all().join('\n')));
    QVERIFY(!QFile::exists(mDir->filePath(QStringLiteral("x.bin"))));
}

// An update from a server whose certificate the terminal cannot trust is refused: the error is
// logged and reported, the request never leaves the handshake and the old file stays.
void tst_Downloader::certificateIsChecked_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<int>("errCode");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("requests");
    QTest::newRow("self-signed certificate")
        << false << int(QNetworkReply::SslHandshakeFailedError) << QByteArray("old program") << 0;
    QTest::newRow("certificate of a trusted authority")
        << true << 0 << QByteArray("new program") << 1;
}

void tst_Downloader::certificateIsChecked()
{
    QFETCH(bool, trusted);
    QFETCH(int, errCode);
    QFETCH(QByteArray, content);
    QFETCH(int, requests);
    QVERIFY(QSslSocket::supportsSsl());
    ScriptedHttpServer server;
    QVERIFY(server.listenWithTls());
    server.setHandler([](const ScriptedHttpServer::Request &) {
        return ScriptedHttpServer::reply(200, "new program", "application/octet-stream");
    });
    const QSslConfiguration systemDefault = QSslConfiguration::defaultConfiguration();
    const auto restore = qScopeGuard(
        [systemDefault] { QSslConfiguration::setDefaultConfiguration(systemDefault); });
    if (trusted) {
        QSslConfiguration withTestAuthority = systemDefault;
        withTestAuthority.setCaCertificates({ TlsTcpServer::loopbackCertificate() });
        QSslConfiguration::setDefaultConfiguration(withTestAuthority);
    }
    const QString target = mDir->filePath(QStringLiteral("zep-2.bin"));
    QFile existing(target);
    QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old program") == 11);
    existing.close();

    DbMessageCapture messages;
    Downloader downloader;
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    QSignalSpy errors(&downloader, &Downloader::replyError);
    downloader.downloadFile(
        QUrl(QStringLiteral("https://127.0.0.1:%1/zep-2.bin").arg(server.port())), target);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(1).toInt(), errCode);
    QCOMPARE(errors.size(), trusted ? 0 : 1);
    QCOMPARE(messages.startingWith(QStringLiteral("Downloader::sslErrors()")).size(),
             trusted ? 0 : 1);
    QCOMPARE(server.requests().size(), requests);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(QDir(mDir->path()).entryList(QDir::Files), QStringList { "zep-2.bin" });
}

QTEST_GUILESS_MAIN(tst_Downloader)
#include "tst_downloader.moc"
