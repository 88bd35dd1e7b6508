#pragma once

#include <QString>
#include <QThread>

#include <atomic>

class DataDBManager;
struct EntranceData;

// One backup pass: when free space is below the floor, first removes the oldest
// backup days the server no longer needs; then copies the photos of entrances
// not yet backed up into the dated tree under the backup root and marks each
// entrance once its copy exists.
class PreruseniaThread : public QThread
{
    Q_OBJECT
public:
    PreruseniaThread(DataDBManager *db, QObject *parent = nullptr);

    void setBackupRoot(const QString &root) { mBackupRoot = root; }
    void setFreeSpaceFloor(qint64 bytes) { mFreeSpaceFloor = bytes; }

public slots:
    // Stops a running pass before its next entrance.
    void doTerminate() { mTerminate = true; }

protected:
    void run() override;

private:
    // True when the entrance's photo is in the tree (or it has none).
    bool backUp(const EntranceData &entrance, const QString &root);
    // Removes the oldest days before the day of the oldest unsent entrance (and
    // before today) while space is low.
    void makeRoom(const QString &root);

    DataDBManager *mDb;
    QString mBackupRoot;
    qint64 mFreeSpaceFloor = 0;
    std::atomic<bool> mTerminate { false };
};
