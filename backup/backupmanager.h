#pragma once

#include <QObject>
#include <QString>

#include <memory>

class DataDBManager;
class LogsThread;
class PreruseniaThread;
class ZEPSettings;

// Keeps second copies of what the terminal must not lose: entrance photos (in a
// dated tree, by a worker thread), the settings file and the logs. Driven by
// the scheduler's minute tick.
class BackupManager : public QObject
{
    Q_OBJECT
    // Free space on the working folder's disk is below "backup/minFreeMB".
    Q_PROPERTY(bool lowSpace READ isLowSpace NOTIFY lowSpaceChanged)
    Q_PROPERTY(int freeSpaceMB READ freeSpaceMB NOTIFY lowSpaceChanged)
public:
    BackupManager(ZEPSettings *settings,
                  DataDBManager *db,
                  const QString &backupRoot,
                  QObject *parent = nullptr);
    ~BackupManager() override;

    uint entranceInterval() const { return mEntranceInterval; }
    PreruseniaThread *entranceWorker() const { return mEntranceWorker; }
    LogsThread *logsWorker() const { return mLogsWorker.get(); }
    bool isLowSpace() const { return mLowSpace; }
    int freeSpaceMB() const { return mFreeSpaceMB; }

signals:
    void lowSpaceChanged(bool low);
    // Asks the settings store to write its file before it is copied.
    void doSyncSett();

public slots:
    // One minute tick: checks the free space, starts an entrance pass every n-th
    // tick (at once while space is low, to make room), the logs backup every
    // "timeout/backupLogs" ticks, and copies the settings file.
    void doBackup();
    void doTerminate();
    void onSettingsChanged(const QString &key);
    void doIniBackup();
    void doLogsBackup();

private:
    void init();
    qint64 freeSpaceFloor() const;
    // Compares the free space with the floor; announces a change.
    void checkSpace();

    ZEPSettings *mSettings;
    DataDBManager *mDb;
    quint32 mTicks = 0;
    QString mBackupRoot;
    PreruseniaThread *mEntranceWorker = nullptr;
    std::unique_ptr<LogsThread> mLogsWorker;
    uint mEntranceInterval = 2;
    uint mLogsInterval = 367;
    bool mLowSpace = false;
    int mFreeSpaceMB = -1;
};
