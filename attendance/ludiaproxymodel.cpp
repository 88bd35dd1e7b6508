#include "attendance/ludiaproxymodel.h"

#include "attendance/ludiamodel.h"

LudiaProxyModel::LudiaProxyModel(LudiaModel *source, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    mCollator.setCaseSensitivity(Qt::CaseInsensitive);
    // Connected before the source is set, so the keys are dropped before the
    // proxy re-sorts on the same notification.
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &LudiaProxyModel::dropSortKeys);
    connect(
        source, &QAbstractItemModel::rowsAboutToBeInserted, this, &LudiaProxyModel::dropSortKeys);
    connect(
        source, &QAbstractItemModel::rowsAboutToBeRemoved, this, &LudiaProxyModel::dropSortKeys);
    connect(
        source, &QAbstractItemModel::layoutAboutToBeChanged, this, &LudiaProxyModel::dropSortKeys);
    connect(source, &QAbstractItemModel::dataChanged, this, &LudiaProxyModel::dropSortKeys);
    setSourceModel(source);
    setSortLocaleAware(true);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortRole(LudiaModel::PriezviskoRole);
    sort(0, Qt::AscendingOrder);
}

void LudiaProxyModel::setFilterText(const QString &filterText)
{
    mFilterText = filterText;
    // One rebuild of the mapping: filtering row by row would announce every
    // gap between the rows that pass, which is slow for a large list.
    invalidate();
}

bool LudiaProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (mFilterText.isEmpty())
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    const auto contains = [&](int role) {
        return index.data(role).toString().contains(mFilterText, Qt::CaseInsensitive);
    };
    return contains(LudiaModel::DochidRole) || contains(LudiaModel::MenoRole)
        || contains(LudiaModel::PriezviskoRole);
}

const QCollatorSortKey &LudiaProxyModel::sortKey(const QModelIndex &index) const
{
    if (mSortKeys.size() != size_t(sourceModel()->rowCount()))
        mSortKeys.assign(size_t(sourceModel()->rowCount()), std::nullopt);
    std::optional<QCollatorSortKey> &key = mSortKeys[size_t(index.row())];
    if (!key)
        // Folded first: the C locale's collation ignores the case setting.
        key = mCollator.sortKey(index.data(sortRole()).toString().toCaseFolded());
    return *key;
}

bool LudiaProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return sortKey(left).compare(sortKey(right)) < 0;
}
