#include "core/base.h"
#include "core/foundation/filelog.h"
#include "core/foundation/globals.h"
#include "core/foundation/zepsettings.h"
#include "db/preruseniedata.h"
#include "db/zepdbmanager.h"
#include "tests/support/controllersandbox.h"

#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickView>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

// Demo person of the attendance database ("-fillDemoData").
const QString demoCard = QStringLiteral("73D0F1E48");
const uint demoNumber = 2;

struct InterruptionType
{
    int pid;
    const char *name;
    const char *abbreviation;
};
const InterruptionType types[] = {
    { 11, "Work", "P" }, { 12, "Lunch", "O" }, { 13, "Doctor", "L" }, { 14, "Business trip", "SLC" }
};

QStringList qmlWarnings;
QtMessageHandler previousHandler = nullptr;

// Every warning raised by a UI document fails the test that caused it.
void collectQmlWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString file = QString::fromUtf8(context.file ? context.file : "");
    if (type != QtDebugMsg && type != QtInfoMsg
        && (file.endsWith(QLatin1String(".qml")) || message.contains(QLatin1String(".qml:"))))
        qmlWarnings << message;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

// Drives the terminal's UI documents with the real controller, as a card reader
// and a keypad would: key events only.
class tst_VMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void idleScreenShown();
    void recordEntrance_data();
    void recordEntrance();
    void unknownIdentification_data();
    void unknownIdentification();
    void deleteLastEntrance();
    void administrationBehindSetupPin();
    void screenSaverResumesBackgroundWork();

private:
    QQuickItem *item(const char *objectName) const;
    QObject *root() const;
    bool shows(const char *objectName) const;
    int entranceCount() const;
    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {}) const;
    QList<QVariantList> entrances() const;
    uint demoUid() const;
    QString demoName() const;
    QVariant demoColumn(const QString &column) const;
    void type(const QString &text);
    void press(Qt::Key key);
    void screenshot(const QString &name);

    std::unique_ptr<ControllerSandbox> mSandbox;
    std::unique_ptr<Base> mBase;
    QQuickView *mView = nullptr;
};

void tst_VMain::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // A new folder: the terminal starts without a setup PIN.
    mSandbox = std::make_unique<ControllerSandbox>(ControllerSandbox::RealDocuments);
    QVERIFY(mSandbox->isValid());

    {
        // No traffic leaves the machine, no camera, and the type order stays put.
        QSettings ini(ZepFiles::settingsFile, QSettings::IniFormat);
        ini.setValue("global/networking", false);
        ini.setValue("global/takePhoto", false);
        ini.setValue("global/autosort", false);
        ini.setValue("global/PIN", true);
        ini.setValue("time/useNTPH", false);
        ini.setValue("orvel/pingEnabled", false);
        ini.setValue("orvel/sszep", "127.0.0.1");
        ini.setValue("orvel/sszepPort", 1);
        ini.setValue("serverKLD/pingEnabled", false);
        ini.setValue("serverKLD/ip", "127.0.0.1");
        ini.setValue("serverKLD/port", 1);
        ini.setValue("ui/screenSaverDelay", 3600);
        ini.setValue("ui/cameraPreviewInterval", 0);
    }
    {
        ZepDBManager catalogue(ZepFiles::catalogueDb);
        for (const InterruptionType &t : types)
            QVERIFY(catalogue.syncPrerus(PrerusenieData(
                        t.pid, QString::fromLatin1(t.name), QString::fromLatin1(t.abbreviation)))
                    > 0);
    }

    previousHandler = qInstallMessageHandler(collectQmlWarnings);
    Zep::argumentLine = QStringLiteral("zep -fillDemoData -noRandomData ");
    mBase = mSandbox->makeBase();
    mBase->init();

    mView = mBase->view();
    QVERIFY(mView);
    connect(mView->engine(), &QQmlEngine::warnings, this, [](const QList<QQmlError> &errors) {
        for (const QQmlError &error : errors)
            qmlWarnings << error.toString();
    });
    QCOMPARE(mView->status(), QQuickView::Ready);
    mView->resize(800, 480);
    mView->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(mView));
    QTRY_VERIFY_WITH_TIMEOUT(item("idleScreen"), 5000);
    QDir().mkpath(QStringLiteral(ZEP_BINARY_DIR "/screenshots"));
    QVERIFY2(qmlWarnings.isEmpty(), qPrintable(qmlWarnings.join(QLatin1Char('\n'))));
}

void tst_VMain::cleanupTestCase()
{
    mBase.reset();
    mSandbox.reset();
    qInstallMessageHandler(previousHandler);
}

void tst_VMain::init()
{
    QMetaObject::invokeMethod(root(), "goIdle");
    QTRY_VERIFY(shows("idleScreen"));
}

void tst_VMain::cleanup()
{
    const QStringList warnings = qmlWarnings;
    qmlWarnings.clear();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void tst_VMain::idleScreenShown()
{
    QVERIFY(item("idleScreen")->hasActiveFocus());
    screenshot(QStringLiteral("idle"));
}

void tst_VMain::recordEntrance_data()
{
    QTest::addColumn<QString>("identification");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<int>("direction");

    QTest::newRow("card, first type by digit, arrival")
        << demoCard << QList<int> { Qt::Key_1, Qt::Key_1 } << 0 << 1;
    QTest::newRow("card, second type by digit, departure")
        << demoCard << QList<int> { Qt::Key_2, Qt::Key_0 } << 1 << 0;
    QTest::newRow("card, arrows and Enter")
        << demoCard << QList<int> { Qt::Key_Right,  Qt::Key_Right, Qt::Key_Left,
                                    Qt::Key_Return, Qt::Key_Right, Qt::Key_Return }
        << 1 << 0;
    QTest::newRow("card, Tab and Enter keeps arrival")
        << demoCard
        << QList<int> { Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Return } << 3
        << 1;
    QTest::newRow("card, Escape goes back to the types")
        << demoCard << QList<int> { Qt::Key_1, Qt::Key_Escape, Qt::Key_3, Qt::Key_1 } << 2 << 1;
    QTest::newRow("personal number typed on the idle screen")
        << QString::number(demoNumber) << QList<int> { Qt::Key_1, Qt::Key_0 } << 0 << 0;
}

void tst_VMain::recordEntrance()
{
    QFETCH(QString, identification);
    QFETCH(QList<int>, keys);
    QFETCH(int, typeIndex);
    QFETCH(int, direction);

    const int before = entranceCount();
    type(identification);
    press(Qt::Key_Return);
    QTRY_VERIFY(shows("entranceScreen"));
    QCOMPARE(item("personName")->property("text").toString(), demoName());
    screenshot(QStringLiteral("types_") + QTest::currentDataTag());
    for (int key : keys)
        press(Qt::Key(key));

    QTRY_VERIFY(item("confirmation")->isVisible());
    QCOMPARE(entranceCount(), before + 1);
    const QVariantList last = entrances().constLast();
    QCOMPARE(last.at(0).toInt(), types[typeIndex].pid);
    QCOMPARE(last.at(1).toInt(), direction);
    QCOMPARE(last.at(2).toUInt(), demoUid());
    QVERIFY(item("deleteButton")->isVisible());
    screenshot(QStringLiteral("entrance_") + QTest::currentDataTag());

    press(Qt::Key_Return);
    QTRY_VERIFY(shows("idleScreen"));
}

void tst_VMain::unknownIdentification_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("typed");

    QTest::newRow("unknown card") << QList<int> {} << QStringLiteral("FFFF0000X");
    QTest::newRow("unknown number on the idle screen") << QList<int> {} << QStringLiteral("4711");
    QTest::newRow("unknown number on the PIN pad")
        << QList<int> { Qt::Key_F2 } << QStringLiteral("4711");
}

void tst_VMain::unknownIdentification()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, typed);

    const int before = entranceCount();
    for (int key : keys)
        press(Qt::Key(key));
    type(typed);
    press(Qt::Key_Return);

    QQuickItem *banner = item("messageBanner");
    QTRY_VERIFY(banner->isVisible());
    QVERIFY(banner->property("text").toString().contains(QLatin1String("not registered")));
    QVERIFY(!shows("entranceScreen"));
    QCOMPARE(entranceCount(), before);
    screenshot(QStringLiteral("unknown_") + QTest::currentDataTag());
}

void tst_VMain::deleteLastEntrance()
{
    type(demoCard);
    press(Qt::Key_Return);
    QTRY_VERIFY(shows("entranceScreen"));
    press(Qt::Key_1);
    press(Qt::Key_1);
    QTRY_VERIFY(item("confirmation")->isVisible());
    const int recorded = entranceCount();

    press(Qt::Key_Delete);
    QCOMPARE(entranceCount(), recorded - 1);
    QTRY_VERIFY(item("messageBanner")->isVisible());
    QVERIFY(item("messageBanner")->property("text").toString().contains(QLatin1String("deleted")));
    screenshot(QStringLiteral("entrance_deleted"));
}

void tst_VMain::administrationBehindSetupPin()
{
    press(Qt::Key_F10);
    // First use: the setup PIN is chosen and entered again.
    type(QStringLiteral("2468"));
    press(Qt::Key_Return);
    type(QStringLiteral("2468"));
    press(Qt::Key_Return);
    QTRY_VERIFY(item("peopleList"));
    QQuickItem *list = item("peopleList");
    QTRY_COMPARE(list->property("count").toInt(), 2);
    screenshot(QStringLiteral("administration"));

    type(QStringLiteral("adm"));
    QTRY_COMPARE(list->property("count").toInt(), 1);
    press(Qt::Key_Escape);
    QTRY_VERIFY(shows("idleScreen"));

    // Next time the stored PIN is asked for, and a wrong one is refused.
    press(Qt::Key_F10);
    type(QStringLiteral("1111"));
    press(Qt::Key_Return);
    QTRY_VERIFY(item("messageBanner")->isVisible());
    QVERIFY(!item("peopleList"));
    type(QStringLiteral("2468"));
    press(Qt::Key_Return);
    QTRY_VERIFY(item("peopleList"));
    QTRY_COMPARE(item("peopleList")->property("count").toInt(), 2);
}

void tst_VMain::screenSaverResumesBackgroundWork()
{
    QSignalSpy levels(mBase.get(), &Base::sigScreenSaverLevelChanged);
    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 1);
    QVERIFY(levels.wait(5000));
    QCOMPARE(levels.constLast().at(0).toInt(), 1);
    QTRY_VERIFY(item("screenSaver")->property("opacity").toReal() > 0.7);
    screenshot(QStringLiteral("screensaver"));

    mSandbox->settings().setValue(QStringLiteral("ui/screenSaverDelay"), 3600);
    press(Qt::Key_Shift);
    QTRY_COMPARE(levels.constLast().at(0).toInt(), 0);
}

QQuickItem *tst_VMain::item(const char *objectName) const
{
    QQuickItem *rootItem = mView->rootObject();
    if (!rootItem)
        return nullptr;
    return rootItem->findChild<QQuickItem *>(QString::fromLatin1(objectName));
}

QObject *tst_VMain::root() const
{
    return item("vmain");
}

// Identification and recording go through "manPrerus".
bool tst_VMain::shows(const char *objectName) const
{
    QQuickItem *found = item(objectName);
    return found && found->isVisible();
}

// Rows of the attendance database, read over a connection of the test's own.
QList<QVariantList> tst_VMain::rows(const QString &sql, const QVariantList &values) const
{
    QList<QVariantList> result;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(QDir::current().filePath(QStringLiteral("data.db")));
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare(sql);
            for (const QVariant &value : values)
                q.addBindValue(value);
            if (q.exec()) {
                while (q.next()) {
                    QVariantList row;
                    for (int i = 0; i < q.record().count(); ++i)
                        row << q.value(i);
                    result << row;
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

QList<QVariantList> tst_VMain::entrances() const
{
    return rows(QStringLiteral("SELECT pid, smer, uid FROM prerusenia ORDER BY id"));
}

int tst_VMain::entranceCount() const
{
    return entrances().size();
}

QVariant tst_VMain::demoColumn(const QString &column) const
{
    return rows(QStringLiteral("SELECT %1 FROM ludia WHERE dochid = ?").arg(column), { demoNumber })
        .value(0)
        .value(0);
}

uint tst_VMain::demoUid() const
{
    return demoColumn(QStringLiteral("uid")).toUInt();
}

QString tst_VMain::demoName() const
{
    return demoColumn(QStringLiteral("meno")).toString();
}

void tst_VMain::type(const QString &text)
{
    for (const QChar ch : text)
        QTest::keyClick(mView, ch.toLatin1());
}

void tst_VMain::press(Qt::Key key)
{
    QTest::keyClick(mView, key);
}

// The software renderer of the offscreen platform cannot grab the window, so
// the scene is grabbed from its content item.
void tst_VMain::screenshot(const QString &name)
{
    QString fileName = name;
    fileName.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_]+")), QStringLiteral("_"));
    const QString path = QStringLiteral(ZEP_BINARY_DIR "/screenshots/") + fileName + ".png";
    QImage image = mView->grabWindow();
    if (image.isNull()) {
        QSharedPointer<QQuickItemGrabResult> grab = mView->contentItem()->grabToImage();
        QVERIFY(grab);
        QSignalSpy ready(grab.data(), &QQuickItemGrabResult::ready);
        QVERIFY(ready.wait(5000));
        image = grab->image();
    }
    QVERIFY(image.save(path));
}

QTEST_MAIN(tst_VMain)
#include "tst_vmain.moc"
