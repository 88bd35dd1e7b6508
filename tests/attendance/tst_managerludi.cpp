#include "attendance/ludiamodel.h"
#include "attendance/managerludi.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include "tests/support/workdir.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestManagerLudi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pridajCloveka_data();
    void pridajCloveka();
    void addedPersonShowsAfterReload();
    void loadedOnceWhenFirstShown();
    void upravCloveka();
    void editingADeletedPersonIsRefused();
    void priradKartu();
    void existujeAdmin();

private:
    WorkDir mDir;
    std::unique_ptr<DataDBManager> mDb;
    std::unique_ptr<LudiaModel> mModel;
    std::unique_ptr<ManagerLudi> mManager;
};

void TestManagerLudi::initTestCase()
{
    QVERIFY(mDir.isValid());
    Zep::debugLevel = 0;
}

void TestManagerLudi::init()
{
    mDb = std::make_unique<DataDBManager>(ZepFiles::attendanceDb);
    mModel = std::make_unique<LudiaModel>();
    mManager = std::make_unique<ManagerLudi>(mModel.get(), mDb.get());
}

void TestManagerLudi::cleanup()
{
    mManager.reset();
    mModel.reset();
    mDb.reset();
    QFile::remove(ZepFiles::attendanceDb);
}

void TestManagerLudi::pridajCloveka_data()
{
    QTest::addColumn<uint>("dochid");
    QTest::addColumn<bool>("added");
    QTest::addColumn<int>("createdSignals");

    QTest::newRow("new number") << 30u << true << 1;
    QTest::newRow("number 0") << 0u << false << 0;
    QTest::newRow("number of a living person") << 10u << false << 0;
    // The number stays taken by the deleted row; the insert fails.
    QTest::newRow("number of a deleted person") << 20u << false << 0;
}

void TestManagerLudi::pridajCloveka()
{
    QFETCH(uint, dochid);
    QVERIFY(
        mManager->pridajCloveka(10, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    QVERIFY(
        mManager->pridajCloveka(20, QString(), QStringLiteral("Eva"), QStringLiteral("Hora"), 0));
    QVERIFY(mManager->zmazCloveka(uint(mDb->nacitajCloveka(20, true).uid)));

    QSignalSpy created(mDb.get(), &DataDBManager::sigPersonCreated);
    QSignalSpy updated(mDb.get(), &DataDBManager::sigPersonUpdated);
    QTEST(mManager->pridajCloveka(
              dochid, QStringLiteral("Ing."), QStringLiteral("Ivan"), QStringLiteral("Novy"), 1),
          "added");
    QTEST(int(created.count()), "createdSignals");
    QCOMPARE(updated.count(), 0);
}

void TestManagerLudi::addedPersonShowsAfterReload()
{
    QVERIFY(mManager->pridajCloveka(
        5, QStringLiteral("Ing."), QStringLiteral("Jana"), QStringLiteral("Mala"), 1));
    QCOMPARE(mModel->rowCount(), 0); // no reload of its own
    mManager->obnovModelData();
    QCOMPARE(mModel->rowCount(), 1);
    QCOMPARE(mModel->getTitul(0), QStringLiteral("Ing."));
    QCOMPARE(mModel->getAdmin(0), 1);
}

void TestManagerLudi::loadedOnceWhenFirstShown()
{
    QVERIFY(
        mManager->pridajCloveka(5, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    QCOMPARE(mModel->rowCount(), 0);
    mManager->ensureLoaded();
    QCOMPARE(mModel->rowCount(), 1);
    QCOMPARE(mModel->getMeno(0), QStringLiteral("Jana"));

    // Shown again: the model as it is, until the next reload.
    QVERIFY(
        mManager->pridajCloveka(6, QString(), QStringLiteral("Eva"), QStringLiteral("Hora"), 0));
    mManager->ensureLoaded();
    QCOMPARE(mModel->rowCount(), 1);
    mManager->obnovModelData();
    QCOMPARE(mModel->rowCount(), 2);
}

void TestManagerLudi::upravCloveka()
{
    QVERIFY(
        mManager->pridajCloveka(5, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    const uint uid = uint(mDb->nacitajCloveka(5, true).uid);
    QVERIFY(mManager->priradKartu(uid, QStringLiteral("ABC123")));
    QSignalSpy updated(mDb.get(), &DataDBManager::sigPersonUpdated);
    QVERIFY(mManager->upravCloveka(
        uid, 6, QStringLiteral("Mgr."), QStringLiteral("Jana"), QStringLiteral("Velka"), 1));
    QCOMPARE(updated.count(), 1);
    const PersonData person = mDb->nacitajCloveka(uid, false);
    QCOMPARE(person.dochid, 6);
    QCOMPARE(person.priez, QStringLiteral("Velka"));
    QCOMPARE(person.admin, 1);
    QCOMPARE(person.karta, QStringLiteral("ABC123")); // kept from the stored record
    QVERIFY(!mManager->upravCloveka(uid + 100, 7, QString(), QString(), QString(), 0));
}

void TestManagerLudi::editingADeletedPersonIsRefused()
{
    QVERIFY(
        mManager->pridajCloveka(5, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    const uint uid = uint(mDb->nacitajCloveka(5, true).uid);
    QVERIFY(mManager->zmazCloveka(uid));
    QVERIFY(!mManager->upravCloveka(uid, 5, QString(), QStringLiteral("Jana"), QString(), 0));
    QVERIFY(!mManager->priradKartu(uid, QStringLiteral("X")));
    // Still deleted: the refused edit must not have revived her.
    QCOMPARE(mDb->nacitajCloveka(uid, false).uid, 0);
}

void TestManagerLudi::priradKartu()
{
    QVERIFY(
        mManager->pridajCloveka(5, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    QVERIFY(
        mManager->pridajCloveka(6, QString(), QStringLiteral("Eva"), QStringLiteral("Hora"), 0));
    const uint jana = uint(mDb->nacitajCloveka(5, true).uid);
    const uint eva = uint(mDb->nacitajCloveka(6, true).uid);
    QVERIFY(mManager->priradKartu(jana, QStringLiteral("CARD1")));
    // The same card may be given to a second person.
    QVERIFY(mManager->priradKartu(eva, QStringLiteral("CARD1")));
    QCOMPARE(mDb->nacitajCloveka(eva, false).karta, QStringLiteral("CARD1"));
}

void TestManagerLudi::existujeAdmin()
{
    QVERIFY(!mManager->existujeAdmin());
    QVERIFY(
        mManager->pridajCloveka(5, QString(), QStringLiteral("Jana"), QStringLiteral("Mala"), 0));
    QVERIFY(!mManager->existujeAdmin());
    QVERIFY(
        mManager->pridajCloveka(6, QString(), QStringLiteral("Eva"), QStringLiteral("Hora"), 1));
    QVERIFY(mManager->existujeAdmin());
    // Deleted administrators still count.
    QVERIFY(mManager->zmazCloveka(uint(mDb->nacitajCloveka(6, true).uid)));
    QVERIFY(mManager->existujeAdmin());
}

QTEST_GUILESS_MAIN(TestManagerLudi)
#include "tst_managerludi.moc"
