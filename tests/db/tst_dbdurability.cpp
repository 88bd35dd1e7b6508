#include "core/foundation/globals.h"
#include "db/datadbmanager.h"

#include "tests/support/workdir.h"

#include <QProcess>
#include <QSet>
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

QTEST_GUILESS_MAIN(tst_DbDurability)
#include "tst_dbdurability.moc"
