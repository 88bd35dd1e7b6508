// What a power cut can take: only what the disk has not confirmed. These tests show
// that the databases commit only once the disk holds the commit, and that the journal
// line and the photo of an entrance are handed to fsync before the call returns. They
// cannot cut power; they show what is asked of the disk and when.
#include "foundation/disksync.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"

#include "tests/support/workdir.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

// Records each sync with the size the file had on the way to the disk.
class RecordingDiskSync : public DiskSync
{
public:
    struct FileSync
    {
        QString name;
        qint64 size;
    };

    bool syncFile(QFileDevice &file) override
    {
        file.flush();
        // The size of the open file: a picture is still under its temporary name here.
        files.append({ QFileInfo(file.fileName()).fileName(), file.size() });
        return succeed;
    }
    bool syncFolderOf(const QString &path) override
    {
        folders.append(QFileInfo(path).absolutePath());
        return succeed;
    }

    QList<FileSync> files;
    QStringList folders;
    bool succeed = true;
};

// The journal mode and synchronous level a connection runs with.
struct DurabilitySettings
{
    QString journalMode;
    int synchronous = -1;
};

DurabilitySettings settingsOf(const QSqlDatabase &db)
{
    DurabilitySettings settings;
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next())
        settings.journalMode = q.value(0).toString().toLower();
    if (q.exec(QStringLiteral("PRAGMA synchronous")) && q.next())
        settings.synchronous = q.value(0).toInt();
    return settings;
}

// The connection a manager opened in this thread since `before` was taken.
QSqlDatabase connectionOpenedSince(const QStringList &before)
{
    for (const QString &name : QSqlDatabase::connectionNames()) {
        if (!before.contains(name))
            return QSqlDatabase::database(name, false);
    }
    return QSqlDatabase();
}

// A worker thread reading entrances gets a connection of its own.
DurabilitySettings settingsInWorkerThread(DataDBManager &manager)
{
    DurabilitySettings settings;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        const QStringList before = QSqlDatabase::connectionNames();
        QList<EntranceData> entrances;
        manager.nacitajPrerusenia(entrances, false, false);
        settings = settingsOf(connectionOpenedSince(before));
    }));
    HappensBefore::releaseWhenFinished(thread.get());
    thread->start();
    HappensBefore::wait(thread.get());
    return settings;
}

const int synchronousFull = 2;

QImage picture()
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    return image;
}

} // namespace

class tst_PowerLoss : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        mDir = std::make_unique<WorkDir>();
        Zep::debugLevel = 0;
        DiskSync::setInstance(&mSync);
    }
    void cleanup()
    {
        DiskSync::setInstance(nullptr);
        mSync = RecordingDiskSync();
        mDir.reset();
    }

    void commitWaitsForTheDisk_data();
    void commitWaitsForTheDisk();
    void journalLineIsOnDiskAtReturn();
    void photoIsOnDiskAtReturn();
    void photoTheDiskRefusedIsNotKept();

private:
    std::unique_ptr<WorkDir> mDir;
    RecordingDiskSync mSync;
};

void tst_PowerLoss::commitWaitsForTheDisk_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("otherThread");
    QTest::addColumn<QString>("journalMode");

    QTest::newRow("data.db") << ZepFiles::attendanceDb << false << "wal";
    QTest::newRow("data.db, worker thread") << ZepFiles::attendanceDb << true << "wal";
    QTest::newRow("zep.db") << ZepFiles::catalogueDb << false << "delete";
}

// With synchronous=FULL a commit returns after fsync of the log (WAL) or of the journal
// and the database (rollback journal); NORMAL in WAL mode leaves the last commits in the
// page cache, where a power cut takes them.
void tst_PowerLoss::commitWaitsForTheDisk()
{
    QFETCH(QString, database);
    QFETCH(bool, otherThread);
    QFETCH(QString, journalMode);

    const QStringList before = QSqlDatabase::connectionNames();
    std::unique_ptr<SQLiteManager> manager;
    if (database == ZepFiles::attendanceDb)
        manager = std::make_unique<DataDBManager>(database, true);
    else
        manager = std::make_unique<ZepDBManager>(database, true);
    QVERIFY(manager->isOpen());

    const DurabilitySettings settings = otherThread
        ? settingsInWorkerThread(static_cast<DataDBManager &>(*manager))
        : settingsOf(connectionOpenedSince(before));
    QCOMPARE(settings.journalMode, journalMode);
    QCOMPARE(settings.synchronous, synchronousFull);
}

void tst_PowerLoss::journalLineIsOnDiskAtReturn()
{
    DataDBManager db(ZepFiles::attendanceDb, true);
    mSync.files.clear();
    mSync.folders.clear();

    for (int n = 1; n <= 2; ++n) {
        const int id = db.zapisPrerusenie(3, 1, QStringLiteral("CARD"), 7, 7, 1700000000);
        QVERIFY(id > 0);
        const qint64 size = QFileInfo(QStringLiteral("interrupts.log")).size();
        QVERIFY(size > 0);

        QList<RecordingDiskSync::FileSync> journal;
        for (const auto &sync : mSync.files) {
            if (sync.name == QLatin1String("interrupts.log"))
                journal.append(sync);
        }
        QCOMPARE(journal.size(), n);
        QCOMPARE(journal.last().size, size); // the whole line went to the disk
    }
    // The new file's folder entry once, when the first line created it.
    QCOMPARE(mSync.folders, QStringList { QDir::currentPath() });
}

void tst_PowerLoss::photoIsOnDiskAtReturn()
{
    CamControl camera(true);
    camera.processCapturedImage(1, picture());
    const QString path = EntrancePhoto::path(42);
    mSync.files.clear();
    mSync.folders.clear();

    QVERIFY(camera.saveImage(path, false));

    QCOMPARE(mSync.files.size(), 1);
    QCOMPARE(mSync.files.first().name, QFileInfo(path).fileName());
    QCOMPARE(mSync.files.first().size, QFileInfo(path).size());
    QVERIFY(mSync.files.first().size > 0);
    QCOMPARE(mSync.folders, QStringList { QFileInfo(path).absolutePath() });
    QVERIFY(!QImage(path).isNull());
}

void tst_PowerLoss::photoTheDiskRefusedIsNotKept()
{
    CamControl camera(true);
    camera.processCapturedImage(1, picture());
    const QString path = EntrancePhoto::path(43);
    mSync.succeed = false;

    QVERIFY(!camera.saveImage(path, false));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(tst_PowerLoss)
#include "tst_powerloss.moc"
