#include "attendance/managerpreruseni.h"

#include "attendance/clovek.h"
#include "attendance/lastentrance.h"
#include "foundation/clock.h"
#include "foundation/entrancephoto.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/entrancedeletions.h"
#include "db/zepdbmanager.h"
#include "devices/camcontrol.h"

#include <QDebug>
#include <QFile>

ManagerPreruseni::ManagerPreruseni(CamControl *camera,
                                   Clovek *clovek,
                                   DataDBManager *attendanceDb,
                                   ZEPSettings *settings,
                                   ZepDBManager *catalogueDb,
                                   QObject *parent)
    : QObject(parent)
    , mCamera(camera)
    , mClovek(clovek)
    , mAttendanceDb(attendanceDb)
    , mSettings(settings)
    , mCatalogueDb(catalogueDb)
    , mLast(new LastEntrance(attendanceDb, catalogueDb, settings, this))
{
    mLocalTime = mSettings->value(Setting::serverLocalTime).toBool();
    mTakePhoto = mSettings->value(Setting::takePhoto).toBool();
    preparePictureDirectory();
}

void ManagerPreruseni::preparePictureDirectory()
{
    if (Zep::debugLevel != 0)
        qDebug().noquote() << "ManagerPreruseni::preparePictureDirectory():"
                           << ZepFiles::entrancePhotos;
    if (!EntrancePhoto::ensureFolder())
        qWarning().noquote() << "ManagerPreruseni::preparePictureDirectory(): cannot create"
                             << ZepFiles::entrancePhotos;
}

int ManagerPreruseni::identify(const PersonData &person, bool read)
{
    mClovek->setPerson(person);
    if (!read) {
        qCritical() << "ManagerPreruseni: the people cannot be read";
        return peopleUnreadable;
    }
    return person.uid;
}

int ManagerPreruseni::overKartu(const QString &aKarta)
{
    if (Zep::debugLevel > 1)
        qDebug().noquote() << QStringLiteral("ManagerPreruseni::overKartu(%1)").arg(aKarta);
    bool read = false;
    const PersonData person = mAttendanceDb->nacitajCloveka(aKarta, &read);
    return identify(person, read);
}

int ManagerPreruseni::overPIN(uint pin)
{
    if (Zep::debugLevel > 1)
        qDebug().noquote() << QStringLiteral("ManagerPreruseni::overPIN(%1)").arg(pin);
    bool read = false;
    const PersonData person = mAttendanceDb->nacitajCloveka(pin, true, false, &read);
    return identify(person, read);
}

int ManagerPreruseni::checkFingerUser(uint fpID)
{
    if (Zep::debugLevel > 1)
        qDebug().noquote() << QStringLiteral("ManagerPreruseni::checkFingerUser(%1)").arg(fpID);
    const FingerData finger = mAttendanceDb->loadFinger(fpID);
    // An unknown template has uid 0, which matches nobody.
    bool read = false;
    const PersonData person = mAttendanceDb->nacitajCloveka(finger.uid, false, false, &read);
    return identify(person, read);
}

bool ManagerPreruseni::zapisPrerusenie(uint aTypeId,
                                       const QString &aNazov,
                                       const QString &aSkratka,
                                       uint aStav,
                                       const QString &rfidCode,
                                       uint aUid,
                                       uint aDochId)
{
    mClovek->setPerson(mAttendanceDb->nacitajCloveka(mClovek->get_uid(), false, false));
    if (Zep::debugLevel != 0)
        qDebug().noquote() << QStringLiteral(
                                  "ManagerPreruseni::zapisPrerusenie(%1, %2, %3, %4, %5, %6, %7)")
                                  .arg(aTypeId)
                                  .arg(aNazov, aSkratka)
                                  .arg(aStav)
                                  .arg(rfidCode)
                                  .arg(aUid)
                                  .arg(aDochId);
    try {
        emit makeAccess(aDochId, rfidCode, int(aTypeId), aStav == 1 ? 1 : 0);
        // Time 0 lets the database stamp the entrance itself.
        const uint time = mLocalTime ? uint(Clock::instance()->now().toSecsSinceEpoch()) : 0;
        mRecordingUndecided = false;
        const EntranceWrite written
            = mAttendanceDb->recordEntrance(aTypeId, aStav, rfidCode, aUid, aDochId, time);
        const int id = written.id;
        if (written.outcome != EntranceWrite::Recorded) {
            qCritical() << "Prerusenie sa nepodarilo zapisat do DB!";
            mRecordingUndecided = written.outcome == EntranceWrite::Undecided;
            return false;
        }
        const QString imgPath = mTakePhoto ? savePhoto(uint(id)) : QString();
        emit sigAddEntrance(
            aTypeId, aStav, mClovek->get_dochid(), mClovek->get_refID(), imgPath, uint(id), time);
        return true;
    } catch (...) {
        qCritical() << "ManagerPreruseni::zapisPrerusenie() - FAILURE!";
        return false;
    }
}

QString ManagerPreruseni::savePhoto(uint entranceId)
{
    const QString path = EntrancePhoto::path(entranceId);
    if (mCamera && mCamera->saveImage(path, false)) {
        if (Zep::debugLevel > 1)
            qDebug().noquote() << "fotka ulozena do suboru: " + path;
        return path;
    }
    qCritical().noquote() << "Subor " + path + " sa nepodarilo ulozit!";
    return QString();
}

void ManagerPreruseni::poslednePrerusenie(uint aUid)
{
    if (Zep::debugLevel > 1)
        qDebug().noquote() << QStringLiteral("ManagerPreruseni::poslednePrerusenie(%1)").arg(aUid);
    mLast->load(aUid);
}

bool ManagerPreruseni::checkLastPrerus()
{
    return mLast->isDeletable();
}

bool ManagerPreruseni::vymazPoslednePrerusenie()
{
    if (Zep::debugLevel > 1)
        qDebug() << "ManagerPreruseni::vymazPoslednePrerusenie()";
    const uint id = mLast->entrance().id;
    if (!mLast->isDeletable()) {
        qWarning().noquote() << QStringLiteral(
                                    "ManagerPreruseni::vymazPoslednePrerusenie(): entrance %1 "
                                    "can no longer be deleted")
                                    .arg(id);
        return false;
    }
    uint serverId = 0;
    if (!EntranceDeletions(mAttendanceDb).deleteEntrance(id, &serverId))
        return false;
    if (serverId != 0)
        emit sigDeleteEntrance(id, serverId);
    const QString path = EntrancePhoto::path(id);
    if (!QFile::remove(path))
        qWarning().noquote() << "Picture" << path << "NOT removed!";
    mLast->clear();
    return true;
}

QString ManagerPreruseni::getLastPrerusCas() const
{
    if (Zep::debugLevel > 1)
        qDebug() << "ManagerPreruseni::getLastPrerusCas()";
    return mLast->timeText();
}

QString ManagerPreruseni::getLastPrerusText() const
{
    if (Zep::debugLevel > 1)
        qDebug() << "ManagerPreruseni::getLastPrerusText()";
    return mLast->text();
}
