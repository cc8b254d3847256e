#pragma once

#include <QSortFilterProxyModel>

// Filters a competition list by weapon and maps between its rows and
// competition type IDs. The two mappings count accepted rows in source order,
// so they match the proxy's rows while it is not sorted.
class TCompetitionlistProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // Below 0 every row; 0 or 1 the rows of that weapon; above 1 none.
    static constexpr int kAllWeapons = -1;

    explicit TCompetitionlistProxy(QAbstractItemModel *source, QObject *parent = nullptr);

    void setWeaponFilter(int filter);
    int weaponFilter() const { return m_weaponFilter; }
    // The type ID of the n-th accepted row; -1 when fewer rows are accepted.
    int typeIDAtRow(int n) const;
    // The position of the first accepted row of that type; -1 when none.
    int rowOfTypeID(int typeID) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    // The source rows this filter accepts, in source order.
    QList<int> acceptedRows() const;
    int typeIDOfSourceRow(int sourceRow) const;

    int m_weaponFilter = kAllWeapons;
};
