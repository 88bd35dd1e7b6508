#include "backup/backupmanager.h"
#include "backup/backuptree.h"
#include "backup/logsthread.h"
#include "backup/preruseniathread.h"
#include "core/foundation/entrancephoto.h"
#include "core/foundation/globals.h"
#include "core/foundation/happensbefore.h"
#include "core/foundation/zepsettings.h"
#include "db/datadbmanager.h"

#include "tests/support/finishedruns.h"
#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"
#include "tests/support/messagehook.h"
#include "tests/support/scratchfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QString root = QStringLiteral("backup");

uint hoursAgo(int hours)
{
    return uint(QDateTime::currentSecsSinceEpoch() - hours * 3600);
}

EntranceData entrance(uint id)
{
    EntranceData e;
    e.id = id;
    return e;
}
} // namespace

class tst_BackupManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void photoName_data();
    void photoName();
    void entranceInterval_data();
    void entranceInterval();
    void passCopiesPhotosIntoDatedTree();
    void existingTarget_data();
    void existingTarget();
    void terminateStopsBeforeNextEntrance();
    void iniBackup_data();
    void iniBackup();
    void logsBackup_data();
    void logsBackup();

private:
    // Records an entrance of a new person and writes its photo unless photo is empty.
    EntranceData record(uint time, const QByteArray &photo, uint smer = 1);
    EntranceData loaded(uint id);
    // Runs one entrance pass through the manager's minute tick.
    void runPass();

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<BackupManager> mManager;
    int mNextDochid = 100;
};

void tst_BackupManager::init()
{
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    Zep::debugLevel = 2;
    mSettings = std::make_unique<ZEPSettings>(ZepFiles::settingsFile);
    mSettings->setValue(QStringLiteral("timeout/backupPrerus"), 1);
    mSettings->sync();
    mDb = std::make_unique<DataDBManager>(QStringLiteral("data.db"), true);
    mManager = std::make_unique<BackupManager>(mSettings.get(), mDb.get(), root);
    QVERIFY(EntrancePhoto::ensureFolder());
}

void tst_BackupManager::cleanup()
{
    mManager.reset();
    mDb.reset();
    mSettings.reset();
    mDir.reset();
}

EntranceData tst_BackupManager::record(uint time, const QByteArray &photo, uint smer)
{
    PersonData person;
    person.dochid = mNextDochid++;
    person.karta = QString::number(person.dochid);
    person.meno = QStringLiteral("Meno");
    person.priez = QStringLiteral("Priez");
    mDb->addPerson(person, false);
    const PersonData stored = mDb->nacitajCloveka(uint(person.dochid), true);
    const int id = mDb->zapisPrerusenie(5, smer, person.karta, stored.uid, stored.dochid, time);
    if (!photo.isEmpty())
        writeScratchFile(EntrancePhoto::path(uint(id)), photo);
    return loaded(uint(id));
}

EntranceData tst_BackupManager::loaded(uint id)
{
    QList<EntranceData> all;
    mDb->nacitajPrerusenia(all, false, false);
    for (const EntranceData &e : all) {
        if (e.id == id)
            return e;
    }
    return EntranceData();
}

void tst_BackupManager::runPass()
{
    FinishedRuns finished(mManager->entranceWorker());
    mManager->doBackup();
    QVERIFY(finished.count() == 1 || finished.wait(10000));
}

void tst_BackupManager::photoName_data()
{
    QTest::addColumn<uint>("dochid");
    QTest::addColumn<uint>("smer");
    QTest::addColumn<QString>("name");

    QTest::newRow("arrival") << 1234u << 1u << "20180130192705-00001234-5-1-.jpg";
    QTest::newRow("direction 2 counts as 0") << 1234u << 2u << "20180130192705-00001234-5-0-.jpg";
    QTest::newRow("departure") << 7u << 0u << "20180130192705-00000007-5-0-.jpg";
    QTest::newRow("no person") << 0u << 1u << "20180130192705-00000000-5-1-.jpg";
}

void tst_BackupManager::photoName()
{
    QFETCH(uint, dochid);
    QFETCH(uint, smer);
    QFETCH(QString, name);
    EntranceData e;
    e.time = uint(QDateTime(QDate(2018, 1, 30), QTime(19, 27, 5)).toSecsSinceEpoch());
    e.dochid = dochid;
    e.pid = 5;
    e.smer = smer;
    QCOMPARE(BackupTree::photoName(e), name);
    QCOMPARE(BackupTree::dayFolder(QStringLiteral("/r"), e), QStringLiteral("/r/2018/01/30"));
}

void tst_BackupManager::entranceInterval_data()
{
    QTest::addColumn<QVariant>("setting");
    QTest::addColumn<uint>("interval");
    QTest::addColumn<int>("firstPassAtTick");

    QTest::newRow("0 acts as 1") << QVariant(0) << 1u << 1;
    QTest::newRow("every tick") << QVariant(1) << 1u << 1;
    QTest::newRow("every third tick") << QVariant(3) << 3u << 3;
}

// The interval is re-read when the key is written; a pass starts on the n-th tick.
void tst_BackupManager::entranceInterval()
{
    QFETCH(QVariant, setting);
    QFETCH(uint, interval);
    QFETCH(int, firstPassAtTick);
    mSettings->setValue(QStringLiteral("timeout/backupPrerus"), setting);
    QCOMPARE(mManager->entranceInterval(), interval);
    BackupManager fresh(mSettings.get(), mDb.get(), root);
    QCOMPARE(fresh.entranceInterval(), interval);

    PreruseniaThread *worker = mManager->entranceWorker();
    FinishedRuns finished(worker);
    for (int tick = 1; tick < firstPassAtTick; ++tick) {
        mManager->doBackup();
        // start() marks the thread running before it returns.
        QVERIFY(!worker->isRunning());
        QCOMPARE(finished.count(), 0);
    }
    mManager->doBackup();
    QVERIFY(finished.count() == 1 || finished.wait(10000));
}

void tst_BackupManager::passCopiesPhotosIntoDatedTree()
{
    const EntranceData withPhoto = record(hoursAgo(30), "photo-a");
    const EntranceData departure = record(hoursAgo(2), "photo-b", 2);
    const EntranceData withoutPhoto = record(hoursAgo(1), QByteArray());
    // Younger than "timeout/zmazaniePrerusenia" (60 s): left for a later pass.
    const EntranceData tooYoung = record(uint(QDateTime::currentSecsSinceEpoch()), "photo-c");

    runPass();

    const auto copyOf = [](const EntranceData &e) {
        return BackupTree::dayFolder(root, e) + QLatin1Char('/') + BackupTree::photoName(e);
    };
    QFile copy(copyOf(withPhoto));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("photo-a"));
    QVERIFY(copyOf(departure).endsWith(QLatin1String("-5-0-.jpg")));
    QVERIFY(QFileInfo::exists(copyOf(departure)));
    QVERIFY(!QFileInfo::exists(copyOf(withoutPhoto)));
    QVERIFY(!QFileInfo::exists(copyOf(tooYoung)));
    // Copied, never moved.
    QVERIFY(QFileInfo::exists(EntrancePhoto::path(withPhoto.id)));

    QCOMPARE(loaded(withPhoto.id).backup, 1u);
    QCOMPARE(loaded(departure.id).backup, 1u);
    QCOMPARE(loaded(withoutPhoto.id).backup, 1u);
    QCOMPARE(loaded(tooYoung.id).backup, 0u);
}

void tst_BackupManager::existingTarget_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("afterPass");

    QTest::newRow("same size counts as copied") << QByteArray("PHOTO") << QByteArray("PHOTO");
    QTest::newRow("other size is replaced") << QByteArray("old, longer") << QByteArray("photo");
}

void tst_BackupManager::existingTarget()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, afterPass);
    const EntranceData e = record(hoursAgo(3), "photo");
    const QString target
        = BackupTree::dayFolder(root, e) + QLatin1Char('/') + BackupTree::photoName(e);
    QVERIFY(QDir().mkpath(BackupTree::dayFolder(root, e)));
    QVERIFY(writeScratchFile(target, existing));

    runPass();

    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), afterPass);
    QCOMPARE(loaded(e.id).backup, 1u);
}

void tst_BackupManager::terminateStopsBeforeNextEntrance()
{
    const QList<EntranceData> entrances
        = { record(hoursAgo(5), "one"), record(hoursAgo(4), "two"), record(hoursAgo(3), "three") };
    // Stop is asked while the first photo is being copied.
    MessageHook hook(QStringLiteral("kopirujem"), [this] { mManager->doTerminate(); });

    runPass();

    QList<EntranceData> pending;
    mDb->nacitajPrerusenia(pending, false, true);
    QCOMPARE(pending.size(), entrances.size() - 1);
    int marked = 0;
    for (const EntranceData &e : entrances)
        marked += int(loaded(e.id).backup);
    QCOMPARE(marked, 1);
}

void tst_BackupManager::iniBackup_data()
{
    QTest::addColumn<QString>("targetBefore");
    QTest::addColumn<int>("targetAgeSeconds");
    QTest::addColumn<bool>("copied");

    QTest::newRow("unchanged: same size, not older") << "same size" << -60 << false;
    QTest::newRow("other size") << "other size" << -60 << true;
    QTest::newRow("older than the settings file") << "same size" << 3600 << true;
    QTest::newRow("no copy yet") << "none" << 0 << true;
}

void tst_BackupManager::iniBackup()
{
    QFETCH(QString, targetBefore);
    QFETCH(int, targetAgeSeconds);
    QFETCH(bool, copied);
    const QString target = root + QStringLiteral("/zep.ini");
    QFile source(ZepFiles::settingsFile);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray settingsText = source.readAll();
    QVERIFY(!settingsText.isEmpty());
    QByteArray before;
    if (targetBefore != QLatin1String("none")) {
        before = targetBefore == QLatin1String("same size") ? QByteArray(settingsText.size(), 'x')
                                                            : QByteArray("short");
        QVERIFY(writeScratchFile(target, before));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime sourceTime = QFileInfo(source).lastModified();
        QVERIFY(file.setFileTime(sourceTime.addSecs(-targetAgeSeconds),
                                 QFileDevice::FileModificationTime));
    }

    mManager->doIniBackup();

    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), copied ? settingsText : before);
}

void tst_BackupManager::logsBackup_data()
{
    QTest::addColumn<QVariant>("interval");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<bool>("copied");

    QTest::newRow("due") << QVariant(2) << 2 << true;
    QTest::newRow("not yet due") << QVariant(2) << 1 << false;
    QTest::newRow("0 turns it off") << QVariant(0) << 3 << false;
}

void tst_BackupManager::logsBackup()
{
    QFETCH(QVariant, interval);
    QFETCH(int, ticks);
    QFETCH(bool, copied);
    QVERIFY(writeScratchFile(QStringLiteral("zep.log"), "application log\n"));
    QVERIFY(writeScratchFile(QStringLiteral("interrupts.log"), "entrances\n"));
    QVERIFY(writeScratchFile(QStringLiteral("notes.txt"), "not a log\n"));
    mSettings->setValue(QStringLiteral("timeout/backupLogs"), interval);
    for (int tick = 0; tick < ticks; ++tick)
        mManager->doBackup();
    HappensBefore::wait(mManager->logsWorker());
    HappensBefore::wait(mManager->entranceWorker());

    const QString folder
        = root + QStringLiteral("/logs/") + QDate::currentDate().toString(QStringLiteral("dd"));
    QCOMPARE(QFileInfo::exists(folder + QStringLiteral("/zep.log")), copied);
    QCOMPARE(QFileInfo::exists(folder + QStringLiteral("/interrupts.log")), copied);
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/notes.txt")));
}

QTEST_GUILESS_MAIN(tst_BackupManager)
#include "tst_backupmanager.moc"
