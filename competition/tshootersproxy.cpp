#include "tshootersproxy.h"

#include "tmembers.h"
#include "tshooterenabledlist.h"

TShootersProxy::TShootersProxy(TShooterEnabledList *source, TMembers *members, QObject *parent)
    : QSortFilterProxyModel(parent), m_members(members)
{
    setSourceModel(source);
}

int TShootersProxy::shooterIDAt(int sourceRow) const
{
    return sourceModel()->index(sourceRow, 0).data(TShooterEnabledList::ShooterIdRole).toInt();
}

bool TShootersProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    Q_UNUSED(sourceParent)
    return !m_members || !m_members->containsShooter(shooterIDAt(sourceRow));
}

int TShootersProxy::rowOfShooter(int shooterID) const
{
    if (!sourceModel())
        return -1;
    int accepted = 0;
    for (int row = 0; row < sourceModel()->rowCount(); ++row) {
        if (!filterAcceptsRow(row, QModelIndex()))
            continue;
        if (shooterIDAt(row) == shooterID)
            return accepted;
        ++accepted;
    }
    return -1;
}
