#include "attendance/ludiamodel.h"

#include "foundation/globals.h"
#include "db/datadbmanager.h"
#include "db/dochidwidth.h"

#include <QDebug>

namespace {
const QString defaultColors
    = QStringLiteral("#663300,#009900,#ff9900,#cc0000,#cc0099,#663399,#0033cc,#03979f");

QString joinedName(const PersonData &person)
{
    return QStringLiteral("[%1] %2 %3")
        .arg(DochidWidth::format(uint(person.dochid)), person.priez, person.meno);
}
} // namespace

LudiaModel::LudiaModel(QObject *parent)
    : QAbstractListModel(parent)
    , mColorGroups(defaultColors.split(QLatin1Char(',')))
{
}

int LudiaModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (mColorGroupsMode)
        return mUsedGroups.size();
    return isFiltered() ? mFiltered.size() : mLudia.size();
}

QVariant LudiaModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= rowCount() || role < UidRole || role > JoinedNameRole)
        return QVariant();
    if (mColorGroupsMode)
        return groupData(row, role);
    return personData(mLudia.at(isFiltered() ? mFiltered.at(row) : row), role);
}

QVariant LudiaModel::personData(const PersonData &person, int role) const
{
    switch (role) {
    case UidRole:
        return person.uid;
    case DochidRole:
        return person.dochid;
    case TitulRole:
        return person.titul;
    case MenoRole:
        return person.meno;
    case PriezviskoRole:
        return person.priez;
    case AdminRole:
        return person.admin;
    case KartaRole:
        return person.karta.isEmpty() ? 0 : 1;
    case FingersRole:
        return int(person.fingers);
    case AccessRole:
        return person.acc;
    case ColorGroupRole:
        return int(person.colorGrp);
    case GrpColorRole:
        return groupColor(person.colorGrp);
    case PeopleInGroupCountRole:
        return 0;
    case JoinedNameRole:
        return joinedName(person);
    default: // the group texts are empty in people mode
        return QString();
    }
}

QVariant LudiaModel::groupData(int row, int role) const
{
    switch (role) {
    case ColorGroupRole:
        return int(getUsedGrp(row));
    case GrpColorRole:
        return getUsedColor(row);
    case TextRole:
        return peopleInGroupText(row, 0);
    case PeopleInGroupCountRole:
        return getUsedCount(row);
    case PeopleInGroupText1Role:
        return peopleInGroupText(row, 1);
    case PeopleInGroupText2Role:
        return peopleInGroupText(row, 2);
    case JoinedNameRole:
        return QString();
    default: // a group row has no person
        return personData(PersonData(), role);
    }
}

QHash<int, QByteArray> LudiaModel::roleNames() const
{
    return {
        { UidRole, "uid" },
        { DochidRole, "dochid" },
        { TitulRole, "titul" },
        { MenoRole, "meno" },
        { PriezviskoRole, "priezvisko" },
        { AdminRole, "admin" },
        { KartaRole, "karta" },
        { FingersRole, "fingers" },
        { AccessRole, "access" },
        { ColorGroupRole, "colorGroup" },
        { GrpColorRole, "grpColor" },
        { TextRole, "text" },
        { PeopleInGroupCountRole, "peopleInGroupCount" },
        { PeopleInGroupText1Role, "peopleInGroupText1" },
        { PeopleInGroupText2Role, "peopleInGroupText2" },
        { JoinedNameRole, "joinedName" },
    };
}

void LudiaModel::addClovek(const PersonData &person)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << QStringLiteral("LudiaModel::addClovek(%1)").arg(person.debugText());
    if (mColorGroupsMode) {
        // The person may open a group in the middle of the ordered group rows.
        beginResetModel();
        appendPerson(person);
        endResetModel();
    } else if (!isFiltered() || person.colorGrp == mGroupFilter) {
        beginInsertRows(QModelIndex(), rowCount(), rowCount());
        appendPerson(person);
        endInsertRows();
    } else {
        appendPerson(person);
    }
}

void LudiaModel::appendPerson(const PersonData &person)
{
    mLudia.append(person);
    if (isFiltered() && person.colorGrp == mGroupFilter)
        mFiltered.append(mLudia.size() - 1);
    ++mUsedGroups[person.colorGrp];
}

void LudiaModel::clear()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "LudiaModel::clear()";
    beginResetModel();
    mLudia.clear();
    mFiltered.clear();
    mUsedGroups.clear();
    endResetModel();
}

void LudiaModel::setPeople(QVector<PersonData> people)
{
    if (Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("LudiaModel::setPeople(%1)").arg(people.size());
    beginResetModel();
    mLudia = std::move(people);
    mUsedGroups.clear();
    for (const PersonData &person : qAsConst(mLudia))
        ++mUsedGroups[person.colorGrp];
    rebuildFiltered();
    endResetModel();
}

void LudiaModel::reload(DataDBManager *attendanceDb)
{
    QVector<PersonData> people;
    attendanceDb->loadPeopleForModel(people);
    setPeople(std::move(people));
}

void LudiaModel::rebuildFiltered()
{
    mFiltered.clear();
    if (!isFiltered())
        return;
    for (int i = 0; i < mLudia.size(); ++i) {
        if (mLudia.at(i).colorGrp == mGroupFilter)
            mFiltered.append(i);
    }
}

QMap<quint8, int>::const_iterator LudiaModel::usedGroupAt(int row) const
{
    if (row < 0 || row >= mUsedGroups.size())
        return mUsedGroups.cend();
    return std::next(mUsedGroups.cbegin(), row);
}

QColor LudiaModel::groupColor(int group) const
{
    // An unknown group, or a text that names no colour, gives an invalid colour.
    return QColor(mColorGroups.value(group));
}

QColor LudiaModel::getUsedColor(int row) const
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << QStringLiteral("LudiaModel::getUsedColor(%1)").arg(row);
    const auto it = usedGroupAt(row);
    if (it == mUsedGroups.cend())
        return QColor();
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "clrStr:" << mColorGroups.value(it.key());
    return groupColor(it.key());
}

int LudiaModel::getUsedCount(int row) const
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << QStringLiteral("LudiaModel::getUsedCount(%1)").arg(row);
    const auto it = usedGroupAt(row);
    return it == mUsedGroups.cend() ? 0 : it.value();
}

quint8 LudiaModel::getUsedGrp(int row) const
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << QStringLiteral("LudiaModel::getUsedGrp(%1)").arg(row);
    const auto it = usedGroupAt(row);
    return it == mUsedGroups.cend() ? 0 : it.key();
}

QString LudiaModel::peopleInGroupText(int row, int part) const
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote()
            << QStringLiteral("LudiaModel::peopleInGroupText(%1, %2)").arg(row).arg(part);
    const auto it = usedGroupAt(row);
    if (it == mUsedGroups.cend())
        return QString();
    QVector<const PersonData *> members;
    for (const PersonData &person : mLudia) {
        if (person.colorGrp == it.key())
            members.append(&person);
    }
    const int half = (members.size() + 1) / 2;
    const int first = part == 2 ? half : 0;
    const int last = part == 1 ? half : members.size();
    QString text;
    for (int i = first; i < last; ++i)
        text += joinedName(*members.at(i)) + QLatin1Char('\n');
    return text;
}

PersonData LudiaModel::get(int index) const
{
    return mLudia.value(index);
}

PersonData LudiaModel::getByDochId(uint dochId) const
{
    return mLudia.value(indexByDochId(dochId));
}

int LudiaModel::indexByDochId(uint dochId) const
{
    for (int i = 0; i < mLudia.size(); ++i) {
        if (uint(mLudia.at(i).dochid) == dochId)
            return i;
    }
    return -1;
}

int LudiaModel::getUid(int index) const
{
    return isValidIndex(index) ? mLudia.at(index).uid : -1;
}

int LudiaModel::getDochId(int index) const
{
    return isValidIndex(index) ? mLudia.at(index).dochid : -1;
}

int LudiaModel::getAdmin(int index) const
{
    return isValidIndex(index) ? mLudia.at(index).admin : -1;
}

int LudiaModel::getKarta(int index) const
{
    if (!isValidIndex(index))
        return -1;
    return mLudia.at(index).karta.isEmpty() ? 0 : 1;
}

int LudiaModel::getFingers(int index) const
{
    return isValidIndex(index) ? int(mLudia.at(index).fingers) : -1;
}

QString LudiaModel::getTitul(int index) const
{
    return mLudia.value(index).titul;
}

QString LudiaModel::getMeno(int index) const
{
    return mLudia.value(index).meno;
}

QString LudiaModel::getPriez(int index) const
{
    return mLudia.value(index).priez;
}

QString LudiaModel::getKartaKod(int index) const
{
    return mLudia.value(index).karta;
}

bool LudiaModel::getAccess(int index) const
{
    return isValidIndex(index) ? mLudia.at(index).acc : true;
}

quint8 LudiaModel::getColorGroup(int index) const
{
    return mLudia.value(index).colorGrp;
}

void LudiaModel::setColorGroups(const QStringList &colorGroups)
{
    if (Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("LudiaModel::setColorGroups(%1)")
                                  .arg(colorGroups.join(QLatin1Char(',')));
    beginResetModel();
    mColorGroups = colorGroups;
    endResetModel();
}

void LudiaModel::setColorGroups(const QString &colorStr)
{
    if (Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("LudiaModel::setColorGroups(%1)").arg(colorStr);
    beginResetModel();
    mColorGroups = colorStr.split(QLatin1Char(','), Qt::SkipEmptyParts);
    endResetModel();
}

void LudiaModel::setColorGroupsMode(bool colorGroupsMode)
{
    if (Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("LudiaModel::setColorGroupsMode(%1)")
                                  .arg(colorGroupsMode ? "true" : "false");
    if (colorGroupsMode == mColorGroupsMode)
        return;
    beginResetModel();
    mColorGroupsMode = colorGroupsMode;
    endResetModel();
    emit colorGroupsModeChanged(colorGroupsMode);
}

void LudiaModel::setGroupFilter(int groupFilter)
{
    if (Zep::debugLevel >= 1)
        qDebug().noquote() << QStringLiteral("LudiaModel::setGroupFilter(%1)").arg(groupFilter);
    // Views follow the new filter at once.
    beginResetModel();
    mGroupFilter = groupFilter;
    rebuildFiltered();
    endResetModel();
}
