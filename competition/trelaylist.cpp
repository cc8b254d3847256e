#include "trelaylist.h"

#include "tevent.h"
#include "trelay.h"
#include "tshooter.h"

TRelayList::TRelayList(QObject *parent)
    : QAbstractListModel(parent), m_editRelay(new TRelay(nullptr, this))
{
}

TRelayList::~TRelayList()
{
    qDeleteAll(m_relays);
    m_relays.clear();
}

QModelIndex TRelayList::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TRelayList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_relays.size();
}

QVariant TRelayList::data(const QModelIndex &index, int role) const
{
    const TRelay *relay = at(index.isValid() ? index.row() : -1);
    if (!relay)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case NumberRole:
        return relay->number();
    case EventIDRole:
        return relay->eventID();
    case EventNumRole:
        return relay->eventNum();
    case EventFinalRole:
        return relay->eventFinal();
    case ColMembersRole:
        return relay->memberCount();
    case EventRole:
        return relay->event() != nullptr;
    default:
        return QVariant();
    }
}

void TRelayList::sort(int, Qt::SortOrder)
{
    sortModelRows(*this, m_relays, TRelay::lessThan);
}

QHash<int, QByteArray> TRelayList::roleNames() const
{
    return {
        {NumberRole, "number"},         {EventIDRole, "eventID"},
        {EventNumRole, "eventNum"},     {EventFinalRole, "eventFinal"},
        {ColMembersRole, "colMembers"}, {EventRole, "event"},
    };
}

TRelay *TRelayList::at(int index) const
{
    return index >= 0 && index < m_relays.size() ? m_relays.at(index) : nullptr;
}

int TRelayList::indexOf(const TRelay *relay) const
{
    if (!relay)
        return -1;
    for (int i = 0; i < m_relays.size(); ++i) {
        const TRelay *candidate = m_relays.at(i);
        if (candidate->eventID() == relay->eventID() && candidate->number() == relay->number())
            return i;
    }
    return -1;
}

TRelay *TRelayList::next(const TRelay *relay) const
{
    const int index = indexOf(relay);
    return index < 0 ? nullptr : at(index + 1);
}

TRelay *TRelayList::findRelay(int eventID, int number) const
{
    for (TRelay *relay : m_relays) {
        if (relay->eventID() == eventID && relay->number() == number)
            return relay;
    }
    return nullptr;
}

TRelay *TRelayList::findKey(int eventID, int number) const
{
    return eventID < 0 || number < 0 ? nullptr : findRelay(eventID, number);
}

bool TRelayList::isInChain(const TEvent *event) const
{
    for (const TEvent *e = m_firstEvent; e; e = e->next()) {
        if (e == event)
            return true;
    }
    return false;
}

TRelay *TRelayList::addRelay(TEvent *event, int number)
{
    if (!event || !isInChain(event))
        return nullptr;
    auto *relay = new TRelay(event);
    relay->setNumber(number);
    const int row = m_relays.size();
    beginInsertRows(QModelIndex(), row, row);
    m_relays.append(relay);
    endInsertRows();
    sort();
    return findRelay(event->id(), number);
}

void TRelayList::removeAt(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    TRelay *relay = m_relays.takeAt(row);
    endRemoveRows();
    delete relay;
}

bool TRelayList::removeRelay(int eventID, int number)
{
    const int row = m_relays.indexOf(findRelay(eventID, number));
    if (row < 0)
        return false;
    removeAt(row);
    return true;
}

bool TRelayList::placeMember(int eventID, int number, TShooter *member, int target)
{
    TRelay *relay = findRelay(eventID, number);
    if (!relay || relay->addMember(member, target) < 0)
        return false;
    announceRowChanged(relay);
    return true;
}

bool TRelayList::removeMember(int eventID, int number, TShooter *member)
{
    TRelay *relay = findRelay(eventID, number);
    if (!relay || !relay->removeMember(member))
        return false;
    if (relay->isEmpty())
        removeRelay(eventID, number);
    else
        announceRowChanged(relay);
    return true;
}

void TRelayList::forgetMember(const TShooter *member)
{
    m_editRelay->dropMember(member);
    for (int row = m_relays.size() - 1; row >= 0; --row) {
        TRelay *relay = m_relays.at(row);
        if (!relay->containsMember(member))
            continue;
        relay->dropMember(member);
        if (relay->isEmpty())
            removeAt(row);
        else
            announceRowChanged(relay);
    }
}

void TRelayList::removeEmptyRelays()
{
    for (int row = m_relays.size() - 1; row >= 0; --row) {
        if (m_relays.at(row)->isEmpty())
            removeAt(row);
    }
}

void TRelayList::removeRelaysOfEvent(const TEvent *event)
{
    if (!event)
        return;
    for (int row = m_relays.size() - 1; row >= 0; --row) {
        if (m_relays.at(row)->eventID() == event->id())
            removeAt(row);
    }
}

TRelay *TRelayList::firstEmptyRelay(int eventID) const
{
    for (TRelay *relay : m_relays) {
        if (relay->eventID() == eventID && relay->isEmpty())
            return relay;
    }
    return nullptr;
}

void TRelayList::clear()
{
    if (m_relays.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_relays.size() - 1);
    const QList<TRelay *> gone = m_relays;
    m_relays.clear();
    endRemoveRows();
    qDeleteAll(gone);
}

void TRelayList::checkTargetsOfEvent(int eventNum)
{
    for (TRelay *relay : qAsConst(m_relays)) {
        if (relay->eventNum() == eventNum)
            relay->checkTargets();
    }
}

void TRelayList::refreshShooter(int shooterID)
{
    for (TRelay *relay : qAsConst(m_relays))
        relay->refreshShooter(shooterID);
}

void TRelayList::setEditRelay(TEvent *event, int number)
{
    m_editRelay->setEvent(event);
    m_editRelay->setNumber(number);
}

void TRelayList::clearEditRelay()
{
    m_editRelay->setEvent(nullptr);
    m_editRelay->setNumber(0);
    m_editRelay->clear();
}

int TRelayList::editRelayAddMember(TShooter *member, int target)
{
    return m_editRelay->addMember(member, target);
}

bool TRelayList::editRelayRemoveMember(TShooter *member)
{
    return m_editRelay->removeMember(member);
}

bool TRelayList::editRelayContains(const TShooter *member) const
{
    return m_editRelay->containsMember(member);
}

void TRelayList::setCurrent(int eventID, int number)
{
    m_currentEventID = eventID;
    m_currentNumber = number;
}

bool TRelayList::setMemberTarget(int memberID, int target)
{
    TRelay *relay = currentRelay();
    return relay && relay->setMemberTarget(memberID, target);
}

bool TRelayList::setRunRelay(int eventID, int number)
{
    m_runEventID = eventID;
    m_runNumber = number;
    return runRelay() != nullptr;
}

int TRelayList::checkRunRelay(int *relayInfo, bool eventDone) const
{
    int info = RelayInfoUnset;
    int error = NoError;
    const TRelay *run = runRelay();
    if (!run)
        error = NoRunRelay;
    else if (!run->allMembersDone())
        info = RelayNotFinished;
    else if (!run->event())
        error = NoRunEvent;
    else if (eventDone && run->eventFinal())
        info = FinalComplete;
    else if (eventDone && !run->event()->next())
        info = LastEventComplete;
    else if (next(run))
        info = NextRelayAvailable;
    else
        info = NextRelayNeeded;

    if (relayInfo)
        *relayInfo = info;
    return error;
}

QString TRelayList::errorInfoText(int errorInfo)
{
    switch (errorInfo) {
    case NoError:
        return QStringLiteral("0 - нет ошибки");
    case NoRunRelay:
        return QStringLiteral("1 - нет текущей смены(ошибка получения или CurrentRelay==0)");
    case NoRunEvent:
        return QStringLiteral("3 - ошибка получения упр-я");
    default:
        return QString();
    }
}

QString TRelayList::relayInfoText(int relayInfo)
{
    switch (relayInfo) {
    case NextRelayAvailable:
        return QStringLiteral(
            "0 - Следующая смена может быть установлена(текущая смена завершена)");
    case FinalComplete:
        return QStringLiteral("1 - Все финальные смены закончены(текущая смена завершена)");
    case LastEventComplete:
        return QStringLiteral("2 - Все не финальные смены закончены и соревнование без "
                              "финалов(текущая смена завершена)");
    case NextRelayNeeded:
        return QStringLiteral("3 - Требуется ввод следующай смены(текущая смена завершена)");
    case RelayNotFinished:
        return QStringLiteral("4 - Текущая смена не закончена");
    case NextRelaySet:
        return QStringLiteral("5 - Следующая смена установлена(для функции SetNextRelay)");
    default:
        return QString();
    }
}

void TRelayList::announceRowChanged(const TRelay *relay)
{
    const int row = indexOf(relay);
    if (row >= 0)
        emit dataChanged(index(row), index(row));
}
