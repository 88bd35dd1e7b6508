#include "db/sqlitemanager.h"

#include "foundation/globals.h"
#include "db/dbmetatypes.h"
#include "db/sqlitestatement.h"
#include "db/sqlthreadconnections.h"

#include <mutex>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <QtDebug>

namespace {
const int maxKeptStatements = 64;
std::mutex registryMutex;
uint liveInstances = 0;
QSet<QString> liveNames; // connection names of live managers

QString uniqueConnectionName(uint counter)
{
    const QString base = QStringLiteral("SQLiteManager_connection_%1").arg(counter);
    QString name = base;
    // Objects destroyed out of creation order would otherwise repeat a live name.
    for (int k = 2; liveNames.contains(name); ++k)
        name = QStringLiteral("%1_%2").arg(base).arg(k);
    liveNames.insert(name);
    return name;
}
} // namespace

SQLiteManager::SQLiteManager(const QString &dbFileName, bool openAtOnce, QObject *parent)
    : QObject(parent)
    , mDbFileName(dbFileName)
    , mOwnerThread(QThread::currentThread())
{
    uint counter;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        counter = ++liveInstances;
        mConnectionName = uniqueConnectionName(counter);
    }
    DbMetaTypes::registerAll();
    if (Zep::debugLevel >= 1)
        qDebug() << "Construct SQLiteManager(" << dbFileName << ")";
    if (Zep::debugLevel >= 2)
        qDebug() << "mConnectionName = " << mConnectionName;

    mDatabase = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnectionName);
    mDatabase.setDatabaseName(dbFileName);
    mDatabase.setConnectOptions(SqlThreadConnections::connectOptions());
    mThreadConnections = std::make_shared<SqlThreadConnections>(mConnectionName, dbFileName);

    if (openAtOnce) {
        openDB();
        if (!mDatabase.isOpen())
            qCritical() << "Cannot open database file: " << dbFileName;
    }
}

SQLiteManager::~SQLiteManager()
{
    if (mDatabase.isOpen())
        closeDB();
    if (Zep::debugLevel >= 2)
        qDebug() << "Destruct SQLiteManager";
    mDatabase = QSqlDatabase();
    QSqlDatabase::removeDatabase(mConnectionName);
    std::lock_guard<std::mutex> lock(registryMutex);
    --liveInstances;
    liveNames.remove(mConnectionName);
}

uint SQLiteManager::instanceCount()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    return liveInstances;
}

QSqlDatabase SQLiteManager::database() const
{
    if (QThread::currentThread() == mOwnerThread)
        return mDatabase;
    return mThreadConnections->forCurrentThread();
}

SQLiteManager::FailureLog SQLiteManager::logStreamed(const char *prefix)
{
    return [prefix](const QString &error) {
        if (prefix)
            qCritical() << prefix << error;
        else
            qCritical() << error;
    };
}

QByteArray SQLiteManager::errorText(const QSqlQuery &q)
{
    return q.lastError().text().toLocal8Bit();
}

SQLiteManager::FailureLog SQLiteManager::logPlain(const QByteArray &prefix)
{
    return [prefix](const QString &error) {
        qCritical("%s%s", prefix.constData(), error.toLocal8Bit().constData());
    };
}

SQLiteManager::Result SQLiteManager::exec(const QString &sql,
                                          const QVector<Binding> &bindings,
                                          const FailureLog &logFailure)
{
    QSqlQuery q(database());
    if (!q.prepare(sql)) {
        logFailure(q.lastError().text());
        return {};
    }
    return run(q, bindings, logFailure);
}

SQLiteManager::Result SQLiteManager::execKept(const QString &sql,
                                              const QVector<Binding> &bindings,
                                              const FailureLog &logFailure)
{
    if (QThread::currentThread() != mOwnerThread)
        return exec(sql, bindings, logFailure);
    auto kept = mKeptStatements.find(sql);
    if (kept == mKeptStatements.end()) {
        // Texts made from a choice of columns are few, but not bounded by the code alone.
        if (mKeptStatements.size() >= maxKeptStatements)
            mKeptStatements.clear();
        QSqlQuery q(mDatabase);
        if (!q.prepare(sql)) {
            logFailure(q.lastError().text());
            return {};
        }
        kept = mKeptStatements.insert(sql, q);
    }
    const Result result = run(*kept, bindings, logFailure);
    // Reset, so that the kept statement holds no lock until its next run.
    kept->finish();
    return result;
}

SQLiteManager::Result SQLiteManager::execListed(const QByteArray &sql,
                                                const std::function<void(SqliteStatement &)> &bind,
                                                const FailureLog &logFailure)
{
    std::shared_ptr<SqliteStatement> statement;
    if (QThread::currentThread() == mOwnerThread)
        statement = mKeptListed.value(sql);
    if (!statement) {
        statement = std::make_shared<SqliteStatement>(database(), sql);
        if (!statement->isValid()) {
            logFailure(statement->errorText());
            return {};
        }
        if (QThread::currentThread() == mOwnerThread) {
            if (mKeptListed.size() >= maxKeptStatements)
                mKeptListed.clear();
            mKeptListed.insert(sql, statement);
        }
    }
    bind(*statement);
    Result result;
    if (!statement->run()) {
        logFailure(statement->errorText());
        return result;
    }
    result.ok = true;
    result.rows = statement->changes();
    // As the Qt driver reports it: no id when nothing was inserted.
    if (const qint64 id = statement->lastInsertId())
        result.insertId = id;
    return result;
}

SQLiteManager::Result
SQLiteManager::run(QSqlQuery &q, const QVector<Binding> &bindings, const FailureLog &logFailure)
{
    Result result;
    for (const Binding &b : bindings)
        q.bindValue(QLatin1String(b.placeholder), b.value);
    if (!q.exec()) {
        logFailure(q.lastError().text());
        return result;
    }
    result.ok = true;
    result.rows = q.numRowsAffected();
    result.insertId = q.lastInsertId();
    return result;
}

bool SQLiteManager::beginTransaction()
{
    ensureOpen();
    if (holdsTransaction() || !database().transaction())
        return false;
    setHoldsTransaction(true);
    return true;
}

bool SQLiteManager::commitTransaction()
{
    if (!holdsTransaction())
        return false;
    setHoldsTransaction(false);
    QSqlDatabase db = database();
    if (db.commit())
        return true;
    // A failed COMMIT can leave the transaction open; later writes of this thread would
    // join it and be lost with it.
    qCritical() << "SQLiteManager::commitTransaction() - FAILURE:" << db.lastError().text();
    db.rollback();
    return false;
}

SQLiteManager::ImmediateWrites::ImmediateWrites(SQLiteManager *manager)
    : mManager(manager)
    , mWasHeld(manager->holdsTransaction())
{
    // When the held writes cannot be committed they are rolled back and no new transaction is
    // held: the holder's own commit then reports the failure.
    if (mWasHeld)
        mWasHeld = mManager->commitTransaction();
}

SQLiteManager::ImmediateWrites::~ImmediateWrites()
{
    if (mWasHeld)
        mManager->beginTransaction();
}

void SQLiteManager::commitWrites()
{
    if (!holdsTransaction())
        database().commit();
}

bool SQLiteManager::holdsTransaction() const
{
    std::lock_guard<std::mutex> lock(mHeldMutex);
    return mHeldThreads.contains(QThread::currentThread());
}

void SQLiteManager::setHoldsTransaction(bool holds)
{
    std::lock_guard<std::mutex> lock(mHeldMutex);
    if (holds)
        mHeldThreads.insert(QThread::currentThread());
    else
        mHeldThreads.remove(QThread::currentThread());
}

bool SQLiteManager::openDB()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "SQLiteManager::openDB()";
    if (mDatabase.isOpen()) {
        qCritical() << "Cannot open DB - DB is opened!";
        return false;
    }
    const bool opened = mDatabase.open();
    if (opened && !mDatabase.isOpenError()) {
        SqlThreadConnections::makeCommitsDurable(mDatabase);
        return true;
    }
    qCritical() << "DB Error:" << mDatabase.lastError().text();
    return opened;
}

bool SQLiteManager::closeDB()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "SQLiteManager::closeDB()";
    if (mDatabase.isOpen()) {
        mDatabase.commit();
        closeConnection();
        return true;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "Cannot close DB - DB is not opened!";
    return false;
}

bool SQLiteManager::reopenAlone()
{
    if (!mThreadConnections->liveNames().isEmpty())
        return false;
    if (mDatabase.isOpen())
        closeConnection();
    return openDB();
}

void SQLiteManager::closeConnection()
{
    // The connection closes only when no statement of it is left.
    mKeptListed.clear();
    mKeptStatements.clear();
    mDatabase.close();
}

bool SQLiteManager::ensureOpen()
{
    if (QThread::currentThread() != mOwnerThread || mDatabase.isOpen())
        return true;
    openDB();
    return mDatabase.isOpen();
}

bool SQLiteManager::isOpen() const
{
    return mDatabase.isOpen();
}

bool SQLiteManager::checkTable(const QString &tableName)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "SQLiteManager::checkTable(" << tableName << ")";
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT * FROM sqlite_master WHERE type = :type AND name = :name"));
    q.bindValue(QStringLiteral(":type"), QStringLiteral("table"));
    q.bindValue(QStringLiteral(":name"), tableName);
    const bool isExec = q.exec();
    int rowCount = 0;
    if (isExec) {
        while (q.next()) {
            if (q.value(1).toString() == tableName)
                ++rowCount;
        }
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "isExec = " << isExec << " rowCount = " << rowCount;
    if (isExec && rowCount > 0)
        return true;
    qCritical() << q.lastError().text();
    qCritical() << "Table " << tableName << " does not exists";
    return false;
}

int SQLiteManager::schemaVersion()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool SQLiteManager::setSchemaVersion(int version)
{
    QSqlQuery q(database());
    if (q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)))
        return true;
    qCritical() << "SQLiteManager::setSchemaVersion():" << q.lastError().text();
    return false;
}

bool SQLiteManager::checkColumn(const QString &tableName, const QString &columnName)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "SQLiteManager::checkColumn(" << tableName << columnName << ")";
    QSqlQuery q(database());
    QString quoted = tableName;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    const bool isExec = q.exec(QStringLiteral("PRAGMA table_info( \"%1\")").arg(quoted));
    bool found = false;
    while (isExec && !found && q.next())
        found = q.value(1).toString() == columnName;
    if (Zep::debugLevel >= 2)
        qDebug() << "isExec = " << isExec << " rowCount = " << (found ? 1 : 0);
    if (found)
        return true;
    qCritical() << q.lastError().text();
    qCritical() << "Column" << columnName << " in table " << tableName << " does not exists";
    return false;
}
