// Relay editing, the run relay and the shot-count check of the competition
// module.
#include "tusermodul.h"

#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"

namespace {

// Modes of unplaceMember.
constexpr int kFromEditRelay = 0;
constexpr int kFromCurrentRelay = 1;
// Answers of TBulletList::shotState.
constexpr int kNoMatchShot = 0;
constexpr int kTooFewShots = 1;
constexpr int kEnoughShots = 2;
// Misses that fill a shortfall carry no fine (stored as 0).
constexpr int kMissFine = -1;
// relayInfo codes of a complete run relay: 0 to 3.
constexpr int kLastCompleteRelayInfo = 3;

// Callers may pass no place for the codes; the member model always writes them.
struct Codes
{
    Codes(int *errorInfo, int *relayInfo)
        : error(errorInfo ? errorInfo : &ownError), relay(relayInfo ? relayInfo : &ownRelay)
    {
    }
    int ownError = -1;
    int ownRelay = -1;
    int *error;
    int *relay;
};

QString displayName(const TShooter *member)
{
    return member->family() + QLatin1Char(' ') + member->name();
}

} // namespace

bool TUserModul::beginEditRelay(TEvent *event, int number)
{
    if (!event)
        return false;
    for (int i = 0; i < m_members->relayCount(); ++i) {
        const TRelay *relay = m_members->relayAt(i);
        if (relay->event() && relay->eventNum() == event->num() && relay->number() == number)
            return false;
    }
    m_members->clearEditRelay();
    m_members->setEditRelay(event, number);
    return true;
}

bool TUserModul::placeMember(int memberID, int target, bool propagate, bool intoCurrent)
{
    TShooter *member = m_members->memberByMemberID(memberID);
    if (!member)
        return false;
    if (!intoCurrent)
        return m_members->addToEditRelay(member, target);
    // Without a current relay the member model places the member nowhere.
    if (!m_members->currentRelay())
        return false;
    return m_members->placeMemberInLinkedRelays(member, target, propagate);
}

bool TUserModul::unplaceMember(int memberID, bool propagate, int mode)
{
    TShooter *member = m_members->memberByMemberID(memberID);
    if (!member)
        return false;
    switch (mode) {
    case kFromEditRelay:
        return m_members->removeFromEditRelay(member);
    case kFromCurrentRelay:
        return m_members->removeMemberFromLinkedRelays(memberID, propagate);
    default:
        return false;
    }
}

bool TUserModul::commitEditRelay(bool propagate)
{
    const TRelay *relay = m_members->commitEditRelay(propagate);
    if (!relay)
        return false;
    const int eventID = relay->eventID();
    const int number = relay->number();
    m_members->clearEditRelay();
    m_members->selectRelay(eventID, number);
    return true;
}

bool TUserModul::deleteCurrentRelay(bool propagate)
{
    const TRelay *relay = m_members->currentRelay();
    if (!relay)
        return false;
    TEvent *event = relay->event();
    const int number = relay->number();
    return m_members->deleteRelay(event, number, propagate);
}

void TUserModul::reloadRelays()
{
    m_members->clearEditRelay();
    m_members->setCurrentRelay(nullptr);
    for (TEvent *event : eventChain())
        m_members->loadRelays(event);
}

bool TUserModul::setMemberInFinal(int memberID, bool inFinal)
{
    TShooter *member = m_members->memberByMemberID(memberID);
    if (!member)
        return false;
    if (inFinal) {
        member->setInFinal(true);
        m_members->refreshMember(member->id());
        return true;
    }
    // Out of every final relay first, while the relays still count the member
    // as a finalist; a relay that keeps it (its final shot) keeps it admitted.
    int currentEventID = -1, currentNumber = -1;
    m_members->currentRelayKey(&currentEventID, &currentNumber);
    bool purged = true;
    for (const TEvent *event : eventChain()) {
        if (!event->isFinal())
            continue;
        if (const TRelay *relay = m_members->relayOfShooter(member->id(), event->num())) {
            m_members->selectRelay(relay->eventID(), relay->number());
            purged = m_members->removeMemberFromLinkedRelays(memberID, false) && purged;
        }
    }
    m_members->selectRelay(currentEventID, currentNumber);
    if (!purged)
        return false;
    member->setInFinal(false);
    m_members->refreshMember(member->id());
    return true;
}

TRelay *TUserModul::firstUnfinishedRelay(int *errorInfo, int *relayInfo)
{
    Codes codes(errorInfo, relayInfo);
    m_members->startRun();
    TRelay *relay = m_members->currentRunRelay(codes.error, codes.relay);
    if (*codes.error > 0 || !relay)
        return nullptr;
    while (relay->allMembersDone()) {
        TRelay *next = m_members->setNextRelay(codes.error, codes.relay);
        if (!next || next == relay)
            return nullptr;
        relay = next;
    }
    return relay;
}

TRelay *TUserModul::currentRunRelay(int *errorInfo, int *relayInfo)
{
    Codes codes(errorInfo, relayInfo);
    return m_members->currentRunRelay(codes.error, codes.relay);
}

bool TUserModul::prepareRunRelay()
{
    TRelay *relay = currentRunRelay(nullptr, nullptr);
    if (!relay)
        return false;
    relay->resetForRun();
    return true;
}

TEvent *TUserModul::runRelayEvent()
{
    const TRelay *relay = currentRunRelay(nullptr, nullptr);
    return relay ? relay->event() : nullptr;
}

bool TUserModul::isEventComplete(TEvent *event) const
{
    return m_members->isEventComplete(event);
}

bool TUserModul::setMemberEventDone(TEvent *event, int memberID, bool done)
{
    if (!event || !m_members->memberByMemberID(memberID))
        return false;
    if (event->isFinal()) {
        // Marking the final of a member outside it would admit the member.
        if (!m_members->memberByMemberID(memberID)->isInFinal())
            return !done;
        m_members->setMemberFinalDone(memberID, done);
        return true;
    }
    m_members->setMemberEventDone(memberID, event->num(), done);
    checkRelayFinished();
    return true;
}

TRelay *TUserModul::startRun(int *errorInfo, int *relayInfo)
{
    m_members->startRun();
    return currentRunRelay(errorInfo, relayInfo);
}

TRelay *TUserModul::setNextRelay(bool *eventChanged, int *errorInfo, int *relayInfo)
{
    const TRelay *before = currentRunRelay(nullptr, nullptr);
    const int eventIDBefore = before ? before->eventID() : -1;
    Codes codes(errorInfo, relayInfo);
    TRelay *after = m_members->setNextRelay(codes.error, codes.relay);
    if (eventChanged)
        *eventChanged = after && after->eventID() != eventIDBefore;
    return after;
}

bool TUserModul::isRunRelayEnabled()
{
    const TRelay *relay = currentRunRelay(nullptr, nullptr);
    if (!relay)
        return false;
    for (int i = 0; i < relay->memberCount(); ++i) {
        const TShooter *member = relay->memberAt(i);
        if (!member->isTargetEnabled() || !member->isPCEnabled())
            return false;
    }
    return true;
}

void TUserModul::checkRelayFinished()
{
    Codes codes(nullptr, nullptr);
    const TRelay *relay = m_members->currentRunRelay(codes.error, codes.relay);
    if (*codes.error > 0 || *codes.relay < 0 || *codes.relay > kLastCompleteRelayInfo || !relay
        || !relay->event())
        return;
    const TEvent *event = relay->event();
    const bool eventFinished = m_members->isEventComplete(relay->event());
    const bool allEventFinished =
        eventFinished && (event->isFinal() || !event->next() || event->next()->isFinal());
    const bool finalEventFinished = eventFinished && event->isFinal();
    emit sig_relayFinished(eventFinished, allEventFinished, finalEventFinished);
}

void TUserModul::checkColBull(int mode)
{
    m_colBullPending = false;
    for (TEvent *event : eventChain()) {
        TBulletList *list = bulletList(event->id());
        if (!list)
            list = makeBulletList(event->id());
        if (!list)
            continue;
        for (TShooter *member = m_members->memberAt(0); member;
             member = m_members->nextMember(member)) {
            if (!checkMemberShots(event, list, member, mode))
                return;
        }
    }
    emit sig_colBullCheckEnded();
}

bool TUserModul::checkMemberShots(TEvent *event, TBulletList *list, TShooter *member, int mode)
{
    // Only finalists shoot a final; a done mark would admit anybody else.
    if (event->isFinal() && !member->isInFinal())
        return true;
    const int memberID = member->memberID();
    // A reset whose delete waits: the old shots are still stored, whole.
    if (list->memberShotsWaitDelete(memberID)) {
        setMemberEventDone(event, memberID, true);
        return true;
    }
    switch (list->shotState(memberID, event->matchCount())) {
    case kEnoughShots:
        setMemberEventDone(event, memberID, true);
        return true;
    case kNoMatchShot:
        setMemberEventDone(event, memberID, false);
        return true;
    case kTooFewShots:
        if (mode == ColBullAsk) {
            m_colBullPending = true;
            emit sig_askColBull(event->id(), memberID, displayName(member), event->nameEng());
            return false;
        }
        treatShortMember(event, list, memberID, mode);
        return true;
    default:
        return true;
    }
}

void TUserModul::treatShortMember(TEvent *event, TBulletList *list, int memberID, int answer)
{
    if (answer == ColBullClear) {
        // Not to be shot again over old rows that stay: the member counts as
        // having shot the exercise until its rows are gone.
        const bool gone = list->deleteShotsOfMember(memberID);
        if (!gone)
            m_waitingResets.insert({event->id(), memberID});
        setMemberEventDone(event, memberID, !gone);
    } else if (answer == ColBullFill) {
        list->addMisses(memberID, event->matchCount() - list->shotCountOfMember(memberID),
                        kMissFine);
        setMemberEventDone(event, memberID, true);
    }
}

void TUserModul::onMemberShotsGone(int eventID, int memberID)
{
    if (!m_waitingResets.remove({eventID, memberID}))
        return;
    if (TEvent *event = m_competition ? m_competition->eventByID(eventID) : nullptr)
        setMemberEventDone(event, memberID, false);
}

void TUserModul::slot_ColBullDialogClosed(int eventID, int memberID, int answer, bool repeat)
{
    TEvent *event = m_competition ? m_competition->eventByID(eventID) : nullptr;
    TBulletList *list = bulletList(eventID);
    if (!event || !list || !m_members->memberByMemberID(memberID))
        return;
    // The question does not block: the member may have shot the missing shots
    // (or lost them) before the answer came, and a stale "clear" must not
    // delete a complete series.
    if (list->shotState(memberID, event->matchCount()) == kTooFewShots)
        treatShortMember(event, list, memberID, answer);
    checkColBull(repeat ? answer : int(ColBullAsk));
}
