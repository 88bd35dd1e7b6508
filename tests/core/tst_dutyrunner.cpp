#include "core/cron.h"
#include "core/dutyrunner.h"
#include "foundation/zepsettings.h"

#include "tests/support/workdir.h"

#include <QMouseEvent>
#include <QtTest>

// The duties a tick announces and what pauses them: the server state, the
// networking switch, user activity and the screen saver.
class tst_DutyRunner : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void minuteDuties_data();
    void minuteDuties();
    void stateChange_data();
    void stateChange();
    void userActivity_data();
    void userActivity();
    void screenSaverResumesTheTick();

private:
    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<DutyRunner> mRunner;
};

void tst_DutyRunner::init()
{
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mRunner = std::make_unique<DutyRunner>(mSettings.get());
}

void tst_DutyRunner::cleanup()
{
    mRunner.reset();
    mSettings.reset();
    mDir.reset();
}

void tst_DutyRunner::minuteDuties_data()
{
    QTest::addColumn<bool>("networking");
    QTest::addColumn<ServerState>("state");
    QTest::addColumn<bool>("applierSync");

    QTest::newRow("online") << true << ServerOnline << true;
    QTest::newRow("networking off") << false << ServerOnline << false;
    QTest::newRow("server unreachable") << true << ServerUnreachable << false;
    QTest::newRow("server failed") << true << ServerFailed << false;
    QTest::newRow("server rejected") << true << ServerRejected << false;
    QTest::newRow("disabled") << true << ServerDisabled << false;
}

// The lists are asked for only from a server that answers; the backup and the idle
// work run every minute whatever the server does.
void tst_DutyRunner::minuteDuties()
{
    QFETCH(bool, networking);
    QFETCH(ServerState, state);
    mRunner->setNetworking(networking);
    mRunner->setServerState(state);
    QSignalSpy applier(mRunner.get(), &DutyRunner::applierSyncDue);
    QSignalSpy backup(mRunner.get(), &DutyRunner::backupDue);
    QSignalSpy idle(mRunner.get(), &DutyRunner::idleMinute);

    mRunner->onCronMin(1);

    QTEST(applier.size() == 1, "applierSync");
    QCOMPARE(backup.size(), 1);
    QCOMPARE(idle.size(), 1);
}

void tst_DutyRunner::stateChange_data()
{
    QTest::addColumn<ServerState>("from");
    QTest::addColumn<ServerState>("to");
    QTest::addColumn<bool>("stops");

    QTest::newRow("online to failed") << ServerOnline << ServerFailed << true;
    QTest::newRow("online to unreachable") << ServerOnline << ServerUnreachable << true;
    QTest::newRow("rejected to disabled") << ServerRejected << ServerDisabled << true;
    QTest::newRow("unreachable to online") << ServerUnreachable << ServerOnline << false;
    QTest::newRow("online again") << ServerOnline << ServerOnline << false;
}

void tst_DutyRunner::stateChange()
{
    QFETCH(ServerState, from);
    QFETCH(ServerState, to);
    mRunner->setServerState(from);
    QSignalSpy stop(mRunner.get(), &DutyRunner::stopBackgroundActivity);

    mRunner->setServerState(to);

    QTEST(stop.size() == 1, "stops");
    QCOMPARE(mRunner->serverState(), to);
}

void tst_DutyRunner::userActivity_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("pauses");

    QTest::newRow("key press") << int(QEvent::KeyPress) << 0 << true;
    QTest::newRow("key release") << int(QEvent::KeyRelease) << 0 << true;
    QTest::newRow("button press") << int(QEvent::MouseButtonPress) << int(Qt::LeftButton) << true;
    QTest::newRow("drag") << int(QEvent::MouseMove) << int(Qt::LeftButton) << true;
    QTest::newRow("hovering pointer") << int(QEvent::MouseMove) << 0 << false;
    QTest::newRow("paint") << int(QEvent::Paint) << 0 << false;
}

// A person at the terminal stops the tick and the background work; a pointer that
// only passes over the window does not.
void tst_DutyRunner::userActivity()
{
    QFETCH(int, type);
    QFETCH(int, buttons);
    QFETCH(bool, pauses);
    QObject window;
    mRunner->watchUserActivity(&window);
    mRunner->start();
    QVERIFY(mRunner->cron()->isActive());
    QSignalSpy stop(mRunner.get(), &DutyRunner::stopBackgroundActivity);

    std::unique_ptr<QEvent> event;
    const auto eventType = QEvent::Type(type);
    if (eventType == QEvent::KeyPress || eventType == QEvent::KeyRelease)
        event = std::make_unique<QKeyEvent>(eventType, Qt::Key_5, Qt::NoModifier, "5");
    else if (eventType == QEvent::MouseButtonPress || eventType == QEvent::MouseMove)
        event = std::make_unique<QMouseEvent>(eventType,
                                              QPointF(10, 10),
                                              eventType == QEvent::MouseMove ? Qt::NoButton
                                                                             : Qt::LeftButton,
                                              Qt::MouseButtons(buttons),
                                              Qt::NoModifier);
    else
        event = std::make_unique<QEvent>(eventType);
    QCoreApplication::sendEvent(&window, event.get());

    QCOMPARE(!mRunner->cron()->isActive(), pauses);
    QCOMPARE(stop.size() == 1, pauses);
}

void tst_DutyRunner::screenSaverResumesTheTick()
{
    QObject window;
    mRunner->watchUserActivity(&window);
    mRunner->start();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QCoreApplication::sendEvent(&window, &key);
    QVERIFY(!mRunner->cron()->isActive());

    mRunner->sSaverLevelChanged(1);
    QVERIFY(mRunner->cron()->isActive());
    // A deeper level of the saver changes nothing more.
    mRunner->sSaverLevelChanged(2);
    QVERIFY(mRunner->cron()->isActive());
}

QTEST_MAIN(tst_DutyRunner)
#include "tst_dutyrunner.moc"
