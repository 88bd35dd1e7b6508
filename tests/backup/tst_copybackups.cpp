#include "backup/copybackups.h"
#include "backup/copythread.h"
#include "foundation/commandrunner.h"
#include "foundation/globals.h"

#include "tests/support/filetree.h"
#include "tests/support/pluggeddrive.h"
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

    void settingsChooseSourceAndDrive_data();
    void settingsChooseSourceAndDrive();
    void driveAvailability();
    void nothingToCopy_data();
    void nothingToCopy();
    void secondStartWhileBusyIgnored();
    void copyReproducesTree_data();
    void copyReproducesTree();
    void logsCopy();
    void driveProblems_data();
    void driveProblems();
    void linksAreNotFollowed_data();
    void linksAreNotFollowed();
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
    std::unique_ptr<PluggedDrive> mPlugged;
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
    mPlugged = std::make_unique<PluggedDrive>(mDrive);
    mCopy = std::make_unique<CopyBackups>(*mSettings);
}

void tst_CopyBackups::cleanup()
{
    mCopy.reset();
    mPlugged.reset();
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

void tst_CopyBackups::settingsChooseSourceAndDrive_data()
{
    QTest::addColumn<QString>("usbBackupPath");
    QTest::addColumn<QString>("globalBackup");
    QTest::addColumn<QString>("source");

    QTest::newRow("defaults: the tree the terminal writes") << QString() << QString() << "backup";
    QTest::newRow("moved backup tree") << QString() << "/data/zaloha"
                                       << "/data/zaloha";
    QTest::newRow("source set on purpose") << "/sdcard/backup"
                                           << "/data/zaloha"
                                           << "/sdcard/backup";
}

void tst_CopyBackups::settingsChooseSourceAndDrive()
{
    QFETCH(QString, usbBackupPath);
    QFETCH(QString, globalBackup);
    QFETCH(QString, source);
    QCOMPARE(mCopy->backupPath(), mSource);
    QCOMPARE(mCopy->targetPath(), mDrive);
    QSettings settings(mTemp->filePath(QStringLiteral("other.ini")), QSettings::IniFormat);
    if (!usbBackupPath.isEmpty())
        settings.setValue(QStringLiteral("usb/backupPath"), usbBackupPath);
    if (!globalBackup.isEmpty())
        settings.setValue(QStringLiteral("global/backup"), globalBackup);
    const CopyBackups chosen(settings);
    QCOMPARE(chosen.backupPath(), source);
    QCOMPARE(chosen.targetPath(), QStringLiteral("/udisk"));
}

void tst_CopyBackups::driveAvailability()
{
    QVERIFY(mCopy->isDriveAvailable());
    makeTree(mSource);
    mCopy->doCopyEntrances();
    QVERIFY(!mCopy->isDriveAvailable()); // busy
    QSignalSpy finished(mCopy.get(), &CopyBackups::copyEntrancesFinished);
    QVERIFY(finished.wait(20000));
    QVERIFY(mCopy->isDriveAvailable());
    // The mount point of a drive pulled out is a plain folder of the terminal.
    mPlugged->pullOut();
    QVERIFY(QFileInfo(mDrive).isDir());
    QVERIFY(!mCopy->isDriveAvailable());
    mCopy->setTargetPath(mTemp->filePath(QStringLiteral("absent")));
    QVERIFY(!mCopy->isDriveAvailable());
}

void tst_CopyBackups::nothingToCopy_data()
{
    QTest::addColumn<bool>("sourceThere");

    QTest::newRow("no year folders") << true;
    QTest::newRow("no backup folder") << false;
}

// The job finishes at once with count 0, and says why nothing was copied.
void tst_CopyBackups::nothingToCopy()
{
    QFETCH(bool, sourceThere);
    QVERIFY(QDir().mkpath(mSource + QStringLiteral("/logs/10")));
    if (!sourceThere)
        QVERIFY(QDir(mSource).removeRecursively());
    RecordingCommandRunner runner;
    QSignalSpy listed(mCopy->worker(), &CopyThread::dirListBuilded);
    runJob(false);
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.first().first().toUInt(), 0u);
    QVERIFY(runner.commands.isEmpty());
    QVERIFY(mCopy->errorText().contains(QDir::toNativeSeparators(mSource)));
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
    QVERIFY(!finished.wait(50));
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
    QTest::addColumn<QString>("drive");
    QTest::addColumn<int>("commands");
    QTest::addColumn<int>("filesOnMountPoint");

    QTest::newRow("no mount point") << "absent" << 0 << -1;
    QTest::newRow("mount point without a drive") << "pulled out" << 0 << 0;
    QTest::newRow("drive pulled out during the copy") << "pulled out during copy" << 1 << 1;
    QTest::newRow("drive and mount point gone during the copy") << "gone during copy" << 1 << -1;
}

void tst_CopyBackups::driveProblems()
{
    QFETCH(QString, drive);
    QFETCH(int, commands);
    QFETCH(int, filesOnMountPoint);
    makeTree(mSource);
    if (drive == QLatin1String("absent"))
        QVERIFY(QDir(mDrive).removeRecursively());
    if (drive == QLatin1String("pulled out"))
        mPlugged->pullOut();
    // Pulled out after the first folder's check: that folder still reaches the drive.
    HookedCommandRunner runner([&] {
        mPlugged->pullOut();
        if (drive == QLatin1String("gone during copy"))
            QDir(mDrive).removeRecursively();
    });

    runJob(false);

    QVERIFY(!mCopy->errorText().isEmpty());
    QCOMPARE(runner.calls, commands);
    // Nothing more is written on the terminal's own disk, and no mount point is made there.
    if (filesOnMountPoint < 0)
        QVERIFY(!QFileInfo::exists(mDrive));
    else
        QCOMPARE(filesUnder(mDrive).size(), filesOnMountPoint);
    QCOMPARE(filesUnder(mSource).size(), 4);
}

void tst_CopyBackups::linksAreNotFollowed_data()
{
    QTest::addColumn<QString>("linkName");
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<bool>("copiedAsLink");

    QTest::newRow("year folder from elsewhere") << "2027"
                                                << "elsewhere" << false;
    // Inside a day folder, which is copied whole: the link goes along as a link.
    QTest::newRow("loop") << "2026/01/31/again"
                          << "backup" << true;
}

void tst_CopyBackups::linksAreNotFollowed()
{
    QFETCH(QString, linkName);
    QFETCH(QString, linkTarget);
    QFETCH(bool, copiedAsLink);
    makeTree(mSource);
    QVERIFY(put(mTemp->filePath(QStringLiteral("elsewhere/secret/notes.txt")), "private"));
    QVERIFY(QFile::link(mTemp->filePath(linkTarget), mSource + QLatin1Char('/') + linkName));
    QSignalSpy listed(mCopy->worker(), &CopyThread::dirListBuilded);

    runJob(false);

    QCOMPARE(listed.first().first().toUInt(), 3u);
    QStringList photos = filesUnder(mSource);
    photos.removeAll(QStringLiteral("zep.ini"));
    if (copiedAsLink)
        photos.append(linkName);
    photos.sort();
    QStringList copied;
    QDirIterator it(mDrive,
                    QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.fileInfo().isDir() || it.fileInfo().isSymLink())
            copied.append(QDir(mDrive).relativeFilePath(it.filePath()));
    }
    copied.sort();
    QCOMPARE(copied, photos);
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
