#pragma once

#include "db/attendancedatabase.h"
#include "db/entrancestore.h"
#include "db/fingerprintstore.h"
#include "db/peoplestore.h"
#include "db/syncqueuestore.h"
#include "db/zonestore.h"

// The attendance database "./data.db" as the components and the UI know it: the connection
// and schema (AttendanceDatabase) with the operations of its stores under their names, and
// the stores' signals. Safe to call from several threads: each thread uses its own connection.
class DataDBManager : public AttendanceDatabase
{
    Q_OBJECT

public:
    DataDBManager(const QString &dbFileName, bool openAtOnce = true, QObject *parent = nullptr);

    // Entrances.
    EntranceWrite
    recordEntrance(uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time = 0)
    {
        return mEntrances.recordEntrance(pid, smer, karta, uid, dochid, time);
    }
    // The id of recordEntrance(), 0 when the entrance is not recorded for certain.
    int
    zapisPrerusenie(uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time = 0)
    {
        return recordEntrance(pid, smer, karta, uid, dochid, time).id;
    }
    EntranceData nacitajPoslednePrerusenie(uint uid)
    {
        return mEntrances.nacitajPoslednePrerusenie(uid);
    }
    EntranceData nacitajPoslednePrerusenie(uint uid, uint pid)
    {
        return mEntrances.nacitajPoslednePrerusenie(uid, pid);
    }
    EntranceData loadEntrance(uint id) { return mEntrances.loadEntrance(id); }
    bool vymazPrerusenie(uint id) { return mEntrances.vymazPrerusenie(id); }
    uint countUnsendableEntrances() { return mEntrances.countUnsendableEntrances(); }
    bool entranceCountsByType(uint since, QHash<uint, int> &counts)
    {
        return mEntrances.entranceCountsByType(since, counts);
    }
    bool setPrerusSyn(uint id, uint syn) { return mEntrances.setPrerusSyn(id, syn); }
    bool setPrerusBackup(uint id, uint backup) { return mEntrances.setPrerusBackup(id, backup); }
    bool nacitajPrerusenia(QList<EntranceData> &list, bool forSyn, bool forBackup)
    {
        return mEntrances.nacitajPrerusenia(list, forSyn, forBackup);
    }
    bool nacitajNepotrebnePrerusenia(QList<uint> &list, bool isSyn)
    {
        return mEntrances.nacitajNepotrebnePrerusenia(list, isSyn);
    }
    bool oldestUnsentTime(uint *time) { return mEntrances.oldestUnsentTime(time); }

    // People.
    PersonData
    nacitajCloveka(uint id, bool byDochid, bool includeDeleted = false, bool *ok = nullptr)
    {
        return mPeople.nacitajCloveka(id, byDochid, includeDeleted, ok);
    }
    PersonData nacitajCloveka(const QString &karta, bool *ok = nullptr)
    {
        return mPeople.nacitajCloveka(karta, ok);
    }
    PersonData loadPersonByRefId(uint refId) { return mPeople.loadPersonByRefId(refId); }
    uint getPeopleCount() { return mPeople.getPeopleCount(); }
    bool hasPeople() { return mPeople.hasPeople(); }
    uint getPeopleCountWithoutRefId() { return mPeople.getPeopleCountWithoutRefId(); }
    int pocetAdminov() { return mPeople.pocetAdminov(); }
    bool addPerson(const PersonData &person, bool emitSignals = true)
    {
        return mPeople.addPerson(person, emitSignals);
    }
    uint insertPerson(const PersonData &person) { return mPeople.insertPerson(person); }
    bool updatePerson(const PersonData &person, bool emitSignals = true)
    {
        return mPeople.updatePerson(person, emitSignals);
    }
    bool updatePersonChanges(const PersonData &stored, const PersonData &person)
    {
        return mPeople.updatePersonChanges(stored, person);
    }
    bool deletePerson(uint uid, bool emitSignals = true)
    {
        return mPeople.deletePerson(uid, emitSignals);
    }
    bool delAllPeople(const QStringList &keepUids) { return mPeople.delAllPeople(keepUids); }
    bool setClovekSyn(uint uid, uint syn) { return mPeople.setClovekSyn(uid, syn); }
    void setClovekIOstatus(uint uid, uint status) { mPeople.setClovekIOstatus(uid, status); }
    uint getClovekIOstatus(uint uid) { return mPeople.getClovekIOstatus(uid); }
    bool updatePersonSaldo(uint refId, double saldo)
    {
        return mPeople.updatePersonSaldo(refId, saldo);
    }
    bool updatePersonPresent(uint refId, uint present)
    {
        return mPeople.updatePersonPresent(refId, present);
    }
    bool updatePersonColorGrp(uint refId, uint colorGrp)
    {
        return mPeople.updatePersonColorGrp(refId, colorGrp);
    }
    bool loadPeopleForModel(QVector<PersonData> &list) { return mPeople.loadPeopleForModel(list); }
    bool readDochidWidth() { return mPeople.readDochidWidth(); }
    bool nacitajLudi(QList<PersonData> &list, bool onlyUnsynced = false)
    {
        return mPeople.nacitajLudi(list, onlyUnsynced);
    }
    bool loadPeopleToCompare(QHash<int, PersonData> &byDochid)
    {
        return mPeople.loadPeopleToCompare(byDochid);
    }

    // Fingerprint templates.
    FingerData loadFinger(uint fpID) { return mFingerprints.loadFinger(fpID); }
    bool saveFinger(const FingerData &finger) { return mFingerprints.saveFinger(finger); }
    QByteArray getFingerTemplate(uint fpID, uint tplID)
    {
        return mFingerprints.getFingerTemplate(fpID, tplID);
    }
    bool deleteFingerTemplate(uint fpID, uint tplID)
    {
        return mFingerprints.deleteFingerTemplate(fpID, tplID);
    }
    bool deleteFingerTemplateByUid(uint uid, int finger)
    {
        return mFingerprints.deleteFingerTemplateByUid(uid, finger);
    }
    bool loadFingers(QList<FingerData> &list, uint uid)
    {
        return mFingerprints.loadFingers(list, uid);
    }

    // Sync queue and variables.
    bool addSyncItem(const QString &field, const QVariant &data)
    {
        return mSyncQueue.addSyncItem(field, data);
    }
    void delSyncItem(const QString &field, uint ts) { mSyncQueue.delSyncItem(field, ts); }
    bool delSyncItemById(qint64 id) { return mSyncQueue.delSyncItemById(id); }
    bool replaceSyncItem(const QString &field, const QVariant &data)
    {
        return mSyncQueue.replaceSyncItem(field, data);
    }
    QList<SyncItem> loadSyncItems() { return mSyncQueue.loadSyncItems(); }
    bool var_set(const QString &key, const QVariant &value)
    {
        return mSyncQueue.var_set(key, value);
    }
    QVariant var_get(const QString &key, const QVariant &defaultValue = QVariant())
    {
        return mSyncQueue.var_get(key, defaultValue);
    }
    bool var_del(const QString &key) { return mSyncQueue.var_del(key); }

    // Time zones and their links to people.
    bool addZone(const ZoneData &zone) { return mZones.addZone(zone); }
    bool updateZone(const ZoneData &zone) { return mZones.updateZone(zone); }
    bool deleteAllZones() { return mZones.deleteAllZones(); }
    ZoneData getZone(uint zid) { return mZones.getZone(zid); }
    int zonesCount() { return mZones.zonesCount(); }
    QList<ZoneData> loadZones() { return mZones.loadZones(); }
    QList<ZoneData> loadZones4Person(uint uid) { return mZones.loadZones4Person(uid); }
    bool addPZT(uint zid, uint uid) { return mZones.addPZT(zid, uid); }
    bool deletePZT(uint uid, uint zid) { return mZones.deletePZT(uid, zid); }

signals:
    void sigPridajCloveka(uint uid);
    void sigPersonCreated(PersonData data);
    void sigUpravCloveka(uint uid);
    void sigPersonUpdated(PersonData data);
    void sigZmazCloveka(uint uid);
    void sigPersonDeleted(uint pid, uint refId);
    void sigSync();
    void sigPrerusenieZapisane(uint pid);

public slots:
    int countFingers() { return mFingerprints.countFingers(); }
    void fixSequence(uint maxId) { mEntrances.fixSequence(maxId); }

private:
    FingerprintStore mFingerprints { *this };
    EntranceStore mEntrances { *this, this };
    PeopleStore mPeople { *this, mFingerprints, this };
    SyncQueueStore mSyncQueue { *this };
    ZoneStore mZones { *this };
};
