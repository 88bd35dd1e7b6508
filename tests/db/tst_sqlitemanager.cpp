#include "db/sqlitemanager.h"
#include "db/sqlitestatement.h"

#include "tests/support/sqlfile.h"
#include "tests/support/workdir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

class tst_SQLiteManager : public QObject
{
    Q_OBJECT

private slots:
    void init() { mDir = std::make_unique<WorkDir>(); }
    void cleanup() { mDir.reset(); }

    void connectionNames();
    void namesStayUniqueOutOfOrder();
    void checkTable_data();
    void checkTable();
    void checkColumn_data();
    void checkColumn();
    void closeAndOpen();
    void notOpenedAtOnce();
    void exec_data();
    void exec();
    void keptStatementRunsAgain_data();
    void keptStatementRunsAgain();
    void keptStatementHoldsNoLock();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_SQLiteManager::connectionNames()
{
    {
        SQLiteManager first(QStringLiteral("zep.db"), true);
        SQLiteManager second(QStringLiteral("data.db"), true);
        QCOMPARE(first.connectionName(), QStringLiteral("SQLiteManager_connection_1"));
        QCOMPARE(second.connectionName(), QStringLiteral("SQLiteManager_connection_2"));
        QCOMPARE(SQLiteManager::instanceCount(), 2u);
    }
    QCOMPARE(SQLiteManager::instanceCount(), 0u);
}

void tst_SQLiteManager::namesStayUniqueOutOfOrder()
{
    auto first = std::make_unique<SQLiteManager>(QStringLiteral("a.db"), true);
    SQLiteManager second(QStringLiteral("b.db"), true);
    first.reset();
    // The live counter is back at 1, so a naive name would repeat the second's.
    SQLiteManager third(QStringLiteral("c.db"), true);
    QVERIFY(third.connectionName() != second.connectionName());
    QVERIFY(second.isOpen());
    QVERIFY(third.isOpen());
    QVERIFY(SqlFile::exec(QStringLiteral("b.db"), { QStringLiteral("CREATE TABLE only_b (x)") }));
    QVERIFY(second.checkTable(QStringLiteral("only_b")));
    QVERIFY(!third.checkTable(QStringLiteral("only_b")));
}

void tst_SQLiteManager::checkTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::newRow("table") << "ludia" << true;
    QTest::newRow("other case") << "Ludia" << false;
    QTest::newRow("view") << "ludia_view" << false;
    QTest::newRow("index") << "ludia_idx" << false;
    QTest::newRow("missing") << "nothing" << false;
}

void tst_SQLiteManager::checkTable()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    QVERIFY(SqlFile::exec(QStringLiteral("t.db"),
                          { QStringLiteral("CREATE TABLE ludia (uid INT, meno TEXT)"),
                            QStringLiteral("CREATE VIEW ludia_view AS SELECT * FROM ludia"),
                            QStringLiteral("CREATE INDEX ludia_idx ON ludia(meno)") }));
    SQLiteManager m(QStringLiteral("t.db"), true);
    QCOMPARE(m.checkTable(name), found);
}

void tst_SQLiteManager::checkColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("found");
    QTest::newRow("column") << "ludia"
                            << "meno" << true;
    QTest::newRow("other case") << "ludia"
                                << "Meno" << false;
    QTest::newRow("missing column") << "ludia"
                                    << "priez" << false;
    QTest::newRow("missing table") << "nothing"
                                   << "meno" << false;
    QTest::newRow("quote in table name") << "lu\"dia"
                                         << "meno" << false;
}

void tst_SQLiteManager::checkColumn()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(bool, found);
    QVERIFY(SqlFile::exec(QStringLiteral("t.db"),
                          { QStringLiteral("CREATE TABLE ludia (uid INT, meno TEXT)") }));
    SQLiteManager m(QStringLiteral("t.db"), true);
    QCOMPARE(m.checkColumn(table, column), found);
}

void tst_SQLiteManager::closeAndOpen()
{
    SQLiteManager m(QStringLiteral("t.db"), true);
    QVERIFY(m.isOpen());
    QVERIFY(!m.openDB()); // already open
    QVERIFY(m.isOpen());
    QVERIFY(m.closeDB());
    QVERIFY(!m.closeDB());
    QVERIFY(!m.checkTable(QStringLiteral("sqlite_master")));
    QVERIFY(m.openDB());
}

void tst_SQLiteManager::notOpenedAtOnce()
{
    SQLiteManager m(QStringLiteral("t.db"), false);
    QVERIFY(!m.isOpen());
    QVERIFY(!QFile::exists(QStringLiteral("t.db")));
}

void tst_SQLiteManager::exec_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("uid"); // invalid: not bound
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("rows");
    QTest::addColumn<qlonglong>("insertId"); // 0: not checked
    QTest::addColumn<bool>("plainLog");
    QTest::addColumn<QString>("logged"); // pattern of the failure line; empty: none

    QTest::newRow("insert") << QStringLiteral("INSERT INTO ludia (uid, meno) VALUES(:uid, :meno)")
                            << QVariant(3) << true << 1 << 3LL << false << QString();
    QTest::newRow("update of two rows") << QStringLiteral("UPDATE ludia SET meno = :meno")
                                        << QVariant() << true << 2 << 0LL << false << QString();
    QTest::newRow("update of no row")
        << QStringLiteral("UPDATE ludia SET meno = :meno WHERE uid = :uid") << QVariant(9) << true
        << 0 << 0LL << false << QString();
    // The stream quotes the error text, the plain line does not.
    QTest::newRow("failure streamed")
        << QStringLiteral("UPDATE nope SET meno = :meno") << QVariant() << false << 0 << 0LL
        << false << QStringLiteral("^T: \"no such table: nope.*\"$");
    QTest::newRow("failure plain")
        << QStringLiteral("UPDATE nope SET meno = :meno") << QVariant() << false << 0 << 0LL << true
        << QStringLiteral("^T: no such table: nope[^\"]*$");
}

void tst_SQLiteManager::exec()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, uid);
    QFETCH(bool, ok);
    QFETCH(int, rows);
    QFETCH(qlonglong, insertId);
    QFETCH(bool, plainLog);
    QFETCH(QString, logged);
    QVERIFY(
        SqlFile::exec(QStringLiteral("t.db"),
                      { QStringLiteral("CREATE TABLE ludia (uid INTEGER PRIMARY KEY, meno TEXT)"),
                        QStringLiteral("INSERT INTO ludia VALUES(1, 'a'), (2, 'b')") }));
    SQLiteManager m(QStringLiteral("t.db"), true);
    QVector<SQLiteManager::Binding> bindings { { ":meno", QStringLiteral("c") } };
    if (uid.isValid())
        bindings.append({ ":uid", uid });
    if (!logged.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(logged));
    const SQLiteManager::Result r
        = m.exec(sql,
                 bindings,
                 plainLog ? SQLiteManager::logPlain("T: ") : SQLiteManager::logStreamed("T:"));
    QCOMPARE(r.ok, ok);
    QCOMPARE(r.rows, rows);
    QCOMPARE(r.changed(), ok && rows > 0);
    if (insertId != 0)
        QCOMPARE(r.insertId.toLongLong(), insertId);
}

void tst_SQLiteManager::keptStatementRunsAgain_data()
{
    QTest::addColumn<QString>("between"); // what happens between the two runs
    QTest::addColumn<bool>("listed"); // run by execListed(), else by execKept()

    for (const bool listed : { false, true }) {
        const char *suffix = listed ? ", listed" : "";
        QTest::addRow("nothing%s", suffix) << "nothing" << listed;
        QTest::addRow("a failed run%s", suffix) << "failed run" << listed;
        QTest::addRow("connection closed and opened%s", suffix) << "close and open" << listed;
        QTest::addRow("connection reopened alone%s", suffix) << "reopen alone" << listed;
    }
}

void tst_SQLiteManager::keptStatementRunsAgain()
{
    QFETCH(QString, between);
    QFETCH(bool, listed);
    QVERIFY(
        SqlFile::exec(QStringLiteral("t.db"),
                      { QStringLiteral("CREATE TABLE ludia (uid INTEGER PRIMARY KEY, meno TEXT)"),
                        QStringLiteral("INSERT INTO ludia VALUES(1, 'a')") }));
    SQLiteManager m(QStringLiteral("t.db"), true);
    const auto run = [&](int uid, const char *meno) {
        const QString name = QString::fromLatin1(meno);
        if (listed)
            return m.execListed(
                QByteArrayLiteral("INSERT INTO ludia (uid, meno) VALUES(?1, ?2)"),
                [&](SqliteStatement &s) {
                    s.bindInt(1, uid);
                    s.bindText(2, name);
                },
                SQLiteManager::logStreamed("T:"));
        return m.execKept(QStringLiteral("INSERT INTO ludia (uid, meno) VALUES(:uid, :meno)"),
                          { { ":uid", uid }, { ":meno", name } },
                          SQLiteManager::logStreamed("T:"));
    };

    QVERIFY(run(2, "b").changed());
    if (between == QLatin1String("failed run")) {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^T: \"UNIQUE constraint"));
        QVERIFY(!run(1, "x").ok);
    } else if (between == QLatin1String("close and open")) {
        QVERIFY(m.closeDB());
        QVERIFY(m.openDB());
    } else if (between == QLatin1String("reopen alone")) {
        QVERIFY(m.reopenAlone());
    }
    const SQLiteManager::Result second = run(3, "c");
    QVERIFY(second.changed());
    QCOMPARE(second.insertId.toInt(), 3);

    QSqlQuery q(m.database());
    QVERIFY(q.exec(QStringLiteral("SELECT group_concat(uid || meno, '') FROM ludia")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("1a2b3c"));
}

// A kept statement is reset after each run: one that still stood on a row would keep its
// read open, and VACUUM (maintenance) would fail.
void tst_SQLiteManager::keptStatementHoldsNoLock()
{
    QVERIFY(
        SqlFile::exec(QStringLiteral("t.db"),
                      { QStringLiteral("CREATE TABLE ludia (uid INTEGER PRIMARY KEY, meno TEXT)"),
                        QStringLiteral("INSERT INTO ludia VALUES(1, 'a'), (2, 'b')") }));
    SQLiteManager m(QStringLiteral("t.db"), true);
    QVERIFY(m.execKept(QStringLiteral("SELECT meno FROM ludia WHERE uid > :uid"),
                       { { ":uid", 0 } },
                       SQLiteManager::logStreamed("T:"))
                .ok);
    QVERIFY(m.exec(QStringLiteral("VACUUM"), {}, SQLiteManager::logStreamed("T:")).ok);
}

QTEST_GUILESS_MAIN(tst_SQLiteManager)
#include "tst_sqlitemanager.moc"
