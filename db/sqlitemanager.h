#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <mutex>

class SqlThreadConnections;
class SqliteStatement;
class QThread;

// Owns one named connection to one SQLite file and offers the schema probes of
// the migration code. Threads other than the creating one get connections of
// their own to the same file (a Qt SQL connection must stay on its thread).
class SQLiteManager : public QObject
{
    Q_OBJECT

public:
    SQLiteManager(const QString &dbFileName, bool openAtOnce, QObject *parent = nullptr);
    ~SQLiteManager() override;

    bool openDB();
    bool closeDB();
    bool isOpen() const;
    // Opens the creating thread's connection when it is closed (a start on a full disk leaves
    // it so); false when it stays closed. Other threads' connections open at their first use.
    bool ensureOpen();
    // Closes and opens the creating thread's connection, which then reads the file and its
    // write-ahead log as a new start would. False when it cannot be opened again, or when
    // other threads' connections are open: those keep the log's index as it was.
    bool reopenAlone();

    bool checkTable(const QString &tableName);
    bool checkColumn(const QString &tableName, const QString &columnName);
    // The schema version the file was marked with ("PRAGMA user_version"): a file at the
    // version of the program has every migration step, so its probes can be skipped. 0 for
    // a file never marked or that cannot be read.
    int schemaVersion();
    bool setSchemaVersion(int version);

    QString connectionName() const { return mConnectionName; }
    QString fileName() const { return mDbFileName; }

    // Number of live objects of this class.
    static uint instanceCount();

    // Holds the calling thread's writes in one transaction until commitTransaction(): a long
    // list then costs one synchronous commit instead of one per row. The managers' own
    // commits wait for it meanwhile. A failed commit rolls the held writes back and reports
    // false.
    bool beginTransaction();
    bool commitTransaction();

    // For the stores that work over this connection.

    // One value bound to a placeholder of a statement.
    struct Binding
    {
        const char *placeholder;
        QVariant value;
    };
    // What a statement run by exec() did.
    struct Result
    {
        bool ok = false;
        int rows = 0; // rows changed
        QVariant insertId; // id of the inserted row, when the driver gives one
        bool changed() const { return ok && rows > 0; }
    };
    // Logs the driver's error text of a failing statement; each operation keeps its own text.
    using FailureLog = std::function<void(const QString &error)>;
    // The driver's error text of q in the local 8-bit encoding.
    static QByteArray errorText(const QSqlQuery &q);
    // qCritical() << prefix << error; no prefix: the error alone.
    static FailureLog logStreamed(const char *prefix = nullptr);
    // The prefix and the error in the local 8-bit encoding as one plain line.
    static FailureLog logPlain(const QByteArray &prefix);

    // Prepares, binds and runs one statement on the calling thread's connection; a failure
    // is logged by logFailure.
    Result exec(const QString &sql, const QVector<Binding> &bindings, const FailureLog &logFailure);
    // As exec(), for a statement of fixed text that runs again and again (a row of a list, an
    // entrance): on the creating thread it is prepared once and kept until the connection
    // closes. Values go only through bindings, never into the text.
    Result
    execKept(const QString &sql, const QVector<Binding> &bindings, const FailureLog &logFailure);

    // As execKept(), for the statements run once per row of a long list: through the SQLite
    // C API, with the values bound by position by bind (no variants, no placeholder names).
    Result execListed(const QByteArray &sql,
                      const std::function<void(SqliteStatement &)> &bind,
                      const FailureLog &logFailure);

    // The connection of the calling thread; created on first use in a thread
    // other than the creating one and removed when that thread ends.
    QSqlDatabase database() const;
    // Commits the calling thread's writes, unless beginTransaction() holds them.
    void commitWrites();

    // While alive, commits and releases the transaction the calling thread holds, so that the
    // writes made meanwhile reach the disk at once; the thread holds a new one afterwards.
    class ImmediateWrites
    {
    public:
        explicit ImmediateWrites(SQLiteManager *manager);
        ~ImmediateWrites();
        ImmediateWrites(const ImmediateWrites &) = delete;
        ImmediateWrites &operator=(const ImmediateWrites &) = delete;

    private:
        SQLiteManager *mManager;
        bool mWasHeld;
    };

private:
    // Binds the values to the prepared q and runs it.
    static Result run(QSqlQuery &q, const QVector<Binding> &bindings, const FailureLog &logFailure);
    void closeConnection();

    QSqlDatabase mDatabase;
    QHash<QString, QSqlQuery> mKeptStatements; // of mDatabase, on the creating thread
    QHash<QByteArray, std::shared_ptr<SqliteStatement>> mKeptListed; // likewise
    QString mDbFileName;
    QString mConnectionName;
    QThread *mOwnerThread;
    std::shared_ptr<SqlThreadConnections> mThreadConnections;
    // Threads whose writes beginTransaction() holds (not QThreadStorage: its slots outlive
    // short-lived managers and are reused by others).
    bool holdsTransaction() const;
    void setHoldsTransaction(bool holds);
    mutable std::mutex mHeldMutex;
    QSet<QThread *> mHeldThreads;
};
