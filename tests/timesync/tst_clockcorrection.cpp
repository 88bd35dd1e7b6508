#include "timesync/clockcorrection.h"

#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "timesync/ntphclient.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/workdir.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/testclock.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include <time.h>

namespace {

// The time a "date -u -s @<seconds>" command sets, in milliseconds; -1 for other arguments.
qint64 setToMs(const QStringList &arguments)
{
    if (arguments.size() != 3 || arguments[0] != QLatin1String("-u")
        || arguments[1] != QLatin1String("-s") || !arguments[2].startsWith(QLatin1Char('@')))
        return -1;
    return arguments[2].mid(1).toLongLong() * 1000;
}

QString commandFor(const QDateTime &time)
{
    return QStringLiteral("@%1").arg(time.toSecsSinceEpoch());
}

// Also notes when the clock was asked to be set.
class TimedRunner : public RecordingCommandRunner
{
public:
    using RecordingCommandRunner::RecordingCommandRunner;

    int run(const QString &program, const QStringList &arguments, int timeoutMs) override
    {
        calledAtMs = QDateTime::currentMSecsSinceEpoch();
        return RecordingCommandRunner::run(program, arguments, timeoutMs);
    }

    // The arguments of every "date" command.
    QList<QStringList> dateCommands() const
    {
        QList<QStringList> found;
        for (const Command &command : commands) {
            if (command.program == QLatin1String("date"))
                found << command.arguments;
        }
        return found;
    }

    qint64 calledAtMs = 0;
};

} // namespace

class tst_ClockCorrection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void correction_data();
    void correction();
    void midnightCrossing();
    void repeatedAutumnHour();
    void largeStepNeedsASecondMeasurement_data();
    void largeStepNeedsASecondMeasurement();
    void noServerNoRequests_data();
    void noServerNoRequests();
    void retries();
    void setSystemDate_data();
    void setSystemDate();
    void hourlyCorrection_data();
    void hourlyCorrection();
    void againstDevelopmentServer_data();
    void againstDevelopmentServer();

private:
    std::unique_ptr<ClockCorrection> makeCorrection();

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
};

void tst_ClockCorrection::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_ClockCorrection::init()
{
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    Zep::debugLevel = 1;
}

void tst_ClockCorrection::cleanup()
{
    mSettings.reset();
    mDir.reset();
}

std::unique_ptr<ClockCorrection> tst_ClockCorrection::makeCorrection()
{
    return std::make_unique<ClockCorrection>(mSettings.get(), FileLog(QStringLiteral("zep.log")));
}

void tst_ClockCorrection::correction_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("runnerStatus");
    QTest::addColumn<QByteArray>("ntpSynchronized");
    QTest::addColumn<bool>("set");
    QTest::newRow("499 ms: nothing") << 499 << 0 << QByteArray() << false;
    QTest::newRow("-499 ms: nothing") << -499 << 0 << QByteArray() << false;
    QTest::newRow("500 ms: set") << 500 << 0 << QByteArray("no\n") << true;
    QTest::newRow("-500 ms: set") << -500 << 0 << QByteArray("no\n") << true;
    QTest::newRow("one hour, command fails") << 3600000 << 1 << QByteArray() << true;
    QTest::newRow("system time service keeps the clock")
        << 1234 << 0 << QByteArray("yes\n") << false;
}

void tst_ClockCorrection::correction()
{
    QFETCH(int, offset);
    QFETCH(int, runnerStatus);
    QFETCH(QByteArray, ntpSynchronized);
    QFETCH(bool, set);
    TimedRunner runner(runnerStatus);
    runner.output = ntpSynchronized;
    auto correction = makeCorrection();
    DbMessageCapture messages;

    correction->currentNtphOffset(offset, true);
    const bool outsideDeadBand = qAbs(offset) >= 500;
    QCOMPARE(runner.commands.size(), outsideDeadBand ? 1 : 0);
    if (outsideDeadBand) {
        QCOMPARE(runner.commands[0].program, QStringLiteral("timedatectl"));
        QCOMPARE(runner.commands[0].arguments,
                 (QStringList { "show", "--property=NTPSynchronized", "--value" }));
    }
    if (!set) {
        QVERIFY(runner.dateCommands().isEmpty());
        if (outsideDeadBand) {
            QFile log(QStringLiteral("zep.log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            QVERIFY(log.readAll().contains(
                "NTPH offset 1234 ms: clock kept by the system time service"));
        }
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(runner.dateCommands().size(), 1, 3000);
    const QStringList arguments = runner.dateCommands().at(0);
    const qint64 setTo = setToMs(arguments);
    QVERIFY2(setTo > 0, qPrintable(arguments.join(' ')));
    const qint64 expected = runner.calledAtMs + offset;
    QVERIFY2(qAbs(setTo - expected) <= 1000, qPrintable(arguments.join(' ')));
    QCOMPARE(messages.all().filter(QStringLiteral("Set system date FAILED with error: 1")).size(),
             runnerStatus == 0 ? 0 : 1);
}

void tst_ClockCorrection::midnightCrossing()
{
    TimedRunner runner;
    auto correction = makeCorrection();
    const qint64 beforeMidnight
        = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 600)).toMSecsSinceEpoch();
    QElapsedTimer elapsed;
    elapsed.start();
    TestClock clock([&] { return beforeMidnight + elapsed.elapsed(); });

    correction->currentNtphOffset(1234, true);
    QTRY_COMPARE_WITH_TIMEOUT(runner.dateCommands().size(), 1, 3000);
    const QDateTime setTo = QDateTime::fromMSecsSinceEpoch(setToMs(runner.dateCommands().at(0)));
    QCOMPARE(setTo.date(), QDate(2027, 1, 1));
    QVERIFY2(setTo.time() < QTime(0, 0, 3), qPrintable(setTo.toString()));
}

// 02:30 on the last Sunday of October happens twice in Slovakia; the clock is set to the
// second one, an hour after the first.
void tst_ClockCorrection::repeatedAutumnHour()
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Bratislava");
    tzset();
    const auto restore = qScopeGuard([zone] {
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
        tzset();
    });
    TimedRunner runner;
    auto correction = makeCorrection();
    const QDateTime secondPass(QDate(2026, 10, 25), QTime(1, 30), Qt::UTC);
    QCOMPARE(secondPass.toLocalTime().time(), QTime(2, 30));
    TestClock clock([&] { return secondPass.toMSecsSinceEpoch(); });

    correction->currentNtphOffset(60000, true);
    QTRY_COMPARE_WITH_TIMEOUT(runner.dateCommands().size(), 1, 3000);
    QCOMPARE(runner.dateCommands().at(0),
             (QStringList { "-u", "-s", commandFor(secondPass.addSecs(60)) }));
}

void tst_ClockCorrection::largeStepNeedsASecondMeasurement_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("stepped");
    QTest::addColumn<QString>("logged");
    const int day = 86400000;
    QTest::newRow("second agrees")
        << 2 * day << 2 * day + 800 << true << "NTPH offsets 172800000 ms and 172800800 ms agree";
    QTest::newRow("second disagrees")
        << -20 * day << 2 * day << false << "NTPH offsets -1728000000 ms and 172800000 ms disagree";
    QTest::newRow("second within the limit") << 2 * day << 700 << true << "";
}

void tst_ClockCorrection::largeStepNeedsASecondMeasurement()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, stepped);
    QFETCH(QString, logged);
    mSettings->setValue(QStringLiteral("time/stepConfirmDelay"), 1);
    TimedRunner runner;
    runner.output = "no\n";
    auto correction = makeCorrection();
    DbMessageCapture messages;

    correction->currentNtphOffset(first, true);
    QVERIFY(runner.dateCommands().isEmpty());
    // The second measurement is asked for a while later (no client here to make it).
    QVERIFY(!messages.all().contains(QStringLiteral("Base::getNtphOffset()")));
    QTRY_VERIFY_WITH_TIMEOUT(messages.all().contains(QStringLiteral("Base::getNtphOffset()")),
                             5000);
    QVERIFY(runner.dateCommands().isEmpty());

    correction->currentNtphOffset(second, true);
    if (stepped) {
        QTRY_COMPARE_WITH_TIMEOUT(runner.dateCommands().size(), 1, 3000);
        QVERIFY(qAbs(setToMs(runner.dateCommands().at(0)) - (runner.calledAtMs + second)) <= 1000);
    } else {
        QVERIFY(!QTest::qWaitFor([&] { return !runner.dateCommands().isEmpty(); }, 1500));
    }
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(logged.toUtf8()));
}

void tst_ClockCorrection::noServerNoRequests_data()
{
    QTest::addColumn<QVariant>("address");
    QTest::newRow("not set") << QVariant();
    QTest::newRow("0.0.0.0") << QVariant(QStringLiteral("0.0.0.0"));
    QTest::newRow("empty") << QVariant(QString());
}

void tst_ClockCorrection::noServerNoRequests()
{
    QFETCH(QVariant, address);
    if (address.isValid())
        mSettings->setValue(QStringLiteral("serverKLD/ip"), address);
    mSettings->setValue(QStringLiteral("time/ntpOnBoot"), false);
    auto correction = makeCorrection();
    correction->start();
    QVERIFY(correction->client());
    QSignalSpy offsets(correction->client(), &NtphClient::currentOffsetMs);
    correction->getNtphOffset();
    QVERIFY(!correction->client()->isBusy());
    QVERIFY(!offsets.wait(500));
}

void tst_ClockCorrection::retries()
{
    auto correction = makeCorrection(); // not started: no client to ask
    DbMessageCapture messages;
    const QString request = QStringLiteral("NTPH Client not initialized!");
    // Three invalid answers ask again at once; the fourth gives up.
    const QList<int> requestsAfter { 1, 2, 3, 3, 4 };
    for (int expected : requestsAfter) {
        correction->currentNtphOffset(0, false);
        QCOMPARE(messages.all().count(request), expected);
    }
    // A valid answer ends the row: three retries are available again.
    correction->currentNtphOffset(0, true);
    for (int i = 0; i < 3; ++i)
        correction->currentNtphOffset(0, false);
    QCOMPARE(messages.all().count(request), 7);
}

void tst_ClockCorrection::setSystemDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("runnerStatus");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("dateSet");
    const QDateTime evening(QDate(2026, 12, 6), QTime(20, 15));
    QTest::newRow("12 characters")
        << QStringLiteral("202612062015") << 0 << 0 << commandFor(evening);
    QTest::newRow("15 characters")
        << QStringLiteral("202612062015.33") << 0 << 0 << commandFor(evening.addSecs(33));
    QTest::newRow("command fails")
        << QStringLiteral("202612062015.33") << 1 << 1 << commandFor(evening.addSecs(33));
    QTest::newRow("not a date") << QStringLiteral("tomorrow") << 0 << -1 << QString();
    QTest::newRow("no such day") << QStringLiteral("202602302015.33") << 0 << -1 << QString();
    QTest::newRow("injection is not a date")
        << QStringLiteral("2026120620;reboot") << 0 << -1 << QString();
}

void tst_ClockCorrection::setSystemDate()
{
    QFETCH(QString, text);
    QFETCH(int, runnerStatus);
    QFETCH(QString, dateSet);
    TimedRunner runner(runnerStatus);
    auto correction = makeCorrection();
    QTEST(correction->setSystemDate(text), "result");
    if (dateSet.isEmpty()) {
        QVERIFY(runner.commands.isEmpty());
        return;
    }
    QCOMPARE(runner.dateCommands(), (QList<QStringList> { { "-u", "-s", dateSet } }));
}

void tst_ClockCorrection::hourlyCorrection_data()
{
    QTest::addColumn<bool>("networking");
    QTest::addColumn<bool>("useNtph");
    QTest::addColumn<bool>("measures");
    QTest::newRow("networking and time client on") << true << true << true;
    QTest::newRow("networking off") << false << true << false;
    QTest::newRow("time client off") << true << false << false;
}

void tst_ClockCorrection::hourlyCorrection()
{
    QFETCH(bool, networking);
    QFETCH(bool, useNtph);
    mSettings->setValue(QStringLiteral("global/networking"), networking);
    mSettings->setValue(QStringLiteral("time/useNTPH"), useNtph);
    auto correction = makeCorrection();
    DbMessageCapture messages;
    correction->updateTimeNTP();
    QTEST(messages.all().contains(QStringLiteral("Base::getNtphOffset()")), "measures");
}

void tst_ClockCorrection::againstDevelopmentServer_data()
{
    QTest::addColumn<QStringList>("serverArguments");
    QTest::newRow("up to 20 ms at random on the way in") << QStringList { "--ntph-delay", "20" };
    // Every reply on a kept-alive connection some 40 ms late, all of it on the way back.
    QTest::newRow("replies held for the acknowledgement") << QStringList { "--nagle" };
}

// The terminal's clock is 1234 ms behind the server's, and the way to the server slows
// some exchanges. The measured offset must be within 5 ms, and the clock set to the
// server's time of day.
void tst_ClockCorrection::againstDevelopmentServer()
{
    QFETCH(QStringList, serverArguments);
    DevServerProcess server;
    server.setExtraArguments(QStringList { "--clock-offset", "1234" } + serverArguments);
    QVERIFY2(server.start(), qPrintable(server.output()));
    mSettings->setValue(QStringLiteral("serverKLD/ip"), server.host());
    mSettings->setValue(QStringLiteral("serverKLD/port"), server.port());
    mSettings->setValue(QStringLiteral("time/ntpOnBoot"), false);
    TimedRunner runner;
    auto correction = makeCorrection();
    correction->start();
    QVERIFY(correction->client());
    QSignalSpy offsets(correction->client(), &NtphClient::currentOffsetMs);

    correction->getNtphOffset();
    QTRY_COMPARE_WITH_TIMEOUT(runner.dateCommands().size(), 1, 20000);
    QVERIFY(!offsets.isEmpty());
    const QList<QVariant> measured = offsets.constLast();
    QVERIFY(measured.at(1).toBool());
    const int error = measured.at(0).toInt() - 1234;
    qInfo("measured offset %d ms (error %d ms)", measured.at(0).toInt(), error);
    QVERIFY2(qAbs(error) <= 5, qPrintable(QString::number(error)));

    // Set at a whole second of the server's clock: the text loses no fraction of it.
    const qint64 setTo = setToMs(runner.dateCommands().at(0));
    const qint64 serverTime = runner.calledAtMs + 1234;
    QVERIFY2(qAbs(setTo - serverTime) < 100,
             qPrintable(QStringLiteral("%1 vs server %2").arg(setTo).arg(serverTime)));
}

QTEST_GUILESS_MAIN(tst_ClockCorrection)
#include "tst_clockcorrection.moc"
