#pragma once

#include "db/persondata.h"

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QVector>

class DataDBManager;

// The people who are not deleted, shown either one row per person (optionally
// only one colour group) or one row per colour group in use.
class LudiaModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QStringList colorGroups READ colorGroups WRITE setColorGroups)
    Q_PROPERTY(bool colorGroupsMode READ colorGroupsMode WRITE setColorGroupsMode NOTIFY
                   colorGroupsModeChanged)
    Q_PROPERTY(int groupFilter READ groupFilter WRITE setGroupFilter)
public:
    enum Roles {
        UidRole = Qt::UserRole + 1,
        DochidRole,
        TitulRole,
        MenoRole,
        PriezviskoRole,
        AdminRole,
        KartaRole,
        FingersRole,
        AccessRole,
        ColorGroupRole,
        GrpColorRole,
        TextRole,
        PeopleInGroupCountRole,
        PeopleInGroupText1Role,
        PeopleInGroupText2Role,
        JoinedNameRole,
    };

    explicit LudiaModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QStringList colorGroups() const { return mColorGroups; }
    int groupFilter() const { return mGroupFilter; }

    void addClovek(const PersonData &person);
    void clear();
    // Replaces all people at once (one reset instead of a row insertion per person).
    void setPeople(QVector<PersonData> people);
    // Refills the model from the attendance database (which also sets the dochid width).
    void reload(DataDBManager *attendanceDb);

    QColor getUsedColor(int row) const;
    int getUsedCount(int row) const;
    quint8 getUsedGrp(int row) const;
    // The members of the row's group, "[dochid] surname name" per line; part 1 is
    // the first half (rounded up), part 2 the rest, any other part all of them.
    QString peopleInGroupText(int row, int part) const;

signals:
    void colorGroupsModeChanged(bool colorGroupsMode);

public slots:
    PersonData get(int index) const;
    PersonData getByDochId(uint dochId) const;
    int indexByDochId(uint dochId) const;
    int getUid(int index) const;
    int getDochId(int index) const;
    int getAdmin(int index) const;
    int getKarta(int index) const;
    int getFingers(int index) const;
    QString getTitul(int index) const;
    QString getMeno(int index) const;
    QString getPriez(int index) const;
    QString getKartaKod(int index) const;
    bool getAccess(int index) const;
    quint8 getColorGroup(int index) const;
    void setColorGroups(const QStringList &colorGroups);
    void setColorGroups(const QString &colorStr);
    void setColorGroupsMode(bool colorGroupsMode);
    void setGroupFilter(int groupFilter);
    uint usedColors() const { return uint(mUsedGroups.size()); }
    Q_INVOKABLE bool colorGroupsMode() const { return mColorGroupsMode; }

private:
    bool isValidIndex(int index) const { return index >= 0 && index < mLudia.size(); }
    bool isFiltered() const { return mGroupFilter >= 0; }
    QMap<quint8, int>::const_iterator usedGroupAt(int row) const;
    QColor groupColor(int group) const;
    QVariant personData(const PersonData &person, int role) const;
    QVariant groupData(int row, int role) const;
    void appendPerson(const PersonData &person);
    void rebuildFiltered();

    QVector<PersonData> mLudia;
    QVector<int> mFiltered; // rows of mLudia in the group of the filter
    QStringList mColorGroups;
    bool mColorGroupsMode = false;
    QMap<quint8, int> mUsedGroups; // colour group -> number of people in it
    int mGroupFilter = -1;
};
