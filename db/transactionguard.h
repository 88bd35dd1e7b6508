#pragma once

#include <QSqlDatabase>

// One transaction of its own on a connection: begun by the constructor, rolled back by the
// destructor unless commit() succeeded. It never joins a transaction that is already open.
class TransactionGuard
{
public:
    // immediate: take the write lock at once ("BEGIN IMMEDIATE").
    explicit TransactionGuard(QSqlDatabase db, bool immediate = false);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard &) = delete;
    TransactionGuard &operator=(const TransactionGuard &) = delete;

    // False when the transaction could not be begun; the writes must not be made then.
    bool isActive() const { return mActive; }
    QString errorText() const { return mError; }
    // False when there was no transaction or the commit failed (the writes are rolled back).
    bool commit();
    // Drops the writes made so far.
    void rollback();

private:
    QSqlDatabase mDb;
    bool mActive = false;
    QString mError;
};
