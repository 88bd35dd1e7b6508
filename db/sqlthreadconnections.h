#pragma once

#include <mutex>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <memory>

// Per-thread connections of one SQLite manager: each thread that is not the
// manager's own gets a connection of its own to the same file, opened on first
// use and closed and unregistered by that thread when it ends.
class SqlThreadConnections : public std::enable_shared_from_this<SqlThreadConnections>
{
public:
    SqlThreadConnections(const QString &baseName, const QString &fileName);

    // The calling thread's connection, opened when it is new.
    QSqlDatabase forCurrentThread();
    // Names of the per-thread connections that are still registered.
    QStringList liveNames() const;

    // Options every connection is opened with: a writer waits for a lock
    // instead of failing at once.
    static QString connectOptions();
    // Set on every connection once open: a commit returns only when it is on the disk
    // (in WAL mode only synchronous=FULL syncs the log at each commit).
    static void makeCommitsDurable(QSqlDatabase &db);

private:
    friend class ThreadConnectionsCleanup;
    void forget(const QString &name);
    QSqlDatabase open();

    const QString mBaseName;
    const QString mFileName;
    mutable std::mutex mMutex;
    QSet<QString> mNames;
};
