#pragma once

#include "db/persondata.h"
#include "db/sqlitemanager.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVector>

class FingerprintStore;

// The people (table ludia); a change of a person is announced by the signals.
class PeopleStore : public QObject
{
    Q_OBJECT

public:
    PeopleStore(SQLiteManager &db, FingerprintStore &fingerprints, QObject *parent = nullptr);

    // *ok, when given, is false when the people could not be read (then nobody is found).
    PersonData
    nacitajCloveka(uint id, bool byDochid, bool includeDeleted = false, bool *ok = nullptr);
    PersonData nacitajCloveka(const QString &karta, bool *ok = nullptr);
    PersonData loadPersonByRefId(uint refId);
    uint getPeopleCount();
    // Whether any person is not deleted: found at the first such row, where the count
    // reads the whole table. False on failure, as a count of 0.
    bool hasPeople();
    uint getPeopleCountWithoutRefId();
    int pocetAdminov();
    bool addPerson(const PersonData &person, bool emitSignals = true);
    // Inserts a person whose number no other person that is not deleted has (addPerson checks
    // that first); the new uid, 0 on failure. Announces nothing but the change (sigSync).
    uint insertPerson(const PersonData &person);
    bool updatePerson(const PersonData &person, bool emitSignals = true);
    // Writes person as updatePerson() does, but only the columns in which it differs from
    // stored, the same person as last read or written (a row rewritten whole updates every
    // index of the table); true when the row changed. Announces nothing.
    bool updatePersonChanges(const PersonData &stored, const PersonData &person);
    bool deletePerson(uint uid, bool emitSignals = true);
    bool delAllPeople(const QStringList &keepUids);
    bool setClovekSyn(uint uid, uint syn);
    void setClovekIOstatus(uint uid, uint status);
    uint getClovekIOstatus(uint uid);
    bool updatePersonSaldo(uint refId, double saldo);
    bool updatePersonPresent(uint refId, uint present);
    bool updatePersonColorGrp(uint refId, uint colorGrp);
    // The people for the people model: not deleted, grouped by colour group and
    // ordered by "global/orderPeople"; also sets the dochid width.
    bool loadPeopleForModel(QVector<PersonData> &list);
    // Sets the dochid width from the people not deleted without loading them.
    bool readDochidWidth();
    bool nacitajLudi(QList<PersonData> &list, bool onlyUnsynced = false);
    // The people not deleted by number, each with the fields a server's person record is compared
    // with and written into (uid, dochid, karta, meno, priez, titul, admin, syn, saldo1, acc,
    // colorGrp, refId, updated); the others stay 0. Read for thousands at once.
    bool loadPeopleToCompare(QHash<int, PersonData> &byDochid);

signals:
    void sigPridajCloveka(uint uid);
    void sigPersonCreated(PersonData data);
    void sigUpravCloveka(uint uid);
    void sigPersonUpdated(PersonData data);
    void sigZmazCloveka(uint uid);
    void sigPersonDeleted(uint pid, uint refId);
    void sigSync();

private:
    // Sets one value of the person with the server's id refId; true when a row changed.
    bool updateByRefId(const QString &sql, const SQLiteManager::Binding &value, uint refId);

    SQLiteManager &mDb;
    FingerprintStore &mFingerprints;
    // Texts of updatePersonChanges() by the columns they write (PersonColumnChanges::key()).
    QHash<quint32, QByteArray> mChangeStatements;
};
