#include "sync/replyparser.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class tst_ReplyParser : public QObject
{
    Q_OBJECT

private slots:
    void readAsQtReadsJson_data();
    void readAsQtReadsJson();
    void keyedListsInKeyOrder();
    void deepNestingRefused();
    void onlyTheGivenBytesRead();
};

void tst_ReplyParser::readAsQtReadsJson_data()
{
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("sync reply") << QByteArray(
        R"({"err":0,"request":{"method":"GET","path":"sync/K"},"ver":"0.1.0","st":1700000000,)"
        R"("res":{"sync":2,"people":{"5":{"pid":5,"name":"Ján","saldo":-90.5,"admin":true}}}})");
    QTest::newRow("numbers") << QByteArray(
        R"({"int":7,"neg":-3,"real":2.5,"exp":1e3,"whole":2.0,"minus zero":-0.0,"exact":9007199254740993,)"
        R"("big":12345678901234567890,"max":9223372036854775807,"min":-9223372036854775808,)"
        R"("past max":9223372036854775808,"large":1e19,"small":-1.5e-300})");
    QTest::newRow("null, lists and nesting")
        << QByteArray(R"({"n":null,"l":[1,"a",[true,false],{"x":{}}],"o":{"b":[],"a":null}})");
    QTest::newRow("repeated key, the last counts") << QByteArray(R"({"a":1,"b":2,"a":{"c":3}})");
    QTest::newRow("escapes and non-ASCII")
        << QByteArray(R"({"s":"a\"b\\c\/d\n\u00e1\ud83d\ude00","k\u00e9y":"\u0000"})");
    QTest::newRow("a list reads as an empty object") << QByteArray("[1,2]");
    QTest::newRow("white space around") << QByteArray(" \r\n\t{\"a\":1}\n ");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no object") << QByteArray("\"text\"");
    QTest::newRow("cut short") << QByteArray(R"({"a":[1,2)");
    QTest::newRow("garbage after") << QByteArray(R"({"a":1} x)");
    QTest::newRow("trailing comma") << QByteArray(R"({"a":1,})");
    QTest::newRow("invalid UTF-8") << QByteArray("{\"a\":\"\xff\xfe\"}");
    QTest::newRow("NUL byte after") << QByteArray("{\"a\":1}\0{", 10);
    QTest::newRow("number too big") << QByteArray(R"({"a":1e400})");
}

// The replies read as they did when Qt's JSON classes read them: the same values of the same
// types, and an error for the same bodies.
void tst_ReplyParser::readAsQtReadsJson()
{
    QFETCH(QByteArray, body);
    QJsonParseError qtError;
    const QJsonDocument qt = QJsonDocument::fromJson(body, &qtError);
    QString error;
    const ReplyEnvelope envelope = ReplyEnvelope::parse(body, &error);
    QCOMPARE(!error.isEmpty(), qtError.error != QJsonParseError::NoError);
    const QVariantMap expected = qt.object().toVariantMap();
    QCOMPARE(envelope.toVariantMap(), expected);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY(envelope.contains(it.key()));
        QCOMPARE(envelope.value(it.key()), it.value());
        QCOMPARE(envelope.value(it.key()).userType(), it.value().userType());
    }
    QVERIFY(!envelope.contains(QStringLiteral("missing")));
    QVERIFY(!envelope.value(QStringLiteral("missing")).isValid());
}

// Keys are texts: "10" comes before "9"; of a repeated key the last record counts.
void tst_ReplyParser::keyedListsInKeyOrder()
{
    const ReplyEnvelope envelope = ReplyEnvelope::parse(
        R"({"ver":"0.1.0","st":5,"res":{"sync":6,"people":{"9":{"pid":9,"name":"A"},)"
        R"("10":{"pid":10,"name":"B"},"9":{"pid":9,"name":"C","type":"Update","tsc":4}},)"
        R"("saldo":{"2":90,"1":"30"}}})",
        nullptr);
    const SyncReply reply = ReplyParser::syncReply(envelope);
    QCOMPARE(reply.ts, 5u);
    QVERIFY(reply.hasTime);
    QCOMPARE(reply.people.size(), 2);
    QCOMPARE(reply.people.at(0).uid, 10u);
    QCOMPARE(reply.people.at(0).name, QStringLiteral("B"));
    QCOMPARE(reply.people.at(1).uid, 9u);
    QCOMPARE(reply.people.at(1).name, QStringLiteral("C"));
    QCOMPARE(reply.people.at(1).type, QLatin1Char('U'));
    QCOMPARE(reply.people.at(1).tsc, 4u);
    QCOMPARE(reply.saldo.size(), 2);
    QCOMPARE(reply.saldo.at(0).uid, 1u);
    QCOMPARE(reply.saldo.at(0).saldo, 30);
    QCOMPARE(reply.saldo.at(1).saldo, 90);
}

// Nesting is bounded, as with Qt's reader: the variants of a reply are made recursively.
void tst_ReplyParser::deepNestingRefused()
{
    const QByteArray body = "{\"a\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    QString error;
    const ReplyEnvelope envelope = ReplyEnvelope::parse(body, &error);
    QVERIFY(!error.isEmpty());
    QVERIFY(envelope.toVariantMap().isEmpty());
}

// A body need not end in a NUL: only its own bytes are read.
void tst_ReplyParser::onlyTheGivenBytesRead()
{
    const QByteArray buffer = R"({"err":0}{"err":1})";
    QString error;
    const ReplyEnvelope envelope
        = ReplyEnvelope::parse(QByteArray::fromRawData(buffer.constData(), 9), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(envelope.value(QStringLiteral("err")).toInt(), 0);
}

QTEST_GUILESS_MAIN(tst_ReplyParser)
#include "tst_replyparser.moc"
