#include "attendance/clovek.h"
#include "attendance/lastentrance.h"
#include "attendance/managerpreruseni.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "db/interruptlogline.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"
#include "tests/support/dbmessagecapture.h"
#include "tests/support/sqlfile.h"
#include "tests/support/testclock.h"
#include "tests/support/workdir.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QString adminCard = QStringLiteral("5C17AB902"); // demo person 1, an administrator
const QDateTime start(QDate(2026, 3, 2), QTime(8, 15, 30));

QImage picture()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

QString journal()
{
    QFile file(QStringLiteral("interrupts.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

int entranceRows(uint id)
{
    return SqlFile::scalar(
               ZepFiles::attendanceDb,
               QStringLiteral("SELECT COUNT(*) FROM prerusenia WHERE id = %1").arg(id))
        .toInt();
}
} // namespace

// Identification, recording with photo and hand-over, and the last entrance.
class TestManagerPreruseni : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void identify_data();
    void identify();
    void cardToEntranceWithoutCamera();
    void cardToEntranceWithInjectedPicture();
    void recordsWithoutPhotoFlag();
    void failedWriteHandsNothingOver();
    void unreadablePeopleAreATerminalFault_data();
    void unreadablePeopleAreATerminalFault();
    void makeAccessType_data();
    void makeAccessType();
    void deleteWithinTimeout_data();
    void deleteWithinTimeout();
    void deleteOnServerOnlyWhenUploaded_data();
    void deleteOnServerOnlyWhenUploaded();
    void deleteWindowEndsByItself_data();
    void deleteWindowEndsByItself();
    void lastEntranceTime_data();
    void lastEntranceTime();
    void lastEntranceText_data();
    void lastEntranceText();

private:
    void makeManager(bool takePhoto = true);
    uint recordAdminEntrance(uint pid = 3, uint stav = 1);

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<ZepDBManager> mCatalogue;
    std::unique_ptr<DataDBManager> mDataDb;
    std::unique_ptr<CamControl> mCamera;
    std::unique_ptr<Clovek> mClovek;
    std::unique_ptr<ManagerPreruseni> mManager;
    QDateTime mNow;
    TestClock mClock { [this] { return mNow.toMSecsSinceEpoch(); } };
};

void TestManagerPreruseni::initTestCase()
{
    Zep::debugLevel = 2;
}

void TestManagerPreruseni::init()
{
    mDir.reset();
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    Zep::argumentLine = QStringLiteral("zep -fillDemoData -noRandomData ");
    mSettings = std::make_unique<ZEPSettings>(ZepFiles::settingsFile);
    mCatalogue = std::make_unique<ZepDBManager>(ZepFiles::catalogueDb);
    QCOMPARE(
        mCatalogue->syncPrerus(PrerusenieData(3, QStringLiteral("Prichod"), QStringLiteral("P"))),
        1);
    QCOMPARE(
        mCatalogue->syncPrerus(PrerusenieData(4, QStringLiteral("Odchod"), QStringLiteral("O"))),
        1);
    mDataDb = std::make_unique<DataDBManager>(ZepFiles::attendanceDb);
    QCOMPARE(mDataDb->getPeopleCount(), 2u);
    mClovek = std::make_unique<Clovek>();
    mNow = start;
}

void TestManagerPreruseni::cleanup()
{
    mManager.reset();
    mCamera.reset();
    mClovek.reset();
    mDataDb.reset();
    mCatalogue.reset();
    mSettings.reset();
    Zep::argumentLine.clear();
}

void TestManagerPreruseni::makeManager(bool takePhoto)
{
    mSettings->setValue(QStringLiteral("global/takePhoto"), takePhoto);
    // The test machine has no camera: pictures come only when a test injects one.
    mCamera = std::make_unique<CamControl>(takePhoto);
    mManager = std::make_unique<ManagerPreruseni>(
        mCamera.get(), mClovek.get(), mDataDb.get(), mSettings.get(), mCatalogue.get());
}

uint TestManagerPreruseni::recordAdminEntrance(uint pid, uint stav)
{
    const int uid = mManager->overKartu(adminCard);
    if (!mManager->zapisPrerusenie(pid, QString(), QString(), stav, adminCard, uint(uid), 1))
        return 0;
    mManager->poslednePrerusenie(uint(uid));
    return mDataDb->nacitajPoslednePrerusenie(uint(uid)).id;
}

void TestManagerPreruseni::identify_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("dochid");

    QTest::newRow("card") << "card" << adminCard << 1;
    QTest::newRow("unknown card") << "card"
                                  << "NOPE" << 0;
    QTest::newRow("personal number") << "pin"
                                     << "2" << 2;
    QTest::newRow("unknown personal number") << "pin"
                                             << "77" << 0;
    QTest::newRow("deleted person's number") << "pin"
                                             << "deleted" << 0;
    QTest::newRow("fingerprint") << "finger"
                                 << "9" << 2;
    QTest::newRow("unknown fingerprint") << "finger"
                                         << "10" << 0;
}

void TestManagerPreruseni::identify()
{
    QFETCH(QString, how);
    QFETCH(QString, key);
    QFETCH(int, dochid);
    makeManager();
    PersonData second = mDataDb->nacitajCloveka(2, true);
    FingerData finger;
    finger.fpID = 9;
    finger.uid = uint(second.uid);
    finger.tpl = QByteArray("tpl");
    QVERIFY(mDataDb->saveFinger(finger));
    PersonData deleted;
    deleted.dochid = 5;
    QVERIFY(mDataDb->addPerson(deleted, false));
    QVERIFY(mDataDb->deletePerson(uint(mDataDb->nacitajCloveka(5, true).uid), false));

    // Someone identified earlier must not stay the current person after a miss.
    mClovek->set_uid(99);
    mClovek->set_meno(QStringLiteral("Earlier"));
    int uid = -1;
    if (how == QLatin1String("card"))
        uid = mManager->overKartu(key);
    else if (how == QLatin1String("pin"))
        uid = mManager->overPIN(key == QLatin1String("deleted") ? 5 : key.toUInt());
    else
        uid = mManager->checkFingerUser(key.toUInt());
    QCOMPARE(uint(uid), mClovek->get_uid());
    QCOMPARE(int(mClovek->get_dochid()), dochid);
    QCOMPARE(uid != 0, dochid != 0);
    if (dochid == 0)
        QCOMPARE(mClovek->get_meno(), QString());
}

void TestManagerPreruseni::cardToEntranceWithoutCamera()
{
    makeManager();
    DbMessageCapture messages;
    QSignalSpy handedOver(mManager.get(), &ManagerPreruseni::sigAddEntrance);
    const int uid = mManager->overKartu(adminCard);
    QVERIFY(uid > 0);
    QVERIFY(mManager->zapisPrerusenie(
        3, QStringLiteral("Prichod"), QStringLiteral("P"), 1, adminCard, uint(uid), 1));
    const EntranceData entrance = mDataDb->nacitajPoslednePrerusenie(uint(uid));
    QVERIFY(entrance.id > 0);
    QCOMPARE(entrance.time, uint(start.toSecsSinceEpoch()));
    QCOMPARE(entrance.pid, 3u);
    QCOMPARE(entrance.smer, 1u);
    QCOMPARE(entrance.karta, adminCard);
    QCOMPARE(journal(), InterruptLogLine::make(entrance.time, 1, 3, 1) + QLatin1Char('\n'));

    const QString photo = EntrancePhoto::path(entrance.id);
    QVERIFY(!QFile::exists(photo));
    QCOMPARE(messages.critical(),
             QStringList { QStringLiteral("Subor %1 sa nepodarilo ulozit!").arg(photo) });
    QFile cameraLog(QStringLiteral("camcontrol.log"));
    QVERIFY(cameraLog.open(QIODevice::ReadOnly));
    QVERIFY(cameraLog.readAll().contains(photo.toLatin1() + " not saved"));

    // Uploaded without a picture all the same.
    QCOMPARE(handedOver.count(), 1);
    const QList<QVariant> args = handedOver.at(0);
    QCOMPARE(args.at(0).toUInt(), 3u); // interruption type
    QCOMPARE(args.at(1).toUInt(), 1u); // direction
    QCOMPARE(args.at(2).toUInt(), 1u); // the person's number
    QCOMPARE(args.at(4).toString(), QString()); // no photo
    QCOMPARE(args.at(5).toUInt(), entrance.id); // local id
    QCOMPARE(args.at(6).toUInt(), uint(start.toSecsSinceEpoch())); // time
}

void TestManagerPreruseni::cardToEntranceWithInjectedPicture()
{
    makeManager();
    PersonData admin = mDataDb->nacitajCloveka(adminCard);
    admin.refId = 4321;
    QVERIFY(mDataDb->updatePerson(admin, false));
    mCamera->processCapturedImage(1, picture());
    QSignalSpy handedOver(mManager.get(), &ManagerPreruseni::sigAddEntrance);
    const uint id = recordAdminEntrance();
    QVERIFY(id > 0);
    const QString photo = QStringLiteral("pic/p/%1.jpg").arg(id);
    QVERIFY(QFile::exists(photo));
    QVERIFY(!QImage(photo).isNull());
    QCOMPARE(handedOver.count(), 1);
    QCOMPARE(handedOver.at(0).at(3).toUInt(), 4321u); // the person's server id
    QCOMPARE(handedOver.at(0).at(4).toString(), photo);
}

void TestManagerPreruseni::recordsWithoutPhotoFlag()
{
    makeManager(false);
    mCamera->processCapturedImage(1, picture());
    DbMessageCapture messages;
    QSignalSpy handedOver(mManager.get(), &ManagerPreruseni::sigAddEntrance);
    const uint id = recordAdminEntrance();
    QVERIFY(id > 0);
    QVERIFY(!QFile::exists(EntrancePhoto::path(id)));
    QVERIFY(messages.critical().isEmpty());
    QCOMPARE(handedOver.count(), 1);
    QCOMPARE(handedOver.at(0).at(4).toString(), QString());
}

void TestManagerPreruseni::failedWriteHandsNothingOver()
{
    makeManager();
    mCamera->processCapturedImage(1, picture());
    QVERIFY(SqlFile::exec(ZepFiles::attendanceDb, { QStringLiteral("DROP TABLE prerusenia") }));
    DbMessageCapture messages;
    QSignalSpy handedOver(mManager.get(), &ManagerPreruseni::sigAddEntrance);
    QVERIFY(!mManager->zapisPrerusenie(3, QString(), QString(), 1, adminCard, 1, 1));
    QVERIFY(
        messages.critical().contains(QStringLiteral("Prerusenie sa nepodarilo zapisat do DB!")));
    QCOMPARE(handedOver.count(), 0);
    QVERIFY(QDir(ZepFiles::entrancePhotos).isEmpty());
    // The journal holds recorded entrances only.
    QCOMPARE(journal(), QString());
    QVERIFY(!mManager->recordingUndecided());
}

void TestManagerPreruseni::unreadablePeopleAreATerminalFault_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("card") << "card";
    QTest::newRow("personal number") << "pin";
}

// A start on a full disk cannot open the database: a card is then not unknown, the terminal
// is at fault, and it identifies again once the file can be opened, without a restart.
void TestManagerPreruseni::unreadablePeopleAreATerminalFault()
{
    QFETCH(QString, how);
    mDataDb.reset();
    const QString laterFile = QStringLiteral("later/data.db");
    mDataDb = std::make_unique<DataDBManager>(laterFile);
    QVERIFY(!mDataDb->isOpen());
    makeManager();
    const auto identify = [&] {
        return how == QLatin1String("card") ? mManager->overKartu(adminCard) : mManager->overPIN(1);
    };
    {
        DbMessageCapture messages;
        QCOMPARE(identify(), ManagerPreruseni::peopleUnreadable);
        QVERIFY(messages.critical().contains(
            QStringLiteral("ManagerPreruseni: the people cannot be read")));
    }
    QCOMPARE(mClovek->get_uid(), 0u);

    QVERIFY(QDir().mkdir(QStringLiteral("later")));
    QVERIFY(QFile::copy(ZepFiles::attendanceDb, laterFile));
    const int uid = identify();
    QVERIFY(uid > 0);
    QCOMPARE(mClovek->get_dochid(), 1u);
    QVERIFY(mManager->zapisPrerusenie(3, QString(), QString(), 1, adminCard, uint(uid), 1));
}

void TestManagerPreruseni::makeAccessType_data()
{
    QTest::addColumn<uint>("stav");
    QTest::addColumn<int>("type");

    QTest::newRow("entry") << 1u << 1;
    QTest::newRow("leave") << 0u << 0;
    QTest::newRow("other direction") << 2u << 0;
}

void TestManagerPreruseni::makeAccessType()
{
    QFETCH(uint, stav);
    makeManager();
    QSignalSpy access(mManager.get(), &ManagerPreruseni::makeAccess);
    QVERIFY(mManager->zapisPrerusenie(4, QString(), QString(), stav, adminCard, 1, 1));
    QCOMPARE(access.count(), 1);
    QCOMPARE(access.at(0).at(0).toUInt(), 1u);
    QCOMPARE(access.at(0).at(1).toString(), adminCard);
    QCOMPARE(access.at(0).at(2).toInt(), 4);
    QTEST(access.at(0).at(3).toInt(), "type");
}

void TestManagerPreruseni::deleteWithinTimeout_data()
{
    QTest::addColumn<QVariant>("timeout");
    QTest::addColumn<int>("age");
    QTest::addColumn<bool>("deleted");

    QTest::newRow("59 s, default timeout") << QVariant() << 59 << true;
    QTest::newRow("60 s, default timeout") << QVariant() << 60 << true;
    QTest::newRow("61 s, default timeout") << QVariant() << 61 << false;
    QTest::newRow("61 s, timeout 120") << QVariant(120) << 61 << true;
}

void TestManagerPreruseni::deleteWithinTimeout()
{
    QFETCH(QVariant, timeout);
    QFETCH(int, age);
    QFETCH(bool, deleted);
    if (timeout.isValid())
        mSettings->setValue(QStringLiteral("timeout/zmazaniePrerusenia"), timeout);
    makeManager();
    mCamera->processCapturedImage(1, picture());
    const uint id = recordAdminEntrance();
    QVERIFY(id > 0);
    QVERIFY(QFile::exists(EntrancePhoto::path(id)));
    mNow = start.addSecs(age);
    QCOMPARE(mManager->checkLastPrerus(), deleted);
    QCOMPARE(mManager->vymazPoslednePrerusenie(), deleted);
    QCOMPARE(entranceRows(id), deleted ? 0 : 1);
    QCOMPARE(QFile::exists(EntrancePhoto::path(id)), !deleted);
    // A deleted entrance is no longer the last one.
    QCOMPARE(mManager->getLastPrerusCas().isEmpty(), deleted);
    QCOMPARE(mManager->checkLastPrerus(), false);
}

void TestManagerPreruseni::deleteOnServerOnlyWhenUploaded_data()
{
    QTest::addColumn<uint>("syn");
    QTest::addColumn<bool>("idArrivesLater"); // after the entrance was shown
    QTest::addColumn<int>("requests");

    QTest::newRow("never uploaded") << 0u << false << 0;
    QTest::newRow("uploaded") << 777u << false << 1;
    QTest::newRow("server id arrived after it was shown") << 777u << true << 1;
}

void TestManagerPreruseni::deleteOnServerOnlyWhenUploaded()
{
    QFETCH(uint, syn);
    QFETCH(bool, idArrivesLater);
    makeManager(false);
    const int uid = mManager->overKartu(adminCard);
    QVERIFY(mManager->zapisPrerusenie(3, QString(), QString(), 1, adminCard, uint(uid), 1));
    const uint id = mDataDb->nacitajPoslednePrerusenie(uint(uid)).id;
    if (syn != 0 && !idArrivesLater)
        QVERIFY(mDataDb->setPrerusSyn(id, syn));
    mManager->poslednePrerusenie(uint(uid));
    if (syn != 0 && idArrivesLater)
        QVERIFY(mDataDb->setPrerusSyn(id, syn));
    DbMessageCapture messages;
    QSignalSpy serverDelete(mManager.get(), &ManagerPreruseni::sigDeleteEntrance);
    QVERIFY(mManager->vymazPoslednePrerusenie());
    QTEST(int(serverDelete.count()), "requests");
    if (syn != 0) {
        QCOMPARE(serverDelete.at(0).at(0).toUInt(), id);
        QCOMPARE(serverDelete.at(0).at(1).toUInt(), syn);
    }
    // No photo was taken: its removal fails and is only warned about.
    QVERIFY(messages.all().contains(
        QStringLiteral("Picture %1 NOT removed!").arg(EntrancePhoto::path(id))));
    QCOMPARE(entranceRows(id), 0);
    // Queued until the server confirms it; without the server's id, under the local id alone
    // (an upload may have reached the server unanswered).
    QCOMPARE(EntranceDeletions(mDataDb.get()).ready(),
             (QList<EntranceDeletions::Deletion> { { id, syn } }));
}

void TestManagerPreruseni::deleteWindowEndsByItself_data()
{
    QTest::addColumn<int>("shownAfterMs"); // after the entrance was recorded
    QTest::addColumn<int>("clockThenMs"); // where the clock stands when the window should end
    QTest::addColumn<bool>("deletableShown");
    QTest::addColumn<bool>("ends");

    QTest::newRow("open, then over") << 500 << 3000 << true << true;
    QTest::newRow("over when shown") << 3000 << 3000 << false << false;
    QTest::newRow("clock turned back meanwhile") << 500 << -10000 << true << false;
}

// With a window of one second: its end is announced by the last entrance itself, at the
// moment it comes (the clock read then decides), and a deletion ends it at once.
void TestManagerPreruseni::deleteWindowEndsByItself()
{
    QFETCH(int, shownAfterMs);
    QFETCH(int, clockThenMs);
    QFETCH(bool, deletableShown);
    QFETCH(bool, ends);
    mSettings->setValue(QStringLiteral("timeout/zmazaniePrerusenia"), 1);
    makeManager(false);
    LastEntrance *last = mManager->lastEntrance();
    QVERIFY(!last->isDeletable());
    QSignalSpy deletable(last, &LastEntrance::deletableChanged);
    QVERIFY(recordAdminEntrance() > 0);
    mNow = start.addMSecs(shownAfterMs);
    mManager->poslednePrerusenie(uint(mManager->overKartu(adminCard)));
    QVERIFY(last->exists());
    QCOMPARE(last->isDeletable(), deletableShown);
    deletable.clear();

    mNow = start.addMSecs(clockThenMs);
    if (ends) {
        QVERIFY(deletable.wait(10000));
        QCOMPARE(deletable.takeFirst().at(0).toBool(), false);
        QVERIFY(!last->isDeletable());
    } else {
        QVERIFY(!deletable.wait(3000));
    }
    if (last->isDeletable()) {
        QVERIFY(mManager->vymazPoslednePrerusenie());
        QCOMPARE(deletable.size(), 1);
        QVERIFY(!last->exists());
    }
}

void TestManagerPreruseni::lastEntranceTime_data()
{
    QTest::addColumn<int>("hoursLater");
    QTest::addColumn<QString>("format");

    QTest::newRow("23 hours old") << 23 << "h:mm:ss";
    QTest::newRow("25 hours old") << 25 << "h:mm:ss\nd.M.yy";
}

void TestManagerPreruseni::lastEntranceTime()
{
    QFETCH(int, hoursLater);
    QFETCH(QString, format);
    makeManager(false);
    QCOMPARE(mManager->getLastPrerusCas(), QString());
    QVERIFY(recordAdminEntrance() > 0);
    mNow = start.addSecs(hoursLater * 3600);
    QCOMPARE(mManager->getLastPrerusCas(), start.toString(format));
}

void TestManagerPreruseni::lastEntranceText_data()
{
    QTest::addColumn<uint>("pid");
    QTest::addColumn<uint>("stav");
    QTest::addColumn<QString>("text");

    QTest::newRow("arrival, entry") << 3u << 1u << "Prichod - entry";
    QTest::newRow("departure, leave") << 4u << 0u << "Odchod - leave";
    QTest::newRow("other direction is leave") << 4u << 2u << "Odchod - leave";
    QTest::newRow("unknown type") << 9u << 1u << "? - entry";
}

void TestManagerPreruseni::lastEntranceText()
{
    QFETCH(uint, pid);
    QFETCH(uint, stav);
    makeManager(false);
    QCOMPARE(mManager->getLastPrerusText(), QString());
    QVERIFY(recordAdminEntrance(pid, stav) > 0);
    QTEST(mManager->getLastPrerusText(), "text");
}

QTEST_MAIN(TestManagerPreruseni)
#include "tst_managerpreruseni.moc"
