#include "foundation/networkaccess.h"

#include <QNetworkAccessManager>
#include <QTest>

// The network manager is made at the first request and takes the proxy set before.
class TestNetworkAccess : public QObject
{
    Q_OBJECT
private slots:
    void madeAtFirstUse();
    void proxyBeforeAndAfter();
};

void TestNetworkAccess::madeAtFirstUse()
{
    NetworkAccess access;
    QVERIFY(!access.isMade());
    QVERIFY(!access.findChild<QNetworkAccessManager *>());
    QNetworkAccessManager *manager = access.manager();
    QVERIFY(manager);
    QVERIFY(access.isMade());
    QCOMPARE(access.manager(), manager);
}

void TestNetworkAccess::proxyBeforeAndAfter()
{
    NetworkAccess access;
    QCOMPARE(access.proxy().type(), QNetworkProxy::DefaultProxy);
    const QNetworkProxy before(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128);
    access.setProxy(before);
    QCOMPARE(access.proxy(), before);
    QVERIFY(!access.isMade());
    QCOMPARE(access.manager()->proxy(), before);

    const QNetworkProxy after(QNetworkProxy::NoProxy);
    access.setProxy(after);
    QCOMPARE(access.manager()->proxy(), after);
    QCOMPARE(access.proxy(), after);
}

QTEST_GUILESS_MAIN(TestNetworkAccess)
#include "tst_networkaccess.moc"
