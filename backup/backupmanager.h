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
public:
    BackupManager(ZEPSettings *settings,
                  DataDBManager *db,
                  const QString &backupRoot,
                  QObject *parent = nullptr);
    ~BackupManager() override;

    uint entranceInterval() const { return mEntranceInterval; }
    PreruseniaThread *entranceWorker() const { return mEntranceWorker; }
    LogsThread *logsWorker() const { return mLogsWorker.get(); }

signals:
    // Asks the settings store to write its file before it is copied.
    void doSyncSett();

public slots:
    // One minute tick: starts an entrance pass every n-th tick, the logs
    // backup every "timeout/backupLogs" ticks, and copies the settings file.
    void doBackup();
    void doTerminate();
    void onSettingsChanged(const QString &key);
    void doIniBackup();
    void doLogsBackup();

private:
    void init();

    ZEPSettings *mSettings;
    DataDBManager *mDb;
    quint32 mTicks = 0;
    QString mBackupRoot;
    PreruseniaThread *mEntranceWorker = nullptr;
    std::unique_ptr<LogsThread> mLogsWorker;
    uint mEntranceInterval = 2;
    uint mLogsInterval = 367;
};
