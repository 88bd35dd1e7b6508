#include "backup/copybackups.h"
#include "backup/copythread.h"
#include "core/foundation/commandrunner.h"
#include "core/foundation/globals.h"

#include "tests/support/filetree.h"
#include "tests/support/recordingcommandrunner.h"
#include "tests/support/scratchfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Runs the real command, after an action of the test.
class HookedCommandRunner : public CommandRunner
{
public:
    explicit HookedCommandRunner(std::function<void()> beforeEach)
        : mBeforeEach(std::move(beforeEach))
    {
        CommandRunner::setInstance(this);
    }
    ~HookedCommandRunner() override { CommandRunner::setInstance(nullptr); }

    int run(const QString &program, const QStringList &arguments, int timeoutMs) override
    {
        ++calls;
        mBeforeEach();
        return CommandRunner::run(program, arguments, timeoutMs);
    }

    int calls = 0;

private:
    std::function<void()> mBeforeEach;
};

// Writes a file, making its folders first.
bool put(const QString &fileName, const QByteArray &content)
{
    return QDir().mkpath(QFileInfo(fileName).path()) && writeScratchFile(fileName, content);
}

} // namespace

class tst_CopyBackups : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsChooseSourceAndDrive();
    void driveAvailability();
    void noYearFoldersFinishAtOnce();
    void secondStartWhileBusyIgnored();
    void copyReproducesTree_data();
    void copyReproducesTree();
    void logsCopy();
    void driveProblems_data();
    void driveProblems();
    void cancelStopsBetweenFolders();
    void notEnoughSpace();

private:
    // Starts the job and waits for its finished signal.
    void runJob(bool logs);
    void makeTree(const QString &root);

    std::unique_ptr<QTemporaryDir> mTemp;
    QString mSource;
    QString mDrive;
    std::unique_ptr<QSettings> mSettings;
    std::unique_ptr<CopyBackups> mCopy;
};

void tst_CopyBackups::init()
{
    Zep::debugLevel = 1;
    mTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(mTemp->isValid());
    mSource = mTemp->filePath(QStringLiteral("backup"));
    mDrive = mTemp->filePath(QStringLiteral("drive"));
    QVERIFY(QDir().mkpath(mSource));
    QVERIFY(QDir().mkpath(mDrive));
    mSettings = std::make_unique<QSettings>(mTemp->filePath(QStringLiteral("zep.ini")),
                                            QSettings::IniFormat);
    mSettings->setValue(QStringLiteral("usb/backupPath"), mSource);
    mSettings->setValue(QStringLiteral("usb/mountPoint"), mDrive);
    mCopy = std::make_unique<CopyBackups>(*mSettings);
}

void tst_CopyBackups::cleanup()
{
    mCopy.reset();
    mSettings.reset();
    mTemp.reset();
}

void tst_CopyBackups::runJob(bool logs)
{
    QSignalSpy finished(
        mCopy.get(), logs ? &CopyBackups::copyLogsFinished : &CopyBackups::copyEntrancesFinished);
    if (logs)
        mCopy->doCopyLogs();
    else
        mCopy->doCopyEntrances();
    QVERIFY(finished.wait(20000));
    QVERIFY(!mCopy->isBusy());
}

void tst_CopyBackups::makeTree(const QString &root)
{
    QVERIFY(put(root + QStringLiteral("/2025/12/31/20251231235959-00000001-1-1-.jpg"), "a"));
    QVERIFY(put(root + QStringLiteral("/2026/01/31/20260131080000-00000002-1-0-.jpg"), "b"));
    QVERIFY(put(root + QStringLiteral("/2026/02/01/20260201080000-00000002-1-1-.jpg"), "c"));
    QVERIFY(put(root + QStringLiteral("/zep.ini"), "[global]\n"));
}

void tst_CopyBackups::settingsChooseSourceAndDrive()
{
    QCOMPARE(mCopy->backupPath(), mSource);
    QCOMPARE(mCopy->targetPath(), mDrive);
    QSettings empty(mTemp->filePath(QStringLiteral("empty.ini")), QSettings::IniFormat);
    const CopyBackups defaults(empty);
    QCOMPARE(defaults.backupPath(), QStringLiteral("/sdcard/backup"));
    QCOMPARE(defaults.targetPath(), QStringLiteral("/udisk"));
}

void tst_CopyBackups::driveAvailability()
{
    QVERIFY(mCopy->isDriveAvailable());
    mCopy->doCopyEntrances();
    QVERIFY(!mCopy->isDriveAvailable()); // busy
    QSignalSpy finished(mCopy.get(), &CopyBackups::copyEntrancesFinished);
    QVERIFY(finished.wait(20000));
    QVERIFY(mCopy->isDriveAvailable());
    mCopy->setTargetPath(mTemp->filePath(QStringLiteral("absent")));
    QVERIFY(!mCopy->isDriveAvailable());
}

void tst_CopyBackups::noYearFoldersFinishAtOnce()
{
    QVERIFY(QDir().mkpath(mSource + QStringLiteral("/logs/10")));
    RecordingCommandRunner runner;
    QSignalSpy listed(mCopy->worker(), &CopyThread::dirListBuilded);
    runJob(false);
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.first().first().toUInt(), 0u);
    QVERIFY(runner.commands.isEmpty());
    QCOMPARE(mCopy->errorText(), QString());
}

void tst_CopyBackups::secondStartWhileBusyIgnored()
{
    makeTree(mSource);
    QSignalSpy logsFinished(mCopy.get(), &CopyBackups::copyLogsFinished);
    QSignalSpy started(mCopy->worker(), &QThread::started);
    mCopy->doCopyEntrances();
    mCopy->doCopyLogs();
    mCopy->doCopyEntrances();
    QSignalSpy finished(mCopy.get(), &CopyBackups::copyEntrancesFinished);
    QVERIFY(finished.wait(20000));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(logsFinished.count(), 0);
    QCOMPARE(started.count(), 1);
}

void tst_CopyBackups::copyReproducesTree_data()
{
    QTest::addColumn<QString>("folderName");

    QTest::newRow("plain") << "backup2";
    QTest::newRow("space") << "my backup";
    QTest::newRow("quotes") << "it's \"here\"";
    QTest::newRow("shell characters") << "a;b $(touch x) `c` & d";
}

// Real "cp -a": the day folders land at their places; nothing is removed from the source.
void tst_CopyBackups::copyReproducesTree()
{
    QFETCH(QString, folderName);
    const QString source = mTemp->filePath(folderName);
    makeTree(source);
    mCopy->setBackupPath(source);
    const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
    {
        QFile photo(source + QStringLiteral("/2025/12/31/20251231235959-00000001-1-1-.jpg"));
        QVERIFY(photo.open(QIODevice::ReadWrite));
        QVERIFY(photo.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QSignalSpy listed(mCopy->worker(), &CopyThread::dirListBuilded);

    runJob(false);

    QCOMPARE(mCopy->errorText(), QString());
    QCOMPARE(listed.first().first().toUInt(), 3u);
    QStringList photos = filesUnder(source);
    photos.removeAll(QStringLiteral("zep.ini"));
    QCOMPARE(filesUnder(mDrive), photos);
    QCOMPARE(filesUnder(source).size(), photos.size() + 1);
    QCOMPARE(QFileInfo(mDrive + QStringLiteral("/2025/12/31/20251231235959-00000001-1-1-.jpg"))
                 .lastModified()
                 .toSecsSinceEpoch(),
             stamp.toSecsSinceEpoch());
    QVERIFY(!QFileInfo::exists(QDir::current().filePath(QStringLiteral("x"))));

    // A second copy merges into the folders already there.
    QVERIFY(put(source + QStringLiteral("/2026/02/01/later.jpg"), "d"));
    runJob(false);
    QCOMPARE(mCopy->errorText(), QString());
    QVERIFY(QFileInfo::exists(mDrive + QStringLiteral("/2026/02/01/later.jpg")));
    QVERIFY(!QFileInfo::exists(mDrive + QStringLiteral("/2026/02/01/01")));
}

void tst_CopyBackups::logsCopy()
{
    makeTree(mSource);
    QVERIFY(put(mSource + QStringLiteral("/logs/09/zep.log"), "x"));
    QVERIFY(put(mSource + QStringLiteral("/logs/10/interrupts.log"), "y"));

    runJob(true);

    QCOMPARE(mCopy->errorText(), QString());
    QCOMPARE(filesUnder(mDrive),
             QStringList(
                 { QStringLiteral("logs/09/zep.log"), QStringLiteral("logs/10/interrupts.log") }));
}

void tst_CopyBackups::driveProblems_data()
{
    QTest::addColumn<bool>("driveThere");
    QTest::addColumn<bool>("removedDuringCopy");
    QTest::addColumn<int>("commands");

    QTest::newRow("no drive") << false << false << 0;
    QTest::newRow("drive removed") << true << true << 1;
}

void tst_CopyBackups::driveProblems()
{
    QFETCH(bool, driveThere);
    QFETCH(bool, removedDuringCopy);
    QFETCH(int, commands);
    makeTree(mSource);
    if (!driveThere)
        QVERIFY(QDir(mDrive).removeRecursively());
    HookedCommandRunner runner([&] {
        if (removedDuringCopy)
            QDir(mDrive).removeRecursively();
    });

    runJob(false);

    QVERIFY(!mCopy->errorText().isEmpty());
    QCOMPARE(runner.calls, commands);
    // The mount point is not made on the terminal's own disk.
    QVERIFY(!QFileInfo::exists(mDrive));
    QCOMPARE(filesUnder(mSource).size(), 4);
}

void tst_CopyBackups::cancelStopsBetweenFolders()
{
    makeTree(mSource);
    HookedCommandRunner runner([this] { mCopy->doCancel(); });
    QSignalSpy progress(mCopy->worker(), &CopyThread::progressUpdated);

    runJob(false);

    QCOMPARE(runner.calls, 1);
    QVERIFY(!mCopy->errorText().isEmpty());
    QCOMPARE(filesUnder(mDrive).size(), 1);
    QCOMPARE(progress.last().first().toInt(), 3);
}

void tst_CopyBackups::notEnoughSpace()
{
    makeTree(mSource);
    const qint64 free = QStorageInfo(mDrive).bytesAvailable();
    {
        // A sparse file larger than the free space.
        QFile big(mSource + QStringLiteral("/2026/01/31/big.jpg"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        if (!big.resize(free + 1024 * 1024))
            QSKIP("the file system takes no sparse file of that size");
    }
    RecordingCommandRunner runner;

    runJob(false);

    QVERIFY(mCopy->errorText().contains(QLatin1String("MB")));
    QVERIFY(runner.commands.isEmpty());
}

QTEST_GUILESS_MAIN(tst_CopyBackups)
#include "tst_copybackups.moc"
