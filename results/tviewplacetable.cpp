#include "tviewplacetable.h"

#include "totalssource.h"
#include "tviewbulletlist.h"
#include "tviewmemberplace.h"

int TViewPlaceTable::rowCount(const QModelIndex &parent) const
{
    // A table has nothing below its cells.
    return parent.isValid() ? 0 : m_rows.size();
}

int TViewPlaceTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.size();
}

QModelIndex TViewPlaceTable::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

Qt::ItemFlags TViewPlaceTable::flags(const QModelIndex &index) const
{
    // Cells are shown only; the root is no cell at all.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void TViewPlaceTable::detach()
{
    // An empty range is no change: announcing rows 0 .. -1 breaks the views.
    if (!m_rows.isEmpty()) {
        beginRemoveRows(QModelIndex(), 0, m_rows.size() - 1);
        m_rows.clear();
        endRemoveRows();
    }
    if (!m_columns.isEmpty()) {
        beginRemoveColumns(QModelIndex(), 0, m_columns.size() - 1);
        m_columns.clear();
        endRemoveColumns();
    }
    m_list = nullptr;
}

void TViewPlaceTable::attach(TViewBulletList *list, int columns)
{
    m_list = list;
    resetColumns(columns);
    QList<int> rows;
    for (int i = 0; const TViewMemberPlace *place = list->placeAt(i); ++i)
        rows.append(place->shooterId());
    if (rows.isEmpty())
        return;
    beginInsertRows(QModelIndex(), 0, rows.size() - 1);
    m_rows = rows;
    endInsertRows();
}

void TViewPlaceTable::resetColumns(int count)
{
    if (!m_columns.isEmpty()) {
        beginRemoveColumns(QModelIndex(), 0, m_columns.size() - 1);
        m_columns.clear();
        endRemoveColumns();
    }
    if (count < 1)
        return;
    beginInsertColumns(QModelIndex(), 0, count - 1);
    for (int c = 0; c < count; ++c)
        m_columns.append(c);
    endInsertColumns();
}

TViewMemberPlace *TViewPlaceTable::placeOfRow(int row) const
{
    if (!m_list || row < 0 || row >= m_rows.size())
        return nullptr;
    return m_list->placeByShooterId(m_rows.at(row));
}

QVariant TViewPlaceTable::memberData(const TViewMemberPlace *place, int row, int column,
                                     int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case PosColumn:
            return row + 1;
        case NameColumn:
            return place->name();
        case TeamColumn:
            return TotalsPlace(place).teamLabel();
        case StartNumColumn:
            return place->startNumber();
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        return column == TeamColumn ? QVariant(place->countryIcon()) : QVariant();
    case MemberIdRole:
        return place->memberId();
    case MemberRelayRole:
        return place->relayNumber();
    default:
        return QVariant();
    }
}

QVariant TViewPlaceTable::memberHeader(int section)
{
    switch (section) {
    case PosColumn:
        return QStringLiteral("POS");
    case NameColumn:
        return QStringLiteral("NAME");
    case TeamColumn:
        return QStringLiteral("TEAM");
    case StartNumColumn:
        return QStringLiteral("START NUM");
    default:
        return QVariant();
    }
}

QString TViewPlaceTable::numberHeader(int number)
{
    return QStringLiteral("        %1       ").arg(number);
}

TViewRelayProxy::TViewRelayProxy(QAbstractItemModel *source, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSourceModel(source);
}

void TViewRelayProxy::setModel(QAbstractItemModel *model)
{
    setSourceModel(model);
    invalidate();
}

void TViewRelayProxy::setRelay(int relay)
{
    m_relay = relay;
    invalidateFilter();
}

bool TViewRelayProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_relay < 0)
        return true;
    const QModelIndex cell = sourceModel()->index(sourceRow, 0, sourceParent);
    return cell.data(TViewPlaceTable::MemberRelayRole).toInt() == m_relay;
}
