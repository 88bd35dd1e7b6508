#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The launcher zep-terminal of the package: what it passes to the program, and that the
// kiosk start leaves the settings alone.
class tst_Launcher : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void arguments_data();
    void arguments();

private:
    QString work() const { return mDir->filePath(QStringLiteral("work")); }

    std::unique_ptr<QTemporaryDir> mDir;
    QString mLauncher;
};

void tst_Launcher::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
    const QDir prefix(mDir->path());
    QVERIFY(prefix.mkpath(QStringLiteral("bin")));
    QVERIFY(prefix.mkpath(QStringLiteral(ZEP_INSTALL_PROGRAM_DIR)));
    mLauncher = prefix.filePath(QStringLiteral("bin/zep-terminal"));
    QVERIFY(QFile::copy(QStringLiteral(ZEP_LAUNCHER), mLauncher));
    // The stand-in program writes its arguments, one a line, into the working folder.
    QFile program(prefix.filePath(QStringLiteral(ZEP_INSTALL_PROGRAM_DIR "/zep")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > arguments.txt\n");
    program.close();
    QVERIFY(program.setPermissions(program.permissions() | QFileDevice::ExeOwner));
}

void tst_Launcher::arguments_data()
{
    QTest::addColumn<QStringList>("launcherArguments");
    QTest::addColumn<QStringList>("programArguments");
    QTest::newRow("desktop") << QStringList() << QStringList();
    QTest::newRow("desktop with arguments") << QStringList { "--no-log", "-fillDemoData" }
                                            << QStringList { "--no-log", "-fillDemoData" };
    QTest::newRow("kiosk") << QStringList { "--kiosk" } << QStringList { "--full-screen" };
    QTest::newRow("kiosk with arguments")
        << QStringList { "--kiosk", "--no-log", "-fillDemoData" }
        << QStringList { "--no-log", "-fillDemoData", "--full-screen" };
}

void tst_Launcher::arguments()
{
    QFETCH(QStringList, launcherArguments);
    QFETCH(QStringList, programArguments);
    QProcess launcher;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZEP_WORKDIR"), work());
    launcher.setProcessEnvironment(environment);
    launcher.start(QStringLiteral("sh"), QStringList { mLauncher } + launcherArguments);
    QVERIFY(launcher.waitForFinished(10000));
    QCOMPARE(launcher.exitCode(), 0);

    QFile written(QDir(work()).filePath(QStringLiteral("arguments.txt")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(written.readAll());
    QCOMPARE(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts), programArguments);
    QVERIFY(!QFile::exists(QDir(work()).filePath(QStringLiteral("zep.ini"))));
    QVERIFY(QFileInfo(QDir(work()).filePath(QStringLiteral("qml"))).isSymLink());
}

QTEST_GUILESS_MAIN(tst_Launcher)
#include "tst_launcher.moc"
