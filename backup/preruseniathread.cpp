#include "backup/preruseniathread.h"

#include "backup/backuptree.h"
#include "core/foundation/entrancephoto.h"
#include "core/foundation/globals.h"
#include "core/foundation/happensbefore.h"
#include "db/datadbmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Copies the photo; an existing target of the same size counts as the copy,
// one of another size is replaced.
bool copyPhoto(const QString &source, const QString &target)
{
    if (QFile::copy(source, target))
        return true;
    const QFileInfo existing(target);
    if (!existing.exists()) {
        if (QFileInfo::exists(source))
            return false;
        qWarning("File '%s' does not exist!", qUtf8Printable(source));
        return true;
    }
    if (existing.size() == QFileInfo(source).size())
        return true;
    if (!QFile::remove(target)) {
        qWarning("Cannot remove file '%s'!", qUtf8Printable(target));
        return false;
    }
    return QFile::copy(source, target);
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
    QList<EntranceData> entrances;
    if (!mDb->nacitajPrerusenia(entrances, false, true))
        return;
    const QString root = QDir(mBackupRoot).absolutePath();
    for (const EntranceData &entrance : qAsConst(entrances)) {
        if (mTerminate) {
            if (Zep::debugLevel >= 1)
                qDebug("PreruseniaThread::run() - breaking foreach (doTerminate)");
            return;
        }
        if (backUp(entrance, root))
            mDb->setPrerusBackup(entrance.id, 1);
        else
            qWarning() << "Prerusenie " << entrance.id << " sa nepodarilo zalohovat!";
    }
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
