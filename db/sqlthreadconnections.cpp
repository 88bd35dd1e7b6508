#include "db/sqlthreadconnections.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadStorage>
#include <QtDebug>

#include <vector>

namespace {
QAtomicInteger<quint64> connectionSerial;

struct ThreadConnection
{
    std::weak_ptr<SqlThreadConnections> owner; // expires with the manager
    QString name;
    QSqlDatabase db;
};
} // namespace

// Lives in thread storage: its destructor runs on the ending thread, before
// QThread::wait() returns, and removes that thread's connections.
class ThreadConnectionsCleanup
{
public:
    ~ThreadConnectionsCleanup()
    {
        for (auto &c : connections) {
            c.db.close();
            c.db = QSqlDatabase();
            QSqlDatabase::removeDatabase(c.name);
            if (auto owner = c.owner.lock())
                owner->forget(c.name);
        }
    }
    std::vector<ThreadConnection> connections;
};

namespace {
QThreadStorage<ThreadConnectionsCleanup *> threadStorage;

ThreadConnectionsCleanup &threadConnections()
{
    if (!threadStorage.hasLocalData())
        threadStorage.setLocalData(new ThreadConnectionsCleanup);
    return *threadStorage.localData();
}
} // namespace

SqlThreadConnections::SqlThreadConnections(const QString &baseName, const QString &fileName)
    : mBaseName(baseName)
    , mFileName(fileName)
{
}

QSqlDatabase SqlThreadConnections::forCurrentThread()
{
    for (const auto &c : threadConnections().connections) {
        if (c.owner.lock().get() == this)
            return c.db;
    }
    return open();
}

QSqlDatabase SqlThreadConnections::open()
{
    const QString name
        = QStringLiteral("%1_thread_%2").arg(mBaseName).arg(connectionSerial.fetchAndAddOrdered(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(mFileName);
    db.setConnectOptions(connectOptions());
    if (!db.open())
        qCritical() << "DB Error:" << db.lastError().text();
    else
        makeCommitsDurable(db);
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mNames.insert(name);
    }
    threadConnections().connections.push_back({ weak_from_this(), name, db });
    return db;
}

QStringList SqlThreadConnections::liveNames() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mNames.values();
}

QString SqlThreadConnections::connectOptions()
{
    return QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000");
}

void SqlThreadConnections::makeCommitsDurable(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        qCritical() << "DB Error: synchronous:" << q.lastError().text();
}

void SqlThreadConnections::forget(const QString &name)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mNames.remove(name);
}
