#pragma once

#include "tablepictures.h"
#include "tviewplacetable.h"

class TBullet;

// The shots of one series of a stored exercise: the member columns, one
// column per shot of the series (headed by the shot's number in the match)
// and the series sum with its marked shots. Rows in rank order.
class TViewBulletListModel : public TViewPlaceTable
{
public:
    enum Role {
        BullIdRole = Qt::UserRole + 1, // 257
        BullNumRole = Qt::UserRole + 4,
        BullRankRole,
        BullRank10Role,
        BullPlaceRole,
        BulletRole, // 264
    };

    TViewBulletListModel() = default;

    // Shows the list's series 1; null leaves the table empty. The list is
    // not owned.
    void setBulletList(TViewBulletList *list);
    // Nothing when no list is shown or that series is shown already.
    void setSeries(int number);
    int currentSeries() const { return m_currentSeries; }

    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void setSeriesColumns(int number);
    int seriesSize() const;
    // The shot of a cell of a shot column; null for other columns and for a
    // shot the member has not fired.
    const TBullet *shotOfCell(const TViewMemberPlace *place, int column) const;
    QVariant shotData(const TBullet *shot, int role) const;
    QVariant sumText(const TViewMemberPlace *place) const;

    int m_currentSeries = 0; // 0 while no list is shown
    TablePictures m_pictures;
};

// The shot table's rows of one relay.
class TViewBulletListRelayProxy : public TViewRelayProxy
{
public:
    explicit TViewBulletListRelayProxy(QAbstractItemModel *source, QObject *parent = nullptr)
        : TViewRelayProxy(source, parent)
    {
    }
};
