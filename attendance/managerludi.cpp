#include "attendance/managerludi.h"

#include "attendance/ludiamodel.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QDebug>

ManagerLudi::ManagerLudi(LudiaModel *model, DataDBManager *attendanceDb, QObject *parent)
    : QObject(parent)
    , mModel(model)
    , mAttendanceDb(attendanceDb)
{
}

void ManagerLudi::obnovModelData()
{
    mModel->reload(mAttendanceDb);
    mLoaded = true;
}

void ManagerLudi::ensureLoaded()
{
    if (!mLoaded)
        obnovModelData();
}

namespace {
void setNameFields(PersonData &person,
                   uint dochid,
                   const QString &titul,
                   const QString &meno,
                   const QString &priez,
                   uint admin)
{
    person.dochid = int(dochid);
    person.titul = titul;
    person.meno = meno;
    person.priez = priez;
    person.admin = int(admin);
}
} // namespace

PersonData ManagerLudi::loadLiving(uint uid, const char *operation)
{
    const PersonData person = mAttendanceDb->nacitajCloveka(uid, false, false);
    if (person.uid == 0 && Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("%1(): Clovek s uid %2 neexistuje!")
                                  .arg(QLatin1String(operation))
                                  .arg(uid);
    return person;
}

bool ManagerLudi::pridajCloveka(
    uint dochid, const QString &titul, const QString &meno, const QString &priez, uint admin)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ManagerLudi::pridajCloveka()";
    if (dochid == 0)
        return false;
    PersonData person = mAttendanceDb->nacitajCloveka(dochid, true, false);
    if (person.uid != 0) {
        if (Zep::debugLevel >= 1)
            qDebug().noquote()
                << QStringLiteral("pridajCloveka(): Clovek s dochid %1 uz existuje!").arg(dochid);
        return false;
    }
    setNameFields(person, dochid, titul, meno, priez, admin);
    return mAttendanceDb->addPerson(person, true);
}

bool ManagerLudi::upravCloveka(uint uid,
                               uint dochid,
                               const QString &titul,
                               const QString &meno,
                               const QString &priez,
                               uint admin)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ManagerLudi::upravCloveka()";
    PersonData person = loadLiving(uid, "upravCloveka");
    if (person.uid == 0)
        return false;
    setNameFields(person, dochid, titul, meno, priez, admin);
    return mAttendanceDb->updatePerson(person, true);
}

bool ManagerLudi::zmazCloveka(uint uid)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ManagerLudi::zmazCloveka()";
    return mAttendanceDb->deletePerson(uid, true);
}

bool ManagerLudi::priradKartu(uint uid, const QString &karta)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "ManagerLudi::priradKartu()";
    PersonData person = loadLiving(uid, "priradKartu");
    if (person.uid == 0)
        return false;
    person.karta = karta;
    return mAttendanceDb->updatePerson(person, true);
}

bool ManagerLudi::existujeAdmin()
{
    const bool exists = mAttendanceDb->pocetAdminov() > 0;
    if (Zep::debugLevel >= 1)
        qDebug().noquote()
            << QStringLiteral("ManagerLudi::existujeAdmin()=%1").arg(exists ? "true" : "false");
    return exists;
}
