#include "db/sqlitestatement.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {
// The SQLite connection behind the Qt driver; nullptr when it is not open.
sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}
} // namespace

SqliteStatement::SqliteStatement(const QSqlDatabase &db, const QByteArray &sql)
    : mDb(handleOf(db))
{
    if (!mDb) {
        mError = QStringLiteral("database not open");
        return;
    }
    if (sqlite3_prepare_v2(mDb, sql.constData(), sql.size(), &mStatement, nullptr) != SQLITE_OK) {
        noteError();
        sqlite3_finalize(mStatement);
        mStatement = nullptr;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(mStatement);
}

QString SqliteStatement::errorText() const
{
    return mError;
}

void SqliteStatement::noteError()
{
    mError = QString::fromUtf8(sqlite3_errmsg(mDb));
}

void SqliteStatement::bindInt(int position, qint64 value)
{
    sqlite3_bind_int64(mStatement, position, value);
}

void SqliteStatement::bindReal(int position, double value)
{
    sqlite3_bind_double(mStatement, position, value);
}

void SqliteStatement::bindText(int position, const QString &text)
{
    // A null QString is stored as NULL, as the Qt driver stores it.
    if (text.isNull())
        sqlite3_bind_null(mStatement, position);
    else
        sqlite3_bind_text16(
            mStatement, position, text.utf16(), text.size() * int(sizeof(QChar)), SQLITE_STATIC);
}

bool SqliteStatement::run()
{
    if (!mStatement)
        return false;
    const int result = sqlite3_step(mStatement);
    if (result != SQLITE_DONE)
        noteError();
    // Reset at once: a statement left active would hold its lock until its next run.
    sqlite3_reset(mStatement);
    sqlite3_clear_bindings(mStatement);
    return result == SQLITE_DONE;
}

bool SqliteStatement::next()
{
    if (!mStatement) {
        mFailed = true;
        return false;
    }
    const int result = sqlite3_step(mStatement);
    mFailed = result != SQLITE_ROW && result != SQLITE_DONE;
    if (mFailed)
        noteError();
    return result == SQLITE_ROW;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(mStatement, column);
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(mStatement, column);
}

QString SqliteStatement::text(int column) const
{
    // As SQLite keeps it: a UTF-16 text would be converted in SQLite first.
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(mStatement, column));
    if (!data)
        return QString();
    return QString::fromUtf8(data, sqlite3_column_bytes(mStatement, column));
}

int SqliteStatement::changes() const
{
    return sqlite3_changes(mDb);
}

qint64 SqliteStatement::lastInsertId() const
{
    return sqlite3_last_insert_rowid(mDb);
}
