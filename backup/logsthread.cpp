#include "backup/logsthread.h"

#include "backup/backupfiles.h"
#include "core/foundation/globals.h"
#include "core/foundation/happensbefore.h"

#include <QDebug>
#include <QDir>

LogsThread::LogsThread(QObject *parent)
    : QThread(parent)
{
    HappensBefore::releaseWhenFinished(this);
}

void LogsThread::run()
{
    if (Zep::debugLevel >= 1)
        qDebug("LogsThread::run()");
    if (!QDir().mkpath(mTarget)) {
        qWarning() << "LogsThread: Make path" << mTarget << "FAILED!";
        return;
    }
    const QDir logs(ZepFiles::debugLogDir);
    const QStringList names
        = logs.entryList({ QStringLiteral("*.log") }, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        if (!BackupFiles::refresh(logs.filePath(name), mTarget + QLatin1Char('/') + name))
            qWarning() << "LogsThread: zaloha" << name << "zlyhala!";
    }
}
