#include "foundation/bodyencoding.h"

#include <QtTest>

class tst_BodyEncoding : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void decodeRejectsNothingItCanRead();
};

void tst_BodyEncoding::encode_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("settings text ab") << QByteArray("ab") << QByteArray("YWI@");
    QTest::newRow("empty json object") << QByteArray("{}") << QByteArray("e30@");
    QTest::newRow("no padding") << QByteArray("abc") << QByteArray("YWJj");
    QTest::newRow("plus and slash") << QByteArray("\xfb\xff\xbf", 3) << QByteArray("-_-_");
    QTest::newRow("two pads") << QByteArray("\xff", 1) << QByteArray("_w@@");
}

void tst_BodyEncoding::encode()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, encoded);
    QCOMPARE(encodeBody(plain), encoded);
    QCOMPARE(decodeBody(encoded), plain);
}

void tst_BodyEncoding::decodeRejectsNothingItCanRead()
{
    // Plain Base64 (with "+", "/" and "=") still decodes: the characters do not collide.
    QCOMPARE(decodeBody("+/+/"), QByteArray("\xfb\xff\xbf", 3));
    QCOMPARE(decodeBody("YWI="), QByteArray("ab"));
}

QTEST_GUILESS_MAIN(tst_BodyEncoding)
#include "tst_bodyencoding.moc"
