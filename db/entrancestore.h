#pragma once

#include "foundation/preruslog.h"
#include "db/entrancedata.h"
#include "db/entrancewrite.h"

#include <QHash>
#include <QList>
#include <QObject>

class SQLiteManager;

// The recorded entrances (table prerusenia) with their lines in "interrupts.log".
class EntranceStore : public QObject
{
    Q_OBJECT

public:
    explicit EntranceStore(SQLiteManager &db, QObject *parent = nullptr);

    // The row and its line in "interrupts.log" are both kept or both taken back.
    EntranceWrite
    recordEntrance(uint pid, uint smer, const QString &karta, uint uid, uint dochid, uint time = 0);
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
    // Raises the autoincrement counter of the entrances to maxId when it is below.
    void fixSequence(uint maxId);

signals:
    void sigPrerusenieZapisane(uint pid);

private:
    // After a failed COMMIT the row may still be in the write-ahead log, from where SQLite
    // brings it back at the next start: the connection is opened again and the row looked up.
    EntranceWrite::Outcome entranceAfterFailedCommit(int id, uint time, const QString &karta);

    SQLiteManager &mDb;
    // "interrupts.log": one line per recorded entrance.
    PrerusLog mInterruptLog { QStringLiteral("interrupts.log") };
};
