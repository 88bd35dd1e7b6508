#include "remote/tarbalthread.h"

#include "foundation/commandrunner.h"
#include "foundation/happensbefore.h"

#include <QDebug>

TarbalThread::TarbalThread(const QStringList &sources, const QString &archive, QObject *parent)
    : QThread(parent)
    , mSources(sources)
    , mArchive(archive)
{
    HappensBefore::releaseWhenFinished(this);
}

void TarbalThread::run()
{
    qDebug("TarbalThread::run()");
    // "--": a name that starts with "-" is a name, not an option. Large logs take their
    // time: only a tar that hangs is stopped.
    const int status = CommandRunner::instance()->run(
        QStringLiteral("tar"),
        QStringList { QStringLiteral("-czf"), mArchive, QStringLiteral("--") } + mSources,
        timeoutMs);
    emit finished(this, mArchive, status);
}
