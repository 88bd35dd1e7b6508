#include "core/cron.h"

#include <QtTest>

class tst_Cron : public QObject
{
    Q_OBJECT
private slots:
    void derivedTicks_data();
    void derivedTicks();
    void countsSurviveStopAndStart();
    void createdStoppedUnlessAsked();
};

void tst_Cron::derivedTicks_data()
{
    QTest::addColumn<uint>("seconds");
    QTest::addColumn<QList<int>>("emitted"); // per tick 1, 5, 10, 15, 30, 60, 3600
    QTest::newRow("4 s") << 4u << QList<int> { 4, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("61 s") << 61u << QList<int> { 61, 12, 6, 4, 2, 1, 0 };
    QTest::newRow("one hour") << 3600u << QList<int> { 3600, 720, 360, 240, 120, 60, 1 };
}

void tst_Cron::derivedTicks()
{
    QFETCH(uint, seconds);
    QFETCH(QList<int>, emitted);
    Cron cron(false);
    const QList<void (Cron::*)(uint)> signalsInOrder { &Cron::timeout1,   &Cron::timeout5,
                                                       &Cron::timeout10,  &Cron::timeout15,
                                                       &Cron::timeout30,  &Cron::timeout60,
                                                       &Cron::timeout3600 };
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (auto signal : signalsInOrder)
        spies.push_back(std::make_unique<QSignalSpy>(&cron, signal));
    for (uint i = 0; i < seconds; ++i)
        cron.doTimeout();
    for (int i = 0; i < signalsInOrder.size(); ++i) {
        QCOMPARE(spies[i]->size(), emitted[i]);
        // Each tick carries its own count, not the seconds.
        if (emitted[i] > 0)
            QCOMPARE(spies[i]->last().at(0).toUInt(), uint(emitted[i]));
    }
}

void tst_Cron::countsSurviveStopAndStart()
{
    Cron cron(false);
    cron.setTimeout(5);
    QSignalSpy seconds(&cron, &Cron::timeout1);
    QSignalSpy fives(&cron, &Cron::timeout5);
    cron.start();
    QTRY_VERIFY_WITH_TIMEOUT(seconds.size() >= 3, 5000);
    cron.stop();
    QVERIFY(!cron.isActive());
    const uint reached = seconds.last().at(0).toUInt();
    cron.start();
    // The fifth tick may already have come before the stop, so wait for a tick after it too.
    QTRY_VERIFY_WITH_TIMEOUT(uint(seconds.size()) > reached && fives.size() >= 1, 5000);
    cron.stop();
    QVERIFY(seconds.last().at(0).toUInt() > reached);
    QCOMPARE(fives.first().at(0).toUInt(), 1u);
    QCOMPARE(uint(seconds.size()), seconds.last().at(0).toUInt());
}

void tst_Cron::createdStoppedUnlessAsked()
{
    QVERIFY(!Cron(false).isActive());
    QVERIFY(Cron(true).isActive());
}

QTEST_GUILESS_MAIN(tst_Cron)
#include "tst_cron.moc"
