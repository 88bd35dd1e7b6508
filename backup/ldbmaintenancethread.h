#pragma once

#include <QList>
#include <QThread>

#include <atomic>

class DataDBManager;

// One maintenance pass: deletes the entrances that are backed up (and, unless
// "maintenance/onlySyncPrerus" is off, delivered to the server) and older than
// "maintenance/minVekPrerus" hours, then their photos. Rows go first, in
// batches of one transaction each, so a crash leaves at worst an orphan photo.
class LDBMaintenanceThread : public QThread
{
    Q_OBJECT
public:
    explicit LDBMaintenanceThread(DataDBManager *db, QObject *parent = nullptr);

    // Photo files removed by the last pass.
    int removedPhotos() const { return mRemoved; }

public slots:
    // Stops a running pass after the current batch.
    void doTerminate() { mTerminate = true; }

protected:
    void run() override;

private:
    // Deletes the rows; returns the ids whose deletion was committed.
    QList<uint> deleteRows(const QList<uint> &ids);
    void removePhotos(const QList<uint> &ids);

    DataDBManager *mDb;
    std::atomic<int> mRemoved { 0 };
    std::atomic<bool> mTerminate { false };
};
