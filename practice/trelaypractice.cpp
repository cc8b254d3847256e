#include "trelaypractice.h"

#include "tmemberspractice.h"
#include "tshooter.h"

TRelayPractice::TRelayPractice(TMembersPractice *roster, QObject *parent)
    : QAbstractTableModel(parent), m_roster(roster)
{
    // The rows point into the roster: a shooter the roster frees leaves here first.
    connect(m_roster, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                for (int row = first; row <= last; ++row)
                    dropShooter(m_roster->getShooter(row));
            });
}

void TRelayPractice::dropShooter(const TShooter *shooter)
{
    const int row = m_shooters.indexOf(const_cast<TShooter *>(shooter));
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_shooters.removeAt(row);
    endRemoveRows();
}

void TRelayPractice::fillFromRoster()
{
    clear();
    for (TShooter *shooter = m_roster->getShooter(0); shooter;
         shooter = m_roster->nextShooter(shooter)) {
        if (!shooter->isUsed())
            continue;
        beginInsertRows(QModelIndex(), m_shooters.size(), m_shooters.size());
        m_shooters.append(shooter);
        endInsertRows();
    }
}

void TRelayPractice::clear()
{
    if (m_shooters.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_shooters.size() - 1);
    m_shooters.clear();
    endRemoveRows();
}

void TRelayPractice::resetFound()
{
    for (TShooter *shooter = m_roster->getShooter(0); shooter;
         shooter = m_roster->nextShooter(shooter))
        m_roster->setTargetEnabledForShooter(shooter, false);
    if (!m_shooters.isEmpty())
        emit dataChanged(index(0, 0), index(m_shooters.size() - 1, kColumns - 1));
}

void TRelayPractice::SetEMUFound(int ta, bool found)
{
    TShooter *shooter = m_roster->shooterByTarget(ta);
    if (!shooter)
        return;
    m_roster->setTargetEnabledForShooter(shooter, found);
    const int row = m_shooters.indexOf(shooter);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

QModelIndex TRelayPractice::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TRelayPractice::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shooters.size();
}

int TRelayPractice::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant TRelayPractice::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shooters.size() || index.column() >= kColumns)
        return QVariant();
    const TShooter *shooter = m_shooters.at(index.row());
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return shooter->family() + QLatin1Char(' ') + shooter->name();
        return QStringLiteral("%1%2").arg(shooter->target()).arg(shooter->errorTargetAddrMark());
    }
    if (role == ShooterFoundRole)
        return shooter->isTargetEnabled();
    // The roster's roles, read from the shooter's roster row.
    const int row = m_roster->rowOf(shooter);
    return row < 0 ? QVariant() : m_roster->index(row, 0).data(role);
}

QVariant TRelayPractice::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return QStringLiteral("Участник");
    case 1:
        return QStringLiteral("Мишень");
    case 2:
        return QString(); // the target once more; it needs no caption of its own
    default:
        return QStringLiteral("%1").arg(section);
    }
}

Qt::ItemFlags TRelayPractice::flags(const QModelIndex &index) const
{
    Q_UNUSED(index)
    return Qt::NoItemFlags;
}

QHash<int, QByteArray> TRelayPractice::roleNames() const
{
    QHash<int, QByteArray> names = m_roster->roleNames();
    names.insert(ShooterFoundRole, "shooterFound");
    return names;
}
