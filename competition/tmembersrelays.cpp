// The members model's relays: edit relay, placement with propagation into the
// following exercises, removal, and the run relay.
#include "tmembers.h"

#include "tdbaccessor.h"
#include "tevent.h"
#include "trelay.h"
#include "trelaylist.h"
#include "tshooter.h"

void TMembers::setEditRelay(TEvent *event, int number)
{
    m_relays->setEditRelay(event, number);
}

void TMembers::clearEditRelay()
{
    m_relays->clearEditRelay();
}

TRelay *TMembers::editRelay() const
{
    return m_relays->editRelay();
}

bool TMembers::addToEditRelay(TShooter *member, int target)
{
    TShooter *own = member ? memberByShooterID(member->id()) : nullptr;
    return own && m_relays->editRelayAddMember(own, target) >= 0;
}

bool TMembers::removeFromEditRelay(TShooter *member)
{
    return member && m_relays->editRelayRemoveMember(member);
}

bool TMembers::editRelayContains(const TShooter *member) const
{
    return m_relays->editRelayContains(member);
}

TRelay *TMembers::commitEditRelay(bool propagate)
{
    TRelay *edit = m_relays->editRelay();
    if (!edit->event() || edit->isEmpty())
        return nullptr;
    TShooter *first = edit->memberAt(0);
    const TRelay *created = createRelay(edit->event(), edit->number(), first,
                                        edit->targetOfMember(first->memberID()), propagate);
    if (!created)
        return nullptr;
    const RelayKey key{created->eventID(), created->number()};

    const RelayKey current{m_relays->currentEventID(), m_relays->currentNumber()};
    for (int i = 1; i < edit->memberCount(); ++i) {
        TShooter *member = edit->memberAt(i);
        m_relays->setCurrent(key.eventID, key.number);
        placeMemberInLinkedRelays(member, edit->targetOfMember(member->memberID()), propagate);
    }
    m_relays->setCurrent(current.eventID, current.number);
    m_relays->clearEditRelay();
    return relayOfKey(key);
}

TRelay *TMembers::setCurrentRelay(TRelay *relay)
{
    if (relay && m_relays->findRelay(relay->eventID(), relay->number()))
        m_relays->setCurrent(relay->eventID(), relay->number());
    else
        m_relays->resetCurrent();
    return m_relays->currentRelay();
}

TRelay *TMembers::selectRelay(int eventID, int number)
{
    return setCurrentRelay(m_relays->findRelay(eventID, number));
}

TRelay *TMembers::selectRelayAt(int index)
{
    return setCurrentRelay(m_relays->at(index));
}

TRelay *TMembers::currentRelay() const
{
    return m_relays->currentRelay();
}

void TMembers::currentRelayKey(int *eventID, int *number) const
{
    const TRelay *relay = m_relays->currentRelay();
    if (eventID)
        *eventID = relay ? relay->eventID() : -1;
    if (number)
        *number = relay ? relay->number() : -1;
}

int TMembers::placeMember(TRelay *relay, TShooter *member, int target)
{
    if (!relay || !member || !relay->event()
        || m_relays->findRelay(relay->eventID(), relay->number()) != relay)
        return -1;
    TShooter *own = memberByShooterID(member->id());
    // A member has at most one relay per exercise, and the relay's rules are
    // asked before the row is written so that a refusal leaves no row behind.
    if (!own || m_db->isMemberInEventRelays(own->memberID(), relay->eventID())
        || !relay->canAddMember(own))
        return -1;
    if (!m_db->insertRelay(relay->eventID(), relay->number(), own->memberID(), target))
        return -1;
    if (!m_relays->placeMember(relay->eventID(), relay->number(), own, target))
        return -1;
    refreshMember(own->id());
    return relay->indexOfMember(own);
}

TRelay *TMembers::createRelay(TEvent *event, int number, TShooter *member, int target,
                              bool propagate)
{
    RelayKey first;
    for (TEvent *e = event; e;) {
        if (m_relays->findRelay(e->id(), number) && !deleteRelay(e, number, false))
            return nullptr;
        if (!m_db->isEventExist(e->id()) || m_db->isRelayNumExist(e->id(), number))
            return nullptr;
        TRelay *relay = m_relays->addRelay(e, number);
        if (!relay)
            return nullptr;
        if (member && placeMember(relay, member, target) < 0)
            return nullptr;
        if (first.eventID < 0)
            first = {e->id(), number};
        removeEmptyRelaysWhenAllPlaced(e);

        if (!propagate || e->isFinal())
            break;
        e = e->next();
        if (e && e->isFinal())
            break;
    }
    // Held by key: an empty first relay may have gone with the tidying above.
    return relayOfKey(first);
}

void TMembers::removeEmptyRelaysWhenAllPlaced(TEvent *event)
{
    if (!event || hasUnplacedMembers(event->num(), event->isFinal()))
        return;
    while (TRelay *empty = m_relays->firstEmptyRelay(event->id())) {
        if (!deleteRelay(event, empty->number(), false))
            return;
    }
}

QList<TMembers::RelayKey> TMembers::linkedRelays(const TRelay *start, bool propagate) const
{
    QList<RelayKey> keys;
    for (int i = m_relays->indexOf(start); i >= 0 && i < m_relays->count(); ++i) {
        const TRelay *visited = m_relays->at(i);
        if (visited->number() == start->number())
            keys.append({visited->eventID(), visited->number()});
        const TRelay *following = m_relays->at(i + 1);
        if (!propagate || visited->eventFinal() || !following || following->eventFinal())
            break;
    }
    return keys;
}

TRelay *TMembers::relayOfKey(const RelayKey &key) const
{
    return key.eventID < 0 ? nullptr : m_relays->findRelay(key.eventID, key.number);
}

bool TMembers::placeMemberInLinkedRelays(TShooter *member, int target, bool propagate)
{
    if (!member)
        return false;
    const TRelay *current = m_relays->currentRelay();
    if (!current)
        return true;
    // Every placement must succeed for the whole to count as done.
    bool placed = true;
    for (const RelayKey &key : linkedRelays(current, propagate)) {
        TRelay *relay = relayOfKey(key);
        if (!relay)
            continue;
        placed = placeMember(relay, member, target) >= 0 && placed;
        removeEmptyRelaysWhenAllPlaced(relay->event());
    }
    return placed;
}

bool TMembers::removeMemberFromLinkedRelays(int memberID, bool propagate)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member)
        return false;
    const TRelay *current = m_relays->currentRelay();
    if (!current) {
        m_relays->removeEmptyRelays();
        return true;
    }

    // Only the relays that hold the member: its place in another relay of a
    // linked exercise is not this relay's to delete. When any of them refuses
    // to let the member go, nothing changes.
    QList<RelayKey> holding;
    for (const RelayKey &key : linkedRelays(current, propagate)) {
        const TRelay *relay = relayOfKey(key);
        if (relay && relay->containsMember(member)) {
            if (!relay->canRemoveMember(member))
                return false;
            holding.append(key);
        }
    }
    bool removed = true;
    for (const RelayKey &key : qAsConst(holding)) {
        if (!doRemoveMemberFromRelay(relayOfKey(key), member)) {
            removed = false;
            break;
        }
    }
    m_relays->removeEmptyRelays();
    return removed;
}

bool TMembers::doRemoveMemberFromRelay(TRelay *relay, TShooter *member)
{
    if (!relay || !relay->canRemoveMember(member))
        return false;
    if (!m_db->deleteMemberRelays(relay->eventID(), member->memberID()))
        return false;
    const bool removed = m_relays->removeMember(relay->eventID(), relay->number(), member);
    refreshMember(member->id());
    return removed;
}

bool TMembers::moveMemberToTarget(int memberID, int target)
{
    TRelay *relay = m_relays->currentRelay();
    const TShooter *member = memberByMemberID(memberID);
    if (!relay || !relay->event() || !member || !relay->memberByShooterID(member->id()))
        return false;
    // The relay refuses a member without a target of its own; ask before writing.
    if (relay->targetOfMember(memberID) == -1)
        return false;
    if (!m_db->setMemberTarget(memberID, relay->number(), relay->eventID(), target))
        return false;
    const bool unshared = m_relays->setMemberTarget(memberID, target);
    announceAllRowsChanged();
    return unshared;
}

bool TMembers::deleteRelay(TEvent *event, int number, bool propagate)
{
    if (!event)
        return false;
    const TRelay *start = m_relays->findRelay(event->id(), number);
    if (!start)
        return true;
    bool removed = true;
    for (const RelayKey &key : linkedRelays(start, propagate))
        removed = removeRelay(relayOfKey(key)) && removed;
    return removed;
}

bool TMembers::removeRelay(TRelay *relay)
{
    if (!relay)
        return false;
    const RelayKey key{relay->eventID(), relay->number()};
    if (!relay->isEmpty() && !m_db->deleteRelay(key.eventID, key.number))
        return false;
    QList<int> shooters;
    for (int i = 0; i < relay->memberCount(); ++i)
        shooters.append(relay->memberAt(i)->id());
    const bool removed = m_relays->removeRelay(key.eventID, key.number);
    for (int shooterID : qAsConst(shooters))
        refreshMember(shooterID);
    return removed;
}

bool TMembers::hasUnplacedMembers(int eventNum, bool finalOnly) const
{
    return std::any_of(m_members.cbegin(), m_members.cend(), [&](const TShooter *member) {
        return (!finalOnly || member->isInFinal()) && !relayOfShooter(member->id(), eventNum);
    });
}

int TMembers::relayCount() const
{
    return m_relays->count();
}

TRelay *TMembers::relayAt(int index) const
{
    return m_relays->at(index);
}

TRelay *TMembers::nextRelay(const TRelay *relay) const
{
    return m_relays->next(relay);
}

TRelay *TMembers::findRelay(int number, int eventNum) const
{
    for (int i = 0; i < m_relays->count(); ++i) {
        TRelay *relay = m_relays->at(i);
        if (relay->eventNum() == eventNum && relay->number() == number)
            return relay;
    }
    return nullptr;
}

TRelay *TMembers::relayOfShooter(int shooterID, int eventNum) const
{
    for (int i = 0; i < m_relays->count(); ++i) {
        TRelay *relay = m_relays->at(i);
        if (relay->eventNum() == eventNum && relay->memberByShooterID(shooterID))
            return relay;
    }
    return nullptr;
}

bool TMembers::isMemberFree(const TShooter *member, const TEvent *event) const
{
    if (!member || !event)
        return true;
    for (int i = 0; i < m_relays->count(); ++i) {
        const TRelay *relay = m_relays->at(i);
        if (relay->eventID() == event->id() && relay->memberByShooterID(member->id()))
            return false;
    }
    return true;
}

bool TMembers::startRun()
{
    const TRelay *first = m_relays->at(0);
    if (!first) {
        m_relays->setRunRelay(-1, -1);
        return false;
    }
    return m_relays->setRunRelay(first->eventID(), first->number());
}

int TMembers::checkRunRelay(int *relayInfo) const
{
    const TRelay *run = m_relays->runRelay();
    const bool eventDone = run && run->event() && isEventComplete(run->event());
    return m_relays->checkRunRelay(relayInfo, eventDone);
}

TRelay *TMembers::setNextRelay(int *errorInfo, int *relayInfo)
{
    int info = TRelayList::RelayInfoUnset;
    const int error = checkRunRelay(&info);
    if (error != TRelayList::NoError) {
        m_relays->setRunRelay(-1, -1);
    } else if (info == TRelayList::NextRelayAvailable) {
        const TRelay *following = m_relays->next(m_relays->runRelay());
        m_relays->setRunRelay(following->eventID(), following->number());
        info = TRelayList::NextRelaySet;
    }
    if (errorInfo)
        *errorInfo = error;
    if (relayInfo)
        *relayInfo = info;
    return m_relays->runRelay();
}

TRelay *TMembers::currentRunRelay(int *errorInfo, int *relayInfo) const
{
    const int error = checkRunRelay(relayInfo);
    if (errorInfo)
        *errorInfo = error;
    return m_relays->runRelay();
}
