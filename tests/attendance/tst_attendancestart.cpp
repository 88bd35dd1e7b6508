#include "attendance/clovek.h"
#include "attendance/ludiaproxymodel.h"
#include "attendance/managerludi.h"
#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "core/base.h"
#include "foundation/globals.h"
#include "db/zepdbmanager.h"
#include "tests/support/controllersandbox.h"
#include "tests/support/dbmessagecapture.h"

#include <QQmlContext>
#include <QQuickView>
#include <QtTest>

// The attendance objects at start: created, filled and exposed to the UI in order.
class TestAttendanceStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void exposedInOrder();
    void entranceReachesTheSyncProtocol();
    void typeOrderSurvivesARestart();

private:
    std::unique_ptr<Base> restart(std::unique_ptr<Base> running = nullptr);
    static QObject *exposed(Base &base, const char *name);
    static QStringList typeNames(Base &base);

    std::unique_ptr<ControllerSandbox> mSandbox;
};

void TestAttendanceStart::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    mSandbox = std::make_unique<ControllerSandbox>();
    QVERIFY(mSandbox->isValid());
    Zep::argumentLine = QStringLiteral("zep -fillDemoData -noRandomData ");
    Zep::debugLevel = 1;
    ZepDBManager catalogue(ZepFiles::catalogueDb);
    QCOMPARE(catalogue.syncPrerus(PrerusenieData(2, QStringLiteral("Odchod"), QStringLiteral("O"))),
             1);
    QCOMPARE(
        catalogue.syncPrerus(PrerusenieData(1, QStringLiteral("Prichod"), QStringLiteral("P"))), 1);
    QVERIFY(catalogue.setPrerusPoradie(2, 1));
}

void TestAttendanceStart::cleanupTestCase()
{
    Zep::argumentLine.clear();
    mSandbox.reset();
}

void TestAttendanceStart::exposedInOrder()
{
    auto base = restart();
    const auto exposed
        = [&base](const char *name) { return TestAttendanceStart::exposed(*base, name); };
    QVERIFY(qobject_cast<Clovek *>(exposed("aktClovek")));
    auto *prerusenia = qobject_cast<PrerusenieModel *>(exposed("prerusModel"));
    QVERIFY(prerusenia);
    QCOMPARE(prerusenia->rowCount(), 2);
    QCOMPARE(prerusenia->getNazov(0), QStringLiteral("Odchod"));
    auto *ludia = qobject_cast<LudiaProxyModel *>(exposed("ludiaModel"));
    QVERIFY(ludia);
    auto *managerLudi = qobject_cast<ManagerLudi *>(exposed("managerLudi"));
    QVERIFY(managerLudi);
    // The people are loaded when the administration first shows them, not at start
    // nor after the first frame (when the camera is looked for).
    const auto cameraSearched = [] {
        QFile log(QStringLiteral("camcontrol.log"));
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("Camera devices:");
    };
    QTRY_VERIFY(cameraSearched());
    QCOMPARE(ludia->rowCount(), 0);
    managerLudi->ensureLoaded();
    QCOMPARE(ludia->rowCount(), 2); // the two demo people
    QVERIFY(qobject_cast<ManagerPreruseni *>(exposed("manPrerus")));

    QFile log(ZepFiles::appLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    const QList<QByteArray> lines { "Inicializujem CiselnikyDBManager...",
                                    "Nacitavam prerusenia",
                                    "Inicializujem DataDBManager...",
                                    "Portujem CiselnikyDBManager do QML...",
                                    "Inicializujem cloveka...",
                                    "Portujem cloveka do QML...",
                                    "Portujem prerusenia do QML...",
                                    "Vytvaram ludiaModel..",
                                    "Portujem ludiaModel do QML...",
                                    "Vytvaram ManagerLudi..",
                                    "Portujem ManagerLudi do QML...",
                                    "Portujem NetworkManager do QML..." };
    int previous = -1;
    for (const QByteArray &line : lines) {
        const int at = text.indexOf(line);
        QVERIFY2(at > previous, line.constData());
        previous = at;
    }
}

void TestAttendanceStart::entranceReachesTheSyncProtocol()
{
    auto base = restart();
    auto *manager = qobject_cast<ManagerPreruseni *>(exposed(*base, "manPrerus"));
    QVERIFY(manager);
    DbMessageCapture messages;
    const int uid = manager->overKartu(QStringLiteral("5C17AB902"));
    QVERIFY(uid > 0);
    QVERIFY(manager->zapisPrerusenie(
        1, QString(), QString(), 1, QStringLiteral("5C17AB902"), uint(uid), 1));
    // The server was never reached, so the protocol declines the upload for now.
    QVERIFY(messages.all().contains(
        QStringLiteral("TulDbManager::addEntrance() - server is not accessible!")));
}

// The digit shortcuts people learned keep their types when the terminal starts again after
// entrances; only the night reorder moves them.
void TestAttendanceStart::typeOrderSurvivesARestart()
{
    auto base = restart();
    auto *catalogue = qobject_cast<ZepDBManager *>(exposed(*base, "cisDBMan"));
    QVERIFY(catalogue->setPrerusPoradie(1, 2)); // Prichod right behind Odchod
    base = restart(std::move(base));
    const QStringList before = typeNames(*base);
    QCOMPARE(before, QStringList({ QStringLiteral("Odchod"), QStringLiteral("Prichod") }));

    auto *manager = qobject_cast<ManagerPreruseni *>(exposed(*base, "manPrerus"));
    const int uid = manager->overKartu(QStringLiteral("5C17AB902"));
    QVERIFY(uid > 0);
    for (int i = 0; i < 3; ++i)
        QVERIFY(manager->zapisPrerusenie(
            1, QString(), QString(), 1, QStringLiteral("5C17AB902"), uint(uid), 1));
    QCOMPARE(typeNames(*base), before);

    base = restart(std::move(base));
    QCOMPARE(typeNames(*base), before);
}

std::unique_ptr<Base> TestAttendanceStart::restart(std::unique_ptr<Base> running)
{
    running.reset();
    auto base = mSandbox->makeBase();
    base->init();
    return base;
}

QObject *TestAttendanceStart::exposed(Base &base, const char *name)
{
    return base.view()->rootContext()->contextProperty(QLatin1String(name)).value<QObject *>();
}

QStringList TestAttendanceStart::typeNames(Base &base)
{
    auto *model = qobject_cast<PrerusenieModel *>(exposed(base, "prerusModel"));
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->getNazov(row);
    return names;
}

QTEST_MAIN(TestAttendanceStart)
#include "tst_attendancestart.moc"
