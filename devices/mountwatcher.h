#pragma once

#include <QFile>
#include <QObject>

class QSocketNotifier;

// Tells when a file system is mounted or unmounted anywhere: the kernel marks
// the process's mount table as changed, so nothing is polled.
class MountWatcher : public QObject
{
    Q_OBJECT
public:
    // The mount table of the process, "/proc/self/mounts"; without it nothing is told.
    explicit MountWatcher(const QString &mountTable = QStringLiteral("/proc/self/mounts"),
                          QObject *parent = nullptr);

signals:
    void mountsChanged();

private:
    QFile mTable;
    QSocketNotifier *mNotifier = nullptr;
};
