#include "trelay.h"

#include "tevent.h"
#include "tshooter.h"

#include <QImage>

namespace {

const QString kFoundImage = QStringLiteral(":/clasters/img/clasters/green_ico.png");
const QString kMissingImage = QStringLiteral(":/clasters/img/clasters/red_ico.png");

QImage stateImage(bool found)
{
    return QImage(found ? kFoundImage : kMissingImage);
}

} // namespace

TRelay::TRelay(TEvent *event, QObject *parent) : QAbstractTableModel(parent), m_event(event)
{
}

TRelay::~TRelay()
{
    m_members.clear();
    m_targets.clear();
}

QModelIndex TRelay::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TRelay::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_members.size();
}

int TRelay::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TRelay::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_members.size())
        return QVariant();
    const TShooter *member = m_members.at(index.row());

    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case StartNumberColumn:
            return member->startNumber();
        case NameColumn:
            return QStringLiteral("%1 %2").arg(member->family(), member->name());
        case TargetColumn:
            return QStringLiteral("%1").arg(member->target());
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        if (index.column() == TargetColumn)
            return stateImage(member->isTargetEnabled());
        if (index.column() == TerminalColumn)
            return stateImage(member->isPCEnabled());
        return QVariant();
    case MemberTargetAddrRole:
        return member->target();
    case ErrorTargetAddrRole:
        return member->errorTargetAddr();
    default:
        return MemberRoles::data(member, role);
    }
}

QVariant TRelay::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0)
        return QVariant();
    switch (section) {
    case StartNumberColumn:
        return QStringLiteral("Старт.номер");
    case NameColumn:
        return QStringLiteral("Участник");
    case TargetColumn:
        return QStringLiteral("Мишень");
    case TerminalColumn:
        return QStringLiteral("Терминал");
    default:
        return QStringLiteral("%1").arg(section);
    }
}

void TRelay::sort(int, Qt::SortOrder)
{
    sortModelRows(*this, m_members, TShooter::lessByStartNumber);
}

QHash<int, QByteArray> TRelay::roleNames() const
{
    QHash<int, QByteArray> names = MemberRoles::names();
    names.insert(MemberTargetAddrRole, "memberTargetAddr");
    names.insert(ErrorTargetAddrRole, "errorTargetAddr");
    return names;
}

int TRelay::eventID() const
{
    return m_event ? m_event->id() : -1;
}

int TRelay::eventNum() const
{
    return m_event ? m_event->num() : -1;
}

bool TRelay::eventFinal() const
{
    return m_event && m_event->isFinal();
}

TShooter *TRelay::memberAt(int index) const
{
    return index >= 0 && index < m_members.size() ? m_members.at(index) : nullptr;
}

TShooter *TRelay::nextMember(TShooter *member) const
{
    const int index = indexOfMember(member);
    return index < 0 ? nullptr : memberAt(index + 1);
}

int TRelay::indexOfMember(const TShooter *member) const
{
    if (!member)
        return -1;
    for (int i = 0; i < m_members.size(); ++i) {
        if (m_members.at(i)->id() == member->id())
            return i;
    }
    return -1;
}

TShooter *TRelay::memberByMemberID(int memberID) const
{
    return memberAt(rowOfMemberID(memberID));
}

TShooter *TRelay::memberByShooterID(int shooterID) const
{
    for (TShooter *member : m_members) {
        if (member->id() == shooterID)
            return member;
    }
    return nullptr;
}

int TRelay::targetOfMember(int memberID) const
{
    const TShooter *member = memberByMemberID(memberID);
    return member ? m_targets.value(member, -1) : -1;
}

int TRelay::memberIDOnTarget(int target) const
{
    for (TShooter *member : m_members) {
        const auto found = m_targets.constFind(member);
        if (found != m_targets.constEnd() && found.value() == target)
            return member->memberID();
    }
    return -1;
}

bool TRelay::isSettled(const TShooter *member) const
{
    if (eventFinal())
        return member->finalState() != 0;
    return member->isEventDone(eventNum());
}

bool TRelay::canAddMember(const TShooter *member) const
{
    if (!member || containsMember(member))
        return false;
    // A relay that has been shot, even in part, takes nobody new.
    return std::none_of(m_members.cbegin(), m_members.cend(),
                        [this](const TShooter *inRelay) { return isSettled(inRelay); });
}

bool TRelay::canRemoveMember(const TShooter *member) const
{
    return member && !isSettled(member);
}

int TRelay::addMember(TShooter *member, int target)
{
    if (!canAddMember(member))
        return -1;
    member->setErrorTargetAddr(false);
    const int row = m_members.size();
    beginInsertRows(QModelIndex(), row, row);
    m_members.append(member);
    m_targets.insert(member, target);
    endInsertRows();
    sort();
    checkTargets();
    return row;
}

bool TRelay::removeMember(TShooter *member)
{
    if (!canRemoveMember(member))
        return false;
    const int row = indexOfMember(member);
    if (row >= 0) {
        removeRow(row);
        checkTargets();
    }
    return true;
}

void TRelay::dropMember(const TShooter *member)
{
    const int row = indexOfMember(member);
    if (row < 0)
        return;
    removeRow(row);
    checkTargets();
}

void TRelay::removeRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_targets.remove(m_members.takeAt(row));
    endRemoveRows();
}

bool TRelay::setMemberTarget(int memberID, int target)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member || m_targets.value(member, -1) == -1)
        return false;
    m_targets.insert(member, target);
    announceRowChanged(m_members.indexOf(member));
    return checkTargets();
}

void TRelay::clear()
{
    if (!m_members.isEmpty()) {
        beginRemoveRows(QModelIndex(), 0, m_members.size() - 1);
        m_members.clear();
        endRemoveRows();
    }
    m_targets.clear();
}

bool TRelay::checkTargets()
{
    QHash<int, int> membersOnTarget;
    for (TShooter *member : m_members) {
        const auto found = m_targets.constFind(member);
        if (found != m_targets.constEnd())
            ++membersOnTarget[found.value()];
    }

    bool shared = false;
    for (int row = 0; row < m_members.size(); ++row) {
        TShooter *member = m_members.at(row);
        const auto found = m_targets.constFind(member);
        if (found == m_targets.constEnd())
            continue;
        const bool duplicate = membersOnTarget.value(found.value()) > 1;
        shared = shared || duplicate;
        if (duplicate != member->errorTargetAddr()) {
            member->setErrorTargetAddr(duplicate);
            announceRowChanged(row);
        }
    }
    return !shared;
}

bool TRelay::hasDuplicateTargets() const
{
    QList<int> seen;
    for (TShooter *member : m_members) {
        const auto found = m_targets.constFind(member);
        if (found == m_targets.constEnd())
            continue;
        if (seen.contains(found.value()))
            return true;
        seen.append(found.value());
    }
    return false;
}

bool TRelay::hasMissingTargets() const
{
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [this](TShooter *member) { return m_targets.value(member, -1) < 0; });
}

bool TRelay::allMembersDone() const
{
    return std::all_of(m_members.cbegin(), m_members.cend(),
                       [this](const TShooter *member) { return isSettled(member); });
}

bool TRelay::applyTargets()
{
    if (hasDuplicateTargets())
        return false;
    for (int row = 0; row < m_members.size(); ++row) {
        TShooter *member = m_members.at(row);
        const int target = m_targets.value(member, -1);
        if (target < 0)
            return false;
        member->setTarget(target);
        announceRowChanged(row);
    }
    return true;
}

bool TRelay::resetForRun()
{
    if (!applyTargets())
        return false;
    for (int row = 0; row < m_members.size(); ++row) {
        TShooter *member = m_members.at(row);
        if (eventFinal())
            member->setFinalDone(false);
        else
            member->setEventDone(eventNum(), false);
        member->clearEnabledFlags();
        announceRowChanged(row);
    }
    return true;
}

bool TRelay::setTargetEnabled(int memberID, bool enabled)
{
    const int row = rowOfMemberID(memberID);
    if (row < 0)
        return false;
    m_members.at(row)->setTargetEnabled(enabled);
    announceRowChanged(row, TargetColumn, TargetColumn);
    return true;
}

bool TRelay::setPCEnabled(int memberID, bool enabled)
{
    const int row = rowOfMemberID(memberID);
    if (row < 0)
        return false;
    m_members.at(row)->setPCEnabled(enabled);
    announceRowChanged(row, TerminalColumn, TerminalColumn);
    return true;
}

void TRelay::refreshShooter(int shooterID)
{
    for (int row = 0; row < m_members.size(); ++row) {
        if (m_members.at(row)->id() == shooterID) {
            announceRowChanged(row);
            return;
        }
    }
}

bool TRelay::lessThan(const TRelay *a, const TRelay *b)
{
    // Exercises numbered 0 are shot after all others.
    constexpr int kLastEventNum = 256;
    const auto orderedNum = [](const TRelay *relay) {
        return relay->eventNum() == 0 ? kLastEventNum : relay->eventNum();
    };
    if (orderedNum(a) != orderedNum(b))
        return orderedNum(a) < orderedNum(b);
    return a->number() < b->number();
}

int TRelay::rowOfMemberID(int memberID) const
{
    for (int i = 0; i < m_members.size(); ++i) {
        if (m_members.at(i)->memberID() == memberID)
            return i;
    }
    return -1;
}

void TRelay::announceRowChanged(int row, int firstColumn, int lastColumn)
{
    if (row >= 0 && row < m_members.size())
        emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}
