#pragma once

#include "db/persondata.h"

#include <QSqlQuery>
#include <QVariant>

// Reads persons from the rows of any of the person queries: the positions of
// the columns are looked up by name once per query; absent ones keep 0.
class PersonRowReader
{
public:
    explicit PersonRowReader(const QSqlQuery &q);
    PersonData read(const QSqlQuery &q) const;

private:
    enum Column {
        Uid,
        Dochid,
        Karta,
        Meno,
        Priez,
        Titul,
        Admin,
        Syn,
        Saldo1,
        Saldo2,
        Saldo3,
        Fingers,
        FpID,
        Acc,
        ColorGrp,
        RefId,
        Present,
        Updated,
        Del,
        Count
    };
    static constexpr const char *names[Count] = { "uid",      "dochid", "karta",   "meno",    "priez",   "titul", "admin",
            "syn",      "saldo1", "saldo2",  "saldo3",  "fingers", "fpID",  "acc",
            "colorGrp", "refId",  "present", "updated", "del" };

    QVariant value(const QSqlQuery &q, Column c) const;

    int mIndex[Count];
};
