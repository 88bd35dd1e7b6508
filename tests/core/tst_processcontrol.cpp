#include "foundation/filelog.h"
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
    void supportErrors_data();
    void supportErrors();
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
    // A kiosk started full-screen comes back full-screen.
    const QStringList arguments { QStringLiteral("--full-screen"), QStringLiteral("-fillDemoData") };
    ProcessControl control(FileLog(QStringLiteral("zep.log")), arguments);
    const bool result = support
        ? control.startSupport()
        : control.restart(QStringLiteral("Rebooting (remote management request).."));

    QCOMPARE(result, started);
    QCOMPARE(runner.commands.size(), 1);
    QVERIFY(runner.commands.first().detached);
    QCOMPARE(runner.commands.first().program,
             support ? QDir::current().absoluteFilePath(QStringLiteral("zepsupport"))
                     : QCoreApplication::applicationFilePath());
    QCOMPARE(runner.commands.first().arguments, support ? QStringList() : arguments);
    QFile log(QStringLiteral("zep.log"));
    log.open(QIODevice::ReadOnly);
    const QByteArray text = log.readAll();
    QCOMPARE(text.contains("Rebooting (remote management request).."), !support);
    // A program that could not start leaves this one up.
    QCOMPARE(text.contains("DO QUIT.."), started);
}

void tst_ProcessControl::quitEndsTheEventLoop()
{
    WorkDir dir;
    ProcessControl control(FileLog(QStringLiteral("zep.log")), {});
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    limit.start(5000);
    control.quit(0);
    QCOMPARE(loop.exec(), 0);
}

void tst_ProcessControl::supportErrors_data()
{
    QTest::addColumn<QProcess::ProcessError>("error");
    QTest::addColumn<QString>("text");

    QTest::newRow("failed to start") << QProcess::FailedToStart << "Base::tvError: Failed To Start";
    QTest::newRow("crashed") << QProcess::Crashed << "Base::tvError: Crashed";
    QTest::newRow("timed out") << QProcess::Timedout << "Base::tvError: Timedout";
    QTest::newRow("read error") << QProcess::ReadError << "Base::tvError: Read Error";
    QTest::newRow("write error") << QProcess::WriteError << "Base::tvError: Write Error";
}

// A failing support program is logged and the terminal stays up.
// A failing support program is logged and the terminal stays up; once it runs, the
// terminal quits.
void tst_ProcessControl::supportErrors()
{
    QFETCH(QProcess::ProcessError, error);
    QFETCH(QString, text);
    WorkDir dir;
    ProcessControl control(FileLog(QStringLiteral("zep.log")), {});
    QTest::ignoreMessage(QtWarningMsg, qPrintable(text));
    control.tvError(error);
    QVERIFY(!QFile::exists(QStringLiteral("zep.log")));

    QTest::ignoreMessage(QtDebugMsg, "Base::tvStarted()");
    control.tvStarted();
    QFile log(QStringLiteral("zep.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("DO QUIT.."));
}

QTEST_GUILESS_MAIN(tst_ProcessControl)
#include "tst_processcontrol.moc"
