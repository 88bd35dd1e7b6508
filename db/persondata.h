#pragma once

#include <QMetaType>
#include <QString>

// One person as stored in the attendance database and passed by value between
// the database, the people model and the sync protocol.
struct PersonData
{
    int uid = 0;
    int dochid = 0;
    QString karta;
    QString meno;
    QString priez;
    QString titul;
    int admin = 0;
    int syn = 0;
    double saldo1 = 0;
    double saldo2 = 0;
    double saldo3 = 0;
    quint16 fingers = 0;
    uint fpID = 0;
    bool acc = false;
    quint8 colorGrp = 0;
    uint refId = 0;
    uint present = 0;
    bool del = false;
    uint updated = 0;

    // The one-line text of the person written into debug lines.
    QString debugText() const;
};

using ClovekData = PersonData;

Q_DECLARE_TYPEINFO(PersonData, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(PersonData)
