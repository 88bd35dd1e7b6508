#include "core/dutyschedule.h"
#include "foundation/zepsettings.h"

#include "tests/support/workdir.h"

#include <QtTest>

using Period = uint DutySchedule::*;
Q_DECLARE_METATYPE(Period)

class tst_DutySchedule : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void periods_data();
    void periods();
    void secondDuties_data();
    void secondDuties();
    void maintenance_data();
    void maintenance();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_DutySchedule::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
}

void tst_DutySchedule::periods_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<Period>("field");
    QTest::addColumn<uint>("used");
    const QString hw = QStringLiteral("global/HWinfoInterval");
    const QString sync = QStringLiteral("serverKLD/synInterval");
    QTest::newRow("hw info default") << hw << QVariant() << &DutySchedule::hwInfoPeriod << 139u;
    QTest::newRow("hw info 10 -> 29") << hw << QVariant(10) << &DutySchedule::hwInfoPeriod << 29u;
    QTest::newRow("hw info 28 -> 29") << hw << QVariant(28) << &DutySchedule::hwInfoPeriod << 29u;
    QTest::newRow("hw info 31 stays") << hw << QVariant(31) << &DutySchedule::hwInfoPeriod << 31u;
    QTest::newRow("sync default") << sync << QVariant() << &DutySchedule::tulSyncPeriod << 61u;
    QTest::newRow("sync 5 -> 31") << sync << QVariant(5) << &DutySchedule::tulSyncPeriod << 31u;
    QTest::newRow("sync 30 -> 31") << sync << QVariant(30) << &DutySchedule::tulSyncPeriod << 31u;
    QTest::newRow("sync 31 stays") << sync << QVariant(31) << &DutySchedule::tulSyncPeriod << 31u;
    QTest::newRow("orvel default")
        << QStringLiteral("orvel/synInterval") << QVariant() << &DutySchedule::orvelPeriod << 293u;
    QTest::newRow("maintenance default") << QStringLiteral("timeout/maintenaceLDB") << QVariant()
                                         << &DutySchedule::maintenancePeriod << 2u;
}

void tst_DutySchedule::periods()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(Period, field);
    QFETCH(uint, used);
    ZEPSettings settings(QStringLiteral("zep.ini"));
    if (stored.isValid())
        settings.setValue(key, stored);
    QCOMPARE(DutySchedule::fromSettings(settings).*field, used);
}

void tst_DutySchedule::secondDuties_data()
{
    QTest::addColumn<uint>("count");
    QTest::addColumn<bool>("networking");
    QTest::addColumn<bool>("orvel");
    QTest::addColumn<bool>("hwInfo");
    QTest::addColumn<bool>("tulSync");
    QTest::newRow("61: only the server sync") << 61u << true << false << false << true;
    QTest::newRow("139: only the system information") << 139u << true << false << true << false;
    QTest::newRow("293: only the remote management") << 293u << true << true << false << false;
    QTest::newRow("60: nothing") << 60u << true << false << false << false;
    QTest::newRow("61*139: sync and system information")
        << 61u * 139u << true << false << true << true;
    QTest::newRow("61*139*293: all three") << 61u * 139u * 293u << true << true << true << true;
    QTest::newRow("networking off: only system information")
        << 61u * 139u * 293u << false << false << true << false;
}

void tst_DutySchedule::secondDuties()
{
    QFETCH(uint, count);
    QFETCH(bool, networking);
    QFETCH(bool, orvel);
    QFETCH(bool, hwInfo);
    QFETCH(bool, tulSync);
    const DutySchedule schedule;
    const DutySchedule::SecondDuties due = schedule.dueAtSecond(count, networking);
    QCOMPARE(due.orvelUpdate, orvel);
    QCOMPARE(due.hwInfoRefresh, hwInfo);
    QCOMPARE(due.tulSync, tulSync);
}

void tst_DutySchedule::maintenance_data()
{
    QTest::addColumn<uint>("period");
    QTest::addColumn<uint>("hours");
    QTest::addColumn<bool>("due");
    QTest::newRow("hour 1 of 2") << 2u << 1u << false;
    QTest::newRow("hour 4 of 2") << 2u << 4u << true;
    QTest::newRow("period 0 never runs") << 0u << 4u << false;
}

void tst_DutySchedule::maintenance()
{
    QFETCH(uint, period);
    QFETCH(uint, hours);
    QFETCH(bool, due);
    DutySchedule schedule;
    schedule.maintenancePeriod = period;
    QCOMPARE(schedule.maintenanceDueAtHour(hours), due);

    // A zero remote-management period is switched off, not a division by zero.
    schedule.orvelPeriod = 0;
    QVERIFY(!schedule.dueAtSecond(hours, true).orvelUpdate);
}

QTEST_GUILESS_MAIN(tst_DutySchedule)
#include "tst_dutyschedule.moc"
