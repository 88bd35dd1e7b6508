#include "db/personcolumns.h"

#include "foundation/clock.h"
#include "db/sqlitestatement.h"

#include <iterator>

namespace {

void bindValue(SqliteStatement &s, int position, int value)
{
    s.bindInt(position, value);
}

void bindValue(SqliteStatement &s, int position, uint value)
{
    s.bindInt(position, value);
}

void bindValue(SqliteStatement &s, int position, bool value)
{
    s.bindInt(position, value ? 1 : 0);
}

void bindValue(SqliteStatement &s, int position, quint8 value)
{
    s.bindInt(position, value);
}

void bindValue(SqliteStatement &s, int position, double value)
{
    s.bindReal(position, value);
}

void bindValue(SqliteStatement &s, int position, const QString &value)
{
    s.bindText(position, value);
}

template<auto Field> void bindField(SqliteStatement &s, int position, const PersonData &p)
{
    bindValue(s, position, p.*Field);
}

template<auto Field> bool sameIn(const PersonData &a, const PersonData &b)
{
    return a.*Field == b.*Field;
}

struct PersonColumn
{
    const char *name;
    void (*bind)(SqliteStatement &s, int position, const PersonData &p);
    bool (*same)(const PersonData &a, const PersonData &b); // exactly, also the balances
};

const PersonColumn columns[] = {
    { "dochid", bindField<&PersonData::dochid>, sameIn<&PersonData::dochid> },
    { "karta", bindField<&PersonData::karta>, sameIn<&PersonData::karta> },
    { "titul", bindField<&PersonData::titul>, sameIn<&PersonData::titul> },
    { "meno", bindField<&PersonData::meno>, sameIn<&PersonData::meno> },
    { "priez", bindField<&PersonData::priez>, sameIn<&PersonData::priez> },
    { "admin", bindField<&PersonData::admin>, sameIn<&PersonData::admin> },
    { "syn", bindField<&PersonData::syn>, sameIn<&PersonData::syn> },
    { "saldo1", bindField<&PersonData::saldo1>, sameIn<&PersonData::saldo1> },
    { "saldo2", bindField<&PersonData::saldo2>, sameIn<&PersonData::saldo2> },
    { "saldo3", bindField<&PersonData::saldo3>, sameIn<&PersonData::saldo3> },
    { "acc", bindField<&PersonData::acc>, sameIn<&PersonData::acc> },
    { "colorGrp", bindField<&PersonData::colorGrp>, sameIn<&PersonData::colorGrp> },
    { "refId", bindField<&PersonData::refId>, sameIn<&PersonData::refId> },
    { "present", bindField<&PersonData::present>, sameIn<&PersonData::present> },
};
static_assert(std::size(columns) == PersonColumns::count);

} // namespace

void PersonColumns::bindPerson(SqliteStatement &s, const PersonData &p)
{
    for (int i = 0; i < count; ++i)
        columns[i].bind(s, i + 1, p);
    bindChangeTime(s, count + 1);
}

void PersonColumns::bindChangeTime(SqliteStatement &s, int position)
{
    s.bindInt(position, Clock::instance()->secsSinceEpoch());
}

PersonColumnChanges::PersonColumnChanges(const PersonData &stored, const PersonData &person)
    : mKey(stored.del ? 1u << PersonColumns::count : 0)
{
    for (int i = 0; i < PersonColumns::count; ++i) {
        if (!columns[i].same(stored, person)) {
            mChanged[mChangedCount++] = i;
            mKey |= 1u << i;
        }
    }
}

QByteArray PersonColumnChanges::updateStatement() const
{
    // The changed columns in their order, each at the next position.
    QByteArray sql = QByteArrayLiteral("UPDATE ludia SET ");
    for (int i = 0; i < mChangedCount; ++i)
        sql += QByteArray(columns[mChanged[i]].name) + " = ?" + QByteArray::number(i + 1) + ", ";
    if (mKey & (1u << PersonColumns::count))
        sql += "del = 0, ";
    return sql + "updated = ?" + QByteArray::number(mChangedCount + 1) + " WHERE uid = ?"
        + QByteArray::number(mChangedCount + 2);
}

void PersonColumnChanges::bind(SqliteStatement &s, const PersonData &person) const
{
    for (int i = 0; i < mChangedCount; ++i)
        columns[mChanged[i]].bind(s, i + 1, person);
    PersonColumns::bindChangeTime(s, mChangedCount + 1);
    s.bindInt(mChangedCount + 2, person.uid);
}
