#include "myevent.h"

#include <QTimerEvent>

#include <algorithm>
#include <cstdlib>

#include "tbullet.h"
#include "tbulletlist.h"
#include "tmemberplace.h"

namespace {

// Moments on the targets' clock as the operator is told them, against the
// START: it went out when its confirmation was read (startMs), or up to
// kStartSlackMs before.
HeldShot::Moments againstStart(const PageTrace::Span &span, qint64 startMs)
{
    HeldShot::Moments moments;
    moments.fromKnown = startMs >= 0 && span.fromKnown();
    moments.toKnown = startMs >= 0 && span.toKnown();
    moments.fromMs = moments.fromKnown ? span.from - startMs : 0;
    moments.toMs = moments.toKnown ? span.to - startMs + LaneStart::kStartSlackMs : 0;
    return moments;
}

} // namespace

MyEvent::MyEvent(int typeXMLID, int subType, QObject *parent)
    : QObject(parent)
    , typeXMLID(typeXMLID)
    , subType(subType)
    , ownClock(std::make_unique<MonotonicClock>())
    , clock(ownClock.get())
    , ownTargetClock(std::make_unique<MonotonicClock>(1))
    , targetClock(ownTargetClock.get())
{
}

MyEvent::~MyEvent() = default;

void MyEvent::setClock(ExerciseClock *newClock)
{
    clock = newClock ? newClock : ownClock.get();
    targetClock = newClock ? newClock : ownTargetClock.get();
}

void MyEvent::setTargetClock(ExerciseClock *newClock)
{
    targetClock = newClock ? newClock : ownTargetClock.get();
}

void MyEvent::setParams(int seriesPerStart, int seriesCount, int shotsPerSeries,
                        int seriesShots, int calibre)
{
    this->seriesPerStart = seriesPerStart;
    this->seriesCount = seriesCount;
    this->shotsPerSeries = shotsPerSeries;
    this->seriesShots = seriesShots;
    this->calibre = calibre;
}

// ---------------------------------------------------------------- clock

void MyEvent::startEventTimer()
{
    timeEvent = 0;
    shownSecond = 0;
    // An earlier timer is left alone: its events no longer match timerId.
    timerId = startTimer(clock->tickIntervalMs(), Qt::CoarseTimer);
    startTime = clock->nowMs();
}

void MyEvent::stopEventTimer()
{
    if (timerId != -1) {
        killTimer(timerId);
        timerId = -1;
    }
}

int MyEvent::elapsedTenths() const
{
    return int(std::llabs(clock->nowMs() - startTime) / 100);
}

void MyEvent::setElapsed(int tenths, bool force)
{
    if (tenths != timeEvent && (force || tenths > timeEvent))
        timeEvent = tenths;
}

void MyEvent::showTime(int aim)
{
    emit sig_view_TimeChange(timeText(aim == 0), aim);
}

void MyEvent::showWholeSecond(int aim)
{
    constexpr int kTenthsPerSecond = 10;
    const int second = timeEvent / kTenthsPerSecond;
    if (second == shownSecond)
        return;
    shownSecond = second;
    showTime(aim);
}

void MyEvent::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != timerId || timerId == -1)
        return;
    const int t = elapsedTenths();
    if (t > timeEvent)
        timeEvent = t;
    tick();
}

// ---------------------------------------------------------------- polling

QList<int> MyEvent::targets() const
{
    QList<int> result;
    if (!bulletList)
        return result;
    for (int t = bulletList->firstTarget(); t >= 1; t = bulletList->nextTarget(t))
        result.append(t);
    return result;
}

void MyEvent::requestAllTargets()
{
    if (!bulletList)
        return;
    for (int t = bulletList->firstTarget(); t > 0; t = bulletList->nextTarget(t))
        requestNextBullet(t);
}

void MyEvent::requestNextBullet(int target)
{
    if (!bulletList)
        return;
    if (target < 1) {
        readingBullets = false;
        for (int t = bulletList->firstTarget(); t > 0; t = bulletList->nextTarget(t))
            emit sig_emu_getBullet(t, -1);
        return;
    }
    const int number = nextBulletNumber(target);
    // Past a full page the target is asked for nothing until its memory is reset.
    if (number > 0 && number <= kMaxTargetShotNumber) {
        emit sig_emu_getBullet(target, number);
        readingBullets = true;
    }
}

void MyEvent::stopReadBullet()
{
    emit sig_emu_stopReadBullet();
    readingBullets = false;
}

// ---------------------------------------------------------------- shot path

void MyEvent::onAddBullet(int target, int number, QPoint point, qint8 place, int time,
                          int eventTime)
{
    Q_UNUSED(eventTime)
    TMemberPlace *lane = bulletList && readingBullets ? bulletList->placeByTarget(target) : nullptr;
    if (!lane)
        return;
    act(target, lane->laneStart().answer({number, point, time, place}, targetClock->nowMs()));
}

void MyEvent::onNoBullet(int target, int number)
{
    TMemberPlace *lane = bulletList && readingBullets ? bulletList->placeByTarget(target) : nullptr;
    if (!lane)
        return;
    const int asked = lane->lastBulletNumber(lane->stage());
    const int held = lane->laneStart().heldCount();
    const LaneStart::Verdict verdict = lane->laneStart().noShot(number, targetClock->nowMs());
    // Most such answers change nothing: the bus master polls on for the number.
    if (verdict.store.isEmpty() && verdict.withdraw.isEmpty() && !verdict.lostPage
        && verdict.word == LaneStart::Word::None && lane->lastBulletNumber(lane->stage()) == asked
        && lane->laneStart().heldCount() == held)
        return;
    act(target, verdict);
}

qint64 MyEvent::targetNowMs() const
{
    return targetClock->nowMs();
}

void MyEvent::act(int target, const LaneStart::Verdict &verdict)
{
    if (verdict.lostPage)
        bulletList->newTargetPage(target);
    // Shots of a page the target lost go before the pages after it.
    QMap<int, QVector<LaneShot>> earlier;
    LaneStart::Verdict current = verdict;
    current.store.clear();
    for (const LaneStart::Take &take : verdict.store) {
        if (take.pagesBack > 0 && acceptBullet(take.sinceStartTenths))
            earlier[take.pagesBack].append(take.shot);
        else if (take.pagesBack == 0)
            current.store.append(take);
    }
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it)
        bulletList->amendPage(target, {}, *it, it.key());
    const QVector<LaneShot> shots = shotsToStore(target, current);
    const TMemberPlace *lane = bulletList ? bulletList->placeByTarget(target) : nullptr;
    const int highest = lane ? lane->highestShotID(lane->stage()) : 0;
    const bool inOrder = std::all_of(shots.cbegin(), shots.cend(), [highest](const LaneShot &shot) {
        return shot.number > highest;
    });
    if (lane && (!verdict.withdraw.isEmpty() || !inOrder)) {
        bulletList->amendPage(target, verdict.withdraw, shots);
        resendPage(target);
    } else {
        storeShots(target, shots);
        if (!earlier.isEmpty())
            resendPage(target);
    }
    tellOperator(target, verdict.word, verdict.wrong);
    bulletList->showHeld(target);
    // Shots held of a page the target lost are put to the operator at once.
    if (verdict.lostPage && lane && lane->laneStart().holdsShots())
        askRuling(target, false);
    // A question open on the lane shows what it holds now: nothing (decided
    // by later answers, or passed over at a page's end) closes it.
    if (askedShots.contains(target)) {
        if (lane && lane->laneStart().holdsShots()) {
            askRuling(target, false);
        } else {
            askedShots.remove(target);
            emit sig_view_ShotsInDoubt(target, {}, false);
        }
    }
    // A full page is reset before its target is asked for more; shots held
    // on it wait, so their target keeps them.
    lane = bulletList ? bulletList->placeByTarget(target) : nullptr;
    if (lane && lane->lastBulletNumber(lane->stage()) >= kMaxTargetShotNumber
        && lane->pendingReset() < 0 && !lane->laneStart().holdsShots())
        sendResetTarget(target, ResetMemoryFull);
    // A ruling given once the reading has stopped (STOP, a series' end) asks for nothing.
    if (readingBullets)
        requestNextBullet(target);
}

QVector<LaneShot> MyEvent::shotsToStore(int target, const LaneStart::Verdict &verdict)
{
    QVector<LaneShot> shots;
    if (!bulletList)
        return shots;
    for (const LaneStart::Take &take : verdict.store) {
        const int number = take.shot.number;
        // An answer given twice is stored once.
        if (bulletList->hasShot(target, number) && !verdict.withdraw.contains(number))
            continue;
        // A shot out of the stage's time is passed over; the lane is asked on.
        if (acceptBullet(take.sinceStartTenths))
            shots.append(take.shot);
    }
    return shots;
}

void MyEvent::storeShots(int target, const QVector<LaneShot> &shots)
{
    const int member = bulletList ? bulletList->memberIdOfTarget(target) : -1;
    for (const LaneShot &shot : shots) {
        if (!bulletList->addShotFromTarget(member, shot.number, shot.point.x(), shot.point.y(),
                                           quint8(shot.place), shot.timeTenths, -1)) {
            // Refused by the database: asked for again, and what follows after it.
            if (TMemberPlace *lane = bulletList->placeByTarget(target))
                lane->laneStart().refused(shot.number);
            return;
        }
        sendBulletToPC(target, -1, -1);
    }
}

void MyEvent::resendPage(int target)
{
    const TMemberPlace *place = bulletList ? bulletList->placeByTarget(target) : nullptr;
    if (!place)
        return;
    // The terminal begins the stage's page anew and is sent its first shot;
    // each of its reports then fetches the next one it lacks.
    sendPC32(target, place->stage());
    sendBulletToPC(target, place->stage(), 0);
}

void MyEvent::tellOperator(int target, LaneStart::Word word, int withdrawn)
{
    switch (word) {
    case LaneStart::Word::Missed:
        emit sig_view_TargetNotStarted(target, stageTimedOut());
        break;
    case LaneStart::Word::Withdrawn:
        emit sig_view_TargetShotsWithdrawn(target, withdrawn);
        break;
    case LaneStart::Word::Unheard:
        emit sig_view_TargetStartInDoubt(target);
        break;
    case LaneStart::Word::InDoubt:
        emit sig_view_TargetShotsHeld(target);
        break;
    case LaneStart::Word::PageLost: {
        const TMemberPlace *place = bulletList ? bulletList->placeByTarget(target) : nullptr;
        emit sig_view_TargetPageLost(target, place ? place->laneStart().heldCount() : 0);
        break;
    }
    case LaneStart::Word::NoNewShots:
        emit sig_view_TargetNoNewShots(target);
        break;
    case LaneStart::Word::PassedOver:
        break; // said where the page ends, with the count
    case LaneStart::Word::None:
        break;
    }
}

bool MyEvent::askRuling(int target, bool atStop)
{
    const TMemberPlace *place = bulletList ? bulletList->placeByTarget(target) : nullptr;
    const QVector<LaneStart::Doubt> doubts =
        place ? place->laneStart().doubts() : QVector<LaneStart::Doubt>();
    if (doubts.isEmpty())
        return false;
    QVector<int> numbers;
    QList<HeldShot> shots;
    for (const LaneStart::Doubt &doubt : doubts) {
        const qint64 startMs = doubt.startMs;
        numbers.append(doubt.shot.number - doubt.pagesBack * kMaxTargetShotNumber);
        HeldShot held;
        held.targetNumber = doubt.shot.number;
        held.point = doubt.shot.point;
        held.placeCode = doubt.shot.place;
        held.timeTenths = doubt.shot.timeTenths;
        held.readMs = doubt.readMs - startMs;
        const HeldShot::Moments all = againstStart(doubt.taken, startMs);
        held.fromMs = all.fromMs;
        held.toMs = all.toMs;
        held.fromKnown = all.fromKnown;
        held.toKnown = all.toKnown;
        for (const LaneStart::Doubt::Moments &account : doubt.accounts) {
            HeldShot::Moments moments = againstStart(account.taken, startMs);
            moments.page = account.page;
            // Begun at the START, its shots were taken after it went out.
            if (account.page == LaneStart::Doubt::Page::ThisStart && moments.fromMs < 0) {
                moments.fromMs = 0;
                moments.fromKnown = true;
            }
            held.accounts.append(moments);
        }
        // The START went out up to kStartSlackMs before its confirmation was read.
        held.readBefore = startMs >= 0 && doubt.readBeforeMs.has_value();
        held.readBeforeMs = held.readBefore
            ? std::max<qint64>(0, startMs - *doubt.readBeforeMs - LaneStart::kStartSlackMs)
            : 0;
        held.gapTenths = doubt.gapTenths;
        held.earlierPage = doubt.pagesBack > 0;
        // Counted, it goes after the shots stored before it (and after the
        // held ones before it that are counted too).
        held.number = bulletList->placeInStage(target, doubt.shot.number, doubt.pagesBack);
        held.value = bulletList->valueText(doubt.shot);
        shots.append(held);
    }
    // At STOP the question is put again, whatever was asked before: the
    // misses wait for its answer.
    if (atStop || askedShots.value(target) != numbers) {
        askedShots.insert(target, numbers);
        emit sig_view_ShotsInDoubt(target, shots, atStop);
    }
    return true;
}

bool MyEvent::rulingAwaited() const
{
    for (auto it = askedShots.cbegin(); it != askedShots.cend(); ++it) {
        const TMemberPlace *place = bulletList ? bulletList->placeByTarget(it.key()) : nullptr;
        if (place && place->laneStart().holdsShots())
            return true;
    }
    return false;
}

void MyEvent::slot_view_ruleShots(int target, int first)
{
    TMemberPlace *place = bulletList ? bulletList->placeByTarget(target) : nullptr;
    if (!place || !askedShots.contains(target))
        return;
    // An answer to a list the lane no longer holds is put again.
    const QVector<int> asked = askedShots.take(target);
    QVector<int> numbers;
    for (const LaneStart::Doubt &doubt : place->laneStart().doubts())
        numbers.append(doubt.shot.number - doubt.pagesBack * kMaxTargetShotNumber);
    if (numbers != asked) {
        askRuling(target, !readingBullets);
        return;
    }
    act(target, place->laneStart().rule(first >= 0 && first < numbers.size() ? first
                                                                                : LaneStart::kNone));
}

void MyEvent::sendBulletToPC(int target, int mode, int colbull)
{
    if (!bulletList)
        return;
    const TMemberPlace *place = bulletList->placeByTarget(target);
    if (!place)
        return;
    const TBullet *shot = nullptr;
    if (colbull < 0) {
        const int stage = place->stage();
        shot = place->bulletAt(place->shotCountOfStage(stage), stage);
    } else {
        shot = bulletList->nextShotForTerminal(target, colbull, mode);
    }
    if (!shot || shot->fine() == 1)
        return;
    sendCommand(makeBulletPCPacket(target, shot));
}

void MyEvent::onClientBullets(int target, int mode, int colbull)
{
    sendBulletToPC(target, mode, colbull);
}

// ---------------------------------------------------------------- start and stop

void MyEvent::slot_emu_EventStarted()
{
    // The bus master reports every copy of a broadcast start; only the first acts.
    if (startPending < 0)
        return;
    startPending = -1;
    beginPages(targetClock->nowMs());
    // A new page holds nothing yet.
    for (int t : targets())
        bulletList->showHeld(t);
    onEventStarted();
}

void MyEvent::beginPages(qint64 startMs)
{
    if (!bulletList || !checksStartTaken())
        return;
    for (int t : targets()) {
        if (TMemberPlace *place = bulletList->placeByTarget(t))
            place->laneStart().beginPage(startMs);
    }
}

void MyEvent::onEventStarted()
{
    timeEvent = 0;
    startEventTimer();
    running = 1;
    if (bulletList)
        bulletList->setStageAll(StageSighting);
    emit sig_view_BTNBackEnabled(false);
    emit sig_view_ModeText(ModeLabelMatch);
    emit sig_view_BTNStartEnabled(true);
    emit sig_view_BTNStopEnabled(true);
    requestAllTargets();
}

void MyEvent::slot_emu_EventStoped()
{
    requestNextBullet(-1);
    onEventStopped();
}

void MyEvent::onEventStopped()
{
    if (!running)
        return;
    running = 0;
    stopEventTimer();
    emit sig_view_BTNBackEnabled(false);
    emit sig_view_BTNStopEnabled(true);
}

// ---------------------------------------------------------------- target memory reset

void MyEvent::sendResetTarget(int target, int reason)
{
    if (!bulletList)
        return;
    if (reason >= 0)
        sendCommand(makeResetPacket(target));
    bulletList->setPendingReset(target, reason);
    resetReason = reason;
}

void MyEvent::slot_emu_BDReseted(int targetAddr)
{
    if (!bulletList)
        return;
    // The reason is kept per place: with resets of several targets
    // outstanding, each confirmation must see the reason of its own target.
    const int reason = bulletList->pendingReset(targetAddr);
    if (reason < 0)
        return;
    sendResetTarget(targetAddr, -1);
    onBDReseted(targetAddr, reason);
}

void MyEvent::onBDReseted(int target, int reason)
{
    switch (reason) {
    case ResetMemoryFull:
        bulletList->incPlaceCounter(target);
        requestNextBullet(target);
        break;
    case ResetToSighting:
        setTargetStage(target, StageSighting);
        bulletList->setStageAll(StageSighting);
        sendPC32(target, StageSighting);
        emit sig_view_BTNBackEnabled(false);
        emit sig_view_BTNStopEnabled(true);
        emit sig_view_ModeText(ModeLabelMatch);
        emit sig_view_BTNStartEnabled(true);
        break;
    case ResetToMatch:
        setTargetStage(target, StageMatch);
        bulletList->setStageAll(StageMatch);
        sendPC32(target, StageMatch);
        emit sig_view_BTNBackEnabled(false);
        emit sig_view_BTNStopEnabled(true);
        emit sig_view_BTNStartEnabled(false);
        break;
    default:
        break;
    }
}

void MyEvent::slot_emu_TargetAnswered(int targetAddr)
{
    if (TMemberPlace *place = bulletList ? bulletList->placeByTarget(targetAddr) : nullptr)
        place->laneStart().heardOnLine(targetClock->nowMs());
}

void MyEvent::slot_emu_TargetAsked(int targetAddr, int number)
{
    if (TMemberPlace *place = bulletList ? bulletList->placeByTarget(targetAddr) : nullptr)
        place->laneStart().asked(number, targetClock->nowMs());
}

void MyEvent::slot_emu_ShotNotTaken(int targetAddr, int number, QPoint point, schar place, int time)
{
    if (TMemberPlace *lane = bulletList ? bulletList->placeByTarget(targetAddr) : nullptr)
        lane->laneStart().shotNotTaken({number, point, time, place}, targetClock->nowMs());
}

void MyEvent::slot_emu_TargetHeard(int targetAddr, bool heard)
{
    TMemberPlace *place = bulletList ? bulletList->placeByTarget(targetAddr) : nullptr;
    if (!place)
        return;
    place->laneStart().setHeard(heard, targetClock->nowMs());
    // Back from a silence, the lane is asked at once for its last shot
    // again, or for the last one read before the START, not first for the
    // one it was asked for while silent.
    if (heard && readingBullets && place->laneStart().asksAgainOnHearing())
        requestNextBullet(targetAddr);
}

void MyEvent::slot_emu_NoBullet(int targetAddr, int number)
{
    onNoBullet(targetAddr, number);
}

void MyEvent::setTargetStage(int target, int stage)
{
    if (!bulletList || bulletList->memberIdOfTarget(target) < 0)
        return;
    bulletList->setStageOfTarget(target, stage);
    emit sig_view_BTNBackEnabled(false);
    emit sig_view_BTNStopEnabled(true);
    if (stage == StageSighting) {
        emit sig_view_ModeText(ModeLabelMatch);
        emit sig_view_BTNStartEnabled(true);
    } else if (stage == StageMatch) {
        emit sig_view_BTNStartEnabled(false);
    }
}

int MyEvent::stageOfTarget(int target) const
{
    return bulletList ? bulletList->stageOfTarget(target) : -1;
}

// ---------------------------------------------------------------- position names

void MyEvent::clearPositionNames()
{
    positionNames.clear();
}

void MyEvent::appendPositionName(const QString &name)
{
    positionNames.append(name);
}

QString MyEvent::positionName(int i) const
{
    return positionNames.value(i);
}

// ---------------------------------------------------------------- defaults of the kinds' operations

QString MyEvent::timeText(bool forLabel)
{
    Q_UNUSED(forLabel)
    return QString();
}

bool MyEvent::isTargetDone(int target)
{
    Q_UNUSED(target)
    return false;
}

bool MyEvent::allTargetsDone()
{
    return false;
}

void MyEvent::tick()
{
}

int MyEvent::onTimeEvent()
{
    return 0;
}

int MyEvent::nextBulletNumber(int target)
{
    Q_UNUSED(target)
    return -1;
}

bool MyEvent::acceptBullet(int time)
{
    Q_UNUSED(time)
    return true;
}

void MyEvent::onSetTime(int time)
{
    timeEvent = time;
    onTimeEvent();
}

void MyEvent::onSetMatchFromPC(int target, int mode)
{
    Q_UNUSED(target)
    Q_UNUSED(mode)
}

void MyEvent::onStartRequested(int member, int colbull)
{
    Q_UNUSED(member)
    Q_UNUSED(colbull)
    sendStartAll(1);
}

void MyEvent::onStopRequested(int manageBullet)
{
    Q_UNUSED(manageBullet)
    sendStopAll(1);
}

void MyEvent::initEvent()
{
}

// ---------------------------------------------------------------- slots

void MyEvent::slot_emu_TargetFound(int ta, bool found)
{
    if (bulletList)
        bulletList->setTargetFound(ta, found);
}

void MyEvent::slot_emu_PCFound(int ta, bool found)
{
    if (bulletList)
        bulletList->setPCFound(ta, found);
}

void MyEvent::slot_emu_AddBullet(int targetAddr, int number, QPoint point, schar place, int time,
                                 int eventTime)
{
    onAddBullet(targetAddr, number, point, place, time, eventTime);
}

void MyEvent::slot_emu_AddBullet(int targetAddr, int number, QPoint point, schar place, int time)
{
    onAddBullet(targetAddr, number, point, place, time, -1);
}

void MyEvent::slot_emu_setTime(int _timeevent)
{
    onSetTime(_timeevent);
}

void MyEvent::slot_emu_ClasterSetted()
{
}

void MyEvent::slot_emu_BDResetFromPC(int targetAddr, int mode)
{
    onSetMatchFromPC(targetAddr, mode);
}

void MyEvent::slot_emu_ClientBullets(int targetAddr, int mode, int colbull)
{
    onClientBullets(targetAddr, mode, colbull);
}

void MyEvent::slot_view_startEvent(int member, int colbull)
{
    onStartRequested(member, colbull);
}

void MyEvent::slot_view_stopEvent(int manageBullet)
{
    onStopRequested(manageBullet);
}
