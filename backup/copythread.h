#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

// Copies the leaf folders under a source folder (optionally only below
// top-level names matching a filter) to the same relative places on a target
// folder with "cp -a", without following symbolic links. Checks free space
// first; stops between folders when cancelled, when the drive is no longer
// mounted or full. Never deletes anything.
class CopyThread : public QThread
{
    Q_OBJECT
public:
    explicit CopyThread(QObject *parent = nullptr);

    // Copies the leaf folders under root/subfolder (the root itself when
    // subfolder is empty); their places relative to root are kept on the target.
    void setSource(const QString &root, const QString &subfolder, const QString &filter);
    // Why the last job did not copy everything; empty after a complete copy.
    QString errorText() const { return mError; }

    // Collects the folders under path that have no subfolders (path's own
    // top-level names restricted to filter); false when path has no subfolder.
    bool getSubdirs(const QString &path, QStringList &out, const QString &filter, bool recursive);

signals:
    void dirListBuilded(uint count);
    void progressUpdated(int value);
    // The last signal of every job.
    void copyEnded();

public slots:
    void doCancel() { mCancel = true; }
    void setTargetPath(const QString &path) { mTargetPath = path; }

protected:
    void run() override;

private:
    // Copies the folders; sets the error when one failed or the job had to stop.
    void copyAll(const QStringList &folders, const QString &target);
    bool copyOne(const QString &folder, const QString &target);

    QString mRoot;
    QString mSource;
    QString mFilter;
    QString mTargetPath;
    QString mError;
    std::atomic<bool> mCancel { false };
};
