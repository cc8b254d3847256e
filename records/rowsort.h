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
    QVector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&rows, &less](int a, int b) { return less(rows.at(a), rows.at(b)); });

    bool moved = false;
    for (int i = 0; i < order.size() && !moved; ++i)
        moved = order.at(i) != i;
    if (!moved)
        return;

    emit model.layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    (emit followers.layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint), ...);
    QVector<int> newRowOf(rows.size());
    QList<T *> sorted;
    sorted.reserve(rows.size());
    for (int i = 0; i < order.size(); ++i) {
        sorted.append(rows.at(order.at(i)));
        newRowOf[order.at(i)] = i;
    }
    rows = sorted;

    RowSort::movePersistentIndexes(model, newRowOf);
    (RowSort::movePersistentIndexes(followers, newRowOf), ...);
    emit model.layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    (emit followers.layoutChanged({}, QAbstractItemModel::VerticalSortHint), ...);
}
