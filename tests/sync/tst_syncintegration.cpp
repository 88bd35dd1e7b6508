#include "foundation/zepsettings.h"
#include "sync/asyncpinger.h"
#include "sync/idpairencoding.h"
#include "sync/tuldbmanager.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/workdir.h"

#include <QSignalSpy>
#include <QtTest>

// The terminal's sync cycle against the development attendance server: a
// registration, a full and an incremental sync, each list confirmed the way
// the applier confirms it.
class TestSyncIntegration : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fullThenIncrementalSync();

private:
    // Runs doSync and waits until its requests (and the confirmations they
    // cause) are answered.
    void cycle(TulDbManager &manager);
    QStringList wire();

    std::unique_ptr<WorkDir> mDir;
    DevServerProcess mServer;
};

void TestSyncIntegration::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    ChangeLists::registerMetaTypes();
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    QVERIFY2(mServer.start(), qPrintable(mServer.output()));
}

void TestSyncIntegration::cycle(TulDbManager &manager)
{
    QSignalSpy probed(manager.probe(), &AsyncPinger::pingFinished);
    manager.doSync();
    QVERIFY(probed.wait(5000));
    QVERIFY(probed.first().first().toBool());
    QTRY_COMPARE_WITH_TIMEOUT(manager.outstandingRequests(), 0, 10000);
}

// The protocol requests the server answered, as "METHOD path".
QStringList TestSyncIntegration::wire()
{
    QStringList out;
    for (const QJsonValue &entry : mServer.requests()) {
        const QJsonObject o = entry.toObject();
        const QString path = o.value(QStringLiteral("path")).toString();
        if (path.startsWith(QLatin1String("/zepsync/")))
            out << o.value(QStringLiteral("method")).toString() + QLatin1Char(' ') + path.mid(9);
    }
    return out;
}

void TestSyncIntegration::fullThenIncrementalSync()
{
    ZEPSettings settings(QStringLiteral("zep.ini"));
    settings.setValue(QStringLiteral("serverKLD/ip"), mServer.host());
    settings.setValue(QStringLiteral("serverKLD/port"), mServer.port());
    TulDbManager manager(&settings);
    TermData term;
    term.tid = 7;
    term.model = QStringLiteral("VZEP");
    term.ver = QStringLiteral("1.0.0");
    manager.setMac(QStringLiteral("02:00:00:00:00:07"));
    manager.setTermData(term);
    manager.loadSettings();

    // The controller keeps the id and hands the record back.
    connect(&manager, &TulDbManager::terminalRegistered, this, [&](uint id) {
        term.refId = int(id);
        manager.setTermData(term);
    });
    // Confirms every list of a parsed reply, as the applier does after applying it.
    QMap<QString, int> counts;
    QMap<uint, ushort> received; // reply time -> list bits
    auto note = [&](const QString &list, int size, uint ts, ushort bit) {
        counts[list] += size;
        received[ts] |= bit;
    };
    connect(&manager, &TulDbManager::needSyncInters, this, [&](const InterSynDataList &l, uint ts) {
        note("inters", l.size(), ts, 0x1);
    });
    connect(&manager,
            &TulDbManager::needSyncPeople,
            this,
            [&](const PersonSynDataList &l, uint ts) { note("people", l.size(), ts, 0x2); });
    connect(&manager, &TulDbManager::needSyncSaldo, this, [&](const SaldoSynDataList &l, uint ts) {
        note("saldo", l.size(), ts, 0x4);
    });
    connect(&manager,
            &TulDbManager::needSyncPresent,
            this,
            [&](const PresentSynDataList &l, uint ts) { note("present", l.size(), ts, 0x8); });
    connect(&manager, &TulDbManager::needSyncZones, this, [&](const ZoneSynDataList &l, uint ts) {
        note("zones", l.size(), ts, 0x40);
    });
    connect(&manager, &TulDbManager::needSyncPZT, this, [&](const PZTSynDataList &l, uint ts) {
        note("pzt", l.size(), ts, 0x40);
    });
    connect(&manager, &TulDbManager::needSyncGrp, this, [&](const GrpSynDataList &l, uint ts) {
        note("grp", l.size(), ts, 0x100);
    });
    PersonSynDataList lastPeople;
    connect(&manager, &TulDbManager::needSyncPeople, this, [&](const PersonSynDataList &l) {
        lastPeople = l;
    });
    QStringList confirmations;
    QList<bool> parsed;
    connect(&manager, &TulDbManager::parseSyncFinished, this, [&](bool force) {
        parsed << force;
        for (auto it = received.cbegin(); it != received.cend(); ++it)
            for (ushort bit : { 0x1, 0x2, 0x4, 0x8, 0x40, 0x100 })
                if (it.value() & bit) {
                    manager.sendDeleteSyncFlags(it.key(), bit);
                    confirmations << IdPairEncoding::encode(it.key(), bit);
                }
        received.clear();
    });

    // Registration.
    cycle(manager);
    QCOMPARE(wire(), QStringList { "POST term" });
    QVERIFY(term.refId != 0);
    const QString key = IdPairEncoding::encode(uint(term.refId), 7);
    QCOMPARE(manager.terminalKey(), key);
    const QJsonArray terminals = mServer.terminals();
    QCOMPARE(terminals.size(), 1);
    const QJsonObject stored = terminals.first().toObject();
    QCOMPARE(stored.value(QStringLiteral("id")).toInt(), term.refId);
    QCOMPARE(stored.value(QStringLiteral("fid")).toInt(), 7);
    const QJsonObject attrs = stored.value(QStringLiteral("attrs")).toObject();
    QCOMPARE(attrs.value(QStringLiteral("mac")).toString(), QStringLiteral("02:00:00:00:00:07"));
    QCOMPARE(attrs.value(QStringLiteral("type")).toString(), QStringLiteral("VZEP"));

    // Full sync: every list of the seed, then their confirmations.
    cycle(manager);
    QCOMPARE(parsed, QList<bool> { true });
    QCOMPARE(counts.value("inters"), 8);
    QCOMPARE(counts.value("people"), 5);
    QCOMPARE(counts.value("zones"), 2);
    QCOMPARE(counts.value("pzt"), 3);
    QVERIFY(counts.value("saldo") > 0);
    QVERIFY(!manager.forceSync());
    QStringList expected { "GET sync/" + key + "/fs" };
    for (const QString &c : confirmations)
        expected << "DELETE sync/" + key + "/" + c;
    QStringList sent = wire().mid(1);
    QCOMPARE(sent.first(), expected.first()); // confirmations follow the reply
    sent.sort();
    expected.sort();
    QCOMPARE(sent, expected);

    // Incremental sync: only the change.
    QVERIFY(mServer.putRow(QStringLiteral("people"),
                           { { "uid", 2 }, { "surname", QStringLiteral("Nová") } }));
    counts.clear();
    confirmations.clear();
    const int before = wire().size();
    cycle(manager);
    QCOMPARE(parsed, (QList<bool> { true, false }));
    QCOMPARE(counts.keys(), QStringList { "people" });
    QCOMPARE(lastPeople.size(), 1);
    QCOMPARE(lastPeople.first().uid, 2u);
    QCOMPARE(lastPeople.first().surname, QStringLiteral("Nová"));
    QCOMPARE(lastPeople.first().type, QChar('U'));
    QCOMPARE(confirmations.size(), 1);
    QCOMPARE(
        wire().mid(before),
        (QStringList { "GET sync/" + key, "DELETE sync/" + key + "/" + confirmations.first() }));

    // Confirmed: nothing is left to deliver.
    counts.clear();
    cycle(manager);
    QVERIFY(counts.isEmpty());
    QCOMPARE(parsed.size(), 2);
}

QTEST_GUILESS_MAIN(TestSyncIntegration)
#include "tst_syncintegration.moc"
