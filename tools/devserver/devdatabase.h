#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>

class QSqlQuery;

// The server's own SQLite file: schema, the global change sequence and a query helper.
// Used from the main thread only.
class DevDatabase
{
public:
    ~DevDatabase();

    bool open(const QString &fileName);
    bool isEmpty() const; // nothing was ever seeded or registered

    // Runs one statement with named bindings; false (and a logged error) on failure.
    bool exec(QSqlQuery &query, const QString &sql, const QVariantMap &bindings = {}) const;
    bool exec(const QString &sql, const QVariantMap &bindings = {}) const;

    // Every change takes the next number; a terminal's confirmation remembers the number it saw.
    qint64 nextSeq() const;
    qint64 currentSeq() const;

    bool transaction() { return mDb.transaction(); }
    bool commit() { return mDb.commit(); }
    void rollback() { mDb.rollback(); }

    QSqlDatabase &handle() { return mDb; }

private:
    bool createSchema();

    QSqlDatabase mDb;
    QString mConnectionName;
};
