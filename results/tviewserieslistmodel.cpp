#include "tviewserieslistmodel.h"

#include "totalssource.h"
#include "tviewbulletlist.h"
#include "tviewmemberplace.h"

namespace {
const QString kTotalHeader = QStringLiteral("         TOTAL        ");
} // namespace

void TViewSeriesListModel::setBulletList(TViewBulletList *list)
{
    if (bulletList())
        detach();
    if (list)
        attach(list, kFixedColumns + list->seriesCount() + 1);
}

QVariant TViewSeriesListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !bulletList() || section < 0)
        return QVariant();
    if (section < kFixedColumns)
        return memberHeader(section);
    if (section < kFixedColumns + bulletList()->seriesCount())
        return numberHeader(section - kFixedColumns + 1);
    return kTotalHeader;
}

QVariant TViewSeriesListModel::data(const QModelIndex &index, int role) const
{
    const TViewMemberPlace *place = index.isValid() ? placeOfRow(index.row()) : nullptr;
    if (!place)
        return QVariant();
    const int column = index.column();
    if (role != Qt::DisplayRole || column < kFixedColumns)
        return memberData(place, index.row(), column, role);
    const bool tenths = bulletList()->showTenths();
    const int series = bulletList()->seriesCount();
    if (column < kFixedColumns + series) {
        const int k = column - kFixedColumns + 1;
        return tenths ? totalsTenthsCell(qRound(place->seriesSumTenths(k) * 10.0),
                                         place->seriesMarked(k))
                      : totalsCell(place->seriesSumInt(k), place->seriesMarked(k));
    }
    if (column == kFixedColumns + series) {
        return tenths ? totalsTenthsCell(qRound(place->totalTenths() * 10.0), place->markedCount())
                      : totalsCell(place->totalInt(), place->markedCount());
    }
    return QVariant();
}

QHash<int, QByteArray> TViewSeriesListModel::roleNames() const
{
    return {{MemberIdRole, "memberID"}, {MemberRelayRole, "memberRelay"}};
}
