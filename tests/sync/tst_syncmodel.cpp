#include "tests/support/workdir.h"
#include "tests/support/devserverprocess.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

// Random sequences of what happens to a terminal and its server, each followed by a check
// that no entrance and no person got lost between them. ZEP_MODEL_SECONDS (default 6) sets
// how long sequences are started, ZEP_MODEL_SEED (default fixed) the random choices; a
// failure names the seed and the steps that led to it.

namespace {

const int commandTimeoutMs = 60000;

// One life of the terminal: the program sync_modelterminal in the test's folder.
class TerminalProcess
{
public:
    bool start(quint16 serverPort)
    {
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.start(QStringLiteral(ZEP_MODEL_TERMINAL), { QString::number(serverPort) });
        return mProcess.waitForStarted(10000);
    }

    // The answer line, or an empty list when the terminal did not answer.
    QStringList send(const QString &command)
    {
        mProcess.write(command.toUtf8() + '\n');
        QDeadlineTimer deadline(commandTimeoutMs);
        while (!mProcess.canReadLine() && !deadline.hasExpired()
               && mProcess.state() == QProcess::Running)
            mProcess.waitForReadyRead(100);
        if (!mProcess.canReadLine())
            return {};
        return QString::fromUtf8(mProcess.readLine())
            .trimmed()
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }

    bool quit()
    {
        send(QStringLiteral("quit"));
        return mProcess.waitForFinished(20000) && mProcess.exitStatus() == QProcess::NormalExit;
    }

    void kill() // SIGKILL: no destructor, no close, no checkpoint
    {
        mProcess.kill();
        mProcess.waitForFinished(10000);
    }

private:
    QProcess mProcess;
};

struct Entrance
{
    uint dochid = 0;
    uint iid = 0;
    uint direction = 0;
    uint time = 0;
};

// What the terminal was told and what the server was made to do.
struct Expected
{
    QHash<uint, Entrance> entrances; // local id -> entrance reported recorded, not deleted
    QSet<uint> deleted; // local ids reported deleted
    uint lastRecorded = 0; // the entrance a delete takes, 0 when none
    // When the terminal or the server stopped, replies to uploads may have been lost: an
    // entrance unsent then may reach the server twice.
    QSet<uint> uncertain;
    QSet<uint> createdPeople; // numbers of people added at the terminal
    QSet<uint> removedByServer; // numbers of people the server removed
    QList<uint> candidates { 1001, 1002, 1003, 1004, 1005 }; // numbers one may punch with
    // Entrances the server was made to refuse: the terminal holds each back for 4 minutes after
    // a refusal, twice as long after each further one, at most 128 minutes.
    QHash<uint, int> refusals; // local id -> rejection steps that named it
    QSet<uint> refusedInSequence;
    QHash<uint, qint64> heldUntil; // local id -> test time (ms) by which its hold has ended
};

} // namespace

class tst_SyncModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void randomSequencesKeepEveryEntranceAndPerson();

private:
    bool startTerminal();
    void step();
    void heal();
    QStringList violations();
    QStringList ask(const QString &command);
    void markUncertain();
    uint randomServerPerson();
    QString keepTerminalFiles(quint32 seed);
    QStringList heldEntrances() const;

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<DevServerProcess> mServer;
    std::unique_ptr<TerminalProcess> mTerminal;
    QRandomGenerator mRandom;
    Expected mExpected;
    QStringList mSteps; // of the current sequence, for the failure message
    bool mServerDown = false;
    uint mNextNumber = 0;
    QElapsedTimer mTestTime;
};

void tst_SyncModel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_SyncModel::cleanup()
{
    if (mTerminal)
        mTerminal->kill();
    mTerminal.reset();
    mServer.reset();
    mDir.reset();
}

QStringList tst_SyncModel::ask(const QString &command)
{
    mSteps << command;
    const QStringList answer = mTerminal->send(command);
    if (answer.value(0) != QLatin1String("ok"))
        mSteps.last()
            += QStringLiteral(" -> ") + (answer.isEmpty() ? "no answer" : answer.join(' '));
    return answer;
}

bool tst_SyncModel::startTerminal()
{
    mTerminal = std::make_unique<TerminalProcess>();
    return mTerminal->start(mServer->port());
}

void tst_SyncModel::markUncertain()
{
    const QStringList answer = ask(QStringLiteral("unsent"));
    for (const QString &id : answer.mid(1))
        mExpected.uncertain.insert(id.toUInt());
}

uint tst_SyncModel::randomServerPerson()
{
    QList<uint> uids;
    for (const QJsonValue &row : mServer->people()) {
        if (row[QLatin1String("del")].toInt() == 0)
            uids << uint(row[QLatin1String("uid")].toInt());
    }
    return uids.isEmpty() ? 0 : uids.at(int(mRandom.bounded(uint(uids.size()))));
}

// One random thing happening to the terminal or to its server.
void tst_SyncModel::step()
{
    const uint choice = mRandom.bounded(100u);
    if (choice < 30) {
        const uint dochid
            = mExpected.candidates.at(int(mRandom.bounded(uint(mExpected.candidates.size()))));
        const uint iid = 1 + mRandom.bounded(8u);
        const uint direction = mRandom.bounded(2u);
        const QStringList answer
            = ask(QStringLiteral("record %1 %2 %3").arg(dochid).arg(iid).arg(direction));
        if (answer.value(0) == QLatin1String("ok")) {
            const uint id = answer.value(1).toUInt();
            mExpected.entrances.insert(id, { dochid, iid, direction, answer.value(2).toUInt() });
            mExpected.lastRecorded = id;
        }
    } else if (choice < 38) {
        if (ask(QStringLiteral("delete")).value(0) == QLatin1String("ok")) {
            mExpected.entrances.remove(mExpected.lastRecorded);
            mExpected.deleted.insert(mExpected.lastRecorded);
            mExpected.lastRecorded = 0;
        }
    } else if (choice < 44) {
        mServerDown = !mServerDown;
        mSteps << (mServerDown ? "server down" : "server up");
        mServer->failNext(mServerDown ? 1000000 : 0, 503);
    } else if (choice < 47) {
        mSteps << QStringLiteral("server restart");
        markUncertain();
        mServer->stop();
        QVERIFY2(mServer->restart(), qPrintable(mServer->output()));
        mServerDown = false;
    } else if (choice < 51) {
        const uint uid = randomServerPerson();
        const QJsonArray people = mServer->people();
        for (const QJsonValue &row : people) {
            if (uint(row[QLatin1String("uid")].toInt()) == uid)
                mExpected.removedByServer.insert(uint(row[QLatin1String("pid")].toInt()));
        }
        mSteps << QStringLiteral("server removes person %1").arg(uid);
        mServer->putRow(QStringLiteral("people"), { { "uid", qint64(uid) }, { "del", true } });
    } else if (choice < 55) {
        const uint dochid = 3000 + ++mNextNumber;
        mSteps << QStringLiteral("server adds person %1").arg(dochid);
        mServer->putRow(QStringLiteral("people"),
                        { { "pid", qint64(dochid) },
                          { "name", "Server" },
                          { "surname", QStringLiteral("S%1").arg(dochid) },
                          { "card", QStringLiteral("C%1").arg(dochid) } });
        mExpected.candidates << dochid;
    } else if (choice < 59) {
        const uint uid = randomServerPerson();
        mSteps << QStringLiteral("server edits person %1").arg(uid);
        mServer->putRow(QStringLiteral("people"),
                        { { "uid", qint64(uid) },
                          { "surname", QStringLiteral("E%1").arg(mRandom.bounded(1000u)) } });
    } else if (choice < 63) {
        const uint dochid = 4000 + ++mNextNumber;
        if (ask(QStringLiteral("addperson %1 T%1").arg(dochid)).value(0) == QLatin1String("ok")) {
            mExpected.createdPeople.insert(dochid);
            mExpected.candidates << dochid;
        }
    } else if (choice < 66) {
        const uint dochid
            = mExpected.candidates.at(int(mRandom.bounded(uint(mExpected.candidates.size()))));
        ask(QStringLiteral("editperson %1 L%2").arg(dochid).arg(mRandom.bounded(1000u)));
    } else if (choice < 71) {
        ask(QStringLiteral("sync force"));
    } else if (choice < 79) {
        ask(QStringLiteral("sync"));
    } else if (choice < 82) {
        mServer->setBehaviour({ { "omitState", true } });
        ask(QStringLiteral("sync"));
        mSteps.last() += QStringLiteral(" (without st)");
        mServer->setBehaviour({ { "omitState", false } });
    } else if (choice < 88) {
        ask(QStringLiteral("upload"));
    } else if (choice < 91) {
        const char *const switches[] = { "omitUnchangedLists", "duplicates" };
        const char *which = switches[mRandom.bounded(2u)];
        const bool on = mRandom.bounded(2u) == 1;
        mSteps << QStringLiteral("server %1 = %2").arg(QLatin1String(which)).arg(on);
        mServer->setBehaviour({ { QLatin1String(which), on } });
    } else if (choice < 93) {
        mSteps << QStringLiteral("server rejects entrance %1").arg(mExpected.lastRecorded);
        if (mExpected.lastRecorded != 0) {
            ++mExpected.refusals[mExpected.lastRecorded];
            mExpected.refusedInSequence.insert(mExpected.lastRecorded);
        }
        mServer->setBehaviour(
            { { "rejectedEntrances", QJsonArray { qint64(mExpected.lastRecorded) } } });
    } else if (choice < 96) {
        mSteps << QStringLiteral("terminal restart");
        markUncertain();
        QVERIFY(mTerminal->quit());
        QVERIFY(startTerminal());
        mExpected.lastRecorded = 0;
    } else {
        markUncertain();
        mSteps << QStringLiteral("terminal killed");
        mTerminal->kill();
        QVERIFY(startTerminal());
        mExpected.lastRecorded = 0;
    }
}

// The server answers again as the terminal expects. An entrance refused until now may still be
// held back by the terminal for as long as its refusals allow.
void tst_SyncModel::heal()
{
    for (uint id : qAsConst(mExpected.refusedInSequence)) {
        const qint64 holdMs = 4 * 60000LL << qMin(mExpected.refusals.value(id) - 1, 5);
        mExpected.heldUntil[id] = mTestTime.elapsed() + holdMs + 30000;
    }
    mExpected.refusedInSequence.clear();
    if (!mServer->isRunning())
        QVERIFY(mServer->restart());
    QVERIFY(mServer->failNext(0));
    mServerDown = false;
    QVERIFY(mServer->setBehaviour({ { "omitUnchangedLists", false },
                                    { "omitState", false },
                                    { "duplicates", false },
                                    { "rejectedEntrances", QJsonArray() } }));
}

// What differs between the terminal, its server and what they were told, after a drain.
QStringList tst_SyncModel::violations()
{
    QStringList found;
    const QStringList held = heldEntrances();
    const QStringList drained = ask(QStringLiteral("drain 40 ") + held.join(QLatin1Char(' ')));
    if (drained.value(0) != QLatin1String("ok"))
        return { QStringLiteral("the terminal did not drain: %1").arg(drained.join(' ')) };
    if (drained.value(1) != QLatin1String("0"))
        found << QStringLiteral("%1 entrances still unsent after the drain").arg(drained.value(1));
    if (drained.value(2) != QLatin1String("0"))
        found << QStringLiteral("%1 people created at the terminal still unconfirmed")
                     .arg(drained.value(2));

    QMultiHash<uint, QJsonObject> onServer; // local id -> rows
    for (const QJsonValue &row : mServer->entrances())
        onServer.insert(uint(row[QLatin1String("rid")].toInt()), row.toObject());
    const auto living = [&](uint id) {
        QList<QJsonObject> rows;
        for (const QJsonObject &row : onServer.values(id)) {
            if (row.value(QStringLiteral("del")).toInt() == 0)
                rows << row;
        }
        return rows;
    };

    for (auto it = mExpected.entrances.cbegin(); it != mExpected.entrances.cend(); ++it) {
        const QList<QJsonObject> rows = living(it.key());
        if (rows.isEmpty() && held.contains(QString::number(it.key())))
            continue;
        if (rows.isEmpty()) {
            found << QStringLiteral("entrance %1 is not on the server").arg(it.key());
            continue;
        }
        if (rows.size() > 1 && !mExpected.uncertain.contains(it.key()))
            found << QStringLiteral("entrance %1 is on the server %2 times")
                         .arg(it.key())
                         .arg(rows.size());
        const QJsonObject row = rows.first();
        const Entrance &e = it.value();
        const QString got = QStringLiteral("%1/%2/%3/%4")
                                .arg(row.value(QStringLiteral("pid")).toInt())
                                .arg(row.value(QStringLiteral("iid")).toInt())
                                .arg(row.value(QStringLiteral("type")).toInt())
                                .arg(qint64(row.value(QStringLiteral("date")).toDouble()));
        const QString want
            = QStringLiteral("%1/%2/%3/%4").arg(e.dochid).arg(e.iid).arg(e.direction).arg(e.time);
        if (got != want)
            found << QStringLiteral("entrance %1 is on the server as number/type/direction/time "
                                    "%2, recorded as %3")
                         .arg(it.key())
                         .arg(got, want);
    }
    for (uint id : mExpected.deleted) {
        if (!living(id).isEmpty())
            found << QStringLiteral("deleted entrance %1 is on the server").arg(id);
    }

    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("model-check"));
        db.setDatabaseName(mDir->path() + QStringLiteral("/data.db"));
        if (!db.open()) {
            found << QStringLiteral("data.db cannot be read");
        } else {
            QSet<uint> local;
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT id, syn FROM prerusenia"));
            while (query.next()) {
                const uint id = query.value(0).toUInt();
                local.insert(id);
                if (query.value(1).toUInt() != 0 && !mExpected.deleted.contains(id)
                    && living(id).isEmpty())
                    found << QStringLiteral("entrance %1 is marked sent but the server lacks it")
                                 .arg(id);
            }
            for (auto it = mExpected.entrances.cbegin(); it != mExpected.entrances.cend(); ++it) {
                if (!local.contains(it.key()))
                    found << QStringLiteral("entrance %1 vanished from the terminal").arg(it.key());
            }
            query.exec(QStringLiteral("SELECT p.id, p.uid FROM prerusenia p LEFT JOIN ludia l "
                                      "ON l.uid = p.uid WHERE p.uid != 0 AND l.uid IS NULL"));
            while (query.next())
                found << QStringLiteral("the person (uid %1) of entrance %2 vanished")
                             .arg(query.value(1).toUInt())
                             .arg(query.value(0).toUInt());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("model-check"));

    QSet<uint> serverPeople;
    for (const QJsonValue &row : mServer->people()) {
        if (row[QLatin1String("del")].toInt() == 0)
            serverPeople.insert(uint(row[QLatin1String("pid")].toInt()));
    }
    for (uint dochid : mExpected.createdPeople) {
        if (!mExpected.removedByServer.contains(dochid) && !serverPeople.contains(dochid))
            found << QStringLiteral("person %1 created at the terminal is not on the server")
                         .arg(dochid);
    }
    return found;
}

// Refused entrances whose hold has not ended yet: they may still be unsent, but not lost.
QStringList tst_SyncModel::heldEntrances() const
{
    QStringList ids;
    for (auto it = mExpected.heldUntil.cbegin(); it != mExpected.heldUntil.cend(); ++it) {
        if (it.value() > mTestTime.elapsed())
            ids << QString::number(it.key());
    }
    return ids;
}

// A copy of the terminal's folder, for a look at its databases and logs after a failure.
QString tst_SyncModel::keepTerminalFiles(quint32 seed)
{
    const QString copy = QDir::temp().filePath(QStringLiteral("zep-syncmodel-%1").arg(seed));
    QDir(copy).removeRecursively();
    QDir().mkpath(copy);
    const QDir folder(mDir->path());
    for (const QString &name : folder.entryList(QDir::Files))
        QFile::copy(folder.filePath(name), QDir(copy).filePath(name));
    QFile serverView(QDir(copy).filePath(QStringLiteral("server-entrances.json")));
    if (serverView.open(QIODevice::WriteOnly))
        serverView.write(QJsonDocument(mServer->entrances()).toJson());
    return copy;
}

void tst_SyncModel::randomSequencesKeepEveryEntranceAndPerson()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const qint64 seconds = environment.value(QStringLiteral("ZEP_MODEL_SECONDS"), "6").toLongLong();
    const quint32 seed = environment.value(QStringLiteral("ZEP_MODEL_SEED"), "20261210").toUInt();
    mRandom.seed(seed);

    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mServer = std::make_unique<DevServerProcess>();
    // Every upload is a row of its own: a double upload shows.
    mServer->setExtraArguments({ QStringLiteral("--count-uploads") });
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));
    QVERIFY(startTerminal());

    mTestTime.start();
    int sequences = 0;
    int steps = 0;
    do {
        mSteps.clear();
        const int length = 4 + int(mRandom.bounded(16u));
        for (int i = 0; i < length; ++i) {
            step();
            if (QTest::currentTestFailed())
                return;
        }
        heal();
        const QStringList found = violations();
        steps += length;
        ++sequences;
        if (!found.isEmpty()) {
            QVERIFY2(false,
                     qPrintable(QStringLiteral(
                                    "seed %1, sequence %2:\n  %3\nafter the steps:\n  %4\nterminal "
                                    "files kept in %5")
                                    .arg(seed)
                                    .arg(sequences)
                                    .arg(found.join(QStringLiteral("\n  ")),
                                         mSteps.join(QStringLiteral("\n  ")),
                                         keepTerminalFiles(seed))));
        }
    } while (mTestTime.elapsed() < seconds * 1000);
    qInfo("seed %u: %d sequences, %d steps, %d entrances kept, %d deleted in %lld s",
          seed,
          sequences,
          steps,
          mExpected.entrances.size(),
          mExpected.deleted.size(),
          mTestTime.elapsed() / 1000);
    QVERIFY(mTerminal->quit());
}

int main(int argc, char *argv[])
{
    // QTest ends a test function after five minutes unless told otherwise; the long mode runs
    // for as long as it is asked to.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        const qint64 seconds = qEnvironmentVariable("ZEP_MODEL_SECONDS", "6").toLongLong();
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((seconds + 300) * 1000));
    }
    QCoreApplication app(argc, argv);
    tst_SyncModel test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_syncmodel.moc"
