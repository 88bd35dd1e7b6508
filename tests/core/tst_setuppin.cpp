#include "core/setuppin.h"

#include <QSettings>
#include <QtTest>

// The setup PIN in the native settings (the suite's own XDG_CONFIG_HOME).
class tst_SetupPin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void verify_data();
    void verify();
    void refusedPins_data();
    void refusedPins();
    void lockOutGrows();
};

void tst_SetupPin::init()
{
    QSettings settings(QStringLiteral("VELNIK"), QStringLiteral("ZEP"));
    settings.remove(QStringLiteral("setup"));
    settings.remove(QStringLiteral("setupFormat"));
}

void tst_SetupPin::verify_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QVariant>("earlierNumber");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("leading zeros kept") << "0123" << QVariant() << "0123" << true;
    QTest::newRow("leading zeros count") << "0123" << QVariant() << "123" << false;
    QTest::newRow("wrong") << "2468" << QVariant() << "2469" << false;
    QTest::newRow("number of an earlier version") << QString() << QVariant(1234u) << "1234" << true;
    QTest::newRow("earlier number, wrong") << QString() << QVariant(1234u) << "4321" << false;
}

void tst_SetupPin::verify()
{
    QFETCH(QString, saved);
    QFETCH(QVariant, earlierNumber);
    QFETCH(QString, entered);
    QFETCH(bool, accepted);

    SetupPin pin;
    if (!saved.isEmpty())
        QVERIFY(pin.save(saved));
    if (earlierNumber.isValid())
        QSettings(QStringLiteral("VELNIK"), QStringLiteral("ZEP"))
            .setValue(QStringLiteral("setup"), earlierNumber);
    QVERIFY(pin.isSet());
    QCOMPARE(pin.verify(entered), accepted);
}

void tst_SetupPin::refusedPins_data()
{
    QTest::addColumn<QString>("pin");
    QTest::newRow("zero") << "0";
    QTest::newRow("only zeros") << "0000";
    QTest::newRow("empty") << "";
    QTest::newRow("not digits") << "12a4";
    QTest::newRow("too long") << "1234567890";
}

void tst_SetupPin::refusedPins()
{
    QFETCH(QString, pin);
    SetupPin setupPin;
    QVERIFY(!setupPin.save(pin));
    QVERIFY(!setupPin.isSet());
}

void tst_SetupPin::lockOutGrows()
{
    qint64 now = 0;
    SetupPin pin;
    pin.setClock([&now] { return now; });
    QVERIFY(pin.save(QStringLiteral("2468")));

    for (int lock = 1; lock <= 2; ++lock) {
        for (int i = 0; i < SetupPin::lockAfterFailures; ++i)
            QVERIFY(!pin.verify(QStringLiteral("1111")));
        const int seconds = SetupPin::firstLockSeconds << (lock - 1);
        QCOMPARE(pin.secondsLocked(), seconds);
        // Locked: not even the right PIN is compared.
        QVERIFY(!pin.verify(QStringLiteral("2468")));
        now += qint64(seconds) * 1000;
        QCOMPARE(pin.secondsLocked(), 0);
    }
    QVERIFY(pin.verify(QStringLiteral("2468")));
    // A right PIN starts the count afresh.
    QVERIFY(!pin.verify(QStringLiteral("1111")));
    QCOMPARE(pin.secondsLocked(), 0);
}

QTEST_GUILESS_MAIN(tst_SetupPin)
#include "tst_setuppin.moc"
