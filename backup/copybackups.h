#pragma once

#include <QObject>
#include <QString>

class CopyThread;
class QSettings;

// Copies the photo backup tree or the log backups onto the removable drive in a
// worker thread, one job at a time, and publishes the progress for the UI.
class CopyBackups : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(int progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(int progressMaximum READ progressMaximum NOTIFY progressChanged)
    Q_PROPERTY(QString labelText READ labelText NOTIFY progressChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY busyChanged)
    Q_PROPERTY(bool showProgress READ showProgress WRITE setShowProgress NOTIFY showProgressChanged)
public:
    enum Mode { None = 0, Entrances = 1, Logs = 2 };

    // Source and drive as RemovableDrive chooses them from the settings.
    explicit CopyBackups(QSettings &settings, QObject *parent = nullptr);
    ~CopyBackups() override;

    QString backupPath() const { return mBackupPath; }
    QString targetPath() const { return mTargetPath; }
    bool showProgress() const { return mShowProgress; }
    bool isBusy() const { return mBusy; }
    int progress() const { return mProgress; }
    int progressMaximum() const { return mProgressMaximum; }
    QString labelText() const { return mLabelText; }
    // Why the last job did not copy everything; empty after a complete copy.
    QString errorText() const { return mErrorText; }
    CopyThread *worker() const { return mWorker; }

    // A job can start: none is running and the drive is mounted and writable.
    Q_INVOKABLE bool isDriveAvailable() const;
    bool isDriveWritable() const;

signals:
    void copyEntrancesFinished();
    void copyLogsFinished();
    void busyChanged(bool busy);
    void progressChanged();
    void showProgressChanged(bool show);

public slots:
    void setBackupPath(const QString &path) { mBackupPath = path; }
    void setTargetPath(const QString &path) { mTargetPath = path; }
    void setShowProgress(bool show);
    void doCopyEntrances();
    void doCopyLogs();
    void doCopy();
    void doCancel();
    void copyFinished();
    void slotDirListBuilded(uint count);

private:
    void startJob(Mode mode, const QString &subfolder, const QString &filter);
    void setProgress(int value, int maximum, const QString &label);

    QString mBackupPath;
    QString mTargetPath;
    bool mShowProgress = true;
    bool mBusy = false;
    Mode mMode = None;
    int mProgress = 0;
    int mProgressMaximum = 0;
    QString mLabelText;
    QString mErrorText;
    CopyThread *mWorker;
};
