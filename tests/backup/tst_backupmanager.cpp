#include "backup/backupmanager.h"
#include "backup/backuptree.h"
#include "backup/logsthread.h"
#include "backup/preruseniathread.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"

#include "tests/support/finishedruns.h"
#include "tests/support/sqlfile.h"
#include "tests/support/databasesandbox.h"
#include "tests/support/messagehook.h"
#include "tests/support/scratchfile.h"
#include "tests/support/smalltmpfs.h"

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
    void entrancesAlikeKeepTheirOwnCopies_data();
    void entrancesAlikeKeepTheirOwnCopies();
    void terminateStopsBeforeNextEntrance();
    void iniBackup_data();
    void iniBackup();
    void failedIniCopyKeepsTheBackup();
    void logsBackup_data();
    void logsBackup();
    void logsBackupIsBounded();
    void lowSpaceRemovesOldestDaysTheServerHas_data();
    void lowSpaceRemovesOldestDaysTheServerHas();

private:
    // Records an entrance and writes its photo unless photo is empty; a dochid
    // below 0 takes a new person, 0 records it without a person.
    EntranceData record(uint time, const QByteArray &photo, uint smer = 1, int dochid = -1);
    EntranceData loaded(uint id);
    // Runs one entrance pass through the manager's minute tick.
    void runPass();

    std::unique_ptr<DatabaseSandbox> mSandbox;
    std::unique_ptr<BackupManager> mManager;
    int mNextDochid = 100;
};

void tst_BackupManager::init()
{
    mSandbox = std::make_unique<DatabaseSandbox>();
    QVERIFY(mSandbox->isValid());
    Zep::debugLevel = 2;
    mSandbox->settings().setValue(QStringLiteral("timeout/backupPrerus"), 1);
    mSandbox->settings().sync();
    mManager
        = std::make_unique<BackupManager>(&mSandbox->settings(), &mSandbox->attendance(), root);
    QVERIFY(EntrancePhoto::ensureFolder());
}

void tst_BackupManager::cleanup()
{
    mManager.reset();
    mSandbox.reset();
}

EntranceData tst_BackupManager::record(uint time, const QByteArray &photo, uint smer, int dochid)
{
    PersonData stored;
    if (dochid != 0) {
        const uint number = dochid < 0 ? uint(mNextDochid++) : uint(dochid);
        stored = mSandbox->attendance().nacitajCloveka(number, true);
        if (stored.uid == 0) {
            PersonData person;
            person.dochid = int(number);
            person.karta = QString::number(number);
            person.meno = QStringLiteral("Meno");
            person.priez = QStringLiteral("Priez");
            mSandbox->attendance().addPerson(person, false);
            stored = mSandbox->attendance().nacitajCloveka(number, true);
        }
    }
    const int id = mSandbox->attendance().zapisPrerusenie(
        5, smer, stored.karta, stored.uid, stored.dochid, time);
    if (!photo.isEmpty())
        writeScratchFile(EntrancePhoto::path(uint(id)), photo);
    return loaded(uint(id));
}

EntranceData tst_BackupManager::loaded(uint id)
{
    QList<EntranceData> all;
    mSandbox->attendance().nacitajPrerusenia(all, false, false);
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

    QTest::newRow("arrival") << 1234u << 1u << "20180130192705-00001234-5-1-42.jpg";
    QTest::newRow("direction 2 counts as 0") << 1234u << 2u << "20180130192705-00001234-5-0-42.jpg";
    QTest::newRow("departure") << 7u << 0u << "20180130192705-00000007-5-0-42.jpg";
    QTest::newRow("no person") << 0u << 1u << "20180130192705-00000000-5-1-42.jpg";
}

void tst_BackupManager::photoName()
{
    QFETCH(uint, dochid);
    QFETCH(uint, smer);
    QFETCH(QString, name);
    EntranceData e;
    e.id = 42;
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
    mSandbox->settings().setValue(QStringLiteral("timeout/backupPrerus"), setting);
    QCOMPARE(mManager->entranceInterval(), interval);
    BackupManager fresh(&mSandbox->settings(), &mSandbox->attendance(), root);
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
    QVERIFY(copyOf(departure).endsWith(QStringLiteral("-5-0-%1.jpg").arg(departure.id)));
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

    QTest::newRow("identical counts as copied") << QByteArray("photo") << QByteArray("photo");
    QTest::newRow("same size, other bytes is replaced")
        << QByteArray("PHOTO") << QByteArray("photo");
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

void tst_BackupManager::entrancesAlikeKeepTheirOwnCopies_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<uint>("firstTime");
    QTest::addColumn<uint>("secondTime");
    QTest::addColumn<int>("dochid");

    QTest::newRow("one person, one second") << QByteArray() << 1700000000u << 1700000000u << 555;
    QTest::newRow("unknown persons") << QByteArray() << 1700000000u << 1700000000u << 0;
    // 02:30 summer time and, an hour later, 02:30 winter time.
    QTest::newRow("clock falls back")
        << QByteArray("Europe/Bratislava") << 1792888200u << 1792891800u << 555;
}

// Entrances alike in time, person, type and direction each keep their own photo in the tree.
void tst_BackupManager::entrancesAlikeKeepTheirOwnCopies()
{
    QFETCH(QByteArray, zone);
    QFETCH(uint, firstTime);
    QFETCH(uint, secondTime);
    QFETCH(int, dochid);
    const bool zoneWasSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray previousZone = qgetenv("TZ");
    if (!zone.isEmpty())
        qputenv("TZ", zone);
    const auto restoreZone = qScopeGuard([&] {
        if (zoneWasSet)
            qputenv("TZ", previousZone);
        else
            qunsetenv("TZ");
    });
    const QList<EntranceData> alike
        = { record(firstTime, "photo-1", 1, dochid), record(secondTime, "photo-2", 1, dochid) };
    const auto withoutId = [](const EntranceData &e) {
        return BackupTree::photoName(e).section(QLatin1Char('-'), 0, 3);
    };
    QCOMPARE(withoutId(alike.at(0)), withoutId(alike.at(1)));

    runPass();

    for (int n = 0; n < alike.size(); ++n) {
        const EntranceData &e = alike.at(n);
        QFile copy(BackupTree::dayFolder(root, e) + QLatin1Char('/') + BackupTree::photoName(e));
        QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(copy.fileName()));
        QCOMPARE(copy.readAll(), QByteArray("photo-") + QByteArray::number(n + 1));
        QCOMPARE(loaded(e.id).backup, 1u);
    }
}

void tst_BackupManager::terminateStopsBeforeNextEntrance()
{
    const QList<EntranceData> entrances
        = { record(hoursAgo(5), "one"), record(hoursAgo(4), "two"), record(hoursAgo(3), "three") };
    // Stop is asked while the first photo is being copied.
    MessageHook hook(QStringLiteral("kopirujem"), [this] { mManager->doTerminate(); });

    runPass();

    QList<EntranceData> pending;
    mSandbox->attendance().nacitajPrerusenia(pending, false, true);
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

void tst_BackupManager::failedIniCopyKeepsTheBackup()
{
    SmallTmpfs disk(QDir(root).absolutePath(), 64);
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + disk.error()));
    const QString target = root + QStringLiteral("/zep.ini");
    const QByteArray previous = "[global]\nterminalName=Vratnica\n";
    QVERIFY(writeScratchFile(target, previous));
    QVERIFY(disk.fill());
    // Settings that no longer fit beside the previous copy.
    mSandbox->settings().setValue(QStringLiteral("global/note"), QString(20000, 'n'));

    mManager->doIniBackup();

    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), previous);
    copy.close();

    QVERIFY(QFile::remove(root + QStringLiteral("/.filler")));
    mManager->doIniBackup();
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QVERIFY(copy.readAll().contains("note="));
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
    mSandbox->settings().setValue(QStringLiteral("timeout/backupLogs"), interval);
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

// Each copy holds the last whole lines that fit the limit; day folders whose
// copies are older than the days kept go.
void tst_BackupManager::logsBackupIsBounded()
{
    QByteArray log;
    for (int line = 0; line < 100; ++line)
        log += "line " + QByteArray::number(line) + " of the application log\n";
    QVERIFY(writeScratchFile(QStringLiteral("zep.log"), log));
    mSandbox->settings().setValue(QStringLiteral("backup/logsMaxKB"), 1);
    mSandbox->settings().setValue(QStringLiteral("backup/logsDays"), 7);
    const QString logs = root + QStringLiteral("/logs/");
    const auto dayFolder = [&logs](int daysAgo) {
        return logs + QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("dd"));
    };
    const auto oldCopy = [](const QString &folder, int daysAgo) {
        const QString name = folder + QStringLiteral("/zep.log");
        QFile file(name);
        return QDir().mkpath(folder) && writeScratchFile(name, "old copy")
            && file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::currentDateTime().addDays(-daysAgo),
                                QFileDevice::FileModificationTime);
    };
    QVERIFY(oldCopy(dayFolder(10), 10));
    QVERIFY(oldCopy(dayFolder(2), 2));

    mManager->doLogsBackup();
    HappensBefore::wait(mManager->logsWorker());

    QFile copy(dayFolder(0) + QStringLiteral("/zep.log"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    const QByteArray tail = copy.readAll();
    QVERIFY(tail.size() <= 1024);
    QVERIFY(tail.size() > 900);
    QVERIFY(log.endsWith(tail));
    QVERIFY(log.contains("\n" + tail));
    QVERIFY(!QFileInfo::exists(dayFolder(10)));
    QVERIFY(QFileInfo::exists(dayFolder(2) + QStringLiteral("/zep.log")));
}

void tst_BackupManager::lowSpaceRemovesOldestDaysTheServerHas_data()
{
    QTest::addColumn<int>("floorMB");
    QTest::addColumn<int>("unsentDaysAgo");
    QTest::addColumn<QList<int>>("removedDaysAgo");
    QTest::addColumn<bool>("lowAfter");

    QTest::newRow("room enough") << 1 << 0 << QList<int> {} << false;
    QTest::newRow("all on the server") << 5 << 0 << QList<int> { 10, 9 } << false;
    QTest::newRow("unsent entrance of the middle day") << 5 << 9 << QList<int> { 10 } << true;
    QTest::newRow("unsent entrance of the oldest day") << 5 << 10 << QList<int> {} << true;
}

// Three backup days of 2 MB on an 8 MB disk: below the floor the oldest days go,
// never one that may hold an entrance the server does not have.
void tst_BackupManager::lowSpaceRemovesOldestDaysTheServerHas()
{
    QFETCH(int, floorMB);
    QFETCH(int, unsentDaysAgo);
    QFETCH(QList<int>, removedDaysAgo);
    QFETCH(bool, lowAfter);
    QVERIFY(QDir().mkdir(QStringLiteral("disk")));
    const QString working = QDir::currentPath();
    SmallTmpfs disk(QDir(QStringLiteral("disk")).absolutePath(), 8 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + disk.error()));
    if (unsentDaysAgo > 0) {
        const QDateTime noon(QDate::currentDate().addDays(-unsentDaysAgo), QTime(12, 0));
        QVERIFY(record(uint(noon.toSecsSinceEpoch()), QByteArray()).id != 0);
    }
    // The worker's connection opens the database by its name: absolute, as the
    // working folder moves onto the small disk.
    DataDBManager db(QDir::current().absoluteFilePath(QStringLiteral("data.db")), true);
    QVERIFY(QDir::setCurrent(QStringLiteral("disk")));
    const auto back = qScopeGuard([&working] { QDir::setCurrent(working); });
    const auto dayFolder = [](int daysAgo) {
        return root
            + QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("/yyyy/MM/dd"));
    };
    for (int daysAgo : { 10, 9, 8 }) {
        QVERIFY(QDir().mkpath(dayFolder(daysAgo)));
        QVERIFY(writeScratchFile(dayFolder(daysAgo) + QStringLiteral("/photo.jpg"),
                                 QByteArray(2 * 1024 * 1024, 'p')));
    }
    mSandbox->settings().setValue(QStringLiteral("backup/minFreeMB"), floorMB);
    BackupManager manager(&mSandbox->settings(), &db, root);

    FinishedRuns finished(manager.entranceWorker());
    manager.doBackup();
    QCOMPARE(manager.isLowSpace(), floorMB > 1);
    QVERIFY(finished.count() == 1 || finished.wait(10000));

    for (int daysAgo : { 10, 9, 8 })
        QCOMPARE(QFileInfo::exists(dayFolder(daysAgo)), !removedDaysAgo.contains(daysAgo));
    QTRY_COMPARE_WITH_TIMEOUT(manager.isLowSpace(), lowAfter, 5000);
    QVERIFY(manager.freeSpaceMB() >= 0);
}

QTEST_GUILESS_MAIN(tst_BackupManager)
#include "tst_backupmanager.moc"
