#include "sync/changelists.h"
#include "sync/serverstate.h"

#include <QtTest>

class TestChangeLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ChangeLists::registerMetaTypes(); }

    void registeredByName_data();
    void registeredByName();
    void queuedDelivery();
    void textForms();
};

void TestChangeLists::registeredByName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("server state") << QByteArray("ServerState");
    QTest::newRow("inters") << QByteArray("InterSynDataList");
    QTest::newRow("people") << QByteArray("PersonSynDataList");
    QTest::newRow("saldo") << QByteArray("SaldoSynDataList");
    QTest::newRow("present") << QByteArray("PresentSynDataList");
    QTest::newRow("grp") << QByteArray("GrpSynDataList");
    QTest::newRow("zones") << QByteArray("ZoneSynDataList");
    QTest::newRow("pzt") << QByteArray("PZTSynDataList");
}

void TestChangeLists::registeredByName()
{
    QFETCH(QByteArray, name);
    QVERIFY(QMetaType::type(name.constData()) != QMetaType::UnknownType);
}

// A list crosses a queued connection intact, as between threads.
class ListEmitter : public QObject
{
    Q_OBJECT
signals:
    void zones(ZoneSynDataList list, uint ts);
};

void TestChangeLists::queuedDelivery()
{
    ListEmitter emitter;
    ZoneSynDataList received;
    uint receivedTs = 0;
    connect(
        &emitter,
        &ListEmitter::zones,
        this,
        [&](const ZoneSynDataList &list, uint ts) {
            received = list;
            receivedTs = ts;
        },
        Qt::QueuedConnection);
    ZoneSynData zone;
    zone.id = 3;
    zone.type = QLatin1Char('I');
    emit emitter.zones({ zone }, 77);
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received.first().id, 3u);
    QCOMPARE(receivedTs, 77u);
}

void TestChangeLists::textForms()
{
    ZoneSynData zone { 5, 0x7f, 480, 960, true, QLatin1Char('U'), 1234 };
    QCOMPARE(zone.toString(), QStringLiteral("5|127|480|960|1-U|1234"));
    PZTSynData link { 5, 42, QLatin1Char('D'), 99 };
    QCOMPARE(link.toString(), QStringLiteral("5|42-D|99"));
}

QTEST_GUILESS_MAIN(TestChangeLists)
#include "tst_changelists.moc"
