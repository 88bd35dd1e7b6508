#pragma once

#include <QString>
#include <QThread>

// Copies the logs of the working folder ("*.log") into a day folder of the
// backup tree, replacing older copies. The backup stays bounded: each copy holds
// at most the last lines of its log that fit the size limit, and the day
// folders whose copies are older than the days kept are removed.
class LogsThread : public QThread
{
    Q_OBJECT
public:
    explicit LogsThread(QObject *parent = nullptr);

    void setTarget(const QString &folder) { mTarget = folder; }
    void setLimits(qint64 maxBytesPerLog, int daysKept);

protected:
    void run() override;

private:
    // Removes the other day folders beside the target whose copies are all older
    // than the days kept.
    void removeOldDays() const;

    QString mTarget;
    qint64 mMaxBytes = 0;
    int mDaysKept = 0;
};
