#pragma once

#include <QMetaType>
#include <QString>

#include <cmath>

// Balances are minutes on the wire and on the screen; the ludia table keeps them in hours.
namespace Balance {
inline double storedHours(double minutes)
{
    return minutes / 60.0;
}
// Rounded to the second: minutes / 60 * 60 is not always the minutes again.
inline double minutes(double storedHours)
{
    return std::round(storedHours * 3600.0) / 60.0;
}
} // namespace Balance

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
    double saldo1 = 0; // hours, see Balance
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
