#include "attendance/clovek.h"
#include "attendance/fingerslist.h"
#include "db/persondata.h"

#include <QSignalSpy>
#include <QTest>

class TestClovek : public QObject
{
    Q_OBJECT

private slots:
    void saldoStr_data();
    void saldoStr();
    void saldoIndexes();
    void getMeno_data();
    void getMeno();
    void setPersonAndClear();
    void fingersList();
};

void TestClovek::saldoStr_data()
{
    QTest::addColumn<uint>("idx");
    QTest::addColumn<double>("saldo");
    QTest::addColumn<QString>("text");

    QTest::newRow("hour and a half") << 1u << 90.5 << "1:30";
    QTest::newRow("negative") << 2u << -61.0 << "-1:01";
    QTest::newRow("less than a minute") << 3u << 0.4 << "0:00";
    QTest::newRow("negative under a minute") << 1u << -0.5 << "-0:00";
    QTest::newRow("many hours") << 1u << 6001.0 << "100:01";
    QTest::newRow("unknown index") << 4u << 90.5 << "";
    QTest::newRow("index 0") << 0u << 90.5 << "";
}

void TestClovek::saldoStr()
{
    QFETCH(uint, idx);
    QFETCH(double, saldo);
    Clovek clovek;
    for (uint i = 1; i <= 3; ++i)
        clovek.set_saldo(i, saldo);
    QTEST(clovek.get_saldoStr(idx), "text");
}

void TestClovek::saldoIndexes()
{
    Clovek clovek;
    clovek.set_saldo(1, 1.5);
    clovek.set_saldo(2, 2.5);
    clovek.set_saldo(3, 3.5);
    clovek.set_saldo(4, 9);
    QCOMPARE(clovek.get_saldo(1), 1.5);
    QCOMPARE(clovek.get_saldo(2), 2.5);
    QCOMPARE(clovek.get_saldo(3), 3.5);
    QCOMPARE(clovek.get_saldo(4), 0.0);
}

void TestClovek::getMeno_data()
{
    QTest::addColumn<QString>("titul");
    QTest::addColumn<QString>("meno");
    QTest::addColumn<QString>("priez");
    QTest::addColumn<QString>("joined");

    QTest::newRow("all three") << "Ing."
                               << "Jana"
                               << "Novakova"
                               << "Ing. Jana Novakova";
    QTest::newRow("no title") << ""
                              << "Jana"
                              << "Novakova"
                              << "Jana Novakova";
    QTest::newRow("surname only") << ""
                                  << ""
                                  << "Novakova"
                                  << "Novakova";
    QTest::newRow("nothing") << ""
                             << ""
                             << ""
                             << "";
}

void TestClovek::getMeno()
{
    QFETCH(QString, titul);
    QFETCH(QString, meno);
    QFETCH(QString, priez);
    Clovek clovek;
    clovek.set_titul(titul);
    clovek.set_meno(meno);
    clovek.set_priez(priez);
    QTEST(clovek.getMeno(), "joined");
}

void TestClovek::setPersonAndClear()
{
    PersonData person;
    person.uid = 5;
    person.dochid = 1203;
    person.karta = QStringLiteral("73D0F1E48");
    person.meno = QStringLiteral("Peter");
    person.admin = 1;
    person.saldo2 = 0.5; // hours, as stored
    person.fpID = 9;
    person.refId = 77;

    Clovek clovek;
    QSignalSpy changed(&clovek, &Clovek::dataChanged);
    clovek.setPerson(person);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(clovek.get_uid(), 5u);
    QCOMPARE(clovek.get_dochid(), 1203u);
    QCOMPARE(clovek.get_karta(), QStringLiteral("73D0F1E48"));
    QCOMPARE(clovek.get_admin(), 1u);
    QCOMPARE(clovek.get_saldoStr(2), QStringLiteral("0:30"));
    QCOMPARE(clovek.get_fpID(), 9u);
    QCOMPARE(clovek.get_refID(), 77u);

    clovek.clear();
    QCOMPARE(clovek.get_uid(), 0u);
    QCOMPARE(clovek.get_meno(), QString());
    QCOMPARE(clovek.get_saldo(2), 0.0);
    QCOMPARE(clovek.get_refID(), 0u);
}

void TestClovek::fingersList()
{
    FingerData thumb;
    thumb.fpID = 3;
    thumb.finger = 1;
    FingerData index;
    index.fpID = 3;
    index.finger = 6;
    FingersList list;
    list.setFingers({ thumb, index });
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.getFinger(1), 6u);
    QCOMPARE(list.at(0).finger, quint16(1));
    QCOMPARE(list.getFinger(2), 0u);
    QCOMPARE(list.at(-1).fpID, 0u);
}

QTEST_GUILESS_MAIN(TestClovek)
#include "tst_clovek.moc"
