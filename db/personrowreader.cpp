#include "db/personrowreader.h"

#include <QSqlRecord>

PersonRowReader::PersonRowReader(const QSqlQuery &q)
{
    const QSqlRecord r = q.record();
    for (int i = 0; i < Count; ++i)
        mIndex[i] = r.indexOf(QLatin1String(names[i]));
}

PersonData PersonRowReader::read(const QSqlQuery &q) const
{
    PersonData p;
    p.uid = value(q, Uid).toInt();
    p.dochid = value(q, Dochid).toInt();
    p.karta = value(q, Karta).toString();
    p.meno = value(q, Meno).toString();
    p.priez = value(q, Priez).toString();
    p.titul = value(q, Titul).toString();
    p.admin = value(q, Admin).toInt();
    p.syn = value(q, Syn).toInt();
    p.saldo1 = value(q, Saldo1).toDouble();
    p.saldo2 = value(q, Saldo2).toDouble();
    p.saldo3 = value(q, Saldo3).toDouble();
    p.fingers = quint16(value(q, Fingers).toUInt());
    p.fpID = value(q, FpID).toUInt();
    p.acc = value(q, Acc).toInt() != 0;
    p.colorGrp = quint8(value(q, ColorGrp).toUInt());
    p.refId = value(q, RefId).toUInt();
    p.present = value(q, Present).toUInt();
    p.updated = value(q, Updated).toUInt();
    p.del = value(q, Del).toInt() != 0;
    return p;
}

QVariant PersonRowReader::value(const QSqlQuery &q, Column c) const
{
    return mIndex[c] < 0 ? QVariant() : q.value(mIndex[c]);
}
