#include "core/foundation/filelog.h"
#include "core/processcontrol.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/workdir.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QtTest>

// Restart and remote support start a program and end this one only once it runs.
class tst_ProcessControl : public QObject
{
    Q_OBJECT

private slots:
    void handOver_data();
    void handOver();
    void quitEndsTheEventLoop();
};

void tst_ProcessControl::handOver_data()
{
    QTest::addColumn<bool>("support");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<bool>("started");

    QTest::newRow("restart") << false << 0 << true;
    QTest::newRow("restart, new instance not started") << false << -1 << false;
    QTest::newRow("support") << true << 0 << true;
    QTest::newRow("support program not started") << true << -1 << false;
}

void tst_ProcessControl::handOver()
{
    QFETCH(bool, support);
    QFETCH(int, exitStatus);
    QFETCH(bool, started);

    WorkDir dir;
    RecordingCommandRunner runner(exitStatus);
    ProcessControl control(FileLog(QStringLiteral("zep.log")));
    const bool result = support
        ? control.startSupport()
        : control.restart(QStringLiteral("Rebooting (remote management request).."));

    QCOMPARE(result, started);
    QCOMPARE(runner.commands.size(), 1);
    QVERIFY(runner.commands.first().detached);
    QCOMPARE(runner.commands.first().program,
             support ? QDir::current().absoluteFilePath(QStringLiteral("zepsupport"))
                     : QCoreApplication::applicationFilePath());
    QFile log(QStringLiteral("zep.log"));
    log.open(QIODevice::ReadOnly);
    const QByteArray text = log.readAll();
    QCOMPARE(text.contains("Rebooting (remote management request).."), !support);
    // A restart that could not start the new instance leaves this one up.
    QCOMPARE(text.contains("DO QUIT.."), !support && started);
}

void tst_ProcessControl::quitEndsTheEventLoop()
{
    WorkDir dir;
    ProcessControl control(FileLog(QStringLiteral("zep.log")));
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    limit.start(5000);
    control.quit(0);
    QCOMPARE(loop.exec(), 0);
}

QTEST_GUILESS_MAIN(tst_ProcessControl)
#include "tst_processcontrol.moc"
