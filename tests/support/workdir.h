#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder made the working directory for the lifetime of the
// object (the program works with relative paths); the previous working
// directory is restored afterwards.
class WorkDir
{
public:
    WorkDir();
    ~WorkDir();

    bool isValid() const { return mDir.isValid(); }
    QString path() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
    QString mPrevious;
};
