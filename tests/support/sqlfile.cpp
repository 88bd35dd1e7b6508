#include "tests/support/sqlfile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

namespace {
template<typename Fn> auto withConnection(const QString &fileName, Fn fn)
{
    const QString name = QStringLiteral("sqlfile_raw");
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

namespace SqlFile {

bool exec(const QString &fileName, const QStringList &statements)
{
    return withConnection(fileName, [&](QSqlDatabase &db) {
        for (const QString &sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql)) {
                qWarning() << "SqlFile::exec:" << sql << q.lastError().text();
                return false;
            }
        }
        return true;
    });
}

QVariant scalar(const QString &fileName, const QString &sql)
{
    return withConnection(fileName, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec(sql) || !q.next())
            return QVariant();
        return q.value(0);
    });
}

QList<QVariantList> rows(const QString &fileName, const QString &sql)
{
    return withConnection(fileName, [&](QSqlDatabase &db) {
        QList<QVariantList> result;
        QSqlQuery q(db);
        if (!q.exec(sql))
            return result;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            result << row;
        }
        return result;
    });
}

} // namespace SqlFile
