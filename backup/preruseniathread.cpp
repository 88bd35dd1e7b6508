#include "backup/preruseniathread.h"

#include "backup/backupfiles.h"
#include "backup/backuptree.h"
#include "backup/spacekeeper.h"
#include "foundation/clock.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "db/datadbmanager.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

// Copies the photo. A file already under the target name counts as the copy only
// when it holds the same bytes; anything else there is replaced.
bool copyPhoto(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target) && BackupFiles::sameContent(source, target))
        return true;
    if (BackupFiles::copyReplacing(source, target))
        return true;
    if (QFileInfo::exists(source))
        return false;
    qWarning("File '%s' does not exist!", qUtf8Printable(source));
    return true;
}

} // namespace

PreruseniaThread::PreruseniaThread(DataDBManager *db, QObject *parent)
    : QThread(parent)
    , mDb(db)
{
    HappensBefore::releaseWhenFinished(this);
}

void PreruseniaThread::run()
{
    if (Zep::debugLevel >= 1)
        qDebug("PreruseniaThread::run()");
    mTerminate = false;
    const QString root = QDir(mBackupRoot).absolutePath();
    makeRoom(root);
    QList<EntranceData> entrances;
    if (!mDb->nacitajPrerusenia(entrances, false, true))
        return;
    for (const EntranceData &entrance : qAsConst(entrances)) {
        if (mTerminate) {
            if (Zep::debugLevel >= 1)
                qDebug("PreruseniaThread::run() - breaking foreach (doTerminate)");
            return;
        }
        if (!backUp(entrance, root))
            qWarning() << "Prerusenie " << entrance.id << " sa nepodarilo zalohovat!";
        else if (!mDb->setPrerusBackup(entrance.id, 1))
            qWarning() << "PreruseniaThread: prerusenie" << entrance.id
                       << "nebolo oznacene ako zalohovane!";
    }
}

void PreruseniaThread::makeRoom(const QString &root)
{
    const SpaceKeeper space(root, mFreeSpaceFloor);
    uint oldestUnsent = 0;
    // Unsure what the server has: nothing is removed.
    if (!space.isLow() || !mDb->oldestUnsentTime(&oldestUnsent))
        return;
    QDate firstKept = Clock::instance()->today();
    if (oldestUnsent != 0)
        firstKept = qMin(firstKept, QDateTime::fromSecsSinceEpoch(oldestUnsent).date());
    space.makeRoom(firstKept);
}

bool PreruseniaThread::backUp(const EntranceData &entrance, const QString &root)
{
    const QString folder = BackupTree::dayFolder(root, entrance);
    if (!QDir().mkpath(folder))
        qWarning() << "Make path" << folder << "FAILED!";
    const QString source = QDir::toNativeSeparators(EntrancePhoto::path(entrance.id));
    // An entrance without a photo has nothing to back up.
    if (!QFileInfo(source).isFile()) {
        qWarning() << source << "is NOT VALID file!";
        return true;
    }
    const QString target = folder + QLatin1Char('/') + BackupTree::photoName(entrance);
    if (Zep::debugLevel >= 2)
        qDebug() << "kopirujem" << source << "do" << target;
    return copyPhoto(source, target);
}
