// The real terminal recording entrances without pause while its upload, backup and
// maintenance run against the development server, killed by SIGKILL at random moments and
// started again, over and over. After every kill: the databases are sound, every entrance
// whose recording returned is in the database or on the server, the journal holds its line,
// the photo of every unsent entrance is there, and nothing the terminal had marked sent is
// uploaded again. ZEP_SOAK_KILLS (default 6) sets the number of kills, ZEP_SOAK_SEED the
// random moments.
#include "foundation/entrancephoto.h"
#include "foundation/zepsettings.h"
#include "db/interruptlogline.h"
#include "tests/support/controllersandbox.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/sqlfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

// A life ends at a random moment up to this long after the start, the start included.
const int longestLifeMs = 3000;

struct Recorded
{
    uint id = 0;
    QString journalLine;
};

// One life of the terminal, in the sandbox folder.
class TerminalLife
{
public:
    bool start(const QString &folder)
    {
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.setWorkingDirectory(folder);
        mProcess.start(QStringLiteral(ZEP_SOAK_TERMINAL),
                       { QStringLiteral("-fillDemoData"), QStringLiteral("-noRandomData") });
        return mProcess.waitForStarted(10000);
    }

    // Runs for `ms`, then SIGKILL; the entrances the terminal reported recorded.
    QList<Recorded> killAfter(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && mProcess.state() == QProcess::Running)
            mProcess.waitForReadyRead(int(qMax<qint64>(1, ms - clock.elapsed())));
        mRunningAtKill = mProcess.state() == QProcess::Running;
        mProcess.kill();
        mProcess.waitForFinished(10000);
        return parse(mProcess.readAllStandardOutput());
    }

    bool wasRunningAtKill() const { return mRunningAtKill; }

private:
    static QList<Recorded> parse(const QByteArray &output)
    {
        QList<Recorded> list;
        for (const QByteArray &line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() != 6 || words.at(0) != "recorded")
                continue;
            list.append({ words.at(1).toUInt(),
                          InterruptLogLine::make(words.at(2).toUInt(),
                                                 words.at(3).toUInt(),
                                                 words.at(4).toUInt(),
                                                 words.at(5).toUInt()) });
        }
        return list;
    }

    QProcess mProcess;
    bool mRunningAtKill = false;
};

// Lines of the journal by their entrance text.
QHash<QString, int> journalLines()
{
    static const QRegularExpression entrance(QStringLiteral("\\d{14}-\\d{8}-\\d+-[01]-"));
    QHash<QString, int> lines;
    QFile journal(QStringLiteral("interrupts.log"));
    if (!journal.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    while (!journal.atEnd()) {
        const QRegularExpressionMatch match = entrance.match(QString::fromUtf8(journal.readLine()));
        if (match.hasMatch())
            ++lines[match.captured(0)];
    }
    return lines;
}

} // namespace

class tst_KillSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedAtRandomMomentsLosesNothing();

private:
    QStringList violations();

    std::unique_ptr<DevServerProcess> mServer;
    QList<Recorded> mRecorded;
    // Uploads the server had of each entrance when the terminal was first seen marking it sent.
    QHash<uint, int> mUploadsWhenMarked;
};

void tst_KillSoak::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

// What the files left by the killed terminal and the server break.
QStringList tst_KillSoak::violations()
{
    QStringList found;
    for (const QString &file : { QStringLiteral("data.db"), QStringLiteral("zep.db") }) {
        if (!QFile::exists(file))
            continue;
        const QString check
            = SqlFile::scalar(file, QStringLiteral("PRAGMA integrity_check")).toString();
        if (check != QLatin1String("ok"))
            found << QStringLiteral("integrity_check of %1: %2").arg(file, check);
    }

    // On a loaded machine an admin request may time out: ask again rather than read an
    // empty list.
    QJsonDocument serverRows;
    for (int attempt = 0; attempt < 5 && !serverRows.isArray(); ++attempt)
        serverRows = mServer->adminGet(QStringLiteral("entrances"));
    if (!serverRows.isArray())
        return found << QStringLiteral("the server did not list its entrances");
    QHash<uint, int> uploads; // local id -> uploads the server holds
    for (const QJsonValue &row : serverRows.array()) {
        if (row[QLatin1String("del")].toInt() == 0)
            ++uploads[uint(row[QLatin1String("rid")].toInt())];
    }
    QHash<uint, uint> local; // id -> syn
    for (const QVariantList &row :
         SqlFile::rows(QStringLiteral("data.db"), QStringLiteral("SELECT id, syn FROM prerusenia")))
        local.insert(row.value(0).toUInt(), row.value(1).toUInt());

    const QHash<QString, int> journal = journalLines();
    QHash<QString, int> journalWanted;
    for (const Recorded &entrance : qAsConst(mRecorded)) {
        const bool kept = local.contains(entrance.id);
        if (!kept && uploads.value(entrance.id) == 0)
            found << QStringLiteral("entrance %1 is neither in data.db nor on the server")
                         .arg(entrance.id);
        if (kept && local.value(entrance.id) == 0) {
            const QString photo = EntrancePhoto::path(entrance.id);
            if (QImage(photo).isNull())
                found << QStringLiteral("the photo of unsent entrance %1 is gone").arg(entrance.id);
        }
        if (++journalWanted[entrance.journalLine] > journal.value(entrance.journalLine))
            found << QStringLiteral("the journal lacks the line of entrance %1 (%2)")
                         .arg(entrance.id)
                         .arg(entrance.journalLine);
    }

    for (auto it = mUploadsWhenMarked.cbegin(); it != mUploadsWhenMarked.cend(); ++it) {
        if (uploads.value(it.key()) > it.value())
            found << QStringLiteral("entrance %1 was uploaded again after it was marked sent "
                                    "(%2 uploads, %3 when marked)")
                         .arg(it.key())
                         .arg(uploads.value(it.key()))
                         .arg(it.value());
    }
    for (auto it = local.cbegin(); it != local.cend(); ++it) {
        if (it.value() != 0 && !mUploadsWhenMarked.contains(it.key()))
            mUploadsWhenMarked.insert(it.key(), uploads.value(it.key()));
    }
    return found;
}

void tst_KillSoak::killedAtRandomMomentsLosesNothing()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const int kills = environment.value(QStringLiteral("ZEP_SOAK_KILLS"), "6").toInt();
    const quint32 seed = environment.value(QStringLiteral("ZEP_SOAK_SEED"), "20261210").toUInt();
    QRandomGenerator random(seed);

    ControllerSandbox sandbox;
    QVERIFY(sandbox.isValid());
    mServer = std::make_unique<DevServerProcess>();
    // Every upload is a row of its own: a repeated upload shows.
    mServer->setExtraArguments({ QStringLiteral("--count-uploads") });
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));

    ZEPSettings &settings = sandbox.settings();
    const QList<QPair<QString, QVariant>> keys {
        { "global/debugLevel", 0 },
        { "serverKLD/ip", mServer->host() },
        { "serverKLD/port", mServer->port() },
        { "serverKLD/synInterval", 31 },
        { "global/HWinfoInterval", 100000 },
        { "orvel/synInterval", 0 },
        { "timeout/backupPrerus", 1 },
        { "maintenance/minVekPrerus", 0 },
        // Entrances are backed up once they can no longer be deleted at the terminal.
        { "timeout/zmazaniePrerusenia", 0 },
    };
    for (const auto &key : keys)
        settings.setValue(key.first, key.second);
    settings.syncSettings();

    QElapsedTimer clock;
    clock.start();
    for (int kill = 1; kill <= kills; ++kill) {
        TerminalLife life;
        QVERIFY(life.start(sandbox.path()));
        const QList<Recorded> recorded = life.killAfter(int(random.bounded(longestLifeMs)));
        QVERIFY2(life.wasRunningAtKill(), "the terminal ended before it was killed");
        mRecorded += recorded;
        const QStringList found = violations();
        QVERIFY2(found.isEmpty(),
                 qPrintable(QStringLiteral("seed %1, after kill %2:\n  %3")
                                .arg(seed)
                                .arg(kill)
                                .arg(found.join(QStringLiteral("\n  ")))));
        if (kill % 25 == 0)
            qInfo("%d kills, %d entrances recorded, %lld s",
                  kill,
                  mRecorded.size(),
                  clock.elapsed() / 1000);
    }

    int uploads = 0;
    QSet<uint> onServer;
    for (const QJsonValue &row : mServer->entrances()) {
        ++uploads;
        onServer.insert(uint(row[QLatin1String("rid")].toInt()));
    }
    const QVariantList left = SqlFile::rows(QStringLiteral("data.db"),
                                            QStringLiteral("SELECT COUNT(*), SUM(syn != 0), "
                                                           "SUM(backup != 0) FROM prerusenia"))
                                  .value(0);
    qInfo("seed %u: %d kills in %lld s; %d entrances recorded, %d uploads of %d entrances; "
          "%d seen marked sent; left in data.db: %d (%d sent, %d backed up), %d removed by "
          "maintenance",
          seed,
          kills,
          clock.elapsed() / 1000,
          mRecorded.size(),
          uploads,
          onServer.size(),
          mUploadsWhenMarked.size(),
          left.value(0).toInt(),
          left.value(1).toInt(),
          left.value(2).toInt(),
          mRecorded.size() - left.value(0).toInt());
}

QTEST_MAIN(tst_KillSoak)
#include "tst_killsoak.moc"
