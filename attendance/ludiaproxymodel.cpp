#include "attendance/ludiaproxymodel.h"

#include "attendance/ludiamodel.h"

#include <algorithm>
#include <numeric>

LudiaProxyModel::LudiaProxyModel(LudiaModel *source, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    mCollator.setCaseSensitivity(Qt::CaseInsensitive);
    // Connected before the source is set, so the ranks are dropped before the
    // proxy re-sorts on the same notification.
    connect(
        source, &QAbstractItemModel::modelAboutToBeReset, this, &LudiaProxyModel::dropSortRanks);
    connect(
        source, &QAbstractItemModel::rowsAboutToBeInserted, this, &LudiaProxyModel::dropSortRanks);
    connect(
        source, &QAbstractItemModel::rowsAboutToBeRemoved, this, &LudiaProxyModel::dropSortRanks);
    connect(
        source, &QAbstractItemModel::layoutAboutToBeChanged, this, &LudiaProxyModel::dropSortRanks);
    connect(source, &QAbstractItemModel::dataChanged, this, &LudiaProxyModel::dropSortRanks);
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

int LudiaProxyModel::sortRank(const QModelIndex &index) const
{
    if (mSortRanks.empty()) {
        const QAbstractItemModel *source = sourceModel();
        const int rows = source->rowCount();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(size_t(rows));
        for (int row = 0; row < rows; ++row) {
            // Folded first: the C locale's collation ignores the case setting.
            keys.push_back(mCollator.sortKey(
                source->index(row, 0).data(sortRole()).toString().toCaseFolded()));
        }
        std::vector<int> order(static_cast<size_t>(rows));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
            return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
        });
        mSortRanks.resize(size_t(rows));
        for (int rank = 0; rank < rows; ++rank)
            mSortRanks[size_t(order[size_t(rank)])] = rank;
    }
    return mSortRanks[size_t(index.row())];
}

bool LudiaProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return sortRank(left) < sortRank(right);
}
