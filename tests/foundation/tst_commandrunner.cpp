#include "foundation/commandrunner.h"

#include <QtTest>

class tst_CommandRunner : public QObject
{
    Q_OBJECT
private slots:
    void run_data();
    void run();
    void capture_data();
    void capture();
    void replacedInstance();
};

void tst_CommandRunner::run_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("status");
    QTest::newRow("success") << QStringLiteral("true") << QStringList() << 5000 << 0;
    QTest::newRow("failure status") << QStringLiteral("false") << QStringList() << 5000 << 1;
    QTest::newRow("arguments are not parsed by a shell")
        << QStringLiteral("test") << QStringList { "a;b $x", "=", "a;b $x" } << 5000 << 0;
    QTest::newRow("missing program")
        << QStringLiteral("/nonexistent/zep-tool") << QStringList() << 5000 << -1;
    QTest::newRow("time-out stops it")
        << QStringLiteral("sleep") << QStringList { "10" } << 100 << -1;
}

void tst_CommandRunner::run()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, timeoutMs);
    QFETCH(int, status);
    QCOMPARE(CommandRunner::instance()->run(program, arguments, timeoutMs), status);
}

void tst_CommandRunner::capture_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("standard output") << QStringLiteral("echo") << QStringList { "yes" } << 0
                                     << QByteArray("yes\n");
    QTest::newRow("standard error is not captured")
        << QStringLiteral("ls") << QStringList { "/nonexistent/zep-file" } << 2 << QByteArray();
    QTest::newRow("missing program")
        << QStringLiteral("/nonexistent/zep-tool") << QStringList() << -1 << QByteArray();
}

void tst_CommandRunner::capture()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, output);
    QByteArray captured = "stale";
    QCOMPARE(CommandRunner::instance()->capture(program, arguments, captured, 5000), status);
    QCOMPARE(captured, output);
}

void tst_CommandRunner::replacedInstance()
{
    struct Fake : CommandRunner
    {
        int run(const QString &, const QStringList &, int) override { return 7; }
    } fake;
    CommandRunner *real = CommandRunner::instance();
    CommandRunner::setInstance(&fake);
    QCOMPARE(CommandRunner::instance()->run(QStringLiteral("true"), {}), 7);
    CommandRunner::setInstance(nullptr);
    QCOMPARE(CommandRunner::instance(), real);
    QVERIFY(!real->startDetached(QStringLiteral("/nonexistent/zep-tool"), {}));
}

QTEST_GUILESS_MAIN(tst_CommandRunner)
#include "tst_commandrunner.moc"
