#include "tviewbulletlistmodel.h"

#include "tbullet.h"
#include "totalssource.h"
#include "tviewbulletlist.h"
#include "tviewmemberplace.h"

namespace {
const QString kSumHeader = QStringLiteral("         SUMM        ");
} // namespace

void TViewBulletListModel::setBulletList(TViewBulletList *list)
{
    if (bulletList())
        detach();
    m_currentSeries = 0;
    if (!list)
        return;
    m_currentSeries = 1;
    attach(list, kFixedColumns + list->seriesSize(m_currentSeries) + 1);
}

void TViewBulletListModel::setSeries(int number)
{
    if (bulletList() && number != m_currentSeries)
        setSeriesColumns(number);
}

void TViewBulletListModel::setSeriesColumns(int number)
{
    resetColumns(0);
    m_currentSeries = number;
    resetColumns(kFixedColumns + seriesSize() + 1);
}

int TViewBulletListModel::seriesSize() const
{
    return bulletList() ? bulletList()->seriesSize(m_currentSeries) : 0;
}

QVariant TViewBulletListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !bulletList()
        || m_currentSeries < 1 || section < 0)
        return QVariant();
    if (section < kFixedColumns)
        return memberHeader(section);
    if (section < kFixedColumns + seriesSize()) {
        const int number = bulletList()->seriesFirstIndex(m_currentSeries) + section - kFixedColumns + 1;
        return numberHeader(number);
    }
    return kSumHeader;
}

const TBullet *TViewBulletListModel::shotOfCell(const TViewMemberPlace *place, int column) const
{
    if (column < kFixedColumns || column >= kFixedColumns + seriesSize())
        return nullptr;
    return place->bulletOfSeries(m_currentSeries, column - kFixedColumns);
}

QVariant TViewBulletListModel::data(const QModelIndex &index, int role) const
{
    if (m_currentSeries < 1 || !index.isValid())
        return QVariant();
    const TViewMemberPlace *place = placeOfRow(index.row());
    if (!place)
        return QVariant();
    const int column = index.column();
    if (column < kFixedColumns || role == MemberIdRole || role == MemberRelayRole)
        return memberData(place, index.row(), column, role);
    if (const TBullet *shot = shotOfCell(place, column))
        return shotData(shot, role);
    if (column == kFixedColumns + seriesSize() && role == Qt::DisplayRole)
        return sumText(place);
    return QVariant();
}

QVariant TViewBulletListModel::shotData(const TBullet *shot, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        return shot->valueText(bulletList()->showTenths());
    case Qt::DecorationRole:
        return m_pictures.arrowOf(shot);
    case BullIdRole:
        return shot->id();
    case BullNumRole:
        return shot->number();
    case BullRankRole:
        return shot->score();
    case BullRank10Role:
        return shot->range10() / 10.0;
    case BullPlaceRole:
        return int(qint8(shot->positionCode()));
    case BulletRole:
        return true;
    default:
        return QVariant();
    }
}

QVariant TViewBulletListModel::sumText(const TViewMemberPlace *place) const
{
    const int marked = place->seriesMarked(m_currentSeries);
    if (bulletList()->showTenths())
        return totalsTenthsCell(qRound(place->seriesSumTenths(m_currentSeries) * 10.0), marked);
    return totalsCell(place->seriesSumInt(m_currentSeries), marked);
}

QHash<int, QByteArray> TViewBulletListModel::roleNames() const
{
    return {
        {BullIdRole, "bullID"},       {MemberIdRole, "memberID"},
        {MemberRelayRole, "memberRelay"}, {BullNumRole, "bullNum"},
        {BullRankRole, "bullRank"},   {BullRank10Role, "bullRank10"},
        {BullPlaceRole, "bullPlace"}, {BulletRole, "bullet"},
    };
}
