#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QModelIndexList>
#include <QVector>

#include <algorithm>
#include <numeric>

// Reorders the rows of a flat model in place and carries the persistent
// indexes along, so that views keep their current row and selection across a
// re-sort. Rows that compare equal keep their relative order. Nothing is
// announced when the order does not change.
//
// Persistent indexes are protected in QAbstractItemModel, so each model that
// uses this declares it a friend.
template <class Model, class T, class Less>
void sortModelRows(Model &model, QList<T *> &rows, Less less)
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
    QVector<int> newRowOf(rows.size());
    QList<T *> sorted;
    sorted.reserve(rows.size());
    for (int i = 0; i < order.size(); ++i) {
        sorted.append(rows.at(order.at(i)));
        newRowOf[order.at(i)] = i;
    }
    rows = sorted;

    const QModelIndexList before = model.persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const bool inRange = index.row() >= 0 && index.row() < newRowOf.size();
        after.append(inRange ? model.index(newRowOf.at(index.row()), index.column())
                             : QModelIndex());
    }
    model.changePersistentIndexList(before, after);
    emit model.layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
