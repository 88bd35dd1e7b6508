#pragma once

#include <QByteArray>
#include <QString>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// A statement run through the SQLite C API on the connection of an open QSqlDatabase, for
// statements that run once per row of a long list: values are bound by position and columns
// read without variants. It shares the connection's transaction.
class SqliteStatement
{
public:
    SqliteStatement(const QSqlDatabase &db, const QByteArray &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // False when the connection is not open or the text could not be prepared.
    bool isValid() const { return mStatement != nullptr; }
    // Why the statement could not be prepared or its last step failed.
    QString errorText() const;

    // Positions count from 1. A text is bound without a copy: it must live until the
    // statement has run; a null text is bound as NULL.
    void bindInt(int position, qint64 value);
    void bindReal(int position, double value);
    void bindText(int position, const QString &text);

    // Runs a statement that returns no rows and resets it for its next run; true when it ran
    // to its end.
    bool run();
    // Steps to the next row of a query; false at the end, or on failure (then failed(), also
    // for a statement that could not be prepared).
    bool next();
    bool failed() const { return mFailed; }

    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;

    // What the last run did on the connection.
    int changes() const;
    qint64 lastInsertId() const;

private:
    void noteError();

    sqlite3 *mDb = nullptr;
    sqlite3_stmt *mStatement = nullptr;
    QString mError;
    bool mFailed = false;
};
