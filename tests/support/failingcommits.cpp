#include "tests/support/failingcommits.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace FailingCommits {

bool install(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName);
    const QStringList statements {
        QStringLiteral("PRAGMA foreign_keys = ON"),
        QStringLiteral("CREATE TABLE commit_guard_parent (id INTEGER PRIMARY KEY)"),
        QStringLiteral("CREATE TABLE commit_guard (parent INTEGER REFERENCES "
                       "commit_guard_parent(id) DEFERRABLE INITIALLY DEFERRED)"),
        QStringLiteral("CREATE TRIGGER commit_guard_person AFTER INSERT ON ludia BEGIN "
                       "INSERT INTO commit_guard VALUES (1); END"),
    };
    for (const QString &statement : statements) {
        QSqlQuery q(db);
        if (!q.exec(statement)) {
            qWarning() << "FailingCommits:" << statement << q.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace FailingCommits
