#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder made the working directory for the lifetime of the
// object; the previous working directory is restored afterwards.
class DbWorkDir
{
public:
    DbWorkDir();
    ~DbWorkDir();

    bool isValid() const { return mDir.isValid(); }
    QString path() const { return mDir.path(); }
    // Runs SQL statements on a file through a connection of its own.
    static bool exec(const QString &fileName, const QStringList &statements);
    // The value of the first column of the first row of a query, or an invalid value.
    static QVariant scalar(const QString &fileName, const QString &sql);

private:
    QTemporaryDir mDir;
    QString mPrevious;
};
