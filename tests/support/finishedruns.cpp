#include "tests/support/finishedruns.h"

#include <QThread>
#include <QtTest>

FinishedRuns::FinishedRuns(QThread *thread)
    // Called in the finishing thread, after everything the run did.
    : mConnection(QObject::connect(thread, &QThread::finished, [this] { ++mCount; }))
{
}

FinishedRuns::~FinishedRuns()
{
    QObject::disconnect(mConnection);
}

bool FinishedRuns::wait(int timeoutMs)
{
    const int target = count() + 1;
    return QTest::qWaitFor([&] { return count() >= target; }, timeoutMs);
}
