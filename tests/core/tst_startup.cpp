#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "core/startup.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/scratchfile.h"
#include "tests/support/workdir.h"

#include <QTranslator>
#include <QtTest>

namespace {

QString fileText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loggingWanted_data();
    void loggingWanted();
    void argumentLine_data();
    void argumentLine();
    void fullScreenWanted_data();
    void fullScreenWanted();
    void debugLevel_data();
    void debugLevel();
    void translation_data();
    void translation();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_Startup::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
}

void tst_Startup::cleanup()
{
    Zep::debugLevel = 1;
    Zep::argumentLine.clear();
}

void tst_Startup::loggingWanted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("no arguments") << QStringList { "zep" } << true;
    QTest::newRow("--no-log first") << QStringList { "zep", "--no-log" } << false;
    QTest::newRow("inside a longer word") << QStringList { "zep", "x--no-logs" } << false;
    QTest::newRow("second argument only")
        << QStringList { "zep", "-fillDemoData", "--no-log" } << true;
    QTest::newRow("case matters") << QStringList { "zep", "--NO-LOG" } << true;
    QTest::newRow("other first argument") << QStringList { "zep", "-noRandomData" } << true;
}

void tst_Startup::loggingWanted()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, wanted);
    QCOMPARE(Startup::loggingWanted(arguments), wanted);
}

void tst_Startup::argumentLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("program only") << QStringList { "./zep" } << QStringLiteral("./zep ");
    QTest::newRow("two arguments") << QStringList { "./zep", "-fillDemoData", "-noRandomData" }
                                   << QStringLiteral("./zep -fillDemoData -noRandomData ");
}

void tst_Startup::argumentLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QCOMPARE(Startup::argumentLine(arguments), line);
}

void tst_Startup::fullScreenWanted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("desktop start") << QStringList { "zep" } << false;
    QTest::newRow("kiosk start") << QStringList { "zep", "--full-screen" } << true;
    QTest::newRow("after other arguments")
        << QStringList { "zep", "--no-log", "-fillDemoData", "--full-screen" } << true;
    QTest::newRow("inside a longer word") << QStringList { "zep", "--full-screens" } << false;
    QTest::newRow("program name") << QStringList { "--full-screen" } << false;
}

void tst_Startup::fullScreenWanted()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, wanted);
    QCOMPARE(Startup::fullScreenWanted(arguments), wanted);
}

void tst_Startup::debugLevel_data()
{
    QTest::addColumn<QString>("iniText");
    QTest::addColumn<uint>("level");
    QTest::addColumn<bool>("argumentsDumped");
    QTest::addColumn<bool>("countLogged");
    QTest::newRow("absent gives 1") << QString() << 1u << false << true;
    QTest::newRow("level 0 is quiet")
        << QStringLiteral("[global]\ndebugLevel=0\n") << 0u << false << false;
    QTest::newRow("level 2 dumps arguments")
        << QStringLiteral("[global]\ndebugLevel=2\n") << 2u << true << true;
}

void tst_Startup::debugLevel()
{
    QFETCH(QString, iniText);
    QFETCH(uint, level);
    QFETCH(bool, argumentsDumped);
    QFETCH(bool, countLogged);
    if (!iniText.isEmpty())
        QVERIFY(writeScratchFile(QStringLiteral("zep.ini"), iniText.toUtf8()));
    ZEPSettings settings(QStringLiteral("zep.ini"));
    FileLog log(QStringLiteral("zep.log"));
    DbMessageCapture messages;
    Startup::readDebugLevel(log, settings, { "./zep", "-fillDemoData" });

    QCOMPARE(Zep::debugLevel, level);
    QCOMPARE(Zep::argumentLine, QStringLiteral("./zep -fillDemoData "));
    QVERIFY(fileText(QStringLiteral("zep.log"))
                .contains(QStringLiteral(" => debugLevel=%1\n").arg(level)));
    QCOMPARE(!messages.all().filter(QStringLiteral("Argument ")).isEmpty(), argumentsDumped);
    QCOMPARE(!messages.all().filter(QStringLiteral("POCET ARGUMENTOV: ")).isEmpty(), countLogged);
    if (level == 0)
        QVERIFY(messages.all().isEmpty());
}

void tst_Startup::translation_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("present");
    QTest::newRow("default, missing") << QString() << QStringLiteral("zep_sk") << false;
    QTest::newRow("lower-cased, missing")
        << QStringLiteral("EN") << QStringLiteral("zep_en") << false;
    QTest::newRow("present beside the program")
        << QStringLiteral("SK") << QStringLiteral("zep_sk") << true;
}

void tst_Startup::translation()
{
    QFETCH(QString, language);
    QFETCH(QString, name);
    QFETCH(bool, present);
    ZEPSettings settings(QStringLiteral("zep.ini"));
    if (!language.isEmpty())
        settings.setValue(QStringLiteral("global/language"), language);
    QCOMPARE(Startup::translationName(settings), name);
    if (present) {
        const QString built = QStringLiteral(ZEP_RUNTIME_DIR "/") + name + QStringLiteral(".qm");
        if (!QFile::exists(built))
            QSKIP("No translation built");
        QVERIFY(QFile::copy(built, name + QStringLiteral(".qm")));
    }

    // A missing file is logged and the start goes on.
    FileLog log(QStringLiteral("zep.log"));
    QTranslator translator;
    QCOMPARE(Startup::loadTranslation(translator, name, log), present);
    const QString line = present ? QStringLiteral("Translation file '%1' loaded")
                                 : QStringLiteral("Translation file '%1' does not loaded!");
    QVERIFY(fileText(QStringLiteral("zep.log")).contains(line.arg(name)));
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
