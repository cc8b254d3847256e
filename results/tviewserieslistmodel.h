#pragma once

#include "tviewplacetable.h"

// The series sums of a stored exercise: the member columns, one column per
// series of the exercise's layout and the total of every shot, each with its
// marked shots. Rows in rank order.
class TViewSeriesListModel : public TViewPlaceTable
{
public:
    TViewSeriesListModel() = default;

    // Shows the list; null leaves the table empty. The list is not owned.
    void setBulletList(TViewBulletList *list);

    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
};

// The series table's rows of one relay.
class TViewSeriesListRelayProxy : public TViewRelayProxy
{
public:
    explicit TViewSeriesListRelayProxy(QAbstractItemModel *source, QObject *parent = nullptr)
        : TViewRelayProxy(source, parent)
    {
    }
};
