#include "tseries.h"

#include "tmemberplace.h"

TSeries::TSeries(const QList<TMemberPlace *> *places, int seriesCount, bool compact,
                 QObject *parent)
    : QAbstractTableModel(parent),
      m_columns(compact ? TPlaceColumns::compact(false) : TPlaceColumns::full()), m_places(places),
      m_seriesCount(qMax(0, seriesCount)), m_compact(compact)
{
}

QModelIndex TSeries::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

int TSeries::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TSeries::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : totalColumn() + 1;
}

const TMemberPlace *TSeries::placeOfRow(int row) const
{
    const int i = row - m_firstRow;
    if (!m_places || row >= m_rowCount || i < 0 || i >= m_places->size())
        return nullptr;
    return m_places->at(i);
}

const TMemberPlace *TSeries::placeOfTarget(int target) const
{
    if (!m_places)
        return nullptr;
    for (const TMemberPlace *place : *m_places) {
        if (place->target() == target)
            return place;
    }
    return nullptr;
}

QVariant TSeries::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const TMemberPlace *place = placeOfRow(index.row());
    if (!place)
        return QVariant();
    const int column = index.column();
    if (role == Qt::DecorationRole && column == m_columns.team)
        return place->flagIcon();
    if (role != Qt::DisplayRole)
        return QVariant();
    if (column < m_columns.firstShot)
        return m_columns.text(place, column);
    if (column == totalColumn())
        return totalText(place);
    return seriesText(place, column);
}

QString TSeries::resultText(const TMemberPlace *place, int firstSeries, int lastSeries) const
{
    int marked = 0;
    int sum = 0;
    double sumTenths = 0.0;
    for (int k = firstSeries; k <= lastSeries; ++k) {
        marked += place->seriesMarked(k, m_seriesSize);
        if (m_showTenths)
            sumTenths += place->seriesSumTenths(k, m_seriesSize);
        else
            sum += place->seriesSumInt(k, m_seriesSize);
    }
    return ::resultText(m_showTenths, m_showTenths ? sumTenths : sum, marked);
}

QVariant TSeries::seriesText(const TMemberPlace *place, int column) const
{
    if (column < m_columns.firstShot || column >= totalColumn() || m_seriesCount < 1)
        return QVariant();
    const int complete = place->matchSeriesCount(m_seriesSize);
    if (complete < 1)
        return QVariant();
    // The columns show the page of series that holds the last complete one.
    const int s =
        column - m_columns.firstShot + ((complete - 1) / m_seriesCount) * m_seriesCount + 1;
    if (s > complete)
        return QVariant();
    return resultText(place, s, s);
}

QVariant TSeries::totalText(const TMemberPlace *place) const
{
    const int complete = place->matchSeriesCount(m_seriesSize);
    if (m_seriesCount < 1 || complete < 1 || complete % m_seriesCount != 0)
        return QVariant();
    // The page's series and the shots already in the series after it.
    return resultText(place, complete - m_seriesCount + 1, complete + m_seriesCount - 1);
}

QVariant TSeries::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return m_columns.header(section, totalColumn(),
                            QStringLiteral("           TOTAL           "));
}

Qt::ItemFlags TSeries::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QStringList TSeries::possibleTexts(int column) const
{
    if (column < m_columns.firstShot)
        return m_places ? m_columns.texts(*m_places, column) : QStringList();
    // The total holds the page's series and the shots already in the next.
    if (column == totalColumn())
        return {widestResultText(m_showTenths, m_seriesCount * m_seriesSize + m_seriesSize - 1)};
    if (column < totalColumn())
        return {widestResultText(m_showTenths, m_seriesSize)};
    return {};
}

bool TSeries::showsPictures(int column) const
{
    return column == m_columns.team;
}

void TSeries::setSeries(int count, int size)
{
    count = qMax(0, count);
    if (count > m_seriesCount) {
        beginInsertColumns(QModelIndex(), m_columns.firstShot + m_seriesCount,
                           m_columns.firstShot + count - 1);
        m_seriesCount = count;
        endInsertColumns();
    } else if (count < m_seriesCount) {
        beginRemoveColumns(QModelIndex(), m_columns.firstShot + count,
                           m_columns.firstShot + m_seriesCount - 1);
        m_seriesCount = count;
        endRemoveColumns();
    }
    m_seriesSize = size;
    refreshAll();
}

void TSeries::setShowTenths(bool showTenths)
{
    m_showTenths = showTenths;
    refreshAll();
}

void TSeries::rowInserted(int index)
{
    const int row = m_firstRow + qBound(0, index, m_rowCount);
    beginInsertRows(QModelIndex(), row, row);
    m_rowCount = m_places ? m_places->size() : 0;
    endInsertRows();
    refreshAll();
}

void TSeries::rowRemoved(int index)
{
    if (m_rowCount < 1)
        return;
    const int row = m_firstRow + qBound(0, index, m_rowCount - 1);
    beginRemoveRows(QModelIndex(), row, row);
    m_rowCount = m_places ? m_places->size() : 0;
    endRemoveRows();
    refreshAll();
}

void TSeries::removeAllRows()
{
    if (m_rowCount < 1)
        return;
    beginRemoveRows(QModelIndex(), m_firstRow, m_firstRow + m_rowCount - 1);
    m_rowCount = 0;
    endRemoveRows();
}

void TSeries::refreshAll()
{
    if (m_rowCount < 1 || columnCount() < 1)
        return;
    emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1));
}

void TSeries::refreshRow(int index)
{
    if (index < 0 || index >= m_rowCount || columnCount() < 1)
        return;
    const int row = m_firstRow + index;
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
}

bool TSeries::seriesResultInt(int target, int &sum, int &marked) const
{
    const TMemberPlace *place = placeOfTarget(target);
    if (!place)
        return false;
    sum = place->matchTotalInt();
    marked = place->markedTotal();
    return true;
}

bool TSeries::seriesResultTenths(int target, double &sum, int &marked) const
{
    const TMemberPlace *place = placeOfTarget(target);
    if (!place)
        return false;
    sum = place->matchTotalTenths();
    marked = place->markedTotal();
    return true;
}
