#include "backup/backupmanager.h"
#include "backup/backuptree.h"
#include "backup/copybackups.h"
#include "backup/ldbmaintenancethread.h"
#include "backup/maintainer.h"
#include "backup/preruseniathread.h"
#include "core/base.h"
#include "core/dutyrunner.h"
#include "core/hardwarefigures.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "devices/informator.h"

#include "tests/support/controllersandbox.h"
#include "tests/support/finishedruns.h"
#include "tests/support/pluggeddrive.h"
#include "tests/support/sqlfile.h"
#include "tests/support/filetree.h"
#include "tests/support/scratchfile.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QQmlContext>
#include <QQuickView>
#include <QSignalSpy>
#include <QtTest>

// The controller's ticks take recorded entrances through backup and
// maintenance, and its operations copy the backup tree to a drive.
class tst_BackupEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void entrancesThroughBackupMaintenanceAndCopy();
};

void tst_BackupEndToEnd::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_BackupEndToEnd::entrancesThroughBackupMaintenanceAndCopy()
{
    ControllerSandbox sandbox;
    QVERIFY(sandbox.isValid());
    Zep::debugLevel = 1;
    ZEPSettings &settings = sandbox.settings();
    const QString drive = sandbox.path() + QStringLiteral("/drive");
    QVERIFY(QDir().mkpath(drive));
    settings.setValue(QStringLiteral("global/networking"), false);
    settings.setValue(QStringLiteral("global/takePhoto"), false);
    settings.setValue(QStringLiteral("audio/mute"), true);
    settings.setValue(QStringLiteral("time/useNTPH"), false);
    settings.setValue(QStringLiteral("timeout/backupPrerus"), 1);
    settings.setValue(QStringLiteral("timeout/maintenaceLDB"), 2);
    // The copy takes the tree the backup writes, without a setting of its own.
    settings.setValue(QStringLiteral("usb/mountPoint"), drive);
    settings.sync();
    PluggedDrive plugged(drive);
    {
        std::unique_ptr<Base> controller = sandbox.makeBase();
        Base &base = *controller;
        base.init();
        QTRY_VERIFY_WITH_TIMEOUT(base.informator()->total(QStringLiteral("RAM")) > 0, 5000);
        QVERIFY(base.hardwareFigures()->ram() > 0);
        QCOMPARE(base.view()
                     ->rootContext()
                     ->contextProperty(QStringLiteral("usbCopy"))
                     .value<QObject *>(),
                 base.copyBackups());

        // Entrances of two days ago, as recording leaves them: a row and a photo.
        DataDBManager *db = base.attendanceDb();
        QList<EntranceData> recorded;
        const uint twoDaysAgo = uint(QDateTime::currentSecsSinceEpoch() - 48 * 3600);
        for (uint n = 0; n < 3; ++n) {
            const int id = db->zapisPrerusenie(1 + n, n % 2, QString(), 0, 0, twoDaysAgo + n * 60);
            QVERIFY(id > 0);
            QVERIFY(writeScratchFile(EntrancePhoto::path(uint(id)),
                                     QByteArray("jpeg ") + QByteArray::number(id)));
            EntranceData e;
            e.id = uint(id);
            e.time = twoDaysAgo + n * 60;
            e.pid = 1 + n;
            e.smer = n % 2;
            recorded.append(e);
        }

        // Minute tick: the photos go into the dated tree and the rows are marked.
        FinishedRuns backedUp(base.backupManager()->entranceWorker());
        base.duties()->onCronMin(1);
        QVERIFY(backedUp.count() == 1 || backedUp.wait(10000));
        QStringList tree;
        for (const EntranceData &e : recorded) {
            const QString copy = BackupTree::dayFolder(QStringLiteral("backup"), e)
                + QLatin1Char('/') + BackupTree::photoName(e);
            QVERIFY2(QFileInfo::exists(copy), qPrintable(copy));
            tree.append(copy.mid(QStringLiteral("backup/").size()));
        }
        QVERIFY(QFileInfo::exists(QStringLiteral("backup/zep.ini")));

        // The server confirms two of them; the hour tick removes only those, with their photos.
        db->setPrerusSyn(recorded.at(0).id, 501);
        db->setPrerusSyn(recorded.at(1).id, 502);
        FinishedRuns maintained(base.maintainer()->worker());
        base.duties()->onCronHour(1);
        QVERIFY(!base.maintainer()->worker()->isRunning());
        QCOMPARE(maintained.count(), 0);
        base.duties()->onCronHour(2);
        QVERIFY(maintained.count() == 1 || maintained.wait(10000));
        QCOMPARE(base.maintainer()->worker()->removedPhotos(), 2);
        for (int n = 0; n < 3; ++n) {
            const bool kept = n == 2;
            QCOMPARE(QFileInfo::exists(EntrancePhoto::path(recorded.at(n).id)), kept);
            QCOMPARE(SqlFile::scalar(QStringLiteral("data.db"),
                                     QStringLiteral("SELECT count(*) FROM prerusenia WHERE id = %1")
                                         .arg(recorded.at(n).id))
                         .toInt(),
                     kept ? 1 : 0);
        }
        for (const QString &copy : tree)
            QVERIFY(QFileInfo::exists(QStringLiteral("backup/") + copy));

        // The operator copies the tree to the drive.
        QVERIFY(base.copyBackups()->isDriveAvailable());
        QSignalSpy copied(&base, &Base::copyEntrancesToUSBFinished);
        base.copyBackups()->doCopyEntrances();
        QVERIFY(!base.copyBackups()->isDriveAvailable());
        QVERIFY(copied.wait(20000));
        QCOMPARE(base.copyBackups()->errorText(), QString());
        tree.sort();
        QCOMPARE(filesUnder(drive), tree);
    }
}

QTEST_MAIN(tst_BackupEndToEnd)
#include "tst_backupendtoend.moc"
