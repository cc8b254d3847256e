#include "teventlistproxy.h"

#include "proxyrows.h"
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
    return ProxyRows::valueAt(this, n, TEventList::Id1Role);
}

int TEventListProxy::subNumOfRow(int n) const
{
    return ProxyRows::valueAt(this, n, TEventList::Id2Role);
}

int TEventListProxy::rowOfEventID(int id) const
{
    return ProxyRows::rowOf(this, TEventList::Id1Role, id);
}

int TEventListProxy::rowOfSubNum(int subNum) const
{
    return ProxyRows::rowOf(this, TEventList::Id2Role, subNum);
}
