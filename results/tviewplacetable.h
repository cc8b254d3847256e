#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>

class TViewBulletList;
class TViewMemberPlace;

// What the viewer's shot table and series table share: one row per place of
// a stored exercise in rank order, the member columns in front (POS, NAME,
// TEAM, START NUM) and the member's ID and relay on every cell. A row keeps
// only its shooter ID and finds its place again through the list, which the
// table does not own and which must outlive its attachment.
class TViewPlaceTable : public QAbstractTableModel
{
public:
    enum Column { PosColumn = 0, NameColumn = 1, TeamColumn = 2, StartNumColumn = 3 };
    static constexpr int kFixedColumns = 4;

    enum Role {
        MemberIdRole = Qt::UserRole + 2,    // 258
        MemberRelayRole = Qt::UserRole + 3, // 259
    };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    TViewBulletList *bulletList() const { return m_list; }

protected:
    // Announces the removal of every row and column there is, and forgets
    // the list.
    void detach();
    // Shows the list with that many columns and one row per place. The
    // columns come first, so that a relay filter in front already reads
    // every new row's relay.
    void attach(TViewBulletList *list, int columns);
    // Replaces the columns by count new ones.
    void resetColumns(int count);

    // The place of a row, null outside the rows or when the list lost it.
    TViewMemberPlace *placeOfRow(int row) const;
    // The member columns' display and decoration, and roles 258 and 259 of
    // any column; invalid for everything else.
    QVariant memberData(const TViewMemberPlace *place, int row, int column, int role) const;
    static QVariant memberHeader(int section);
    // The header of a shot or series column, padded so that the view
    // centres the number in a wide column.
    static QString numberHeader(int number);

private:
    TViewBulletList *m_list = nullptr; // not owned
    QList<int> m_rows;    // the shooter ID of each row's place
    QList<int> m_columns; // only the count matters
};

// Keeps the rows of one relay of a viewer table, in the table's order; a
// negative relay keeps every row.
class TViewRelayProxy : public QSortFilterProxyModel
{
public:
    TViewRelayProxy(QAbstractItemModel *source, QObject *parent);

    void setModel(QAbstractItemModel *model);
    void setRelay(int relay);
    int relay() const { return m_relay; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    int m_relay = 1;
};
