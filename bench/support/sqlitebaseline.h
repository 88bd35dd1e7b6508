#pragma once

#include <QString>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A connection of the benchmarks' baselines: the SQLite C API on a file, in WAL mode with
// synchronous=FULL as the terminal's data.db, and the statements prepared on it once.
class SqliteBaseline
{
public:
    explicit SqliteBaseline(const QString &fileName);
    ~SqliteBaseline();
    SqliteBaseline(const SqliteBaseline &) = delete;
    SqliteBaseline &operator=(const SqliteBaseline &) = delete;

    // False when the file or a statement could not be opened or prepared.
    bool isValid() const { return mValid; }
    // A statement that lives as long as the connection; nullptr (and invalid) on failure.
    sqlite3_stmt *prepare(const char *sql);
    sqlite3 *handle() const { return mDb; }

    // Runs the statement with the values bound to it and resets it; true when it ran to its
    // end.
    static bool run(sqlite3_stmt *statement);

private:
    sqlite3 *mDb = nullptr;
    std::vector<sqlite3_stmt *> mStatements;
    bool mValid = false;
};
