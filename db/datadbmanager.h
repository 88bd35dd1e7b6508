#pragma once

#include "foundation/preruslog.h"
#include "db/dataschema.h"
#include "db/entrancedata.h"
#include "db/entrancewrite.h"
#include "db/fingerdata.h"
#include "db/persondata.h"
#include "db/sqlitemanager.h"
#include "db/syncitem.h"
#include "db/zonedata.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The attendance database "./data.db": entrances, people, fingerprint
// templates, the outgoing sync queue, variables, time zones and their links to
// people. The schema is created or brought up to date by the constructor.
// Safe to call from several threads: each thread uses its own connection.
class DataDBManager : public SQLiteManager
{
    Q_OBJECT

public:
    DataDBManager(const QString &dbFileName, bool openAtOnce = true, QObject *parent = nullptr);
    ~DataDBManager() override;

    // Schema.
    bool createDB();
    void updateDB(uint n);
    void fillDemoData();
    bool wasCreated() const { return mCreated; }

    // Entrances.
    // The row and its line in "interrupts.log" are both kept or both taken back.
    EntranceWrite
    recordEntrance(uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time = 0);
    // The id of recordEntrance(), 0 when the entrance is not recorded for certain.
    int zapisPrerusenie(
        uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time = 0);
    EntranceData nacitajPoslednePrerusenie(uint uid);
    EntranceData nacitajPoslednePrerusenie(uint uid, uint pid);
    // The entrance with this local id; id 0 when there is none.
    EntranceData loadEntrance(uint id);
    bool vymazPrerusenie(uint id);
    // Unsent entrances whose person cannot be resolved: they cannot be uploaded.
    uint countUnsendableEntrances();
    // How many entrances of each interruption type were recorded at or after since.
    bool entranceCountsByType(uint since, QHash<uint, int> &counts);
    bool setPrerusSyn(uint id, uint syn);
    bool setPrerusBackup(uint id, uint backup);
    bool nacitajPrerusenia(QList<EntranceData> &list, bool forSyn, bool forBackup);
    bool nacitajNepotrebnePrerusenia(QList<uint> &list, bool isSyn);
    // The time of the oldest entrance the server has not confirmed (syn 0) in
    // *time, 0 when there is none; false when it could not be read.
    bool oldestUnsentTime(uint *time);

    // People.
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
    // The local id of every person not deleted, by number.
    QHash<int, uint> uidsByDochid();

    // Fingerprint templates.
    FingerData loadFinger(uint fpID);
    bool saveFinger(const FingerData &finger);
    QByteArray getFingerTemplate(uint fpID, uint tplID);
    bool deleteFingerTemplate(uint fpID, uint tplID);
    bool deleteFingerTemplateByUid(uint uid, int finger);
    bool loadFingers(QList<FingerData> &list, uint uid);

    // Sync queue and variables.
    bool addSyncItem(const QString &field, const QVariant &data);
    void delSyncItem(const QString &field, uint ts);
    bool delSyncItemById(qint64 id);
    // Queues the item in place of the rows of its field still waiting; those are removed
    // only once the new row is in.
    bool replaceSyncItem(const QString &field, const QVariant &data);
    QList<SyncItem> loadSyncItems();
    bool var_set(const QString &key, const QVariant &value);
    QVariant var_get(const QString &key, const QVariant &defaultValue = QVariant());
    bool var_del(const QString &key);

    // Time zones and their links to people.
    bool addZone(const ZoneData &zone);
    bool updateZone(const ZoneData &zone);
    bool deleteAllZones();
    ZoneData getZone(uint zid);
    int zonesCount();
    QList<ZoneData> loadZones();
    QList<ZoneData> loadZones4Person(uint uid);
    bool addPZT(uint zid, uint uid);
    bool deletePZT(uint uid, uint zid);

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
    int countFingers();
    void fixSequence(uint maxId);

private:
    // Whether the file has the migration step already.
    bool hasStep(const DataSchema::Step &step);
    // After a failed COMMIT the row may still be in the write-ahead log, from where SQLite
    // brings it back at the next start: the connection is opened again and the row looked up.
    EntranceWrite::Outcome entranceAfterFailedCommit(int id, uint time, const QString &karta);
    // Sets one value of the person with the server's id refId; true when a row changed.
    bool updateByRefId(const QString &sql, const Binding &value, uint refId);
    // Runs the insert or update of one zone; operation is "add" or "update".
    bool writeZone(const char *operation, const QString &sql, const ZoneData &zone);
    // The new row's id; 0 when it was not inserted.
    qint64 insertSyncItem(const QString &field, const QVariant &data);

    bool mCreated = false;
    // "interrupts.log": one line per recorded entrance.
    PrerusLog mInterruptLog { QStringLiteral("interrupts.log") };
};
