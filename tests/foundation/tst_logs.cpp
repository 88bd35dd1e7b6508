#include "foundation/debuglog.h"
#include "foundation/filelog.h"
#include "foundation/logrotation.h"
#include "foundation/globals.h"
#include "foundation/preruslog.h"
#include "foundation/secondstamp.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/workdir.h"

#include <QtTest>

#include <thread>
#include <vector>

namespace {

QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_Logs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void debugLine_data();
    void debugLine();
    void handlerWritesFileOnlyWhenEnabled_data();
    void handlerWritesFileOnlyWhenEnabled();
    void fatalMessageEndsTheProcess_data();
    void fatalMessageEndsTheProcess();

    void fileLogLine_data();
    void fileLogLine();
    void fileLogDebugMirror_data();
    void fileLogDebugMirror();
    void unwritableFileCostsOnlyTheLine();
    void writeErrorIsReported_data();
    void writeErrorIsReported();

    void prerusLogKeepsLineUnchanged_data();
    void prerusLogKeepsLineUnchanged();
    void prerusLogFollowsAReplacedFile();

    void linesOfManyThreadsStayWhole();
    void logsAreSetAsideBySize_data();
    void logsAreSetAsideBySize();
    void secondStampFollowsTheClock();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_Logs::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    Zep::debugLevel = 1;
    Zep::loggingEnabled = true;
}

void tst_Logs::cleanup()
{
    Zep::debugLevel = 1;
}

void tst_Logs::debugLine_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("expected");
    const QString stamp = QStringLiteral("261206-201500 ");
    QTest::newRow("debug") << int(QtDebugMsg) << stamp + "D: text";
    QTest::newRow("warning") << int(QtWarningMsg) << stamp + "W: text";
    QTest::newRow("critical") << int(QtCriticalMsg) << stamp + "C: text";
    QTest::newRow("fatal") << int(QtFatalMsg) << stamp + "F: text";
    QTest::newRow("info has no prefix") << int(QtInfoMsg) << stamp + "text";
}

void tst_Logs::debugLine()
{
    QFETCH(int, type);
    QFETCH(QString, expected);
    const QDateTime when(QDate(2026, 12, 6), QTime(20, 15, 0));
    QCOMPARE(DebugLog::line(QtMsgType(type), QStringLiteral("text"), when), expected);
}

void tst_Logs::handlerWritesFileOnlyWhenEnabled_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("logging on") << true;
    QTest::newRow("--no-log") << false;
}

void tst_Logs::handlerWritesFileOnlyWhenEnabled()
{
    QFETCH(bool, enabled);
    Zep::loggingEnabled = enabled;
    const QMessageLogContext context;
    DebugLog::handler(QtWarningMsg, context, QStringLiteral("first"));
    DebugLog::handler(QtCriticalMsg, context, QStringLiteral("second"));

    const QStringList lines = readLines(QStringLiteral("zep-debug.log"));
    if (!enabled) {
        QVERIFY(!QFile::exists(QStringLiteral("zep-debug.log")));
        return;
    }
    QCOMPARE(lines.size(), 2);
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d{6}-\\d{6} W: first$")).match(lines[0]).hasMatch());
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d{6}-\\d{6} C: second$")).match(lines[1]).hasMatch());
}

void tst_Logs::fatalMessageEndsTheProcess_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("into the debug log") << false;
    // Every write to /dev/full fails as on a full disk: the lines go to the console then.
    QTest::newRow("debug log on a full disk") << true;
}

void tst_Logs::fatalMessageEndsTheProcess()
{
    QFETCH(bool, diskFull);
    if (diskFull
        && !QFile::link(QStringLiteral("/dev/full"),
                        mDir->path() + QStringLiteral("/zep-debug.log")))
        QSKIP("no /dev/full here");
    QProcess probe;
    probe.setWorkingDirectory(mDir->path());
    probe.start(QStringLiteral(ZEP_FATAL_MESSAGE), QStringList());
    QVERIFY(probe.waitForFinished(10000));
    QCOMPARE(probe.exitStatus(), QProcess::CrashExit);
    const QStringList console
        = QString::fromUtf8(probe.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    const QStringList lines = diskFull ? console : readLines(QStringLiteral("zep-debug.log"));
    // Whoever started the process sees why it ended, wherever the log went.
    QVERIFY2(!console.isEmpty() && console.last().endsWith(QStringLiteral(" F: the end")),
             qPrintable(console.join('\n')));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(QStringLiteral(" W: before the end")));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{6}-\\d{6} F: the end$"))
                .match(lines[1])
                .hasMatch());
}

void tst_Logs::fileLogLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << QStringLiteral("*** START ***");
    QTest::newRow("empty text leaves only the stamp") << QString();
    QTest::newRow("non-ASCII") << QStringLiteral("Nacitavam prerusenia – ľščťž");
}

void tst_Logs::fileLogLine()
{
    QFETCH(QString, text);
    FileLog log(QStringLiteral("zep.log"));
    log.loguj(text);
    log.loguj("second");
    const QStringList lines = readLines(QStringLiteral("zep.log"));
    QCOMPARE(lines.size(), 2);
    const QRegularExpression stamped(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} => (.*)$"));
    const QRegularExpressionMatch first = stamped.match(lines[0]);
    QVERIFY2(first.hasMatch(), qPrintable(lines[0]));
    QCOMPARE(first.captured(1), text);
    QCOMPARE(stamped.match(lines[1]).captured(1), QStringLiteral("second"));
}

void tst_Logs::fileLogDebugMirror_data()
{
    QTest::addColumn<uint>("level");
    QTest::addColumn<bool>("mirrored");
    QTest::newRow("level 0 is quiet") << 0u << false;
    QTest::newRow("level 1 mirrors") << 1u << true;
}

void tst_Logs::fileLogDebugMirror()
{
    QFETCH(uint, level);
    QFETCH(bool, mirrored);
    Zep::debugLevel = level;
    DbMessageCapture messages;
    FileLog(QStringLiteral("zep.log")).loguj("debugLevel=0");
    QCOMPARE(readLines(QStringLiteral("zep.log")).size(), 1);
    QCOMPARE(messages.all().filter(QStringLiteral(" => debugLevel=0")).size(), mirrored ? 1 : 0);
}

void tst_Logs::unwritableFileCostsOnlyTheLine()
{
    // A folder of that name cannot be opened for appending.
    QVERIFY(QDir().mkdir(QStringLiteral("blocked.log")));
    DbMessageCapture messages;
    FileLog(QStringLiteral("blocked.log")).loguj("lost");
    PrerusLog(QStringLiteral("blocked.log")).loguj(QStringLiteral("lost too"));
    const QStringList critical
        = messages.critical().filter(QStringLiteral("Canot open for write:"));
    QCOMPARE(critical.size(), 2);
    QVERIFY(critical[0].contains(QStringLiteral("\"blocked.log\"")));
}

void tst_Logs::writeErrorIsReported_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("written");
    // Every write to /dev/full fails as on a full disk.
    QTest::newRow("full disk") << QStringLiteral("/dev/full") << false;
    QTest::newRow("writable file") << QStringLiteral("zep.log") << true;
}

void tst_Logs::writeErrorIsReported()
{
    QFETCH(QString, fileName);
    QFETCH(bool, written);
    if (!written && !QFileInfo(fileName).isWritable())
        QSKIP("no /dev/full here");
    DbMessageCapture messages;
    QCOMPARE(FileLog(fileName).loguj("journal line"), written);
    QCOMPARE(PrerusLog(fileName).loguj(QStringLiteral("entrance line")), written);
    const QStringList critical = messages.critical().filter(QStringLiteral("Cannot write to "));
    QCOMPARE(critical.size(), written ? 0 : 2);
    if (!written)
        QVERIFY(critical.first().contains(fileName));
}

void tst_Logs::prerusLogKeepsLineUnchanged_data()
{
    QTest::addColumn<uint>("level");
    QTest::addColumn<int>("debugLines");
    QTest::newRow("level 1: no debug line") << 1u << 0;
    QTest::newRow("level 2: debug line") << 2u << 1;
}

void tst_Logs::prerusLogKeepsLineUnchanged()
{
    QFETCH(uint, level);
    QFETCH(int, debugLines);
    Zep::debugLevel = level;
    DbMessageCapture messages;
    const QString line = QStringLiteral("2026-12-06 20:15:00;1234;5;1");
    PrerusLog log(QStringLiteral("interrupts.log"));
    log.loguj(line);
    QCOMPARE(readLines(QStringLiteral("interrupts.log")), QStringList { line });
    QCOMPARE(messages.all(),
             debugLines ? QStringList { "PrerusLog::loguj(" + line + ")" } : QStringList());
}

// The log keeps its file open between lines: a file removed or replaced meanwhile
// must not swallow the next line.
void tst_Logs::prerusLogFollowsAReplacedFile()
{
    const QString name = QStringLiteral("interrupts.log");
    PrerusLog log(name);
    QVERIFY(log.loguj(QStringLiteral("first")));
    QVERIFY(QFile::remove(name));
    QVERIFY(log.loguj(QStringLiteral("second")));
    QCOMPARE(readLines(name), QStringList { QStringLiteral("second") });

    QVERIFY(QFile::rename(name, QStringLiteral("old.log")));
    QFile replacement(name);
    QVERIFY(replacement.open(QIODevice::WriteOnly));
    replacement.write("new\n");
    replacement.close();
    QVERIFY(log.loguj(QStringLiteral("third")));
    QCOMPARE(readLines(name), (QStringList { QStringLiteral("new"), QStringLiteral("third") }));
    QCOMPARE(readLines(QStringLiteral("old.log")), QStringList { QStringLiteral("second") });
}

// Worker threads write to the same logs as the GUI thread: no line may be torn or
// lost.
void tst_Logs::linesOfManyThreadsStayWhole()
{
    const int threads = 4;
    const int linesEach = 200;
    const QtMessageHandler testHandler = qInstallMessageHandler(DebugLog::handler);
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            FileLog log(QStringLiteral("zep.log"));
            for (int i = 0; i < linesEach; ++i)
                log.loguj(
                    QStringLiteral("writer %1 line %2 %3").arg(t).arg(i).arg(QString(40, 'x')));
        });
    for (std::thread &writer : writers)
        writer.join();
    qInstallMessageHandler(testHandler);

    const QRegularExpression whole(QStringLiteral(
        "^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} => writer (\\d) line (\\d+) x{40}$"));
    QSet<QString> seen;
    for (const QString &line : readLines(QStringLiteral("zep.log"))) {
        const QRegularExpressionMatch match = whole.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        seen.insert(match.captured(1) + QLatin1Char('/') + match.captured(2));
    }
    QCOMPARE(seen.size(), threads * linesEach);
    // Each line also went whole to the debug log.
    const QStringList mirrored = readLines(QStringLiteral("zep-debug.log"));
    QCOMPARE(mirrored.size(), threads * linesEach);
    for (const QString &line : mirrored)
        QVERIFY2(line.endsWith(QString(40, 'x')) && line.contains(QStringLiteral(" D: ")),
                 qPrintable(line));
}

// The stamp is worked out once a second, but always shows the current second.
void tst_Logs::logsAreSetAsideBySize_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("keepsAll");
    QTest::newRow("application log") << QStringLiteral("zep.log") << false;
    QTest::newRow("debug log") << QStringLiteral("zep-debug.log") << false;
    QTest::newRow("journal of entrances") << QStringLiteral("interrupts.log") << true;
}

// A terminal runs for years on a small disk: no log grows without end, and the journal keeps
// every line, in order, in numbered files.
void tst_Logs::logsAreSetAsideBySize()
{
    QFETCH(QString, log);
    QFETCH(bool, keepsAll);
    const qint64 limit = 400;
    const int count = 60;
    const QtMessageHandler testHandler = qInstallMessageHandler(DebugLog::handler);
    LogRotation::setSizeLimit(limit);
    PrerusLog journal(log);
    FileLog plain(log);
    QStringList written;
    for (int i = 0; i < count; ++i) {
        written << QStringLiteral("line %1 of the log").arg(i, 3, 10, QLatin1Char('0'));
        if (log == QLatin1String("zep-debug.log"))
            qWarning().noquote() << written.last();
        else if (keepsAll)
            journal.loguj(written.last());
        else
            plain.loguj(written.last());
    }
    LogRotation::setSizeLimit(0);
    qInstallMessageHandler(testHandler);

    // Oldest first: the numbered files, then the current one.
    QStringList files;
    for (int n = 1; QFile::exists(log + QLatin1Char('.') + QString::number(n)); ++n)
        files << log + QLatin1Char('.') + QString::number(n);
    files << log;
    QCOMPARE(files.size() > 2, keepsAll);
    QVERIFY(files.size() >= 2);
    QStringList kept;
    for (const QString &file : files) {
        QVERIFY2(QFileInfo(file).size() < limit + 64, qPrintable(file));
        kept << readLines(file);
    }
    if (!keepsAll) {
        // One file set aside: the newest lines, in order, up to the last one.
        QVERIFY(kept.size() < count);
        written = written.mid(count - kept.size());
    }
    for (int i = 0; i < kept.size(); ++i)
        QVERIFY2(kept.at(i).endsWith(written.at(i)), qPrintable(kept.at(i)));
    QCOMPARE(kept.size(), keepsAll ? count : kept.size());
}

void tst_Logs::secondStampFollowsTheClock()
{
    const QString format = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    SecondStamp stamp(format);
    for (int round = 0; round < 2; ++round) {
        const QString before = QDateTime::currentDateTime().toString(format);
        const QString text = stamp.now();
        const QString after = QDateTime::currentDateTime().toString(format);
        QVERIFY2(text == before || text == after, qPrintable(text));
        // On to the next second.
        QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentDateTime().toString(format) != after, 2000);
    }
}

QTEST_GUILESS_MAIN(tst_Logs)
#include "tst_logs.moc"
