#include "sync/requestbuilder.h"

#include "tests/support/workdir.h"

#include <QtTest>

// The paths and bodies of the attendance-server requests, as the server reads them.
class tst_RequestBuilder : public QObject
{
    Q_OBJECT
private slots:
    void paths_data();
    void paths();
    void entranceBody_data();
    void entranceBody();
    void image_data();
    void image();
};

using PathOf = std::function<QString(const RequestBuilder &)>;
Q_DECLARE_METATYPE(PathOf)

void tst_RequestBuilder::paths_data()
{
    QTest::addColumn<PathOf>("path");
    QTest::addColumn<QString>("expected");

    // Terminal 7 with remote-management id 12: "7.12" padded to "-7.012".
    QTest::newRow("sync") << PathOf([](const RequestBuilder &b) { return b.syncPath(false); })
                          << "sync/LTcuMDEy";
    QTest::newRow("forced sync") << PathOf([](const RequestBuilder &b) { return b.syncPath(true); })
                                 << "sync/LTcuMDEy/fs";
    QTest::newRow("sync confirmation")
        << PathOf([](const RequestBuilder &b) { return b.syncConfirmationPath(7, 12); })
        << "sync/LTcuMDEy/LTcuMDEy";
    QTest::newRow("registration") << PathOf([](const RequestBuilder &) {
        return RequestBuilder::registrationPath();
    }) << "term";
    QTest::newRow("terminal") << PathOf([](const RequestBuilder &b) { return b.terminalPath(); })
                              << "term/LTcuMDEy";
    QTest::newRow("types") << PathOf([](const RequestBuilder &b) { return b.intersPath(); })
                           << "inters/LTcuMDEy";
    QTest::newRow("people") << PathOf([](const RequestBuilder &b) { return b.peoplePath(); })
                            << "person/LTcuMDEy";
    // "12.345" needs no padding.
    QTest::newRow("person") << PathOf([](const RequestBuilder &b) { return b.personPath(12, 345); })
                            << "person/LTcuMDEy/MTIuMzQ1";
    QTest::newRow("entrances") << PathOf([](const RequestBuilder &b) { return b.entrancesPath(); })
                               << "entrance/LTcuMDEy";
    // "1.2" is three characters already.
    QTest::newRow("entrance") << PathOf([](const RequestBuilder &b) {
        return b.entrancePath(1, 2);
    }) << "entrance/LTcuMDEy/MS4y";
}

void tst_RequestBuilder::paths()
{
    QFETCH(PathOf, path);
    RequestBuilder builder;
    builder.setTerminal(7, 12);

    QTEST(path(builder), "expected");
}

void tst_RequestBuilder::entranceBody_data()
{
    QTest::addColumn<uint>("pid");
    QTest::addColumn<uint>("uid");
    QTest::addColumn<uint>("localId");
    QTest::addColumn<QString>("imgPath");
    QTest::addColumn<uint>("time");
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("everything")
        << 42u << 9u << 17u << "pic/p/17.jpg" << 1765400000u
        << QByteArray("{\"date\":1765400000,\"iid\":3,\"imgPath\":\"pic/p/17.jpg\",\"pid\":42,"
                      "\"refId\":17,\"type\":1,\"uid\":9}");
    QTest::newRow("unknown person, no photo, server's time")
        << 0u << 0u << 17u << QString() << 0u << QByteArray("{\"iid\":3,\"refId\":17,\"type\":1}");
    QTest::newRow("without a local id") << 42u << 9u << 0u << QString() << 5u
                                        << QByteArray("{\"date\":5,\"iid\":3,\"pid\":42,"
                                                      "\"type\":1,\"uid\":9}");
}

// The numbers that are 0 and an empty photo path are left out; the type and
// direction always go.
void tst_RequestBuilder::entranceBody()
{
    QFETCH(uint, pid);
    QFETCH(uint, uid);
    QFETCH(uint, localId);
    QFETCH(QString, imgPath);
    QFETCH(uint, time);

    const QVariantMap body = RequestBuilder::entranceBody(3, 1, pid, uid, localId, imgPath, time);

    QTEST(RequestBuilder::json(body), "json");
}

void tst_RequestBuilder::image_data()
{
    QTest::addColumn<QString>("imgPath");
    QTest::addColumn<QByteArray>("contents"); // null: no file
    QTest::addColumn<QString>("image"); // null: no "image"

    // Bytes whose Base64 holds "+", "/" and "=", which the body encoding replaces.
    QTest::newRow("photo") << "photo.jpg" << QByteArray("\xfb\xff\xfe\x01", 4) << "-__-AQ@@";
    QTest::newRow("empty photo") << "photo.jpg" << QByteArray("") << QString();
    QTest::newRow("photo missing") << "photo.jpg" << QByteArray() << QString();
    QTest::newRow("no photo named") << QString() << QByteArray() << QString();
}

void tst_RequestBuilder::image()
{
    QFETCH(QString, imgPath);
    QFETCH(QByteArray, contents);
    QFETCH(QString, image);
    WorkDir dir;
    QVERIFY(dir.isValid());
    if (!contents.isNull()) {
        QFile file(imgPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), qint64(contents.size()));
    }
    QVariantMap entrance = RequestBuilder::entranceBody(3, 1, 42, 9, 17, imgPath, 5);

    RequestBuilder::addImage(entrance);

    QCOMPARE(entrance.contains(QStringLiteral("image")), !image.isNull());
    QCOMPARE(entrance.value(QStringLiteral("image")).toString(), image);
    // The path stays beside the image.
    QCOMPARE(entrance.value(QStringLiteral("imgPath")).toString(), imgPath);
}

QTEST_MAIN(tst_RequestBuilder)
#include "tst_requestbuilder.moc"
