#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QModelIndexList>
#include <QVector>

#include <algorithm>
#include <numeric>

namespace RowSort {

// Carries the persistent indexes of a flat model to the rows given by newRowOf
// (the new row of each old row).
template <class Model>
void movePersistentIndexes(Model &model, const QVector<int> &newRowOf)
{
    const QModelIndexList before = model.persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const bool inRange = index.row() >= 0 && index.row() < newRowOf.size();
        after.append(inRange ? model.index(newRowOf.at(index.row()), index.column())
                             : QModelIndex());
    }
    model.changePersistentIndexList(before, after);
}

// The old row of each new row once the rows are sorted, equal rows keeping
// their relative order; empty when no row moves.
template <class T, class Less>
QVector<int> sortedOrder(const QList<T *> &rows, Less less)
{
    QVector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&rows, &less](int a, int b) { return less(rows.at(a), rows.at(b)); });
    for (int i = 0; i < order.size(); ++i) {
        if (order.at(i) != i)
            return order;
    }
    return {};
}

// Puts the rows in that order; gives the new row of each old row.
template <class T>
QVector<int> reorder(QList<T *> &rows, const QVector<int> &order)
{
    QVector<int> newRowOf(rows.size());
    QList<T *> sorted;
    sorted.reserve(rows.size());
    for (int i = 0; i < order.size(); ++i) {
        sorted.append(rows.at(order.at(i)));
        newRowOf[order.at(i)] = i;
    }
    rows = sorted;
    return newRowOf;
}

// Rows first to last of a flat model, every column, changed.
template <class Model>
void reportRowsChanged(Model &model, int first, int last)
{
    last = qMin(last, model.rowCount() - 1);
    if (first <= last && model.columnCount() > 0)
        emit model.dataChanged(model.index(first, 0), model.index(last, model.columnCount() - 1));
}

} // namespace RowSort

// Reorders the rows of a flat model in place and carries the persistent
// indexes along, so that views keep their current row and selection across a
// re-sort. Rows that compare equal keep their relative order. Nothing is
// announced when the order does not change. Further models that show the
// same list of rows (followers) are reordered with it.
//
// Persistent indexes are protected in QAbstractItemModel, so each model that
// is sorted here declares RowSort::movePersistentIndexes a friend.
template <class Model, class T, class Less, class... Followers>
void sortModelRows(Model &model, QList<T *> &rows, Less less, Followers &...followers)
{
    const QVector<int> order = RowSort::sortedOrder(rows, less);
    if (order.isEmpty())
        return;

    emit model.layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    (emit followers.layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint), ...);
    const QVector<int> newRowOf = RowSort::reorder(rows, order);
    RowSort::movePersistentIndexes(model, newRowOf);
    (RowSort::movePersistentIndexes(followers, newRowOf), ...);
    emit model.layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    (emit followers.layoutChanged({}, QAbstractItemModel::VerticalSortHint), ...);
}

// As sortModelRows, but the new order is announced as a change of the data
// of the rows from the first to the last that moved, not as a new layout:
// a view then repaints that band instead of laying out and repainting all
// it shows. A shot moves one row up a few places, so the band is short.
// Only for tables whose rows are alike (same columns, same height) and
// whose views select no range of rows, which a move inside it would invert.
template <class Model, class T, class Less, class... Followers>
void sortModelRowsInBand(Model &model, QList<T *> &rows, Less less, Followers &...followers)
{
    const QVector<int> order = RowSort::sortedOrder(rows, less);
    if (order.isEmpty())
        return;

    int first = 0;
    while (order.at(first) == first)
        ++first;
    int last = order.size() - 1;
    while (order.at(last) == last)
        --last;
    const QVector<int> newRowOf = RowSort::reorder(rows, order);
    RowSort::movePersistentIndexes(model, newRowOf);
    (RowSort::movePersistentIndexes(followers, newRowOf), ...);
    RowSort::reportRowsChanged(model, first, last);
    (RowSort::reportRowsChanged(followers, first, last), ...);
}
