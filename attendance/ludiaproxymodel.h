#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>

#include <vector>

class LudiaModel;

// The people list filtered by a search text and sorted by surname.
class LudiaProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit LudiaProxyModel(LudiaModel *source, QObject *parent = nullptr);

public slots:
    void setFilterText(const QString &filterText);

protected:
    // A row passes when the text occurs, ignoring case, in its number, first name or surname.
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    // Surnames in the order of the user's language, ignoring case.
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    int sortRank(const QModelIndex &index) const;
    void dropSortRanks() { mSortRanks.clear(); }

    QString mFilterText;
    QCollator mCollator;
    // The position of each source row in surname order, worked out once per change
    // of the source: a sort then compares two integers instead of collating texts.
    mutable std::vector<int> mSortRanks;
};
