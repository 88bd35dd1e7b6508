#include "foundation/globals.h"
#include "devices/informator.h"
#include "devices/systemsampler.h"
#include "tests/support/smalltmpfs.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_Informator : public QObject
{
    Q_OBJECT

private slots:
    void usage_data();
    void usage();
    void repeatedSampleEmitsNothing();
    void sdCardPresence();
    void versionTexts();
    void cpuFromStat_data();
    void cpuFromStat();
    void memoryFromMeminfo_data();
    void memoryFromMeminfo();
    void sampling();
    void driveIsSampledWhenMountedOrUnmounted();
};

void tst_Informator::usage_data()
{
    QTest::addColumn<uint>("total");
    QTest::addColumn<uint>("used");
    QTest::addColumn<uint>("percent");

    QTest::newRow("quarter") << 200u << 50u << 25u;
    QTest::newRow("no total") << 0u << 0u << 0u;
    QTest::newRow("no total, some used") << 0u << 50u << 0u;
    QTest::newRow("full") << 7u << 7u << 100u;
    QTest::newRow("large amounts") << 4000000000u << 3000000000u << 75u;
}

void tst_Informator::usage()
{
    QFETCH(uint, total);
    QFETCH(uint, used);
    QFETCH(uint, percent);
    Informator info { QString() };
    QSignalSpy usage(&info, &Informator::usageChanged);
    QSignalSpy totals(&info, &Informator::totalChanged);
    info.parsedData(QStringLiteral("RAM"), total, used);
    QCOMPARE(usage.count(), 1);
    QCOMPARE(usage.first(), QVariantList({ QStringLiteral("RAM"), percent }));
    QCOMPARE(totals.first(), QVariantList({ QStringLiteral("RAM"), total }));
    QCOMPARE(info.usage(QStringLiteral("RAM")), percent);
}

void tst_Informator::repeatedSampleEmitsNothing()
{
    Informator info { QString() };
    info.parsedData(QStringLiteral("HDD"), 1000, 500);
    QSignalSpy usage(&info, &Informator::usageChanged);
    QSignalSpy totals(&info, &Informator::totalChanged);
    info.parsedData(QStringLiteral("HDD"), 1000, 500);
    QCOMPARE(usage.count(), 0);
    QCOMPARE(totals.count(), 0);
    // The same percentage of a new total changes only the total.
    info.parsedData(QStringLiteral("HDD"), 2000, 1000);
    QCOMPARE(usage.count(), 0);
    QCOMPARE(totals.count(), 1);
}

void tst_Informator::sdCardPresence()
{
    Informator info { QString() };
    QSignalSpy present(&info, &Informator::sdCardPresentChanged);
    info.parsedData(QStringLiteral("SDC"), 0, 0);
    QCOMPARE(present.count(), 0);
    info.parsedData(QStringLiteral("SDC"), 100, 10);
    info.parsedData(QStringLiteral("SDC"), 100, 20);
    QCOMPARE(present.count(), 1);
    QCOMPARE(present.last().first().toBool(), true);
    info.parsedData(QStringLiteral("SDC"), 0, 0);
    QCOMPARE(present.count(), 2);
    QCOMPARE(present.last().first().toBool(), false);
    QVERIFY(!info.isSdCardPresent());
}

void tst_Informator::versionTexts()
{
    Informator info(QCoreApplication::applicationFilePath());
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+ \\(BUILD: \\d{10}\\)$"))
                 .match(info.appVer())
                 .hasMatch(),
             qPrintable(info.appVer()));
    QCOMPARE(info.appBuild().size(), 12);
    QVERIFY(!info.gitRev().contains(QLatin1Char('\n')));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QVERIFY(qAbs(qint64(info.parseBootTime()) - now) <= 2);
}

void tst_Informator::cpuFromStat_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<uint>("used");
    QTest::addColumn<uint>("total");

    const QByteArray start = "cpu  100 0 100 700 100 0 0 0 0 0\ncpu0 1 2 3 4\n";
    QTest::newRow("since boot") << QByteArray() << start << 200u << 1000u;
    QTest::newRow("half busy since the last sample")
        << start << QByteArray("cpu  150 0 150 750 150 0 0 0 0 0\n") << 500u << 1000u;
    QTest::newRow("idle") << start << QByteArray("cpu  100 0 100 900 100 0 0 0 0 0\n") << 0u
                          << 1000u;
    QTest::newRow("no cpu line") << QByteArray() << QByteArray("intr 5\n") << 0u << 0u;
}

void tst_Informator::cpuFromStat()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(uint, used);
    QFETCH(uint, total);
    const SystemSampler::Sample sample
        = SystemSampler::cpuUsage(SystemSampler::cpuTimes(before), SystemSampler::cpuTimes(after));
    QCOMPARE(sample.name, QStringLiteral("CPU"));
    QCOMPARE(sample.used, used);
    QCOMPARE(sample.total, total);
}

void tst_Informator::memoryFromMeminfo_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<uint>("total");
    QTest::addColumn<uint>("used");

    QTest::newRow("typical") << QByteArray("MemTotal:  8000 kB\nMemFree: 1000 kB\n"
                                           "MemAvailable:   6000 kB\nBuffers: 5 kB\n")
                             << 8000u << 2000u;
    QTest::newRow("empty") << QByteArray() << 0u << 0u;
}

void tst_Informator::memoryFromMeminfo()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(uint, total);
    QFETCH(uint, used);
    const SystemSampler::Sample sample = SystemSampler::memoryUsage(meminfo);
    QCOMPARE(sample.total, total);
    QCOMPARE(sample.used, used);
}

// A sample of this machine: every resource between the start and stop signals;
// a plain folder as the drive is no drive.
void tst_Informator::sampling()
{
    QTemporaryDir drive;
    Informator info { QString() };
    info.setRemovableDrive(drive.path());
    QStringList order;
    connect(&info, &Informator::parserStart, this, [&] { order << QStringLiteral("start"); });
    connect(
        &info, &Informator::totalChanged, this, [&](const QString &name, uint) { order << name; });
    connect(&info, &Informator::parserStop, this, [&] { order << QStringLiteral("stop"); });
    info.doParse();
    QCOMPARE(order,
             QStringList({ QStringLiteral("start"),
                           QStringLiteral("CPU"),
                           QStringLiteral("RAM"),
                           QStringLiteral("HDD"),
                           QStringLiteral("SDC"),
                           QStringLiteral("stop") }));
    QVERIFY(info.total(QStringLiteral("RAM")) > 0);
    QVERIFY(info.total(QStringLiteral("HDD")) > 0);
    QVERIFY(info.usage(QStringLiteral("CPU")) <= 100);
    QCOMPARE(info.total(QStringLiteral("SDC")), 0u);
    QVERIFY(!info.isSdCardPresent());
}

// Nothing calls doParse here: the mount and the unmount alone bring the samples.
void tst_Informator::driveIsSampledWhenMountedOrUnmounted()
{
    QTemporaryDir drive;
    Informator info { QString() };
    info.setRemovableDrive(drive.path());
    QSignalSpy present(&info, &Informator::sdCardPresentChanged);
    {
        SmallTmpfs mounted(drive.path(), 4096); // counted in whole megabytes
        if (!mounted.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount: ") + mounted.error()));
        QVERIFY(present.wait(5000));
        QCOMPARE(present.last().first().toBool(), true);
    }
    QVERIFY(present.wait(5000));
    QCOMPARE(present.last().first().toBool(), false);
    QVERIFY(!info.isSdCardPresent());
}

QTEST_GUILESS_MAIN(tst_Informator)
#include "tst_informator.moc"
