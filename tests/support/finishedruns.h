#pragma once

#include <QMetaObject>

#include <atomic>

class QThread;

// Counts the ends of a thread's runs, where a QSignalSpy on QThread::finished would record in
// the finishing thread while the test reads it. The count may be read at any time; once it has
// gone up, the test sees what the counted runs did.
class FinishedRuns
{
public:
    explicit FinishedRuns(QThread *thread);
    ~FinishedRuns();

    int count() const { return mCount.load(); }
    // Processes events until one more run has ended; false when none did within timeoutMs.
    bool wait(int timeoutMs = 5000);

private:
    std::atomic<int> mCount { 0 };
    QMetaObject::Connection mConnection;
};
