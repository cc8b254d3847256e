#include "tcompetitionlistproxy.h"

#include "tcompetitionlist.h"

namespace {
// Weapon codes the filter selects by; any higher filter shows nothing.
constexpr int kHighestWeapon = 1;
} // namespace

TCompetitionlistProxy::TCompetitionlistProxy(QAbstractItemModel *source, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(source);
}

void TCompetitionlistProxy::setWeaponFilter(int filter)
{
    m_weaponFilter = filter;
    invalidateFilter();
}

bool TCompetitionlistProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_weaponFilter < 0)
        return true;
    if (m_weaponFilter > kHighestWeapon)
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    // A competition whose type the list lacks has no weapon: it shows under
    // either, so that no stored competition drops out of sight.
    const int weapon = index.data(TCompetitionList::CompWeaponTypeRole).toInt();
    return weapon == m_weaponFilter || weapon < 0;
}

QList<int> TCompetitionlistProxy::acceptedRows() const
{
    QList<int> rows;
    if (!sourceModel())
        return rows;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (filterAcceptsRow(row, QModelIndex()))
            rows.append(row);
    }
    return rows;
}

int TCompetitionlistProxy::typeIDOfSourceRow(int sourceRow) const
{
    return sourceModel()->index(sourceRow, 0).data(TCompetitionList::CompTypeXMLIDRole).toInt();
}

int TCompetitionlistProxy::typeIDAtRow(int n) const
{
    const QList<int> rows = acceptedRows();
    return n >= 0 && n < rows.size() ? typeIDOfSourceRow(rows.at(n)) : -1;
}

int TCompetitionlistProxy::rowOfTypeID(int typeID) const
{
    const QList<int> rows = acceptedRows();
    for (int n = 0; n < rows.size(); ++n) {
        if (typeIDOfSourceRow(rows.at(n)) == typeID)
            return n;
    }
    return -1;
}
