#include "attendance/clovek.h"
#include "attendance/ludiaproxymodel.h"
#include "attendance/managerludi.h"
#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "core/base.h"
#include "core/foundation/globals.h"
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

private:
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
    auto base = mSandbox->makeBase();
    base->init();

    QQmlContext *context = base->view()->rootContext();
    const auto exposed = [context](const char *name) {
        return context->contextProperty(QLatin1String(name)).value<QObject *>();
    };
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
    auto base = mSandbox->makeBase();
    base->init();
    auto *manager
        = qobject_cast<ManagerPreruseni *>(base->view()
                                               ->rootContext()
                                               ->contextProperty(QStringLiteral("manPrerus"))
                                               .value<QObject *>());
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

QTEST_MAIN(TestAttendanceStart)
#include "tst_attendancestart.moc"
