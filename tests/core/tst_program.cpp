#include <QDirIterator>
#include <QtTest>

// Runs the real terminal program in a scratch working folder.
class tst_Program : public QObject
{
    Q_OBJECT
private slots:
    void startAndQuit_data();
    void startAndQuit();
};

void tst_Program::startAndQuit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("debugLog");
    QTest::newRow("plain start") << QStringList() << true;
    QTest::newRow("--no-log") << QStringList { "--no-log" } << false;
}

void tst_Program::startAndQuit()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, debugLog);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("qml/ZEP")));
    QVERIFY(QFile::copy(QStringLiteral(ZEP_RUNTIME_DIR "/qml/ZEP/vMainLoader.qml"),
                        dir.filePath(QStringLiteral("qml/ZEP/vMainLoader.qml"))));

    QProcess zep;
    zep.setWorkingDirectory(dir.path());
    zep.setProcessChannelMode(QProcess::ForwardedChannels);
    zep.start(QStringLiteral(ZEP_RUNTIME_DIR "/zep"), arguments);
    QVERIFY(zep.waitForStarted());

    QFile log(dir.filePath(QStringLiteral("zep.log")));
    const auto logText = [&log] {
        if (!log.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray text = log.readAll();
        log.close();
        return text;
    };
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains("Spustam ZEP (app->exec())..."), 20000);

    // The system's stop request ends the terminal in order.
    zep.terminate();
    QVERIFY(zep.waitForFinished(10000));
    QCOMPARE(zep.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zep.exitCode(), 0);

    const QByteArray text = logText();
    QVERIFY(text.contains(" => *** START ***\n"));
    QVERIFY(text.contains(" => debugLevel=1\n"));
    QVERIFY(text.contains(" => DO QUIT..\n"));
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("zep-debug.log"))), debugLog);

    // What the terminal made is for its user only.
    QDirIterator made(dir.path(),
                      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                      QDirIterator::Subdirectories);
    int checked = 0;
    while (made.hasNext()) {
        const QFileInfo entry(made.next());
        if (entry.filePath().startsWith(dir.filePath(QStringLiteral("qml"))))
            continue;
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
            | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
            | QFileDevice::ExeOther;
        QVERIFY2(!(entry.permissions() & others), qPrintable(entry.filePath()));
        ++checked;
    }
    QVERIFY(checked >= 3); // the settings, the databases, the logs
}

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
