#include "support/sqlitebaseline.h"

#include <QFile>

#include <sqlite3.h>

SqliteBaseline::SqliteBaseline(const QString &fileName)
{
    mValid = sqlite3_open(QFile::encodeName(fileName).constData(), &mDb) == SQLITE_OK
        && sqlite3_exec(mDb, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(mDb, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteBaseline::~SqliteBaseline()
{
    for (sqlite3_stmt *statement : mStatements)
        sqlite3_finalize(statement);
    sqlite3_close(mDb);
}

sqlite3_stmt *SqliteBaseline::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(mDb, sql, -1, &statement, nullptr) != SQLITE_OK) {
        mValid = false;
        return nullptr;
    }
    mStatements.push_back(statement);
    return statement;
}

bool SqliteBaseline::run(sqlite3_stmt *statement)
{
    const int result = sqlite3_step(statement);
    sqlite3_reset(statement);
    return result == SQLITE_DONE;
}
