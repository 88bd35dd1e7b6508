#include "tests/support/dbworkdir.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QtDebug>

DbWorkDir::DbWorkDir()
    : mPrevious(QDir::currentPath())
{
    if (mDir.isValid())
        QDir::setCurrent(mDir.path());
}

DbWorkDir::~DbWorkDir()
{
    QDir::setCurrent(mPrevious);
}

namespace {
template<typename Fn> auto withConnection(const QString &fileName, Fn fn)
{
    const QString name = QStringLiteral("dbworkdir_raw");
    decltype(fn(std::declval<QSqlDatabase &>())) result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
        db.open();
        result = fn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}
} // namespace

bool DbWorkDir::exec(const QString &fileName, const QStringList &statements)
{
    return withConnection(fileName, [&](QSqlDatabase &db) {
        for (const QString &sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql)) {
                qWarning() << "DbWorkDir::exec:" << sql << q.lastError().text();
                return false;
            }
        }
        return true;
    });
}

QVariant DbWorkDir::scalar(const QString &fileName, const QString &sql)
{
    return withConnection(fileName, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec(sql) || !q.next())
            return QVariant();
        return q.value(0);
    });
}
