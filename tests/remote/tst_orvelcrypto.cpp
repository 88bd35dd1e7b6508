#include "remote/orvelcrypto.h"

#include "foundation/bodyencoding.h"

#include <QDateTime>
#include <QtTest>

class tst_OrvelCrypto : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void roundTrip_data();
    void roundTrip();
    void onePairKeyXorsEveryByte();
    void secretIsLowercaseHexDigest();
    void secretNeedsTerminalData_data();
    void secretNeedsTerminalData();
    void wireTextIsUrlSafe_data();
    void wireTextIsUrlSafe();
    void stampTravelsAroundTheCipher();
    void foreignTextDoesNotDecrypt_data();
    void foreignTextDoesNotDecrypt();
    void nothingIsEncryptedWithoutAKey();
};

void tst_OrvelCrypto::init()
{
    setTermData(7, QStringLiteral("shared-key"), QStringLiteral("SN-0007"));
}

void tst_OrvelCrypto::roundTrip_data()
{
    QTest::addColumn<QString>("plain");
    QTest::newRow("request") << QStringLiteral("op=get&cmd=term&id=7");
    QTest::newRow("json") << QStringLiteral("{\"err\":0,\"res\":\"OK\"}");
    QTest::newRow("slovak name") << QStringLiteral("{\"data\":\"Vrátnica – Žilina\"}");
    QTest::newRow("one character") << QStringLiteral("x");
    QTest::newRow("long") << QString(3000, QLatin1Char('a'));
}

void tst_OrvelCrypto::roundTrip()
{
    QFETCH(QString, plain);
    const QString wire = orvelEncrypt(plain);
    QVERIFY(!wire.isEmpty());
    QCOMPARE(orvelDecrypt(wire), plain);
}

void tst_OrvelCrypto::onePairKeyXorsEveryByte()
{
    const QByteArray data("\x00\x01\xff\x7f", 4);
    QCOMPARE(orvelDoCrypt(data, QStringLiteral("a5")), QByteArray("\xa5\xa4\x5a\xda", 4));
    QCOMPARE(orvelDoCrypt(orvelDoCrypt(data, QStringLiteral("0f1e")), QStringLiteral("0f1e")),
             data);
    QCOMPARE(orvelDoCrypt(data, QString()), QByteArray());
    QCOMPARE(orvelDoCrypt(QByteArray(), QStringLiteral("a5")), QByteArray());
}

void tst_OrvelCrypto::secretIsLowercaseHexDigest()
{
    // Minutes pick the digest: every length of both kinds occurs within ten minutes.
    const uint start = 1800000000;
    QSet<int> lengths;
    for (uint minute = 0; minute < 10; ++minute) {
        const QString key = getOrvelSecret(start + minute * 60);
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]+$")).match(key).hasMatch());
        lengths << key.size();
        QCOMPARE(getOrvelSecret(start + minute * 60), key);
    }
    QCOMPARE(lengths, (QSet<int> { 32, 40 }));
    QVERIFY(getOrvelSecret(start) != getOrvelSecret(start + 3600));
}

void tst_OrvelCrypto::secretNeedsTerminalData_data()
{
    QTest::addColumn<int>("tid");
    QTest::addColumn<QString>("sharedKey");
    QTest::addColumn<QString>("serialNumber");
    QTest::newRow("no terminal id") << 0 << "key"
                                    << "sn";
    QTest::newRow("no shared key") << 7 << ""
                                   << "sn";
    QTest::newRow("no serial number") << 7 << "key"
                                      << "";
}

void tst_OrvelCrypto::secretNeedsTerminalData()
{
    QFETCH(int, tid);
    QFETCH(QString, sharedKey);
    QFETCH(QString, serialNumber);
    setTermData(tid, sharedKey, serialNumber);
    QTest::ignoreMessage(QtWarningMsg, "getOrvelSecret() - BAD input parameters");
    QCOMPARE(getOrvelSecret(1800000000), QString());
}

void tst_OrvelCrypto::wireTextIsUrlSafe_data()
{
    QTest::addColumn<QString>("plain");
    for (int length = 1; length <= 12; ++length)
        QTest::addRow("length %d", length) << QString(length, QChar(0xfe));
}

void tst_OrvelCrypto::wireTextIsUrlSafe()
{
    QFETCH(QString, plain);
    for (uint t = 1800000000; t < 1800000000 + 600; t += 60) {
        const QString wire = orvelEncrypt(plain, t);
        QVERIFY(!wire.isEmpty());
        QVERIFY2(!wire.contains(QLatin1Char('+')) && !wire.contains(QLatin1Char('/'))
                     && !wire.contains(QLatin1Char('=')),
                 qPrintable(wire));
    }
}

void tst_OrvelCrypto::stampTravelsAroundTheCipher()
{
    // 1800000000 - 946681200 = 853318800: "8533" ends the message, "18800" starts it.
    const QByteArray raw = decodeBody(orvelEncrypt(QStringLiteral("abc"), 1800000000).toLatin1());
    QCOMPARE(raw.size(), 9 + 3);
    QCOMPARE(raw.left(5), QByteArray("18800"));
    QCOMPARE(raw.right(4), QByteArray("8533"));
    // The receiver uses the sender's stamp, not its own clock.
    QCOMPARE(orvelDecrypt(orvelEncrypt(QStringLiteral("{\"a\":1}"), 1800000000)),
             QStringLiteral("{\"a\":1}"));
}

void tst_OrvelCrypto::foreignTextDoesNotDecrypt_data()
{
    QTest::addColumn<QString>("wire");
    QTest::newRow("other terminal data") << QString();
    QTest::newRow("not base64") << QStringLiteral("%%%not*base64%%%");
    QTest::newRow("too short") << QStringLiteral("MTIz");
}

void tst_OrvelCrypto::foreignTextDoesNotDecrypt()
{
    QFETCH(QString, wire);
    if (wire.isEmpty()) {
        setTermData(8, QStringLiteral("other-key"), QStringLiteral("SN-0008"));
        wire = orvelEncrypt(QStringLiteral("{\"err\":0}"), 1800000000);
        setTermData(7, QStringLiteral("shared-key"), QStringLiteral("SN-0007"));
    }
    QVERIFY(!orvelDecrypt(wire).startsWith(QLatin1Char('{')));
}

void tst_OrvelCrypto::nothingIsEncryptedWithoutAKey()
{
    setTermData(7, QString(), QStringLiteral("SN-0007"));
    QTest::ignoreMessage(QtWarningMsg, "getOrvelSecret() - BAD input parameters");
    QTest::ignoreMessage(QtWarningMsg, "orvelDoCrypt() - BAD Input parameters");
    QCOMPARE(orvelEncrypt(QStringLiteral("op=get")), QString());
}

QTEST_GUILESS_MAIN(tst_OrvelCrypto)
#include "tst_orvelcrypto.moc"
