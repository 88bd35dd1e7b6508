#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include "tests/support/workdir.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

class tst_DbDurability : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::debugLevel = 0;
    }
    void cleanup() { mDir.reset(); }

    void recordedEntranceSurvivesKill();
    void failingCallAtRecordingTellsTheTruth_data();
    void failingCallAtRecordingTellsTheTruth();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_DbDurability::recordedEntranceSurvivesKill()
{
    QProcess writer;
    writer.setWorkingDirectory(mDir->path());
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(QStringLiteral(ZEP_ENTRANCE_WRITER), QStringList());
    QVERIFY(writer.waitForStarted(10000));

    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += writer.readAllStandardOutput()).count('\n') >= 100, 30000);
    writer.kill(); // SIGKILL: no destructor, no close, no checkpoint
    QVERIFY(writer.waitForFinished(10000));
    output += writer.readAllStandardOutput();

    QSet<uint> reported;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.isEmpty())
            reported.insert(line.toUInt());
    }
    QVERIFY(reported.size() >= 100);

    DataDBManager db(ZepFiles::attendanceDb, true);
    QList<EntranceData> stored;
    QVERIFY(db.nacitajPrerusenia(stored, false, false));
    QSet<uint> storedIds;
    for (const EntranceData &e : stored)
        storedIds.insert(e.id);
    const QSet<uint> lost = reported - storedIds;
    QVERIFY2(lost.isEmpty(),
             qPrintable(QStringLiteral("%1 reported entrances lost").arg(lost.size())));
}

namespace {
// Outcomes as the recorder prints them.
enum Outcome { NotRecorded = 0, Recorded = 1 };
} // namespace

void tst_DbDurability::failingCallAtRecordingTellsTheTruth_data()
{
    QTest::addColumn<QStringList>("failurePoints");
    QTest::addColumn<QList<int>>("outcomes");
    // One entrance each; an empty name records without a failure.
    QTest::newRow("database sync fails at the commit: the row is in the log and stays")
        << QStringList { QString(), QStringLiteral("posix/io/sync/fdatasync") }
        << QList<int> { Recorded, Recorded };
    QTest::newRow("journal line cannot be synced")
        << QStringList { QString(), QStringLiteral("posix/io/sync/fsync"), QString() }
        << QList<int> { Recorded, NotRecorded, Recorded };
    QTest::newRow("journal line cannot be written")
        << QStringList { QString(), QStringLiteral("posix/io/rw/write"), QString() }
        << QList<int> { Recorded, NotRecorded, Recorded };
}

// What the recording answered is what a restart after a crash finds: the rows, and one whole
// line in "interrupts.log" for each of them and for nothing else.
void tst_DbDurability::failingCallAtRecordingTellsTheTruth()
{
    QFETCH(QStringList, failurePoints);
    QFETCH(QList<int>, outcomes);
    const QString fiuRun = QStandardPaths::findExecutable(QStringLiteral("fiu-run"));
    if (fiuRun.isEmpty())
        QSKIP("fiu-run (package fiu-utils) is not installed");

    QProcess recorder;
    recorder.setWorkingDirectory(mDir->path());
    recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // No control pipe: the recorder switches its failure points itself.
    recorder.start(fiuRun,
                   { QStringLiteral("-x"),
                     QStringLiteral("-f"),
                     QString(),
                     QStringLiteral(ZEP_ENTRANCE_RECORDER) });
    QVERIFY(recorder.waitForStarted(10000));
    QByteArray output;
    const auto lines = [&] {
        output += recorder.readAllStandardOutput();
        return output.count('\n');
    };
    QTRY_COMPARE_WITH_TIMEOUT(lines(), 1, 30000);
    QCOMPARE(output, QByteArray("ready\n"));
    QSet<int> recorded;
    for (int n = 1; n <= failurePoints.size(); ++n) {
        recorder.write(failurePoints.at(n - 1).toUtf8() + '\n');
        QTRY_COMPARE_WITH_TIMEOUT(lines(), n + 1, 30000);
        const QList<QByteArray> answer = output.split('\n').at(n).split(' ');
        QCOMPARE(answer.first().toInt(), outcomes.at(n - 1));
        if (outcomes.at(n - 1) == Recorded)
            recorded.insert(n);
    }
    recorder.kill(); // SIGKILL: no destructor, no close, no checkpoint
    QVERIFY(recorder.waitForFinished(10000));

    DataDBManager db(ZepFiles::attendanceDb, true);
    QList<EntranceData> stored;
    QVERIFY(db.nacitajPrerusenia(stored, false, false));
    QSet<int> storedCards;
    for (const EntranceData &e : stored)
        storedCards.insert(e.karta.mid(4).toInt());
    QCOMPARE(storedCards, recorded);

    QFile journal(QStringLiteral("interrupts.log"));
    QVERIFY(journal.open(QIODevice::ReadOnly));
    const QByteArray text = journal.readAll();
    QVERIFY(text.endsWith('\n'));
    const QRegularExpression whole(QStringLiteral("^\\d{14}-(\\d{8})-1-1-$"));
    QSet<int> journalled;
    for (const QString &line : QString::fromUtf8(text.chopped(1)).split('\n')) {
        const QRegularExpressionMatch match = whole.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        journalled.insert(match.captured(1).toInt());
    }
    QCOMPARE(journalled, recorded);
}

QTEST_GUILESS_MAIN(tst_DbDurability)
#include "tst_dbdurability.moc"
