#include "backup/logsthread.h"

#include "backup/backupfiles.h"
#include "foundation/clock.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDirIterator>

namespace {

QDateTime newestFileIn(const QString &folder)
{
    QDateTime newest;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        newest = qMax(newest, it.fileInfo().lastModified());
    }
    return newest;
}

} // namespace

LogsThread::LogsThread(QObject *parent)
    : QThread(parent)
{
    HappensBefore::releaseWhenFinished(this);
}

void LogsThread::setLimits(qint64 maxBytesPerLog, int daysKept)
{
    mMaxBytes = maxBytesPerLog;
    mDaysKept = daysKept;
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
        if (!BackupFiles::copyReplacing(
                logs.filePath(name), mTarget + QLatin1Char('/') + name, mMaxBytes))
            qWarning() << "LogsThread: zaloha" << name << "zlyhala!";
    }
    removeOldDays();
}

void LogsThread::removeOldDays() const
{
    const QDir days(QFileInfo(mTarget).path());
    const QString current = QFileInfo(mTarget).fileName();
    const QDateTime oldestKept = Clock::instance()->now().addDays(-mDaysKept);
    const QStringList names
        = days.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QString &name : names) {
        const QString folder = days.filePath(name);
        if (name == current || newestFileIn(folder) >= oldestKept)
            continue;
        qWarning() << "LogsThread: mazem stare zalohy logov" << folder;
        if (!QDir(folder).removeRecursively())
            qWarning() << "LogsThread: zalohy logov" << folder << "sa nepodarilo zmazat!";
    }
}
