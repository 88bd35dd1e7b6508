#include "attendance/preruseniemodel.h"
#include "attendance/typereorder.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "tests/support/testclock.h"
#include "tests/support/databasesandbox.h"

#include <QtTest>

#include <memory>

namespace {
const QDate today(2026, 3, 2);

QDateTime at(const QDate &day, int hour, int minute = 5)
{
    return QDateTime(day, QTime(hour, minute));
}
} // namespace

// The interruption types keep their places by day and move to the front by use at night.
class TestTypeReorder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reorderedOnlyAtTheNightHour_data();
    void reorderedOnlyAtTheNightHour();
    void onceANightWithTheUsesSinceTheLast();

private:
    void record(uint pid, int times, const QDateTime &when);
    QList<int> order() const;

    std::unique_ptr<DatabaseSandbox> mSandbox;
    std::unique_ptr<PrerusenieModel> mModel;
    std::unique_ptr<TypeReorder> mReorder;
    QDateTime mNow;
    TestClock mClock { [this] { return mNow.toMSecsSinceEpoch(); } };
};

void TestTypeReorder::init()
{
    mSandbox = std::make_unique<DatabaseSandbox>();
    QVERIFY(mSandbox->isValid());
    for (int pid : { 11, 12, 13 })
        QCOMPARE(
            mSandbox->catalogue().syncPrerus(PrerusenieData(pid, QString::number(pid), QString())),
            1);
    mModel = std::make_unique<PrerusenieModel>();
    mModel->reload(&mSandbox->catalogue());
    mReorder = std::make_unique<TypeReorder>(
        &mSandbox->settings(), &mSandbox->catalogue(), &mSandbox->attendance(), mModel.get());
}

void TestTypeReorder::cleanup()
{
    mReorder.reset();
    mModel.reset();
    mSandbox.reset();
}

void TestTypeReorder::reorderedOnlyAtTheNightHour_data()
{
    QTest::addColumn<bool>("autosort");
    QTest::addColumn<int>("nightHour");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QList<int>>("expected");

    const QList<int> unchanged { 11, 12, 13 };
    QTest::newRow("at the night hour, most used first")
        << true << 3 << 3 << QList<int> { 13, 12, 11 };
    QTest::newRow("during the day nothing moves") << true << 3 << 14 << unchanged;
    QTest::newRow("the hour before the night hour") << true << 3 << 2 << unchanged;
    QTest::newRow("another night hour") << true << 1 << 1 << QList<int> { 13, 12, 11 };
    QTest::newRow("autosort off") << false << 3 << 3 << unchanged;
}

void TestTypeReorder::reorderedOnlyAtTheNightHour()
{
    QFETCH(bool, autosort);
    QFETCH(int, nightHour);
    QFETCH(int, hour);
    QFETCH(QList<int>, expected);

    mSandbox->settings().setValue(QStringLiteral("global/autosort"), autosort);
    mSandbox->settings().setValue(QStringLiteral("global/autosortHour"), nightHour);
    mNow = at(today, hour);
    record(13, 3, mNow.addSecs(-3600));
    record(12, 2, mNow.addSecs(-3600));

    mReorder->onIdleMinute();
    QCOMPARE(order(), expected);
    // The next start reads the same order from the catalogue.
    PrerusenieModel restarted;
    restarted.reload(&mSandbox->catalogue());
    QCOMPARE(restarted.getPid(0), expected.first());
}

void TestTypeReorder::onceANightWithTheUsesSinceTheLast()
{
    mNow = at(today, 3);
    record(13, 3, mNow.addSecs(-7200));
    record(12, 2, mNow.addSecs(-7200));
    mReorder->onIdleMinute();
    QCOMPARE(order(), QList<int>({ 13, 12, 11 }));

    // Later in the same night hour: entrances made since do not move anything yet.
    record(11, 5, mNow.addSecs(60));
    mNow = at(today, 3, 50);
    mReorder->onIdleMinute();
    QCOMPARE(order(), QList<int>({ 13, 12, 11 }));

    // The next night counts only what was recorded since the last reorder.
    mNow = at(today.addDays(1), 3);
    mReorder->onIdleMinute();
    QCOMPARE(order(), QList<int>({ 11, 13, 12 }));
}

void TestTypeReorder::record(uint pid, int times, const QDateTime &when)
{
    for (int i = 0; i < times; ++i)
        QVERIFY(mSandbox->attendance().zapisPrerusenie(
                    pid, 1, QString(), 0, 0, uint(when.toSecsSinceEpoch()))
                > 0);
}

QList<int> TestTypeReorder::order() const
{
    QList<int> pids;
    for (int row = 0; row < mModel->rowCount(); ++row)
        pids << mModel->getPid(row);
    return pids;
}

QTEST_GUILESS_MAIN(TestTypeReorder)
#include "tst_typereorder.moc"
