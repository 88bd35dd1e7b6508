#include "tests/support/devserverprocess.h"
#include "tests/support/workdir.h"
#include "foundation/bodyencoding.h"
#include "sync/idpairencoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

namespace {

const uint fid = 7;

struct Answer
{
    int status = 0;
    QByteArray contentType;
    QByteArray body;
    QJsonObject envelope;

    QJsonObject res() const { return envelope.value(QStringLiteral("res")).toObject(); }
    QJsonObject list(const char *name) const { return res().value(QLatin1String(name)).toObject(); }
    uint mask() const { return uint(res().value(QStringLiteral("sync")).toInt()); }
    uint st() const { return uint(envelope.value(QStringLiteral("st")).toDouble()); }
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

} // namespace

class TestDevServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pingAnswers();
    void ntphAnswerShape_data();
    void ntphAnswerShape();
    void registrationThenFullSyncReturnsSeededLists();
    void confirmationClearsConfirmedListsOnly();
    void incrementalSyncReturnsJustTheChange_data();
    void incrementalSyncReturnsJustTheChange();
    void changeAfterReplyIsNotClearedByItsConfirmation();
    void registeringAgainKeepsIdAndStartsFromFullLists();
    void terminalUpdateIsStored();
    void entranceIsStoredWithItsImage_data();
    void entranceIsStoredWithItsImage();
    void entranceSentTwiceIsStoredOnce();
    void entranceDeletion();
    void personRequests();
    void intersList();
    void keyAndPathErrors_data();
    void keyAndPathErrors();
    void credentialAndTokenChecks_data();
    void credentialAndTokenChecks();
    void faultSwitchFailsNextRequests();
    void stalledRequestHangsUntilReleased();
    void damagedReply_data();
    void damagedReply();
    void refusedConnectionsComeBack();
    void dataSurvivesRestart();
    void behaviourFromCommandLineAndAdminRoute();
    void forcedSyncOmitsUnchangedLists();
    void repliesWithoutState();
    void repliesWithDuplicates();
    void rejectedEntranceIsRefused();
    void countedUploadsAreStoredEachTime();

private:
    Answer call(const QByteArray &method,
                const QString &path,
                const QByteArray &body = {},
                const Headers &headers = {});
    Answer protocol(const QByteArray &method,
                    const QString &operationPath,
                    const QJsonObject &body = {},
                    const Headers &headers = {});
    QString registerTerminal(uint remoteId = fid);
    void confirm(const QString &key, uint st, uint lists);

    WorkDir *mWorkDir = nullptr;
    DevServerProcess *mServer = nullptr;
    QNetworkAccessManager *mNetwork = nullptr;
};

void TestDevServer::init()
{
    mWorkDir = new WorkDir;
    QVERIFY(mWorkDir->isValid());
    mNetwork = new QNetworkAccessManager(this);
    mServer = new DevServerProcess(this);
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));
}

void TestDevServer::cleanup()
{
    delete mServer;
    mServer = nullptr;
    delete mNetwork;
    mNetwork = nullptr;
    delete mWorkDir;
    mWorkDir = nullptr;
}

Answer TestDevServer::call(const QByteArray &method,
                           const QString &path,
                           const QByteArray &body,
                           const Headers &headers)
{
    QNetworkRequest request(mServer->url(path));
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    QNetworkReply *reply = mNetwork->sendCustomRequest(request, method, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    Answer answer;
    if (!reply->isFinished() && !finished.wait(5000)) {
        reply->abort();
        reply->deleteLater();
        return answer;
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    answer.body = reply->readAll();
    answer.envelope = QJsonDocument::fromJson(answer.body).object();
    reply->deleteLater();
    return answer;
}

Answer TestDevServer::protocol(const QByteArray &method,
                               const QString &operationPath,
                               const QJsonObject &body,
                               const Headers &headers)
{
    Headers all { { "Content-Type", "application/zep" } };
    all += headers;
    const QByteArray encoded = body.isEmpty()
        ? QByteArray()
        : encodeBody(QJsonDocument(body).toJson(QJsonDocument::Compact));
    return call(method, QStringLiteral("/zepsync/") + operationPath, encoded, all);
}

QString TestDevServer::registerTerminal(uint remoteId)
{
    const Answer answer = protocol("POST",
                                   QStringLiteral("term"),
                                   { { "mac", "00:11:22:33:44:55" },
                                     { "name", "Vchod" },
                                     { "fid", qint64(remoteId) },
                                     { "ver", "1.0.0" } });
    const uint id = uint(answer.envelope.value(QStringLiteral("res")).toDouble());
    if (answer.status != 200 || id == 0)
        return QString();
    return IdPairEncoding::encode(id, remoteId);
}

void TestDevServer::confirm(const QString &key, uint st, uint lists)
{
    for (uint bit = 1; bit <= lists; bit <<= 1) {
        if (lists & bit)
            QCOMPARE(
                protocol("DELETE",
                         QStringLiteral("sync/%1/%2").arg(key, IdPairEncoding::encode(st, bit)))
                    .status,
                200);
    }
}

void TestDevServer::pingAnswers()
{
    const Answer ping = call("GET", QStringLiteral("/ping.html"));
    QCOMPARE(ping.status, 200);
    QVERIFY(!ping.body.isEmpty());
    QCOMPARE(call("GET", QStringLiteral("/nothing-here")).status, 404);
    QVERIFY(mServer->output().contains(QStringLiteral("GET /ping.html -> 200")));
}

void TestDevServer::ntphAnswerShape_data()
{
    QTest::addColumn<QString>("t1");
    QTest::addColumn<int>("status");
    QTest::newRow("client time") << QString::number(QDateTime::currentMSecsSinceEpoch()) << 200;
    QTest::newRow("old client time") << QStringLiteral("1000") << 200;
    QTest::newRow("not a number") << QStringLiteral("abc") << 400;
}

void TestDevServer::ntphAnswerShape()
{
    QFETCH(QString, t1);
    QFETCH(int, status);
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const Answer answer = call("GET", QStringLiteral("/ntph/") + t1);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(answer.status, status);
    if (status != 200)
        return;
    QVERIFY(answer.body.startsWith("NTPH:"));
    QCOMPARE(answer.body.count(':'), 3);
    const QList<QByteArray> parts = answer.body.split(':');
    QCOMPARE(QString::fromLatin1(parts.at(1)), t1);
    const qint64 t2 = parts.at(2).toLongLong();
    const qint64 t3 = parts.at(3).toLongLong();
    QVERIFY(t3 > t2); // a client rejects an answer whose send time does not follow the receive time
    QVERIFY(t2 >= before && t3 <= after + 1);
}

void TestDevServer::registrationThenFullSyncReturnsSeededLists()
{
    const Answer registration
        = protocol("POST", QStringLiteral("term"), { { "fid", qint64(fid) }, { "name", "Vchod" } });
    QCOMPARE(registration.status, 200);
    QCOMPARE(registration.envelope.value(QStringLiteral("err")).toInt(), 0);
    QVERIFY(registration.envelope.value(QStringLiteral("res")).toInt() > 0);
    QVERIFY(registration.envelope.value(QStringLiteral("colorGroups"))
                .toString()
                .contains(QLatin1Char(',')));
    const QString key = IdPairEncoding::encode(
        uint(registration.envelope.value(QStringLiteral("res")).toInt()), fid);

    const Answer sync = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(sync.status, 200);
    QVERIFY(sync.contentType.contains("/json"));
    QCOMPARE(sync.envelope.value(QStringLiteral("request"))
                 .toObject()
                 .value(QStringLiteral("method"))
                 .toString(),
             QStringLiteral("GET"));
    QCOMPARE(sync.envelope.value(QStringLiteral("request"))
                 .toObject()
                 .value(QStringLiteral("path"))
                 .toString(),
             QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(sync.envelope.value(QStringLiteral("ver")).toString(), QStringLiteral("0.1.0"));
    QVERIFY(qAbs(qint64(sync.st()) - QDateTime::currentSecsSinceEpoch()) < 5);
    QCOMPARE(sync.envelope.value(QStringLiteral("flags")).toInt(), 64);
    QCOMPARE(sync.mask(), 0x14Fu);

    const QJsonObject inters = sync.list("inters");
    QCOMPARE(inters.size(), 8);
    QCOMPARE(inters.value(QStringLiteral("1")).toObject().value(QStringLiteral("name")).toString(),
             QStringLiteral("Príchod"));
    QCOMPARE(
        inters.value(QStringLiteral("1")).toObject().value(QStringLiteral("shortcut")).toString(),
        QStringLiteral("P"));
    QCOMPARE(inters.value(QStringLiteral("1")).toObject().value(QStringLiteral("type")).toString(),
             QStringLiteral("F"));

    const QJsonObject people = sync.list("people");
    QCOMPARE(people.size(), 5);
    const QJsonObject novak = people.value(QStringLiteral("1")).toObject();
    QCOMPARE(novak.value(QStringLiteral("pid")).toInt(), 1001);
    QCOMPARE(novak.value(QStringLiteral("card")).toString(), QStringLiteral("0004521873"));
    QCOMPARE(novak.value(QStringLiteral("surname")).toString(), QStringLiteral("Novák"));
    QCOMPARE(novak.value(QStringLiteral("admin")).toBool(), true);
    QCOMPARE(novak.value(QStringLiteral("type")).toString(), QStringLiteral("F"));
    QVERIFY(novak.value(QStringLiteral("tsc")).toDouble() > 0);

    QCOMPARE(sync.list("saldo").value(QStringLiteral("1")).toInt(), 90);
    QCOMPARE(sync.list("saldo").value(QStringLiteral("2")).toInt(), -45);
    QCOMPARE(sync.list("present").size(), 5);
    QCOMPARE(sync.list("grp").value(QStringLiteral("4")).toInt(), 3);
    const QJsonObject zones = sync.list("timezones").value(QStringLiteral("zones")).toObject();
    QCOMPARE(zones.size(), 2);
    QCOMPARE(zones.value(QStringLiteral("1")).toObject().value(QStringLiteral("from_time")).toInt(),
             360);
    QCOMPARE(zones.value(QStringLiteral("1")).toObject().value(QStringLiteral("type")).toString(),
             QStringLiteral("I"));
    const QJsonArray links = sync.list("timezones").value(QStringLiteral("pzt")).toArray();
    QCOMPARE(links.size(), 3);
    QCOMPARE(links.at(0).toObject().value(QStringLiteral("type")).toString(), QStringLiteral("I"));

    QCOMPARE(mServer->terminals().size(), 1);
    QCOMPARE(mServer->terminals()
                 .at(0)
                 .toObject()
                 .value(QStringLiteral("attrs"))
                 .toObject()
                 .value(QStringLiteral("name"))
                 .toString(),
             QStringLiteral("Vchod"));
}

void TestDevServer::confirmationClearsConfirmedListsOnly()
{
    const QString key = registerTerminal();
    QVERIFY(!key.isEmpty());
    const Answer full = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(full.mask(), 0x14Fu);

    confirm(key, full.st(), 0x1 | 0x2 | 0x40);
    const Answer partly = protocol("GET", QStringLiteral("sync/%1").arg(key));
    QCOMPARE(partly.mask(), 0x4u | 0x8u | 0x100u); // the unconfirmed lists come again, whole

    confirm(key, partly.st(), 0x4 | 0x8 | 0x100);
    const Answer nothing = protocol("GET", QStringLiteral("sync/%1").arg(key));
    QCOMPARE(nothing.status, 200);
    QCOMPARE(nothing.mask(), 0u);
    QVERIFY(!nothing.res().contains(QStringLiteral("people")));

    // A forced sync still returns everything.
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1/fs").arg(key)).mask(), 0x14Fu);
}

void TestDevServer::incrementalSyncReturnsJustTheChange_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QJsonObject>("row");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected"); // the record, or the "type" of a record

    QTest::newRow("balance") << "people" << QJsonObject { { "uid", 2 }, { "saldo", 100 } } << 0x4u
                             << "saldo"
                             << "2" << QJsonValue(100);
    QTest::newRow("presence") << "people" << QJsonObject { { "uid", 3 }, { "present", 1 } } << 0x8u
                              << "present"
                              << "3" << QJsonValue(1);
    QTest::newRow("colour group") << "people" << QJsonObject { { "uid", 4 }, { "grp", 2 } }
                                  << 0x100u << "grp"
                                  << "4" << QJsonValue(2);
    QTest::newRow("person renamed")
        << "people" << QJsonObject { { "uid", 1 }, { "surname", "Nováková" } } << 0x2u << "people"
        << "1" << QJsonValue("U");
    QTest::newRow("person added") << "people"
                                  << QJsonObject { { "pid", 1006 },
                                                   { "name", "Eva" },
                                                   { "card", "77" } }
                                  << (0x2u | 0x4u | 0x8u | 0x100u) << "people"
                                  << "6" << QJsonValue("U");
    QTest::newRow("person deleted")
        << "people" << QJsonObject { { "uid", 5 }, { "del", true } } << 0x2u << "people"
        << "5" << QJsonValue("D");
    QTest::newRow("type renamed") << "inters"
                                  << QJsonObject { { "id", 3 }, { "name", "Obedná prestávka" } }
                                  << 0x1u << "inters"
                                  << "3" << QJsonValue("U");
    QTest::newRow("type deleted") << "inters" << QJsonObject { { "id", 8 }, { "del", true } }
                                  << 0x1u << "inters"
                                  << "8" << QJsonValue("D");
    QTest::newRow("zone changed") << "zones" << QJsonObject { { "id", 1 }, { "to_time", 1020 } }
                                  << 0x40u << "zones"
                                  << "1" << QJsonValue("U");
}

void TestDevServer::incrementalSyncReturnsJustTheChange()
{
    QFETCH(QString, table);
    QFETCH(QJsonObject, row);
    QFETCH(uint, mask);
    QFETCH(QString, list);
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);

    const QString terminalKey = registerTerminal();
    const Answer full = protocol("GET", QStringLiteral("sync/%1/fs").arg(terminalKey));
    confirm(terminalKey, full.st(), full.mask());

    QVERIFY(mServer->putRow(table, row));
    const Answer change = protocol("GET", QStringLiteral("sync/%1").arg(terminalKey));
    QCOMPARE(change.mask(), mask);
    const QJsonObject records = list == QLatin1String("zones")
        ? change.list("timezones").value(QStringLiteral("zones")).toObject()
        : change.list(qPrintable(list));
    QCOMPARE(records.size(), 1);
    const QJsonValue record = records.value(key);
    if (expected.isString())
        QCOMPARE(record.toObject().value(QStringLiteral("type")), expected);
    else
        QCOMPARE(record, expected);
}

void TestDevServer::changeAfterReplyIsNotClearedByItsConfirmation()
{
    const QString key = registerTerminal();
    const Answer full = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    confirm(key, full.st(), full.mask());

    QVERIFY(mServer->putRow(QStringLiteral("people"), { { "uid", 1 }, { "saldo", 10 } }));
    const Answer first = protocol("GET", QStringLiteral("sync/%1").arg(key));
    QCOMPARE(first.list("saldo").value(QStringLiteral("1")).toInt(), 10);
    // Not confirmed yet: the change is delivered again.
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key))
                 .list("saldo")
                 .value(QStringLiteral("1"))
                 .toInt(),
             10);

    // A change in the same second as the reply, after it was built, survives its confirmation.
    QVERIFY(mServer->putRow(QStringLiteral("people"), { { "uid", 2 }, { "saldo", 20 } }));
    confirm(key, first.st(), 0x4);
    const Answer second = protocol("GET", QStringLiteral("sync/%1").arg(key));
    QCOMPARE(second.mask(), 0x4u);
    QCOMPARE(second.list("saldo").size(), 1);
    QCOMPARE(second.list("saldo").value(QStringLiteral("2")).toInt(), 20);

    // A confirmation of a time no reply had changes nothing.
    QCOMPARE(protocol("DELETE",
                      QStringLiteral("sync/%1/%2").arg(key, IdPairEncoding::encode(12345, 0x4)))
                 .status,
             200);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).mask(), 0x4u);
}

void TestDevServer::registeringAgainKeepsIdAndStartsFromFullLists()
{
    const QString key = registerTerminal();
    const Answer full = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    confirm(key, full.st(), full.mask());
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).mask(), 0u);

    QCOMPARE(registerTerminal(), key);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).mask(), 0x14Fu);
    QCOMPARE(mServer->terminals().size(), 1);

    const QString other = registerTerminal(fid + 1);
    QVERIFY(other != key);
    QCOMPARE(mServer->terminals().size(), 2);

    // Without a remote-management id the MAC address tells the terminal.
    const auto withoutRemoteId = [this](const char *mac) {
        return protocol("POST", QStringLiteral("term"), { { "mac", mac }, { "fid", 0 } })
            .envelope.value(QStringLiteral("res"))
            .toInt();
    };
    const int first = withoutRemoteId("aa:bb:cc:00:00:01");
    QVERIFY(first > 0);
    QCOMPARE(withoutRemoteId("aa:bb:cc:00:00:01"), first);
    QVERIFY(withoutRemoteId("aa:bb:cc:00:00:02") != first);
    QCOMPARE(mServer->terminals().size(), 4);
}

void TestDevServer::terminalUpdateIsStored()
{
    const QString key = registerTerminal();
    const Answer update = protocol(
        "PUT", QStringLiteral("term/%1").arg(key), { { "ip", "10.1.2.3" }, { "memu", 42 } });
    QCOMPARE(update.status, 200);
    const QJsonObject attrs
        = mServer->terminals().at(0).toObject().value(QStringLiteral("attrs")).toObject();
    QCOMPARE(attrs.value(QStringLiteral("ip")).toString(), QStringLiteral("10.1.2.3"));
    QCOMPARE(attrs.value(QStringLiteral("memu")).toInt(), 42);
    QCOMPARE(attrs.value(QStringLiteral("name")).toString(), QStringLiteral("Vchod"));

    QVERIFY(mServer->setTerminalFlags(1, 0));
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key))
                 .envelope.value(QStringLiteral("flags"))
                 .toInt(),
             0);

    // A forgotten terminal is told so, and registers again.
    QVERIFY(mServer->forgetTerminal(1));
    const Answer forgotten
        = protocol("PUT", QStringLiteral("term/%1").arg(key), { { "ip", "10.1.2.4" } });
    QCOMPARE(forgotten.status, 404);
    QCOMPARE(forgotten.envelope.value(QStringLiteral("err")).toInt(), 404);
}

void TestDevServer::entranceIsStoredWithItsImage_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("with photo") << QByteArray(
        "\xff\xd8\xff\xe0 not really a jpeg \x00\x01\x02\xff\xd9", 27);
    QTest::newRow("without photo") << QByteArray();
}

void TestDevServer::entranceIsStoredWithItsImage()
{
    QFETCH(QByteArray, image);
    const QString key = registerTerminal();
    QJsonObject entrance { { "iid", 1 },    { "type", 1 }, { "pid", 1001 },
                           { "refId", 15 }, { "uid", 1 },  { "date", 1796860000 } };
    if (!image.isEmpty()) {
        entrance.insert(QStringLiteral("imgPath"), QStringLiteral("pic/p/15.jpg"));
        entrance.insert(QStringLiteral("image"), QString::fromLatin1(encodeBody(image)));
    }
    const Answer answer = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.res().value(QStringLiteral("rid")).toInt(), 15);
    const int eid = answer.res().value(QStringLiteral("eid")).toInt();
    QVERIFY(eid > 0);

    const QJsonArray stored = mServer->entrances();
    QCOMPARE(stored.size(), 1);
    const QJsonObject row = stored.at(0).toObject();
    QCOMPARE(row.value(QStringLiteral("eid")).toInt(), eid);
    QCOMPARE(row.value(QStringLiteral("term")).toInt(), 1);
    QCOMPARE(row.value(QStringLiteral("iid")).toInt(), 1);
    QCOMPARE(row.value(QStringLiteral("type")).toInt(), 1);
    QCOMPARE(row.value(QStringLiteral("pid")).toInt(), 1001);
    QCOMPARE(row.value(QStringLiteral("date")).toInt(), 1796860000);
    QCOMPARE(row.value(QStringLiteral("image_size")).toInt(), image.size());
    if (image.isEmpty())
        return;
    QFile file(row.value(QStringLiteral("image_file")).toString());
    QVERIFY(file.fileName().startsWith(mServer->imageFolder()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), image);
}

void TestDevServer::entranceSentTwiceIsStoredOnce()
{
    const QString key = registerTerminal();
    const QJsonObject entrance { { "iid", 2 }, { "type", 0 }, { "pid", 1002 }, { "refId", 3 } };
    const Answer first = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    const Answer again = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    QCOMPARE(again.res().value(QStringLiteral("eid")), first.res().value(QStringLiteral("eid")));
    QCOMPARE(mServer->entrances().size(), 1);

    QJsonObject next = entrance;
    next.insert(QStringLiteral("refId"), 4);
    QVERIFY(protocol("POST", QStringLiteral("entrance/%1").arg(key), next)
                .res()
                .value(QStringLiteral("eid"))
            != first.res().value(QStringLiteral("eid")));
    QCOMPARE(mServer->entrances().size(), 2);
    // The highest local id the server holds comes with the sync list.
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key))
                 .res()
                 .value(QStringLiteral("lastId"))
                 .toInt(),
             4);
}

void TestDevServer::entranceDeletion()
{
    const QString key = registerTerminal();
    const Answer added = protocol("POST",
                                  QStringLiteral("entrance/%1").arg(key),
                                  { { "iid", 1 }, { "type", 1 }, { "refId", 9 } });
    const uint eid = uint(added.res().value(QStringLiteral("eid")).toInt());

    QCOMPARE(protocol("DELETE",
                      QStringLiteral("entrance/%1/%2").arg(key, IdPairEncoding::encode(eid, 8)))
                 .status,
             404);
    QCOMPARE(protocol("DELETE",
                      QStringLiteral("entrance/%1/%2").arg(key, IdPairEncoding::encode(eid, 9)))
                 .status,
             200);
    QCOMPARE(mServer->entrances().at(0).toObject().value(QStringLiteral("del")).toInt(), 1);
    QCOMPARE(protocol("DELETE",
                      QStringLiteral("entrance/%1/%2").arg(key, IdPairEncoding::encode(eid, 9)))
                 .status,
             404);

    // Without the server's id, by the terminal's own id alone.
    protocol("POST",
             QStringLiteral("entrance/%1").arg(key),
             { { "iid", 1 }, { "type", 1 }, { "refId", 10 } });
    for (uint rid : { 0u, 11u })
        QCOMPARE(protocol("DELETE",
                          QStringLiteral("entrance/%1/%2").arg(key, IdPairEncoding::encode(0, rid)))
                     .status,
                 404);
    QCOMPARE(
        protocol("DELETE", QStringLiteral("entrance/%1/%2").arg(key, IdPairEncoding::encode(0, 10)))
            .status,
        200);
    QCOMPARE(mServer->entrances().at(1).toObject().value(QStringLiteral("del")).toInt(), 1);
}

void TestDevServer::personRequests()
{
    const QString key = registerTerminal();
    const QJsonObject person { { "uid", 40 },       { "pid", 2001 },          { "card", "5550001" },
                               { "name", "Jana" },  { "surname", "Malá" },    { "title", "" },
                               { "admin", 0 },      { "saldo", 1.5 },         { "access", true },
                               { "colorGroup", 2 }, { "refId", 0 },           { "present", 0 },
                               { "del", false },    { "updated", 1796860000 } };
    const Answer added = protocol("POST", QStringLiteral("person/%1").arg(key), person);
    QCOMPARE(added.status, 200);
    QCOMPARE(added.res().value(QStringLiteral("pid")).toInt(), 2001);
    const uint uid = uint(added.res().value(QStringLiteral("uid")).toInt());
    QVERIFY(uid > 5);

    // The same person number again is the same person, not a second one.
    QCOMPARE(uint(protocol("POST", QStringLiteral("person/%1").arg(key), person)
                      .res()
                      .value(QStringLiteral("uid"))
                      .toInt()),
             uid);

    QJsonObject renamed = person;
    renamed.insert(QStringLiteral("surname"), QStringLiteral("Veľká"));
    renamed.insert(QStringLiteral("refId"), qint64(uid));
    const Answer updated = protocol(
        "PUT", QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(uid, 2001)), renamed);
    QCOMPARE(updated.status, 200);
    QCOMPARE(uint(updated.res().value(QStringLiteral("uid")).toInt()), uid);

    const Answer one
        = protocol("GET", QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(uid, 0)));
    QCOMPARE(one.status, 200);
    const QJsonArray list = one.envelope.value(QStringLiteral("res")).toArray();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).toObject().value(QStringLiteral("surname")).toString(),
             QStringLiteral("Veľká"));
    QCOMPARE(list.at(0).toObject().value(QStringLiteral("grp")).toInt(), 2);
    QCOMPARE(list.at(0).toObject().value(QStringLiteral("saldo")).toInt(),
             0); // the balance is the server's own

    QCOMPARE(protocol("GET", QStringLiteral("person/%1").arg(key))
                 .envelope.value(QStringLiteral("res"))
                 .toArray()
                 .size(),
             6);
    QCOMPARE(
        protocol("GET", QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(0, 1003)))
            .envelope.value(QStringLiteral("res"))
            .toArray()
            .at(0)
            .toObject()
            .value(QStringLiteral("uid"))
            .toInt(),
        3);

    QCOMPARE(protocol("DELETE",
                      QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(uid, 2001)))
                 .status,
             200);
    const Answer gone
        = protocol("GET", QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(uid, 0)));
    QCOMPARE(gone.status, 404);
    QCOMPARE(gone.envelope.value(QStringLiteral("err")).toInt(), 404);
    QCOMPARE(protocol("DELETE",
                      QStringLiteral("person/%1/%2").arg(key, IdPairEncoding::encode(uid, 2001)))
                 .status,
             404);
}

void TestDevServer::intersList()
{
    const QString key = registerTerminal();
    const Answer answer = protocol("GET", QStringLiteral("inters/%1").arg(key));
    QCOMPARE(answer.status, 200);
    const QJsonArray inters = answer.envelope.value(QStringLiteral("res")).toArray();
    QCOMPARE(inters.size(), 8);
    QStringList shortcuts;
    for (const QJsonValue inter : inters) {
        QVERIFY(inter.toObject().value(QStringLiteral("iid")).toInt() > 0);
        shortcuts << inter.toObject().value(QStringLiteral("shortcut")).toString();
    }
    for (const char *shortcut : { "P", "O", "OB", "L", "PC", "S" })
        QVERIFY2(shortcuts.contains(QLatin1String(shortcut)), shortcut);
}

void TestDevServer::keyAndPathErrors_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path"); // %1 is the valid terminal key
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("key not Base64") << QByteArray("GET") << "sync/%%%" << 400 << "Invalid hash";
    QTest::newRow("key without pair")
        << QByteArray("GET") << "sync/" + QString::fromLatin1(QByteArray("hello").toBase64()) << 400
        << "Invalid hash";
    QTest::newRow("unknown terminal")
        << QByteArray("GET") << "sync/" + IdPairEncoding::encode(99, fid) << 404 << "Terminal";
    QTest::newRow("wrong remote id")
        << QByteArray("GET") << "sync/" + IdPairEncoding::encode(1, fid + 1) << 404 << "Terminal";
    QTest::newRow("bad confirmation pair")
        << QByteArray("DELETE") << "sync/%1/xyz" << 400 << "Invalid identifier";
    QTest::newRow("missing confirmation pair")
        << QByteArray("DELETE") << "sync/%1" << 400 << "Invalid identifier";
    QTest::newRow("unknown operation")
        << QByteArray("GET") << "nothing/%1" << 404 << "Unknown operation";
    QTest::newRow("wrong method") << QByteArray("PUT") << "inters/%1" << 404 << "Unknown operation";
}

void TestDevServer::keyAndPathErrors()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString key = registerTerminal();
    const Answer answer
        = protocol(method, path.contains(QLatin1String("%1")) ? path.arg(key) : path);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.envelope.value(QStringLiteral("err")).toInt(), status);
    QVERIFY2(answer.envelope.value(QStringLiteral("err_msg")).toString().contains(message),
             answer.body.constData());
    QCOMPARE(answer.envelope.value(QStringLiteral("request"))
                 .toObject()
                 .value(QStringLiteral("method"))
                 .toString(),
             QString::fromLatin1(method));
}

void TestDevServer::credentialAndTokenChecks_data()
{
    QTest::addColumn<Headers>("headers");
    QTest::addColumn<int>("status");

    const auto credential
        = [](const char *text) { return QByteArray("ZEPSYNC ") + encodeBody(text); };
    const QPair<QByteArray, QByteArray> token { "Pragma", "token = schema-1" };
    QTest::newRow("valid") << Headers { { "Authorization", credential("secret:5") }, token } << 200;
    QTest::newRow("no credential") << Headers { token } << 401;
    QTest::newRow("wrong login token")
        << Headers { { "Authorization", credential("guess:5") }, token } << 401;
    QTest::newRow("unknown login id")
        << Headers { { "Authorization", credential("secret:6") }, token } << 401;
    QTest::newRow("credential not encoded")
        << Headers { { "Authorization", "ZEPSYNC secret:5" }, token } << 401;
    QTest::newRow("other scheme") << Headers {
        { "Authorization", "Basic " + encodeBody("secret:5") }, token
    } << 401;
    QTest::newRow("wrong schema token")
        << Headers { { "Authorization", credential("secret:5") }, { "Pragma", "token = schema-2" } }
        << 403;
    QTest::newRow("no schema token")
        << Headers { { "Authorization", credential("secret:5") } } << 403;
}

void TestDevServer::credentialAndTokenChecks()
{
    QFETCH(Headers, headers);
    QFETCH(int, status);

    QFile seed(QStringLiteral("strict-seed.json"));
    QVERIFY(seed.open(QIODevice::WriteOnly));
    seed.write(
        R"({"requireAuth": true, "schemaToken": "schema-1", "logins": [{"id": 5, "token": "secret"}],
                  "inters": [{"id": 1, "name": "Príchod", "shortcut": "P"}]})");
    seed.close();
    delete mServer;
    mServer = new DevServerProcess(this);
    QVERIFY2(mServer->start(QFileInfo(seed).absoluteFilePath()), qPrintable(mServer->output()));

    const Answer registration
        = protocol("POST", QStringLiteral("term"), { { "fid", qint64(fid) } }, headers);
    QCOMPARE(registration.status, status);
    QCOMPARE(registration.envelope.value(QStringLiteral("err")).toInt(),
             status == 200 ? 0 : status);
    if (status != 200) {
        QVERIFY(mServer->terminals().isEmpty());
        return;
    }
    const QString key = IdPairEncoding::encode(
        uint(registration.envelope.value(QStringLiteral("res")).toInt()), fid);
    QCOMPARE(protocol("GET", QStringLiteral("inters/%1").arg(key), {}, headers).status, 200);
    QCOMPARE(protocol("GET", QStringLiteral("inters/%1").arg(key)).status, 401);
}

void TestDevServer::faultSwitchFailsNextRequests()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->failNext(2, 503, 1));
    QCOMPARE(call("GET", QStringLiteral("/ping.html")).status, 200);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).status, 503);
    QCOMPARE(call("GET", QStringLiteral("/ping.html")).status, 503);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).status, 200);
    // Admin requests are never failed.
    QVERIFY(mServer->failNext(1));
    QCOMPARE(mServer->terminals().size(), 1);
    QCOMPARE(protocol("GET", QStringLiteral("inters/%1").arg(key)).status, 500);

    // A request goes into the journal after its answer went out.
    QJsonArray journal;
    QTRY_VERIFY_WITH_TIMEOUT((journal = mServer->requests()).size() >= 6, 5000);
    const QJsonObject last = journal.last().toObject();
    QCOMPARE(last.value(QStringLiteral("path")).toString(),
             QStringLiteral("/zepsync/inters/%1").arg(key));
    QCOMPARE(last.value(QStringLiteral("status")).toInt(), 500);
}

void TestDevServer::stalledRequestHangsUntilReleased()
{
    QVERIFY(mServer->stallNext(1));
    QNetworkReply *reply
        = mNetwork->get(QNetworkRequest(mServer->url(QStringLiteral("/ping.html"))));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(!finished.wait(300));
    // The server still answers others meanwhile.
    QCOMPARE(mServer->terminals().size(), 0);
    QVERIFY(mServer->releaseStalled());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    reply->deleteLater();

    // A stalled request ends with an error when the server goes away.
    QVERIFY(mServer->stallNext(1));
    QNetworkReply *lost
        = mNetwork->get(QNetworkRequest(mServer->url(QStringLiteral("/ping.html"))));
    QSignalSpy lostFinished(lost, &QNetworkReply::finished);
    QVERIFY(!lostFinished.wait(200));
    mServer->stop();
    QTRY_COMPARE_WITH_TIMEOUT(lostFinished.count(), 1, 5000);
    QVERIFY(lost->error() != QNetworkReply::NoError);
    lost->deleteLater();
}

void TestDevServer::damagedReply_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("complete"); // the whole body the headers announce arrives
    QTest::addColumn<bool>("readable"); // the body is the protocol's reply

    QTest::newRow("slow") << "slow" << true << true;
    QTest::newRow("dropped half-way") << "drop" << false << false;
    QTest::newRow("malformed body") << "garble" << true << false;
}

void TestDevServer::damagedReply()
{
    QFETCH(QString, damage);
    QFETCH(bool, complete);
    QFETCH(bool, readable);
    const QString key = registerTerminal();
    if (damage == QLatin1String("slow"))
        QVERIFY(mServer->slowNext(1, 1000));
    else if (damage == QLatin1String("drop"))
        QVERIFY(mServer->dropNext(1));
    else
        QVERIFY(mServer->garbleNext(1));

    QNetworkRequest request(mServer->url(QStringLiteral("/zepsync/sync/%1").arg(key)));
    QNetworkReply *reply = mNetwork->get(request);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (damage == QLatin1String("slow"))
        QVERIFY(!finished.wait(200)); // held back
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    const QByteArray body = reply->readAll();
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QCOMPARE(reply->error() == QNetworkReply::NoError, complete);
    QCOMPARE(body.size() == reply->header(QNetworkRequest::ContentLengthHeader).toInt(), complete);
    const QJsonDocument envelope = QJsonDocument::fromJson(body);
    QCOMPARE(envelope.isObject() && envelope.object().contains(QStringLiteral("request")),
             readable);
    reply->deleteLater();

    // Only the next request was damaged.
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).envelope.value("err").toInt(-1),
             0);
}

void TestDevServer::refusedConnectionsComeBack()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->refuseConnections(3000));
    // No answer: refused, or cut off on a connection opened before the refusal.
    QTRY_COMPARE_WITH_TIMEOUT(call("GET", QStringLiteral("/ping.html")).status, 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(call("GET", QStringLiteral("/ping.html")).status, 200, 15000);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).status, 200);
}

void TestDevServer::dataSurvivesRestart()
{
    const QString key = registerTerminal();
    QCOMPARE(protocol("POST",
                      QStringLiteral("entrance/%1").arg(key),
                      { { "iid", 1 }, { "type", 1 }, { "refId", 1 } })
                 .status,
             200);
    const quint16 port = mServer->port();
    mServer->stop();
    QVERIFY(!mServer->isRunning());
    QCOMPARE(call("GET", QStringLiteral("/ping.html")).status, 0);

    QVERIFY2(mServer->restart(), qPrintable(mServer->output()));
    QCOMPARE(mServer->port(), port);
    QCOMPARE(protocol("GET", QStringLiteral("sync/%1").arg(key)).status, 200);
    QCOMPARE(mServer->entrances().size(), 1);
    QCOMPARE(mServer->people().size(), 5); // seeded once, not again
}

void TestDevServer::behaviourFromCommandLineAndAdminRoute()
{
    mServer->stop();
    mServer->setExtraArguments({ "--omit-state",
                                 "--count-uploads",
                                 "--reject-entrance",
                                 "12",
                                 "--reject-entrance",
                                 "14" });
    QVERIFY2(mServer->start(), qPrintable(mServer->output()));
    QJsonObject behaviour = mServer->adminGet(QStringLiteral("behaviour")).object();
    QCOMPARE(behaviour.value(QStringLiteral("omitState")).toBool(), true);
    QCOMPARE(behaviour.value(QStringLiteral("countUploads")).toBool(), true);
    QCOMPARE(behaviour.value(QStringLiteral("duplicates")).toBool(), false);
    QCOMPARE(behaviour.value(QStringLiteral("omitUnchangedLists")).toBool(), false);
    QCOMPARE(behaviour.value(QStringLiteral("rejectedEntrances")).toArray().size(), 2);

    // The admin route changes only the keys it is given ...
    QVERIFY(mServer->setBehaviour({ { "omitState", false }, { "duplicates", true } }));
    behaviour = mServer->adminGet(QStringLiteral("behaviour")).object();
    QCOMPARE(behaviour.value(QStringLiteral("omitState")).toBool(), false);
    QCOMPARE(behaviour.value(QStringLiteral("duplicates")).toBool(), true);
    QCOMPARE(behaviour.value(QStringLiteral("countUploads")).toBool(), true);
    // ... and refuses what it does not know, changing nothing.
    QVERIFY(!mServer->setBehaviour({ { "countUploads", false }, { "loseEverything", true } }));
    QVERIFY(!mServer->setBehaviour({ { "countUploads", 0 } }));
    QCOMPARE(mServer->adminGet(QStringLiteral("behaviour"))
                 .object()
                 .value(QStringLiteral("countUploads"))
                 .toBool(),
             true);
    // The options stay with a restart.
    QVERIFY2(mServer->restart(), qPrintable(mServer->output()));
    QCOMPARE(mServer->adminGet(QStringLiteral("behaviour"))
                 .object()
                 .value(QStringLiteral("omitState"))
                 .toBool(),
             true);
}

void TestDevServer::forcedSyncOmitsUnchangedLists()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->setBehaviour({ { "omitUnchangedLists", true } }));
    // Lists the terminal never confirmed come in full ...
    const Answer first = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(first.mask(), 0x14Fu);
    confirm(key, first.st(), 0x14F);

    // ... after that a forced sync brings only what changed, but that list whole.
    QVERIFY(mServer->putRow(QStringLiteral("inters"), { { "id", 2 }, { "name", "Odchod domov" } }));
    const Answer forced = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(forced.status, 200);
    QCOMPARE(forced.mask(), 0x1u);
    QCOMPARE(forced.list("inters").size(), 8);
    QVERIFY(!forced.res().contains(QStringLiteral("people")));
}

void TestDevServer::repliesWithoutState()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->setBehaviour({ { "omitState", true } }));
    const Answer sync = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(sync.status, 200);
    QCOMPARE(sync.mask(), 0x14Fu);
    QVERIFY(!sync.envelope.contains(QStringLiteral("st")));
    QVERIFY(!sync.envelope.contains(QStringLiteral("ver")));
    QVERIFY(!sync.res().contains(QStringLiteral("st")));
    QCOMPARE(sync.list("people").size(), 5);
}

void TestDevServer::repliesWithDuplicates()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->setBehaviour({ { "duplicates", true } }));
    const Answer sync = protocol("GET", QStringLiteral("sync/%1/fs").arg(key));
    QCOMPARE(sync.status, 200);
    // The list, the record in it and the member in that: each twice.
    QCOMPARE(sync.body.count("\"surname\":\"Novák\""), 8);
    QCOMPARE(sync.list("people").size(), 5); // duplicate keys read as one
    QCOMPARE(sync.list("timezones").value(QStringLiteral("pzt")).toArray().size(), 6);
    QCOMPARE(sync.envelope.value(QStringLiteral("err")).toInt(), 0);

    const Answer people = protocol("GET", QStringLiteral("person/%1").arg(key));
    QCOMPARE(people.envelope.value(QStringLiteral("res")).toArray().size(), 10);
}

void TestDevServer::rejectedEntranceIsRefused()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->setBehaviour({ { "rejectedEntrances", QJsonArray { 21 } } }));
    const QJsonObject entrance { { "iid", 1 }, { "type", 1 }, { "pid", 1001 }, { "refId", 21 } };
    const Answer refused = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    QCOMPARE(refused.status, 422);
    QCOMPARE(refused.envelope.value(QStringLiteral("err")).toInt(), 422);
    QJsonObject other = entrance;
    other.insert(QStringLiteral("refId"), 22);
    QCOMPARE(protocol("POST", QStringLiteral("entrance/%1").arg(key), other).status, 200);
    QCOMPARE(mServer->entrances().size(), 1);

    QVERIFY(mServer->setBehaviour({ { "rejectedEntrances", QJsonArray() } }));
    QCOMPARE(protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance).status, 200);
    QCOMPARE(mServer->entrances().size(), 2);
}

void TestDevServer::countedUploadsAreStoredEachTime()
{
    const QString key = registerTerminal();
    QVERIFY(mServer->setBehaviour({ { "countUploads", true } }));
    const QJsonObject entrance { { "iid", 2 }, { "type", 0 }, { "pid", 1002 }, { "refId", 3 } };
    const Answer first = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    const Answer again = protocol("POST", QStringLiteral("entrance/%1").arg(key), entrance);
    QCOMPARE(first.status, 200);
    QCOMPARE(again.status, 200);
    QVERIFY(again.res().value(QStringLiteral("eid")) != first.res().value(QStringLiteral("eid")));
    QJsonObject other = entrance;
    other.insert(QStringLiteral("refId"), 4);
    QCOMPARE(protocol("POST", QStringLiteral("entrance/%1").arg(key), other).status, 200);
    const QJsonArray stored = mServer->entrances();
    QCOMPARE(stored.size(), 3);

    // Repeats are reported by the terminal's own id of the entrance.
    const QJsonArray repeats = mServer->repeatedUploads();
    QCOMPARE(repeats.size(), 1);
    const QJsonObject repeat = repeats.first().toObject();
    QCOMPARE(repeat.value(QStringLiteral("rid")).toInt(), 3);
    QCOMPARE(repeat.value(QStringLiteral("uploads")).toInt(), 2);
    QCOMPARE(repeat.value(QStringLiteral("eids")).toArray(),
             QJsonArray({ first.res().value(QStringLiteral("eid")).toInt(),
                          again.res().value(QStringLiteral("eid")).toInt() }));
}

QTEST_GUILESS_MAIN(TestDevServer)
#include "tst_devserver.moc"
