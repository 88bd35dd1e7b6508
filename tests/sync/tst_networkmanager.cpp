#include "sync/networkmanager.h"

#include "tests/support/workdir.h"

#include <QtTest>

using Flags = QNetworkInterface::InterfaceFlags;
Q_DECLARE_METATYPE(Flags)

namespace {

QNetworkAddressEntry entry(const QString &ip, const QString &mask, const QString &broadcast)
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(ip));
    e.setNetmask(QHostAddress(mask));
    if (!broadcast.isEmpty())
        e.setBroadcast(QHostAddress(broadcast));
    return e;
}

} // namespace

class tst_NetworkManager : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void qualifies_data();
    void qualifies();
    void addresses_data();
    void addresses();
    void chosenInterfaceAnswersConsistently();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_NetworkManager::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
}

void tst_NetworkManager::qualifies_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<Flags>("flags");
    QTest::addColumn<bool>("chosen");
    const QString mac = QStringLiteral("02:FC:00:00:00:01");
    const Flags upRunning = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    QTest::newRow("ethernet up") << true << mac << upRunning << true;
    QTest::newRow("invalid") << false << mac << upRunning << false;
    QTest::newRow("loop-back") << true << mac << (upRunning | QNetworkInterface::IsLoopBack)
                               << false;
    QTest::newRow("down") << true << mac << Flags(QNetworkInterface::IsRunning) << false;
    QTest::newRow("up, not running") << true << mac << Flags(QNetworkInterface::IsUp) << false;
    QTest::newRow("short hardware address")
        << true << QStringLiteral("00:00:00:00:00") << upRunning << false;
}

void tst_NetworkManager::qualifies()
{
    QFETCH(bool, valid);
    QFETCH(QString, mac);
    QFETCH(Flags, flags);
    QFETCH(bool, chosen);
    QCOMPARE(NetworkManager::qualifies(valid, mac, flags), chosen);
}

void tst_NetworkManager::addresses_data()
{
    QTest::addColumn<QList<QNetworkAddressEntry>>("entries");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::newRow("none") << QList<QNetworkAddressEntry>() << "0.0.0.0"
                          << "0.0.0.0";
    QTest::newRow("IPv6 only") << QList<QNetworkAddressEntry> { entry(
        "fd00::2", "ffff:ffff:ffff:ffff::", "") }
                               << "0.0.0.0"
                               << "ffff:ffff:ffff:ffff::";
    QTest::newRow("IPv4 then IPv6")
        << QList<QNetworkAddressEntry> { entry("192.0.2.2", "255.255.255.0", "192.0.2.255"),
                                         entry("fd00::2", "ffff:ffff:ffff:ffff::", "") }
        << "192.0.2.2"
        << "ffff:ffff:ffff:ffff::";
    QTest::newRow("last IPv4 wins")
        << QList<QNetworkAddressEntry> { entry("192.0.2.2", "255.255.255.0", "192.0.2.255"),
                                         entry("10.1.2.3", "255.0.0.0", "10.255.255.255") }
        << "10.1.2.3"
        << "255.0.0.0";
}

void tst_NetworkManager::addresses()
{
    QFETCH(QList<QNetworkAddressEntry>, entries);
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QCOMPARE(NetworkManager::ipOf(entries), ip);
    QCOMPARE(NetworkManager::maskOf(entries), mask);
}

void tst_NetworkManager::chosenInterfaceAnswersConsistently()
{
    NetworkManager manager;
    const QString mac = manager.getMac();
    if (mac.isEmpty()) {
        QCOMPARE(manager.getIP(), QStringLiteral("0.0.0.0"));
        QCOMPARE(manager.getMask(), QStringLiteral("0.0.0.0"));
        QVERIFY(!manager.isNetActive());
    } else {
        QCOMPARE(mac.size(), 17);
    }
    QString ip, mask, gateway, dns;
    manager.getStatic(ip, mask, gateway, dns);
    QCOMPARE(ip, manager.getIP());
    QCOMPARE(mask, manager.getMask());
    QCOMPARE(gateway, QStringLiteral("0.0.0.0"));
    QCOMPARE(dns, QStringLiteral("0.0.0.0"));

    QFile log(QStringLiteral("netman.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.contains("Found interfaces:"));
    QVERIFY(text.contains("NetworkManager::getMac()= " + mac.toLatin1()));
    QVERIFY(text.contains("NetworkManager::getStatic:"));
}

QTEST_GUILESS_MAIN(tst_NetworkManager)
#include "tst_networkmanager.moc"
