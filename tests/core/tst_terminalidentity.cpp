#include "foundation/zepsettings.h"
#include "core/terminalidentity.h"
#include "db/zepdbmanager.h"
#include "tests/support/devserverprocess.h"
#include "tests/support/remoteserviceprocess.h"
#include "tests/support/workdir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const QJsonObject demoIdentity { { "tid", 7 },         { "name", "Vrátnica" },
                                 { "model", "VZEP" },  { "pn", "VZEP-PC" },
                                 { "sn", "DEV-0007" }, { "skey", "dev-shared-key" },
                                 { "li", 1 },          { "lt", "dev-token" } };

QJsonObject changed(QJsonObject object, const QString &key, const QJsonValue &value)
{
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The terminal program in a working folder: the identity command, or a start with the
// root UI document beside it.
class Terminal
{
public:
    explicit Terminal(const QString &folder)
        : mFolder(folder)
    {
        mProcess.setWorkingDirectory(folder);
    }
    ~Terminal() { stop(); }

    // Runs "zep --install-identity file" to its end.
    int installIdentity(const QString &file, QByteArray &output)
    {
        mProcess.start(program(), { QStringLiteral("--install-identity"), file });
        if (!mProcess.waitForFinished(30000))
            return -1;
        output = mProcess.readAllStandardOutput() + mProcess.readAllStandardError();
        return mProcess.exitStatus() == QProcess::NormalExit ? mProcess.exitCode() : -1;
    }

    bool start()
    {
        QDir dir(mFolder);
        const QString loader = dir.filePath(QStringLiteral("qml/ZEP/vMainLoader.qml"));
        if (!QFile::exists(loader)
            && (!dir.mkpath(QStringLiteral("qml/ZEP"))
                || !QFile::copy(QStringLiteral(ZEP_RUNTIME_DIR "/qml/ZEP/vMainLoader.qml"),
                                loader)))
            return false;
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mProcess.start(program(), QStringList());
        return mProcess.waitForStarted();
    }

    // The system's stop request; true when the terminal ended in order.
    bool stop()
    {
        if (mProcess.state() == QProcess::NotRunning)
            return true;
        mProcess.terminate();
        if (!mProcess.waitForFinished(15000)) {
            mProcess.kill();
            mProcess.waitForFinished();
            return false;
        }
        return mProcess.exitStatus() == QProcess::NormalExit && mProcess.exitCode() == 0;
    }

private:
    static QString program() { return QStringLiteral(ZEP_RUNTIME_DIR "/zep"); }

    QString mFolder;
    QProcess mProcess;
};

int countRequests(const QJsonArray &requests, const QString &method, const QString &pathStart)
{
    int count = 0;
    for (const QJsonValue &value : requests) {
        const QJsonObject request = value.toObject();
        if (request.value(QStringLiteral("method")).toString() == method
            && request.value(QStringLiteral("path")).toString().startsWith(pathStart))
            ++count;
    }
    return count;
}

} // namespace

// Installing the terminal's identity, and a terminal that keeps what its servers know of it.
class tst_TerminalIdentity : public QObject
{
    Q_OBJECT
private slots:
    void installCommand_data();
    void installCommand();
    void reinstall_data();
    void reinstall();
    void shownWithoutKeys();
    void restartRegistersOnce();
};

void tst_TerminalIdentity::installCommand_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<bool>("catalogueIsFolder");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const auto json = [](const QJsonObject &object) { return QJsonDocument(object).toJson(); };
    QTest::newRow("installed") << json(demoIdentity) << false << 0 << "terminal 7 installed";
    QTest::newRow("no file") << QByteArray() << false << 2 << "cannot read";
    QTest::newRow("not JSON") << QByteArray("tid=7\n") << false << 3 << "is not JSON";
    QTest::newRow("a list") << QByteArray("[7]") << false << 3 << "holds no JSON object";
    QTest::newRow("missing tid") << json(changed(demoIdentity, "tid", QJsonValue::Undefined))
                                 << false << 3 << "has no \"tid\"";
    QTest::newRow("tid a text") << json(changed(demoIdentity, "tid", "7")) << false << 3
                                << "\"tid\" must be a whole number";
    QTest::newRow("tid a fraction") << json(changed(demoIdentity, "tid", 7.5)) << false << 3
                                    << "\"tid\" must be a whole number";
    QTest::newRow("tid 0") << json(changed(demoIdentity, "tid", 0)) << false << 3
                           << "\"tid\" must be a whole number from 1";
    QTest::newRow("tid of ten digits") << json(changed(demoIdentity, "tid", 1000000000.0)) << false
                                       << 3 << "\"tid\" must be a whole number";
    QTest::newRow("li a text") << json(changed(demoIdentity, "li", "one")) << false << 3
                               << "\"li\" must be a whole number";
    QTest::newRow("sn a number") << json(changed(demoIdentity, "sn", 7)) << false << 3
                                 << "\"sn\" must be a text";
    QTest::newRow("no key") << json(changed(demoIdentity, "skey", QJsonValue::Undefined)) << false
                            << 3 << "\"skey\" must have 8 to 128 characters, it has 0";
    QTest::newRow("short key") << json(changed(demoIdentity, "skey", "1234567")) << false << 3
                               << "it has 7";
    QTest::newRow("long key") << json(changed(demoIdentity, "skey", QString(129, 'k'))) << false
                              << 3 << "it has 129";
    QTest::newRow("misspelt key") << json(changed(demoIdentity, "sKey", "dev-shared-key")) << false
                                  << 3 << "unknown key \"sKey\"";
    QTest::newRow("catalogue unusable") << json(demoIdentity) << true << 4 << "could not be stored";
}

// The command checks the whole file before anything is written.
void tst_TerminalIdentity::installCommand()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, catalogueIsFolder);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString identityFile = dir.filePath(QStringLiteral("identity.json"));
    if (!file.isNull())
        QVERIFY(writeFile(identityFile, file));
    if (catalogueIsFolder)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("zep.db")));

    Terminal terminal(dir.path());
    QByteArray output;
    QCOMPARE(terminal.installIdentity(identityFile, output), exitCode);
    QVERIFY2(output.contains(message.toUtf8()), output.constData());

    const QString settingsFile = dir.filePath(QStringLiteral("zep.ini"));
    if (exitCode != 0) {
        QVERIFY(!QFile::exists(settingsFile));
        if (!catalogueIsFolder) {
            ZepDBManager catalogue(dir.filePath(QStringLiteral("zep.db")));
            TermData stored;
            QVERIFY(!catalogue.loadTerminal(stored));
        }
        return;
    }
    ZepDBManager catalogue(dir.filePath(QStringLiteral("zep.db")));
    TermData stored;
    QVERIFY(catalogue.loadTerminal(stored));
    QCOMPARE(stored.tid, 7);
    QCOMPARE(stored.nazov, QStringLiteral("Vrátnica"));
    QCOMPARE(stored.model, QStringLiteral("VZEP"));
    QCOMPARE(stored.pn, QStringLiteral("VZEP-PC"));
    QCOMPARE(stored.sn, QStringLiteral("DEV-0007"));
    QCOMPARE(stored.skey, QStringLiteral("dev-shared-key"));
    QCOMPARE(stored.li, 1);
    QCOMPARE(stored.lt, QStringLiteral("dev-token"));
    ZEPSettings settings(settingsFile);
    QCOMPARE(settings.value(QStringLiteral("global/terminalName")).toString(),
             QStringLiteral("Vrátnica"));
}

void tst_TerminalIdentity::reinstall_data()
{
    QTest::addColumn<int>("installedTid");
    QTest::addColumn<int>("expectedRefId");
    QTest::addColumn<QString>("expectedToken");

    // What the servers gave the terminal stays with the same terminal ...
    QTest::newRow("same id") << 7 << 41 << "schema";
    // ... and a terminal of another id is new to them.
    QTest::newRow("another id") << 8 << 0 << "";
}

void tst_TerminalIdentity::reinstall()
{
    QFETCH(int, installedTid);
    QFETCH(int, expectedRefId);
    QFETCH(QString, expectedToken);

    WorkDir dir;
    ZepDBManager catalogue(QStringLiteral("zep.db"));
    ZEPSettings settings(QStringLiteral("zep.ini"));
    TermData old;
    old.tid = 7;
    old.sn = QStringLiteral("OLD");
    old.skey = QStringLiteral("old-shared-key");
    old.refId = 41;
    old.token = QStringLiteral("schema");
    QVERIFY(catalogue.saveTerminal(old));

    TerminalIdentity identity;
    identity.tid = installedTid;
    identity.sn = QStringLiteral("NEW");
    identity.skey = QStringLiteral("new-shared-key");
    QString error;
    QVERIFY2(identity.install(catalogue, settings, error), qPrintable(error));

    TermData stored;
    QVERIFY(catalogue.loadTerminal(stored));
    QCOMPARE(stored.tid, installedTid);
    QCOMPARE(stored.sn, QStringLiteral("NEW"));
    QCOMPARE(stored.skey, QStringLiteral("new-shared-key"));
    QCOMPARE(stored.refId, expectedRefId);
    QCOMPARE(stored.token, expectedToken);
    // One record: the old one does not come back through its id.
    QCOMPARE(catalogue.checkTerminal(7), installedTid == 7);
    // A file without a name leaves the name setting alone.
    QVERIFY(!settings.contains(QStringLiteral("global/terminalName")));
}

void tst_TerminalIdentity::shownWithoutKeys()
{
    TermData record;
    record.tid = 7;
    record.skey = QStringLiteral("dev-shared-key");
    record.lt = QStringLiteral("dev-token");
    record.sn = QStringLiteral("DEV-0007");
    const QVariantMap shown = TerminalIdentity::shown(record);
    QCOMPARE(shown.value(QStringLiteral("tid")).toInt(), 7);
    QCOMPARE(shown.value(QStringLiteral("sn")).toString(), QStringLiteral("DEV-0007"));
    for (const QVariant &value : shown) {
        QVERIFY(value.toString() != record.skey);
        QVERIFY(value.toString() != record.lt);
    }
}

// An installed terminal registers at its first start only, synchronises and reports to remote
// management within seconds, and after a restart it is the terminal the server knows.
void tst_TerminalIdentity::restartRegistersOnce()
{
    DevServerProcess server;
    QVERIFY2(server.start(), qPrintable(server.output()));
    RemoteServiceProcess remote;
    const QJsonObject terminal { { "tid", 7 }, { "skey", "dev-shared-key" }, { "sn", "DEV-0007" } };
    QVERIFY2(remote.start(
                 { { "server",
                     QJsonObject {
                         { "srvh", server.host() }, { "srvp", server.port() }, { "srvt", "" } } },
                   { "terminals", QJsonArray { terminal } } }),
             qPrintable(remote.output()));

    QTemporaryDir dir;
    {
        ZEPSettings settings(dir.filePath(QStringLiteral("zep.ini")));
        settings.setValue(QStringLiteral("serverKLD/ip"), server.host());
        settings.setValue(QStringLiteral("serverKLD/port"), server.port());
        settings.setValue(QStringLiteral("orvel/sszep"), QStringLiteral("127.0.0.1"));
        settings.setValue(QStringLiteral("orvel/sszepPort"), remote.port());
        settings.setValue(QStringLiteral("time/useNTPH"), false);
        QVERIFY(settings.syncSettings());
    }
    const QString identityFile = dir.filePath(QStringLiteral("identity.json"));
    QVERIFY(writeFile(identityFile, QJsonDocument(demoIdentity).toJson()));
    QByteArray output;
    QCOMPARE(Terminal(dir.path()).installIdentity(identityFile, output), 0);

    {
        Terminal zep(dir.path());
        QVERIFY(zep.start());
        QTRY_COMPARE_WITH_TIMEOUT(server.terminals().size(), 1, 20000);
        // The first synchronisation and the first status report need no scheduler period.
        QTRY_VERIFY_WITH_TIMEOUT(countRequests(server.requests(), "GET", "/zepsync/sync/") > 0,
                                 25000);
        QTRY_VERIFY_WITH_TIMEOUT(
            remote.terminalState(7).value(QStringLiteral("reports")).toInt() > 0, 25000);
        QVERIFY(zep.stop());
    }
    const int syncsBefore = countRequests(server.requests(), "GET", "/zepsync/sync/");
    {
        Terminal zep(dir.path());
        QVERIFY(zep.start());
        QTRY_VERIFY_WITH_TIMEOUT(
            countRequests(server.requests(), "GET", "/zepsync/sync/") > syncsBefore, 25000);
        QVERIFY(zep.stop());
    }
    QCOMPARE(countRequests(server.requests(), "POST", "/zepsync/term"), 1);
    QCOMPARE(server.terminals().size(), 1);
}

QTEST_GUILESS_MAIN(tst_TerminalIdentity)
#include "tst_terminalidentity.moc"
