#pragma once

#include <QSortFilterProxyModel>

class TMembers;
class TShooterEnabledList;

// The shooters that are not yet members of the current competition: the only
// ones the member screen offers for adding. It does not watch the members;
// the competition module re-filters it after every change of them.
class TShootersProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // members is not owned.
    TShootersProxy(TShooterEnabledList *source, TMembers *members, QObject *parent = nullptr);

    // Position of the shooter among the accepted rows in source order; -1
    // when it is not shown. Matches the proxy's rows while it is unsorted.
    int rowOfShooter(int shooterID) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    int shooterIDAt(int sourceRow) const;

    TMembers *m_members = nullptr; // not owned
};
