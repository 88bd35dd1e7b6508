#include "remote/tarbalthread.h"

#include "core/foundation/commandrunner.h"
#include "core/foundation/happensbefore.h"

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
    const int status = CommandRunner::instance()->run(
        QStringLiteral("tar"), QStringList { QStringLiteral("-czf"), mArchive } + mSources);
    emit finished(this, mArchive, status);
}
