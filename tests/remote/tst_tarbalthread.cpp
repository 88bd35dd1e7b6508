#include "foundation/happensbefore.h"
#include "remote/tarbalthread.h"

#include "tests/support/recordingcommandrunner.h"
#include "tests/support/workdir.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

class tst_TarbalThread : public QObject
{
    Q_OBJECT
private slots:
    void runsTarWithArgumentList_data();
    void runsTarWithArgumentList();
    void namesThatLookLikeOptions();
};

void tst_TarbalThread::runsTarWithArgumentList_data()
{
    QTest::addColumn<int>("exitStatus");
    QTest::newRow("packed") << 0;
    QTest::newRow("tar failed") << 2;
}

void tst_TarbalThread::runsTarWithArgumentList()
{
    QFETCH(int, exitStatus);
    RecordingCommandRunner runner(exitStatus);
    TarbalThread worker({ QStringLiteral("zep.log"), QStringLiteral("name with space.log") },
                        QStringLiteral("upload/logs-3.tar.gz"));
    // Emitted in the worker: read once the worker is joined.
    QSignalSpy finished(&worker, &TarbalThread::finished);
    worker.start();
    QVERIFY(HappensBefore::wait(&worker, 5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<QObject *>(), &worker);
    QCOMPARE(finished.at(0).at(1).toString(), QStringLiteral("upload/logs-3.tar.gz"));
    QCOMPARE(finished.at(0).at(2).toInt(), exitStatus);
    QCOMPARE(runner.commands.size(), 1);
    QCOMPARE(runner.commands.at(0).program, QStringLiteral("tar"));
    QCOMPARE(runner.commands.at(0).arguments,
             QStringList({ QStringLiteral("-czf"),
                           QStringLiteral("upload/logs-3.tar.gz"),
                           QStringLiteral("--"),
                           QStringLiteral("zep.log"),
                           QStringLiteral("name with space.log") }));
    // Large logs take minutes to pack: the runner's default half minute would kill tar.
    const int timeoutMs = runner.commands.at(0).timeoutMs;
    QVERIFY2(timeoutMs < 0 || timeoutMs >= 10 * 60 * 1000, qPrintable(QString::number(timeoutMs)));
}

// With the real tar: a log whose name starts with "-" is packed, not taken for an option.
void tst_TarbalThread::namesThatLookLikeOptions()
{
    WorkDir dir;
    QVERIFY(dir.isValid());
    const QStringList logs { QStringLiteral("zep.log"), QStringLiteral("-v.log") };
    for (const QString &name : logs) {
        QFile log(name);
        QVERIFY(log.open(QIODevice::WriteOnly) && log.write("line\n") == 5);
    }
    TarbalThread worker(logs, QStringLiteral("logs.tar.gz"));
    QSignalSpy finished(&worker, &TarbalThread::finished);
    worker.start();
    QVERIFY(HappensBefore::wait(&worker, 30000));
    QCOMPARE(finished.at(0).at(2).toInt(), 0);
    QProcess list;
    list.start(QStringLiteral("tar"), { QStringLiteral("-tzf"), QStringLiteral("logs.tar.gz") });
    QVERIFY(list.waitForFinished(10000));
    QCOMPARE(QString::fromLatin1(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             logs);
}

QTEST_GUILESS_MAIN(tst_TarbalThread)
#include "tst_tarbalthread.moc"
