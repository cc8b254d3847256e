#include "tmemberspractice.h"

#include "tshooter.h"

#include <QDebug>
#include <QHash>
#include <QSqlError>

namespace {

const QString kParticipantHeader = QStringLiteral("Участник");
const QString kTargetHeader = QStringLiteral("Мишень");

} // namespace

TMembersPractice::TMembersPractice(const QSqlDatabase &db, bool load, QObject *parent)
    : QAbstractTableModel(parent), m_db(db)
{
    m_kept = new KeptFile(&m_db, this);
    connect(m_kept, &KeptFile::reopenNow, this, &TMembersPractice::ensureDatabaseOpen);
    connect(m_kept, &KeptFile::back, this, &TMembersPractice::sig_fileBack);
    connect(m_kept, &KeptFile::writtenAgain, this, [this](const QStringList &keptAside) {
        m_readOnlyAt.clear();
        emit sig_fileLost(true, keptAside.join(QLatin1Char('\n')), QSqlError());
    });
    connect(m_kept, &KeptFile::lost, this,
            [this](const QSqlError &cause) { emit sig_fileLost(false, QString(), cause); });
    if (load)
        loadShooters();
}

void TMembersPractice::keepFileBeforeClose()
{
    QSqlError cause;
    m_kept->keepAtPath(true, &cause);
}

TMembersPractice::~TMembersPractice()
{
    m_kept->keepBeforeClose();
    m_db.close();
    qDeleteAll(m_shooters);
}

QModelIndex TMembersPractice::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TMembersPractice::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shooters.size();
}

int TMembersPractice::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TMembersPractice::data(const QModelIndex &index, int role) const
{
    const TShooter *shooter = shooterAt(index.row());
    if (!index.isValid() || !shooter || index.column() >= ColumnCount)
        return QVariant();
    const QString displayName = shooter->family() + QLatin1Char(' ') + shooter->name();
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return displayName;
        if (!shooter->isUsed())
            return QString();
        return QStringLiteral("%1%2").arg(shooter->target()).arg(shooter->errorTargetAddrMark());
    case Id1Role:
        return shooter->id();
    case ShooterFamilyNameRole:
        return shooter->family();
    case ShooterNameRole:
        return shooter->name();
    case ShooterBirthDateRole:
        return shooter->dateOfBirth();
    case ShooterGenderRole:
        return shooter->gender();
    case MemberRole:
        return true;
    case TxtRole:
        return displayName;
    case Id2Role:
        return 0;
    case ShooterUsedRole:
        return shooter->isUsed();
    default:
        return QVariant();
    }
}

QVariant TMembersPractice::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == NameColumn)
        return kParticipantHeader;
    if (section == TargetColumn)
        return kTargetHeader;
    return QStringLiteral("%1").arg(section);
}

Qt::ItemFlags TMembersPractice::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !shooterAt(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QHash<int, QByteArray> TMembersPractice::roleNames() const
{
    return {
        {Id1Role, "id1"},
        {ShooterFamilyNameRole, "shooterFamilyName"},
        {ShooterNameRole, "shooterName"},
        {ShooterBirthDateRole, "shooterBirthDate"},
        {ShooterGenderRole, "shooterGender"},
        {MemberRole, "member"},
        {TxtRole, "txt"},
        {Id2Role, "id2"},
        {ShooterUsedRole, "shooterUsed"},
    };
}

void TMembersPractice::clear()
{
    if (m_shooters.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_shooters.size() - 1);
    const QList<TShooter *> removed = m_shooters;
    m_shooters.clear();
    endRemoveRows();
    qDeleteAll(removed);
}

TShooter *TMembersPractice::shooterAt(int row) const
{
    return row >= 0 && row < m_shooters.size() ? m_shooters.at(row) : nullptr;
}

TShooter *TMembersPractice::nextShooter(const TShooter *shooter) const
{
    const int row = m_shooters.indexOf(const_cast<TShooter *>(shooter));
    return row < 0 ? nullptr : shooterAt(row + 1);
}

TShooter *TMembersPractice::shooterById(int id) const
{
    for (TShooter *shooter : m_shooters) {
        if (shooter->id() == id)
            return shooter;
    }
    return nullptr;
}

TShooter *TMembersPractice::shooterByTarget(int target) const
{
    for (TShooter *shooter : m_shooters) {
        if (shooter->target() == target)
            return shooter;
    }
    return nullptr;
}

int TMembersPractice::rowOf(const TShooter *shooter) const
{
    if (!shooter)
        return -1;
    return m_shooters.indexOf(shooterById(shooter->id()));
}

bool TMembersPractice::setUsed(int id, bool used)
{
    TShooter *shooter = shooterById(id);
    if (!shooter)
        return false;
    shooter->setUsed(used);
    // The participant and free-shooter views refilter on this.
    announceRow(m_shooters.indexOf(shooter));
    return true;
}

bool TMembersPractice::setUsedForShooter(const TShooter *shooter, bool used)
{
    return shooter && setUsed(shooter->id(), used);
}

bool TMembersPractice::setShooterTargetById(int id, int target)
{
    TShooter *shooter = shooterById(id);
    if (!shooter)
        return false;
    if (shooter->target() != target) {
        shooter->setTarget(target);
        announceRow(m_shooters.indexOf(shooter));
    }
    checkTargetConflicts();
    return true;
}

bool TMembersPractice::setShooterTarget(const TShooter *shooter, int target)
{
    return shooter && setShooterTargetById(shooter->id(), target);
}

void TMembersPractice::setAdditionById(int id, bool addition)
{
    if (TShooter *shooter = shooterById(id))
        shooter->setAddition(addition);
}

bool TMembersPractice::isUsedById(int id) const
{
    const TShooter *shooter = shooterById(id);
    return shooter && shooter->isUsed();
}

bool TMembersPractice::setTargetEnabledForShooter(const TShooter *shooter, bool enabled)
{
    TShooter *own = shooter ? shooterById(shooter->id()) : nullptr;
    if (!own)
        return false;
    own->setTargetEnabled(enabled);
    return true;
}

bool TMembersPractice::checkTargetConflicts()
{
    const bool before = m_conflict;
    // Counted once per target instead of comparing every pair of rows.
    QHash<int, int> usedOnTarget;
    for (const TShooter *shooter : qAsConst(m_shooters)) {
        if (shooter->isUsed())
            ++usedOnTarget[shooter->target()];
    }
    m_conflict = false;
    QList<int> changedRows;
    for (int row = 0; row < m_shooters.size(); ++row) {
        TShooter *shooter = m_shooters.at(row);
        const bool mark = shooter->isUsed() && usedOnTarget.value(shooter->target()) > 1;
        if (mark != shooter->errorTargetAddr()) {
            shooter->setErrorTargetAddr(mark);
            changedRows.append(row);
        }
        m_conflict = m_conflict || mark;
    }
    if (m_conflict != before && !m_shooters.isEmpty()) {
        emit dataChanged(index(0, NameColumn), index(m_shooters.size() - 1, TargetColumn));
    } else {
        // The flag stayed, yet a third shooter may have joined or left a clash.
        for (int row : qAsConst(changedRows))
            announceRow(row);
    }
    return m_conflict;
}

void TMembersPractice::announceRow(int row)
{
    if (row >= 0 && row < m_shooters.size())
        emit dataChanged(index(row, NameColumn), index(row, TargetColumn));
}
