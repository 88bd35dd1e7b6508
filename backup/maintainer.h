#pragma once

#include <QObject>

#include <memory>

class DataDBManager;
class LDBMaintenanceThread;

// Keeps the attendance database and the photo folder from growing without
// bound: removes old entrances that are safe elsewhere, with their photos.
class Maintainer : public QObject
{
    Q_OBJECT
public:
    explicit Maintainer(DataDBManager *db, QObject *parent = nullptr);
    ~Maintainer() override;

    LDBMaintenanceThread *worker() const { return mWorker.get(); }

public slots:
    // Starts one pass unless one is running.
    void doMaintenance();

private:
    std::unique_ptr<LDBMaintenanceThread> mWorker;
};
