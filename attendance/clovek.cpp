#include "attendance/clovek.h"

#include "db/dochidwidth.h"
#include "db/persondata.h"

#include <QStringList>

Clovek::Clovek(QObject *parent)
    : QObject(parent)
{
}

void Clovek::setPerson(const PersonData &person)
{
    mUid = uint(person.uid);
    mDochid = uint(person.dochid);
    mKarta = person.karta;
    mMeno = person.meno;
    mPriez = person.priez;
    mTitul = person.titul;
    mAdmin = uint(person.admin);
    mSaldo1 = Balance::minutes(person.saldo1);
    mSaldo2 = Balance::minutes(person.saldo2);
    mSaldo3 = Balance::minutes(person.saldo3);
    mFpID = person.fpID;
    mRefID = person.refId;
    emit dataChanged();
}

void Clovek::clear()
{
    setPerson(PersonData());
}

double Clovek::get_saldo(uint idx) const
{
    switch (idx) {
    case 1:
        return mSaldo1;
    case 2:
        return mSaldo2;
    case 3:
        return mSaldo3;
    default:
        return 0;
    }
}

QString Clovek::get_saldoStr(uint idx) const
{
    if (idx < 1 || idx > 3)
        return QString();
    // The balance is in minutes; the text shows whole hours and minutes.
    qint64 seconds = qint64(get_saldo(idx) * 60);
    QString sign;
    if (seconds < 0) {
        sign = QStringLiteral("-");
        seconds = -seconds;
    }
    return sign
        + QStringLiteral("%1:%2")
              .arg(seconds / 3600)
              .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'));
}

QString Clovek::getMeno() const
{
    QStringList parts;
    for (const QString &part : { mTitul, mMeno, mPriez }) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

void Clovek::set_saldo(uint idx, double val)
{
    switch (idx) {
    case 1:
        mSaldo1 = val;
        break;
    case 2:
        mSaldo2 = val;
        break;
    case 3:
        mSaldo3 = val;
        break;
    default:
        break;
    }
}

QString Clovek::dochidText() const
{
    return DochidWidth::format(mDochid);
}
