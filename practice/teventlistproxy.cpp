#include "teventlistproxy.h"

#include "teventlist.h"

TEventListProxy::TEventListProxy(TEventList *source, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(source);
}

void TEventListProxy::setWeaponFilter(int value)
{
    m_weaponFilter = value;
    invalidateFilter();
}

bool TEventListProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    Q_UNUSED(sourceParent)
    if (m_weaponFilter < 0)
        return true;
    if (m_weaponFilter >= kNoWeapon)
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 0);
    return index.data(TEventList::EventWeaponRole).toInt() == m_weaponFilter;
}

int TEventListProxy::eventIDOfRow(int n) const
{
    return valueOfAcceptedRow(n, TEventList::Id1Role);
}

int TEventListProxy::subNumOfRow(int n) const
{
    return valueOfAcceptedRow(n, TEventList::Id2Role);
}

int TEventListProxy::rowOfEventID(int id) const
{
    return acceptedRowOfValue(TEventList::Id1Role, id);
}

int TEventListProxy::rowOfSubNum(int subNum) const
{
    return acceptedRowOfValue(TEventList::Id2Role, subNum);
}

int TEventListProxy::valueOfAcceptedRow(int n, int role) const
{
    if (n < 0 || !sourceModel())
        return -1;
    int accepted = 0;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (!filterAcceptsRow(row, QModelIndex()))
            continue;
        if (accepted == n)
            return sourceModel()->index(row, 0).data(role).toInt();
        ++accepted;
    }
    return -1;
}

int TEventListProxy::acceptedRowOfValue(int role, int value) const
{
    if (!sourceModel())
        return -1;
    int accepted = 0;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (!filterAcceptsRow(row, QModelIndex()))
            continue;
        if (sourceModel()->index(row, 0).data(role).toInt() == value)
            return accepted;
        ++accepted;
    }
    return -1;
}
