#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>

#include <optional>
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
    const QCollatorSortKey &sortKey(const QModelIndex &index) const;
    void dropSortKeys() { mSortKeys.clear(); }

    QString mFilterText;
    QCollator mCollator;
    // Collation keys of the source rows, made on first use: comparing keys is far
    // cheaper than collating the texts again at every comparison of a sort.
    mutable std::vector<std::optional<QCollatorSortKey>> mSortKeys;
};
