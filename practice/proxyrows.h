#pragma once

#include <QAbstractItemModel>

// Lookups by shown row in the practice filter views. They neither sort nor
// nest, so a view's n-th row is the n-th source row it accepts.
namespace ProxyRows {

// The role's value in row n as an int; -1 when the view shows fewer rows.
inline int valueAt(const QAbstractItemModel *view, int n, int role)
{
    if (n < 0 || n >= view->rowCount())
        return -1;
    return view->index(n, 0).data(role).toInt();
}

// The first shown row whose role has that value; -1 when none.
inline int rowOf(const QAbstractItemModel *view, int role, int value)
{
    for (int row = 0; row < view->rowCount(); ++row) {
        if (view->index(row, 0).data(role).toInt() == value)
            return row;
    }
    return -1;
}

} // namespace ProxyRows
