#pragma once

#include <QSortFilterProxyModel>

class TEventList;

// The practice exercises of one weapon, in file order: filter -1 shows
// every exercise, 0 the rifle and 1 the pistol exercises, 2 or more none.
class TEventListProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    static constexpr int kAllWeapons = -1;
    static constexpr int kNoWeapon = 2;

    explicit TEventListProxy(TEventList *source, QObject *parent = nullptr);

    void setWeaponFilter(int value);
    int weaponFilter() const { return m_weaponFilter; }

    // The type ID and the SubNum of the n-th shown exercise; -1 when fewer are shown.
    int eventIDOfRow(int n) const;
    int subNumOfRow(int n) const;
    // The shown row of the first shown exercise with that type ID (SubNum); -1 when none.
    int rowOfEventID(int id) const;
    int rowOfSubNum(int subNum) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    int m_weaponFilter = kAllWeapons;
};
