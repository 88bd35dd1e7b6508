#include "attendance/preruseniemodel.h"

#include "db/zepdbmanager.h"

PrerusenieModel::PrerusenieModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int PrerusenieModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : mPrerusenia.size();
}

QVariant PrerusenieModel::data(const QModelIndex &index, int role) const
{
    if (!isValidRow(index.row()))
        return QVariant();
    const PrerusenieData &p = mPrerusenia.at(index.row());
    switch (role) {
    case PidRole:
        return int(p.pid);
    case NazovRole:
        return p.nazov;
    case SkratkaRole:
        return p.skratka;
    case VahaRole:
        return p.vaha;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> PrerusenieModel::roleNames() const
{
    return {
        { PidRole, "pid" }, { NazovRole, "nazov" }, { SkratkaRole, "skratka" }, { VahaRole, "vaha" }
    };
}

void PrerusenieModel::addPrerusenie(const PrerusenieData &prerusenie)
{
    beginInsertRows(QModelIndex(), mPrerusenia.size(), mPrerusenia.size());
    mPrerusenia.append(prerusenie);
    endInsertRows();
}

void PrerusenieModel::clear()
{
    beginResetModel();
    mPrerusenia.clear();
    endResetModel();
}

void PrerusenieModel::setPrerusenia(const QList<PrerusenieData> &prerusenia)
{
    clear();
    for (const PrerusenieData &p : prerusenia)
        addPrerusenie(p);
}

void PrerusenieModel::reload(ZepDBManager *catalogueDb)
{
    QList<PrerusenieData> prerusenia;
    catalogueDb->loadInters(prerusenia);
    setPrerusenia(prerusenia);
}

int PrerusenieModel::getPid(int index) const
{
    return isValidRow(index) ? int(mPrerusenia.at(index).pid) : -1;
}

QString PrerusenieModel::getNazov(int index) const
{
    return isValidRow(index) ? mPrerusenia.at(index).nazov : QStringLiteral("?");
}

QString PrerusenieModel::getSkratka(int index) const
{
    return isValidRow(index) ? mPrerusenia.at(index).skratka : QStringLiteral("?");
}

int PrerusenieModel::getVaha(int index) const
{
    return isValidRow(index) ? mPrerusenia.at(index).vaha : 0;
}
