#include "db/transactionguard.h"

#include <QSqlError>
#include <QSqlQuery>

TransactionGuard::TransactionGuard(QSqlDatabase db, bool immediate)
    : mDb(db)
{
    QSqlQuery q(mDb);
    mActive = q.exec(immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    if (!mActive)
        mError = q.lastError().text();
}

TransactionGuard::~TransactionGuard()
{
    if (mActive)
        rollback();
}

bool TransactionGuard::commit()
{
    if (!mActive)
        return false;
    QSqlQuery q(mDb);
    if (q.exec(QStringLiteral("COMMIT"))) {
        mActive = false;
        return true;
    }
    mError = q.lastError().text();
    rollback();
    return false;
}

void TransactionGuard::rollback()
{
    mActive = false;
    QSqlQuery(mDb).exec(QStringLiteral("ROLLBACK"));
}
