#pragma once

#include "db/persondata.h"

#include <QByteArray>

class SqliteStatement;

// The columns of table ludia that the statements writing a person set from it, in their order:
// dochid, karta, titul, meno, priez, admin, syn, saldo1, saldo2, saldo3, acc, colorGrp, refId,
// present. The change time ("updated") follows them.
namespace PersonColumns {

constexpr int count = 14;

// The person's columns at the positions 1 to count, the change time at count + 1.
void bindPerson(SqliteStatement &s, const PersonData &p);
void bindChangeTime(SqliteStatement &s, int position);

} // namespace PersonColumns

// The columns in which a person differs from the same person as last read or written, and the
// update that writes only those (a row rewritten whole updates every index of the table).
class PersonColumnChanges
{
public:
    PersonColumnChanges(const PersonData &stored, const PersonData &person);

    // Tells the updates apart: bit i for the column i, bit count when the row is undeleted.
    quint32 key() const { return mKey; }
    // "UPDATE ludia SET <changed> = ?1, ..., [del = 0,] updated = ?n WHERE uid = ?n+1".
    QByteArray updateStatement() const;
    void bind(SqliteStatement &s, const PersonData &person) const;

private:
    int mChanged[PersonColumns::count];
    int mChangedCount = 0;
    quint32 mKey = 0;
};
