#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// SQL on a database file through a connection of its own, beside the program's.
namespace SqlFile {
// Runs the statements in order; false at the first that fails.
bool exec(const QString &fileName, const QStringList &statements);
// The value of the first column of the first row of a query, or an invalid value.
QVariant scalar(const QString &fileName, const QString &sql);
// Every row of a query, each as its column values; empty when the query fails.
QList<QVariantList> rows(const QString &fileName, const QString &sql);
} // namespace SqlFile
