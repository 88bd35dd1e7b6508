#include "core/foundation/happensbefore.h"
#include "remote/tarbalthread.h"

#include "tests/support/recordingcommandrunner.h"

#include <QSignalSpy>
#include <QtTest>

class tst_TarbalThread : public QObject
{
    Q_OBJECT
private slots:
    void runsTarWithArgumentList_data();
    void runsTarWithArgumentList();
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
                           QStringLiteral("zep.log"),
                           QStringLiteral("name with space.log") }));
}

QTEST_GUILESS_MAIN(tst_TarbalThread)
#include "tst_tarbalthread.moc"
