#pragma once

#include <QString>
#include <QThread>

// Copies the logs of the working folder ("*.log") into a folder of the backup
// tree, replacing older copies.
class LogsThread : public QThread
{
    Q_OBJECT
public:
    explicit LogsThread(QObject *parent = nullptr);

    void setTarget(const QString &folder) { mTarget = folder; }

protected:
    void run() override;

private:
    QString mTarget;
};
