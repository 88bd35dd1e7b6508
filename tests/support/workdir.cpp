#include "tests/support/workdir.h"

#include <QDir>

WorkDir::WorkDir()
    : mPrevious(QDir::currentPath())
{
    if (mDir.isValid())
        QDir::setCurrent(mDir.path());
}

WorkDir::~WorkDir()
{
    QDir::setCurrent(mPrevious);
}
