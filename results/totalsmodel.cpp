#include "totalsmodel.h"

#include <algorithm>

TotalsModel::TotalsModel(const TotalsSource &source, const QStringList &titles,
                         const QVector<int> &positions, QObject *parent)
    : QAbstractTableModel(parent), m_source(source), m_titles(titles), m_positions(positions),
      m_columnCount(int(std::count_if(positions.cbegin(), positions.cend(),
                                      [](int position) { return position >= 0; })))
{
}

QModelIndex TotalsModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column, quintptr(0));
}

int TotalsModel::rowCount(const QModelIndex &parent) const
{
    // A cell of a table has no children.
    return parent.isValid() ? 0 : rows();
}

int TotalsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columnCount;
}

int TotalsModel::logicalColumn(int section) const
{
    return section < 0 ? -1 : int(m_positions.indexOf(section));
}

QVariant TotalsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return QVariant();
    const TotalsPlace place = placeOfRow(index.row());
    if (place.isNull())
        return QVariant();
    const int column = logicalColumn(index.column());
    if (role == Qt::DecorationRole)
        return column == Team ? QVariant(place.flagIcon()) : QVariant();
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case Rank:
        return index.row() + 1;
    case Name:
        return place.name();
    case Team:
        return place.teamLabel();
    case StartNum:
        return QString::number(place.startNumber());
    default:
        return column >= FirstFigure ? figureCell(place, index.row(), column) : QVariant();
    }
}

QVariant TotalsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section >= m_columnCount)
        return QString::number(section);
    return m_titles.value(logicalColumn(section));
}

Qt::ItemFlags TotalsModel::flags(const QModelIndex &index) const
{
    // Cells can be neither selected nor edited.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
