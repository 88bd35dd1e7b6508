#pragma once

#include <QObject>
#include <QString>

struct PersonData;

// The current person: the one identified at the terminal or being edited.
class Clovek : public QObject
{
    Q_OBJECT
public:
    explicit Clovek(QObject *parent = nullptr);

    // Takes over every field of a person record (an empty record clears it).
    void setPerson(const PersonData &person);

signals:
    void dataChanged();

public slots:
    void clear();

    uint get_uid() const { return mUid; }
    uint get_dochid() const { return mDochid; }
    uint get_admin() const { return mAdmin; }
    uint get_fpID() const { return mFpID; }
    uint get_refID() const { return mRefID; }
    QString get_karta() const { return mKarta; }
    QString get_meno() const { return mMeno; }
    QString get_priez() const { return mPriez; }
    QString get_titul() const { return mTitul; }
    double get_saldo(uint idx) const;
    // The balance as "h:mm" (with a leading "-" when negative); empty for an unknown index.
    QString get_saldoStr(uint idx) const;
    QString getMeno() const;
    // The personal number as shown everywhere: padded to the dochid width.
    QString dochidText() const;

    void set_uid(uint aUid) { mUid = aUid; }
    void set_dochid(uint aDochid) { mDochid = aDochid; }
    void set_karta(const QString &aKarta) { mKarta = aKarta; }
    void set_meno(const QString &aMeno) { mMeno = aMeno; }
    void set_priez(const QString &aPriez) { mPriez = aPriez; }
    void set_titul(const QString &aTitul) { mTitul = aTitul; }
    void set_admin(uint aAdmin) { mAdmin = aAdmin; }
    void set_fpID(uint aFpID) { mFpID = aFpID; }
    void set_refID(uint aRefID) { mRefID = aRefID; }
    void set_saldo(uint idx, double val);

private:
    uint mUid = 0;
    uint mDochid = 0;
    QString mKarta;
    QString mMeno;
    QString mPriez;
    QString mTitul;
    uint mAdmin = 0;
    double mSaldo1 = 0;
    double mSaldo2 = 0;
    double mSaldo3 = 0;
    uint mFpID = 0;
    uint mRefID = 0;
};
