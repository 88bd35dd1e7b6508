#include "remote/downloader.h"

#include "tests/support/scriptedhttpserver.h"

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

QTEST_GUILESS_MAIN(tst_Downloader)
#include "tst_downloader.moc"
